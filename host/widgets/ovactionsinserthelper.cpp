#include "ovactionsinserthelper.h"

#include "ovactionstoolbar.h"
#include "ovstackedtoolbars.h"
#include "widgetslogging.h"

void OVActionsInsertHelper::fillStackedWidget(OVStackedToolBars* stack,
                                              const QList<QList<QList<QAction*>>>& pages)
{
    if (!stack) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "null tool-bar stack, pages dropped:" << pages.size();
        return;
    }
    for (const QList<QList<QAction*>>& groups : pages) {
        auto* toolBar = new OVActionsToolBar(stack);
        toolBar->addActionGroups(groups);
        stack->addToolBar(toolBar);
    }
}
