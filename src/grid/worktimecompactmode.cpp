#include "worktimecompactmode.h"

#include "settings.h"
#include "worktimetableview.h"
#include "wtplanninglogging.h"

#include <QAction>

WorkTimeCompactMode::WorkTimeCompactMode(QAction* action, WorkTimeTableView* grid, QObject* parent)
    : QObject(parent), m_grid(grid)
{
    action->setCheckable(true);
    action->setChecked(Settings::value(settingsKey(), false).toBool());
    m_grid->setCompact(action->isChecked());
    connect(action, &QAction::toggled, this, &WorkTimeCompactMode::apply);
}

QString WorkTimeCompactMode::settingsKey()
{
    return QStringLiteral("wtplanningview/grid/compact");
}

void WorkTimeCompactMode::apply(bool compact)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "compact" << compact;
    Settings::setValue(settingsKey(), compact);
    m_grid->setCompact(compact);
}
