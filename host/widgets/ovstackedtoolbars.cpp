#include "ovstackedtoolbars.h"

#include "ovactionstoolbar.h"
#include "widgetslogging.h"

OVStackedToolBars::OVStackedToolBars(QWidget* parent)
    : QStackedWidget(parent)
{
    // Without this the bars' layouts make the stack expand and claim the spare room.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    // The hints change with the page; the surrounding layout has to ask again.
    connect(this, &QStackedWidget::currentChanged, this, &QWidget::updateGeometry);
}

int OVStackedToolBars::addToolBar(OVActionsToolBar* toolBar)
{
    if (!toolBar) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "null tool bar";
        return -1;
    }
    return addWidget(toolBar);
}

OVActionsToolBar* OVStackedToolBars::toolBar(int index) const
{
    return qobject_cast<OVActionsToolBar*>(widget(index));
}

QSize OVStackedToolBars::sizeHint() const
{
    const QWidget* current = currentWidget();
    if (!current)
        return QStackedWidget::sizeHint();
    const int frame = 2 * frameWidth();
    return current->sizeHint() + QSize(frame, frame);
}

QSize OVStackedToolBars::minimumSizeHint() const
{
    const QWidget* current = currentWidget();
    if (!current)
        return QStackedWidget::minimumSizeHint();
    const int frame = 2 * frameWidth();
    return current->minimumSizeHint() + QSize(frame, frame);
}
