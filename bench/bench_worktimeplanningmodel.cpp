#include "employeeinfo.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "worktimeplanningmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>

using namespace orvanta;
using ovtest::OrganisationBuilder;
using Model = WorkTimePlanningModel;

namespace {

constexpr int employeeCount = 2000;
constexpr int departmentCount = 20;
constexpr int attachedCount = 50;
const QDate first(2024, 7, 1);
const QDate last(2024, 7, 31);

qint64 rssKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QDateTime at(const QDate& date, const QTime& time = QTime(0, 0))
{
    return QDateTime(date, time);
}

// Everything the server would send for the month, keyed as the replies are.
struct Month
{
    QList<EmployeeInfo> employees;
    QList<unsigned int> attached;
    QList<unsigned int> departments;
    Model::ScheduleHistoryHash histories;
    Model::AbsenceReasonHash absences;
    Model::CalendarDayHash calendars;
    QList<WORKER_NORM_TIME> norms;
    QList<WORKER_SYNC_TIME> syncTimes;
    QList<SALES_PLAN> salesPlan;
    QList<HOURS_BUDGET> hoursBudget;
    QHash<unsigned int, PLANNING_BALANCE> balance;
    TYPE_ID shift = 0;
};

QList<SCHEDULE_CALENDAR_DAY> calendarMonth(int offset)
{
    QList<SCHEDULE_CALENDAR_DAY> days;
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        if ((date.day() + offset) % 3 == 0)
            continue;
        SCHEDULE_CALENDAR_DAY day;
        day.date = date;
        day.intervals = {OrganisationBuilder::interval(QTime(9 + offset % 2, 0), QTime(13, 0), 0),
                         OrganisationBuilder::interval(QTime(14, 0), QTime(18 + offset % 2, 0), 1)};
        days.append(day);
    }
    return days;
}

_WORKER_ABSENCE_REASON absencesOf(TYPE_ID uid, int n, const QList<TYPE_ID>& reasons)
{
    _WORKER_ABSENCE_REASON result;
    result.uid = uid;
    const QDate vacation = first.addDays(n % 20);
    result.records = {
        OrganisationBuilder::absenceRecord(reasons.at(0), at(vacation), at(vacation.addDays(n % 4)), false,
                                           TYPE_ID(n * 3 + 1), at(first)),
        OrganisationBuilder::absenceRecord(reasons.at(1), at(first.addDays(22), QTime(14, 0)),
                                           at(first.addDays(22), QTime(17, 0)), true, TYPE_ID(n * 3 + 2), at(first)),
        OrganisationBuilder::absenceRecord(reasons.at(2), at(first.addDays(25 + n % 3)), at(first.addDays(26 + n % 3)),
                                           false, TYPE_ID(n * 3 + 3), at(first)),
    };
    return result;
}

