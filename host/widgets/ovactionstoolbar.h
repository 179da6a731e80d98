#pragma once

#include "ovwidgets_export.h"

#include <QList>
#include <QToolBar>

class QAction;

/// Main tool bar of a plug-in window: 24-pixel icons with the text beside them.
class OVWIDGETS_EXPORT OVActionsToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit OVActionsToolBar(QWidget* parent = nullptr);
    explicit OVActionsToolBar(const QString& title, QWidget* parent = nullptr);

    /// Appends the groups in order with a separator between them. Empty groups and
    /// null actions are skipped; a separator also sets the first group apart from
    /// actions the bar already holds, but none is ever leading or trailing.
    void addActionGroups(const QList<QList<QAction*>>& groups);

private:
    void setUpLook();
};
