#include "employeeinfo.h"
#include "organisationbuilder.h"
#include "worktimedata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

using namespace orvanta;
using ovtest::OrganisationBuilder;

namespace {

QDateTime at(const QDate& date, const QTime& time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}


// A month row as the grid holds it: 8 h planned on working days, a norm on each,
// and ten absences of different reasons, timed and untimed, some overlapping.
WorkTimeData monthRow(OrganisationBuilder& organisation, const QDate& first, const QDate& last)
{
    const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
    const TYPE_ID department = organisation.department(QStringLiteral("Магазин"), firm);
    EmployeeInfo info;
    info.uid = organisation.employee(QStringLiteral("Иванов"), department);
    info.emplStart = first.addDays(2);
    info.emplContStart = first.addYears(-1);

    WorkTimeData row;
    row.setPeriodRange(first, last);
    row.setEmpoyeeInfo(info);
    QList<WorkTimeData::Day> days;
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        WorkTimeData::Day day;
        if (date.dayOfWeek() < 6) {
            day.intervals.append(OrganisationBuilder::interval(QTime(8, 0), QTime(12, 0), 0));
            day.intervals.append(OrganisationBuilder::interval(QTime(13, 0), QTime(17, 0), 1));
            row.setPlanForDate(date, 28800);
        }
        days.append(day);
    }
    row.setDays(days);

    const TYPE_ID vacation = organisation.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"), 3);
    const TYPE_ID sick = organisation.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 5,
                                                    OrganisationBuilder::CountsTowardsNorm, 1);
    const TYPE_ID trip = organisation.absenceReason(QStringLiteral("Командировка"), QStringLiteral("К"), 2,
                                                    OrganisationBuilder::CountsAsWork);
    const TYPE_ID leave = organisation.absenceReason(QStringLiteral("Отгул"), QStringLiteral("ОГ"), 1);
    const QDateTime entered = at(first, QTime(9, 0));

    WORKER_SYNC_TIME sync;
    sync.normCalcTime = at(first);
    row.setSyncTime(sync);

    _WORKER_ABSENCE_REASON reasons;
    reasons.uid = info.uid;
    reasons.records = {
        OrganisationBuilder::absenceRecord(vacation, at(first.addDays(3)), at(first.addDays(5)), false, 1, entered),
        OrganisationBuilder::absenceRecord(sick, at(first.addDays(5)), at(first.addDays(8)), false, 2, entered),
        OrganisationBuilder::absenceRecord(trip, at(first.addDays(10), QTime(14, 0)), at(first.addDays(12), QTime(10, 0)), true, 3, entered),
        OrganisationBuilder::absenceRecord(leave, at(first.addDays(14), QTime(9, 0)), at(first.addDays(14), QTime(13, 0)), true, 4, entered),
        OrganisationBuilder::absenceRecord(leave, at(first.addDays(15), QTime(15, 0)), at(first.addDays(15), QTime(17, 0)), true, 5, entered),
        OrganisationBuilder::absenceRecord(vacation, at(first.addDays(17)), at(first.addDays(19)), false, 6, entered),
        OrganisationBuilder::absenceRecord(trip, at(first.addDays(20), QTime(12, 0)), at(first.addDays(23), QTime(11, 0)), true, 7, entered),
        OrganisationBuilder::absenceRecord(sick, at(first.addDays(24)), at(first.addDays(24)), false, 8, entered),
        OrganisationBuilder::absenceRecord(leave, at(first.addDays(26), QTime(8, 0)), at(first.addDays(27), QTime(12, 0)), true, 9, entered),
        OrganisationBuilder::absenceRecord(vacation, at(first.addDays(28)), at(last), false, _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID, QDateTime()),
    };
    row.setAbsenceReasons(reasons);
    return row;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    OrganisationBuilder organisation;
    const QDate first(2024, 3, 1);
    const QDate last(2024, 3, 31);
    const WorkTimeData row = monthRow(organisation, first, last);

    constexpr int iterations = 20000;
    constexpr int runs = 7;
    QList<double> perCall;
    qint64 sink = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < iterations; ++i)
            sink += row.totalTime(true) + row.totalPlan(true) + row.planningBalance(first, last);
        perCall.append(double(timer.nsecsElapsed()) / iterations / 1000.0);
    }
    std::sort(perCall.begin(), perCall.end());

    QTextStream out(stdout);
    out << "WorkTimeData totals (31 days, 10 absences): " << QString::number(perCall.at(runs / 2), 'f', 1)
        << " us/call (median of " << runs << " runs of " << iterations << "; figures "
        << row.totalTime(true) << ' ' << row.totalPlan(true) << ' ' << row.planningBalance(first, last) << ", sink "
        << sink << ")\n";
    return 0;
}
