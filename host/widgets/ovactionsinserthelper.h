#pragma once

#include "ovwidgets_export.h"

#include <QList>

class OVStackedToolBars;
class QAction;

/// Builds tool bars from nested action lists (page, group, action).
class OVWIDGETS_EXPORT OVActionsInsertHelper
{
public:
    OVActionsInsertHelper() = delete;

    /// Appends one OVActionsToolBar per page to the stack, groups separated; null
    /// actions are skipped and a null stack is logged and left alone.
    static void fillStackedWidget(OVStackedToolBars* stack, const QList<QList<QList<QAction*>>>& pages);
};