Month buildOrganisation(OrganisationBuilder& org)
{
    Month month;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const QList<TYPE_ID> reasons = {
        org.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"), 3),
        org.absenceReason(QStringLiteral("Врач"), QStringLiteral("Д"), 1, OrganisationBuilder::CountsAsWork),
        org.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 5, OrganisationBuilder::CountsTowardsNorm, 1),
    };
    const QList<QList<OrganisationBuilder::TimeRange>> shifts = {{{QTime(8, 0), QTime(12, 0)}, {QTime(13, 0), QTime(17, 0)}},
                                                                 {{QTime(20, 0), QTime(8, 0)}}};
    QList<int> schedules = {
        org.cycleSchedule(QStringLiteral("Пятидневка"), QDate(2024, 1, 1), {0, 0, 0, 0, 0, -1, -1}, shifts),
        org.cycleSchedule(QStringLiteral("Два через два"), QDate(2024, 1, 1), {0, 0, -1, -1}, shifts),
        org.cycleSchedule(QStringLiteral("Сутки"), QDate(2024, 1, 3), {1, -1, -1}, shifts),
    };
    for (int i = 0; i < 3; ++i) {
        const int calendar = org.calendarSchedule(QStringLiteral("Календарь %1").arg(i));
        schedules.append(calendar);
        month.calendars.insert(calendar, calendarMonth(i));
    }
    const TYPE_ID job = org.job(QStringLiteral("Продавец"));
    month.shift = org.shift(QStringLiteral("Утро"), {{QTime(8, 0), QTime(14, 0)}});

    QList<TYPE_ID> departments;
    for (int d = 0; d < departmentCount; ++d) {
        departments.append(org.department(QStringLiteral("Магазин %1").arg(d), firm));
        org.breakRule(QStringLiteral("Обед %1").arg(d), 4 * 3600, 13 * 3600, 3600, QDate(2024, 1, 1), {departments.last()});
        month.departments.append(departments.last());
    }
    // Employees attached elsewhere come from a department outside the filter.
    const TYPE_ID elsewhere = org.department(QStringLiteral("Склад"), firm);

    for (int n = 0; n < employeeCount; ++n) {
        const TYPE_ID department = departments.at(n % departmentCount);
        EmployeeInfo info;
        info.uid = org.employee(QStringLiteral("Сотрудник %1").arg(n, 4, 10, QLatin1Char('0')), department,
                                QString::number(n), job);
        info.jobUid = job;
        info.name = QStringLiteral("Сотрудник %1").arg(n, 4, 10, QLatin1Char('0'));
        info.number = QString::number(n);
        if (n % 50 == 0)
            info.emplStart = first.addDays(n % 10);
        month.employees.append(info);

        WORKER_SCHEDULE_HISTORY_V2 history;
        history.uid = info.uid;
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 before;
        before.id = TYPE_ID(n * 2 + 1);
        before.schedule = TYPE_ID(schedules.at(n % schedules.size()));
        before.from = QDate(2024, 1, 1);
        before.to = first.addDays(13);
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 after = before;
        after.id = TYPE_ID(n * 2 + 2);
        after.schedule = TYPE_ID(schedules.at((n + 1) % schedules.size()));
        after.from = first.addDays(14);
        after.to = QDate();
        history.records = {before, after};
        month.histories.insert(info.uid, history);
        month.absences.insert(info.uid, absencesOf(info.uid, n, reasons));

        for (QDate date = first; date <= last; date = date.addDays(1)) {
            if (date.dayOfWeek() < 6)
                month.norms.append(WORKER_NORM_TIME{0, date, info.uid, 8 * 3600});
        }
        WORKER_SYNC_TIME sync;
        sync.worker = info.uid;
        sync.date = first;
        sync.saveTime = n % 3 ? at(first, QTime(10, 0)) : QDateTime();
        sync.normCalcTime = at(first);
        month.syncTimes.append(sync);
        month.balance.insert(info.uid, PLANNING_BALANCE{8 * 3600 * 20, 8 * 3600 * 19});
    }
    for (int n = 0; n < attachedCount; ++n) {
        const TYPE_ID visitor = org.employee(QStringLiteral("Гость %1").arg(n), elsewhere);
        org.attachedWorker(visitor, departments.at(n % departmentCount), first.addDays(n % 10), first.addDays(n % 10 + 7));
        month.attached.append(visitor);
        month.histories.insert(visitor, WORKER_SCHEDULE_HISTORY_V2{visitor, month.histories.value(month.employees.at(n).uid).records});
    }
    for (int d = 0; d < departmentCount; ++d) {
        for (QDate date = first; date <= last; date = date.addDays(1)) {
            month.salesPlan.append(SALES_PLAN{0, date, qint64(departments.at(d)), 100000 + d});
            month.hoursBudget.append(HOURS_BUDGET{0, date, departments.at(d), 8 * 3600 * 80});
        }
    }
    return month;
}

template<typename Work>
double millisecondsOf(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

qint64 readViewport(const Model& model, int firstRow)
{
    static const QList<int> cellRoles = [] {
        QList<int> roles = {Qt::DisplayRole,   Qt::DecorationRole, Qt::ToolTipRole,     Qt::FontRole,
                            Qt::TextAlignmentRole, Qt::BackgroundRole, Qt::ForegroundRole};
        for (int role = Model::DayStartRole; role <= Model::HasChangesRole; ++role)
            roles.append(role);
        return roles;
    }();
    static const QList<int> headerRoles = {Qt::DisplayRole, Qt::ToolTipRole, Model::DayTimeRole, Model::DateRole,
                                           Model::SalesPlanRole};
    qint64 sink = 0;
    const int columns = qMin(36, model.columnCount());
    for (int column = 0; column < columns; ++column) {
        for (int role : headerRoles)
            sink += model.headerData(column, Qt::Horizontal, role).isValid();
    }
    for (int row = firstRow; row < firstRow + 40 && row < model.rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const QModelIndex index = model.index(row, column);
            for (int role : cellRoles)
                sink += model.data(index, role).isValid();
        }
    }
    return sink;
}

