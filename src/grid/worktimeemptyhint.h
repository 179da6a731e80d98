#pragma once

#include <QLabel>
#include <QPointer>

class QAbstractItemModel;
class QAbstractScrollArea;

/// A centred hint laid over an item view's viewport while its model has no rows.
class WorkTimeEmptyHint : public QLabel
{
    Q_OBJECT
public:
    /// Watches `rows` (the model whose emptiness counts, not necessarily the view's own) and
    /// covers `view`'s viewport; the hint is a child of the view.
    WorkTimeEmptyHint(const QString& text, QAbstractScrollArea* view, QAbstractItemModel* rows);

public slots:
    void updateVisibility();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void coverViewport();

    /// Only the viewport, never the view: the view sends the viewport events while it is
    /// being destroyed, when calling into it is no longer allowed.
    QPointer<QWidget> m_viewport;
    QPointer<QAbstractItemModel> m_rows;
};
