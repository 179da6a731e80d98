#pragma once

#include <QHeaderView>
#include <QPixmap>

class WorkTimePlanningModel;

/// Horizontal header of the planning grid: a day section shows its date and weekday,
/// the sales plan and the planned hours, tinted on days off and holidays; leading sections are plain.
class WorkTimeHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit WorkTimeHeaderView(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    /// Overrides the height of sizeHint(), so that a second header can match the first.
    void setHeightHint(int height);
    int heightHint() const { return m_heightHint; }
    /// Three short lines instead of four: "4 пт", the sales plan, the hours.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }

    static WorkTimePlanningModel* toWorkTimeModel(const QAbstractItemModel* model);

public slots:
    /// Repaints the whole height of a resized section: the bands span all of it.
    void sectionResized(int logicalIndex, int oldSize, int newSize);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    bool viewportEvent(QEvent* event) override;
    /// A day section is as wide as its figures and its date: the date's longer forms show only where they fit.
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    /// The texts of a day section, each the longest that fits its width.
    struct DayTexts
    {
        QString date;
        QString weekday;
        QString plan;
        QString hours;
    };

    void paintDaySection(QPainter* painter, const QRect& rect, int logicalIndex) const;
    void paintShortCaption(QPainter* painter, const QRect& rect, int logicalIndex) const;
    DayTexts dayTexts(int logicalIndex, int width) const;
    QString dayToolTip(int logicalIndex) const;
    QFont lineFont(bool figure, bool bold) const;
    int lineHeight(bool figure) const;
    /// The height the day sections need: their lines, the clock and the margins.
    int daySectionsHeight() const;
    const QPixmap& clockPixmap() const;

    /// The widest long weekday name in the date font, so every section shows the same form.
    int longWeekdaysWidth() const;

    int m_heightHint = -1;
    bool m_compact = false;
    mutable QPixmap m_clock;
    mutable QFont m_weekdaysFont;
    mutable int m_weekdaysWidth = 0;
};
