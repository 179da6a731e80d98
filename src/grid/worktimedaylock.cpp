#include "worktimedaylock.h"

#include "worktimedata.h"
#include "worktimeutils.h"

#include <QDate>
#include <QPair>

namespace {

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

WorkTimeDayLock::Reason WorkTimeDayLock::reason(const WorkTimeData& row, const QDate& date, bool readOnly)
{
    if (!date.isValid() || date < row.periodStart() || date > row.periodFinish())
        return OutsidePeriod;
    if (row.emplStart().isValid() && date < row.emplStart())
        return BeforeEmployment;
    if (row.emplFinish().isValid() && date > row.emplFinish())
        return AfterDismissal;
    // A trip day is planned where it is worked: in the host department's grid, not at home.
    if (!row.isWorkedHere(date))
        return row.isAttached() ? OutsideTrip : OnTripElsewhere;
    const QPair<QDate, QDate> editable = WorkTimeUtils::editableRange();
    if (date < editable.first || date > editable.second)
        return RoleRestriction;
    return readOnly ? ReadOnly : Unlocked;
}

QString WorkTimeDayLock::text(Reason reason, const WorkTimeData& row, const QDate& date)
{
    const QString prefix = QStringLiteral("Изменить нельзя: ");
    switch (reason) {
    case Unlocked:
        return QString();
    case OutsidePeriod:
        return prefix + QStringLiteral("день вне загруженного периода");
    case BeforeEmployment:
        return prefix + QStringLiteral("сотрудник принят на работу %1").arg(dayText(row.emplStart()));
    case AfterDismissal:
        return prefix + QStringLiteral("сотрудник уволен, последний рабочий день %1").arg(dayText(row.emplFinish()));
    case OnTripElsewhere:
        return prefix + QStringLiteral("внутренняя командировка, день планируется в подразделении командировки");
    case OutsideTrip:
        return prefix + QStringLiteral("в этот день сотрудник не в командировке в это подразделение");
    case RoleRestriction: {
        const QPair<QDate, QDate> editable = WorkTimeUtils::editableRange();
        return prefix
            + (date < editable.first ? QStringLiteral("роль разрешает планировать не раньше %1").arg(dayText(editable.first))
                                     : QStringLiteral("роль разрешает планировать не позже %1").arg(dayText(editable.second)));
    }
    case ReadOnly:
        return prefix + QStringLiteral("нет права изменять рабочее время");
    }
    return QString();
}