struct Totals
{
    qint64 time, reasonWork, attached, detached, salesPlan, hoursBudget, perDate;
    bool operator==(const Totals& o) const
    {
        return time == o.time && reasonWork == o.reasonWork && attached == o.attached && detached == o.detached
            && salesPlan == o.salesPlan && hoursBudget == o.hoursBudget && perDate == o.perDate;
    }
};

Totals readTotals(const Model& model)
{
    Totals totals{model.totalTime(),     model.totalReasonWorkTime(), model.totalAttachedTime(),
                  model.totalDetachedTime(), model.totalSalesPlan(),  model.totalHoursBudget(), 0};
    for (QDate date = model.dateStart(); date <= model.dateFinish(); date = date.addDays(1))
        totals.perDate += model.totalTimeForDate(date) + model.totalReasonForDate(date, WorkTimeData::WorkTime);
    model.isConfirmEnabled();
    return totals;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const qint64 rssStart = rssKilobytes();

    OrganisationBuilder org;
    const Month month = buildOrganisation(org);
    const qint64 rssOrganisation = rssKilobytes();

    Model model;
    const double refresh = millisecondsOf([&] {
        model.refreshModel(first, last, month.employees, month.attached, month.departments);
    });
    const double histories = millisecondsOf([&] { model.setScheduleHistory(month.histories); });
    const double absences = millisecondsOf([&] { model.setAbsenceReasons(month.absences); });
    const double calendars = millisecondsOf([&] { model.setCalendarDays(month.calendars); });
    const double figures = millisecondsOf([&] {
        model.setEmployeeNormTime(month.norms);
        model.setEmployeeSyncTime(month.syncTimes);
        model.setSalesPlan(month.salesPlan);
        model.setHoursBudget(month.hoursBudget);
        model.setPlanningBalance(month.balance);
    });
    const qint64 rssLoaded = rssKilobytes();

    qint64 sink = 0;
    const double firstPaint = millisecondsOf([&] { sink += readViewport(model, 0); });
    const double scrolledPaint = millisecondsOf([&] { sink += readViewport(model, 1000); });
    QList<double> repaints;
    for (int run = 0; run < 15; ++run)
        repaints.append(millisecondsOf([&] { sink += readViewport(model, 500); }));

    // Totals right after a change of every row (as after a load or a cancel), then after one edit.
    model.rebuildAll();
    Totals afterLoad{};
    const double totalsAfterLoad = millisecondsOf([&] { afterLoad = readTotals(model); });
    Totals again{};
    const double totalsUnchanged = millisecondsOf([&] { again = readTotals(model); });
    model.setShiftForDate(month.employees.at(7).uid, first.addDays(1), month.shift);
    Totals afterEdit{};
    const double totalsAfterEdit = millisecondsOf([&] { afterEdit = readTotals(model); });
    const double rebuildAll = millisecondsOf([&] { model.rebuildAll(); });

    out << "rows " << model.rowCount() << " x columns " << model.columnCount() << "\n";
    out << "refreshModel " << refresh << " ms, histories " << histories << " ms, absences " << absences
        << " ms, calendars " << calendars << " ms; load total " << refresh + histories + absences + calendars
        << " ms (limit 300)\n";
    out << "norm, sync, sales plan, budget, balance intake " << figures << " ms\n";
    out << "rebuildAll " << rebuildAll << " ms\n";
    out << "viewport 40x36, all roles + header: first paint after load " << firstPaint << " ms, scrolled to row 1000 "
        << scrolledPaint << " ms, repaint median " << median(repaints) << " ms (limit 2)\n";
    out << "side-panel totals: after a change of every row " << totalsAfterLoad << " ms, unchanged "
        << totalsUnchanged << " ms, after one edit " << totalsAfterEdit << " ms (limit 20); totalTime "
        << afterLoad.time << " reasonWork " << afterLoad.reasonWork << " attached " << afterLoad.attached
        << " detached " << afterLoad.detached << " perDate " << afterLoad.perDate << (afterLoad == again ? "" : " MISMATCH")
        << "\n";
    out << "RSS start " << rssStart / 1024 << " MB, organisation in store " << rssOrganisation / 1024
        << " MB, grid loaded " << rssLoaded / 1024 << " MB (model adds " << (rssLoaded - rssOrganisation) / 1024
        << " MB; aim < 60 MB)\n";
    out << "sink " << sink << " " << afterEdit.time << "\n";
    return 0;
}
