#pragma once

#include <QAbstractItemDelegate>
#include <QFont>
#include <QHash>
#include <QPair>
#include <QPixmap>
#include <QStaticText>

class QStyleOptionViewItem;
class WorkTimePlanningModel;

/// Paints every cell of the planning grid and edits a day's work interval in place
/// as "hh:mm-hh:mm" text.
class WorkTimeItemDelegate : public QAbstractItemDelegate
{
    Q_OBJECT
public:
    explicit WorkTimeItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    /// Fills the option from the item's roles the way a styled delegate does.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const;

    /// Short texts and small fonts: a month and thirty rows on one screen. The layout of a column
    /// narrowed by the planner follows the same rules.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }

    static WorkTimePlanningModel* toWorkTimeModel(const QAbstractItemModel* model);
    static QString intervalPattern();
    static QString intervalToString(int start, int finish);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    using TextCache = QHash<QString, QStaticText>;

    /// Fonts and sizes derived from the view's font, and the laid-out texts of the day cells (a few dozen
    /// distinct intervals, marks and hours), remade only when that font changes.
    struct Metrics
    {
        QFont base;
        /// The view's font, or the smaller one of the compact mode.
        QFont text;
        QFont marks;
        QFont hours;
        QFont boldHours;
        int margin = 0;
        int marksMinWidth = 0;
        int marksHeight = 0;
        int badgePadding = 0;
        int badgeHeight = 0;
        int clockSize = 0;
        /// Of a day cell: the interval line and the band of the badge and the hours below it.
        int rowHeight = 0;
        TextCache intervalTexts;
        TextCache marksTexts;
        TextCache hoursTexts;
        TextCache boldHoursTexts;
        QHash<QString, int> marksWidths;
    };

    void paintLeadingCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paintDayCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paintPanel(QPainter* painter, const QStyleOptionViewItem& option) const;
    /// The badge and the hours below the interval; the clock only where all of them fit.
    void paintDayBand(QPainter* painter, Metrics& fonts, const QRect& band, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const;
    /// Draws the badge and returns its right edge.
    int paintMarks(QPainter* painter, Metrics& fonts, const QRect& band, const QString& marks,
                   const QColor& color) const;
    QString dayInterval(Metrics& fonts, int work, const QModelIndex& index, int width) const;
    QString leadingText(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    static void drawCentred(QPainter* painter, const QRect& rect, const QFont& font, TextCache& cache,
                            const QString& text);
    static const QStaticText& staticText(TextCache& cache, const QFont& font, const QString& text);
    static int textWidth(TextCache& cache, const QFont& font, const QString& text);
    Metrics& metrics(const QFont& font) const;
    QSize daySizeHint(const QStyleOptionViewItem& option) const;
    QPixmap iconPixmap(const QIcon& icon, const QSize& size, bool disabled = false) const;
    const QPixmap& clockPixmap() const;

    QPixmap m_lock;
    mutable QPixmap m_clock;
    mutable Metrics m_metrics;
    mutable bool m_metricsValid = false;
    bool m_compact = false;
    mutable QHash<QPair<qint64, int>, QPixmap> m_iconCache;
};
