#include "worktimeemptyhint.h"

#include "vocabulary.h"

#include <QAbstractItemModel>
#include <QAbstractScrollArea>
#include <QEvent>

WorkTimeEmptyHint::WorkTimeEmptyHint(const QString& text, QAbstractScrollArea* view, QAbstractItemModel* rows)
    : QLabel(text, view), m_viewport(view->viewport()), m_rows(rows)
{
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setMargin(24);
    // Clicks and the context menu belong to the grid underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette hintPalette = palette();
    hintPalette.setColor(QPalette::WindowText, QColor(QLatin1String(orvanta::wt::color::ENABLED_TEXT)));
    setPalette(hintPalette);

    m_viewport->installEventFilter(this);
    if (rows) {
        connect(rows, &QAbstractItemModel::modelReset, this, &WorkTimeEmptyHint::updateVisibility);
        connect(rows, &QAbstractItemModel::rowsInserted, this, &WorkTimeEmptyHint::updateVisibility);
        connect(rows, &QAbstractItemModel::rowsRemoved, this, &WorkTimeEmptyHint::updateVisibility);
        connect(rows, &QAbstractItemModel::layoutChanged, this, &WorkTimeEmptyHint::updateVisibility);
    }
    coverViewport();
    updateVisibility();
}

void WorkTimeEmptyHint::updateVisibility()
{
    const bool empty = !m_rows || m_rows->rowCount() == 0;
    setVisible(empty);
    if (empty) {
        // The grid's own overlays (the frozen columns) are siblings created earlier; stay above them.
        raise();
        coverViewport();
    }
}

bool WorkTimeEmptyHint::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport moves as well as resizes when the header's height changes.
    if (m_viewport && watched == m_viewport && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        coverViewport();
    return QLabel::eventFilter(watched, event);
}

void WorkTimeEmptyHint::coverViewport()
{
    if (m_viewport)
        setGeometry(m_viewport->geometry());
}
