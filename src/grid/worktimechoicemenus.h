#pragma once

#include <QCoreApplication>

class QMenu;
class QString;
class QWidget;

/// The context menu's lists of choices from the local store; each entry carries its id as data.
class WorkTimeChoiceMenus
{
    Q_DECLARE_TR_FUNCTIONS(WorkTimeChoiceMenus)
public:
    /// "Выходной" (id 0), then the shifts not hidden as "name (start-finish)".
    static QMenu* shiftMenu(QWidget* parent);
    /// "<Не задан>" (id 0), then the active shared schedules in their colours.
    static QMenu* scheduleMenu(const QString& title, QWidget* parent);
    /// The absence reasons allowed in planning as "mark name", long ones cut.
    static QMenu* absenceReasonMenu(QWidget* parent);
};
