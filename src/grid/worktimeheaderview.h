#pragma once

#include <QHeaderView>
#include <QPixmap>

class WorkTimePlanningModel;

/// Horizontal header of the planning grid: a day section shows its date and weekday,
/// the sales plan and the planned hours; leading sections are plain.
class WorkTimeHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit WorkTimeHeaderView(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    /// Overrides the height of sizeHint(), so that a second header can match the first.
    void setHeightHint(int height);
    int heightHint() const { return m_heightHint; }

    static WorkTimePlanningModel* toWorkTimeModel(const QAbstractItemModel* model);

public slots:
    /// Repaints the whole height of a resized section: the bands span all of it.
    void sectionResized(int logicalIndex, int oldSize, int newSize);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void paintDaySection(QPainter* painter, const QRect& rect, int logicalIndex) const;
    const QPixmap& clockPixmap() const;

    int m_heightHint = -1;
    mutable QPixmap m_clock;
};
