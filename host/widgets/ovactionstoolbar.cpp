#include "ovactionstoolbar.h"

#include <QAction>

OVActionsToolBar::OVActionsToolBar(QWidget* parent)
    : QToolBar(parent)
{
    setUpLook();
}

OVActionsToolBar::OVActionsToolBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent)
{
    setUpLook();
}

void OVActionsToolBar::addActionGroups(const QList<QList<QAction*>>& groups)
{
    for (const QList<QAction*>& group : groups) {
        bool groupStarted = false;
        for (QAction* action : group) {
            if (!action)
                continue;
            if (!groupStarted) {
                groupStarted = true;
                const QList<QAction*> existing = actions();
                if (!existing.isEmpty() && !existing.constLast()->isSeparator())
                    addSeparator();
            }
            addAction(action);
        }
    }
}

void OVActionsToolBar::setUpLook()
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(24, 24));
}
