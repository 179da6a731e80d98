#include "employeeinfo.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"
#include "worktimedata.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace orvanta;
using ovtest::OrganisationBuilder;

namespace {

const QDate march1(2024, 3, 1);
const QDate march31(2024, 3, 31);

QDate march(int day)
{
    return QDate(2024, 3, day);
}

// UTC keeps the fixtures away from daylight-saving jumps of the machine's zone.
QDateTime at(int day, const QTime& time = QTime(0, 0))
{
    return QDateTime(march(day), time, Qt::UTC);
}


// Every day from 08:00 with the given seconds of work, one entry per date of the period.
WorkTimeData employeeRow(EmployeeInfo info, const QDate& from, const QDate& to, const QList<int>& dailySeconds)
{
    WorkTimeData row;
    row.setPeriodRange(from, to);
    if (!info.uid)
        info.uid = 1;
    row.setEmpoyeeInfo(info);
    QList<WorkTimeData::Day> days;
    for (int i = 0; i <= from.daysTo(to); ++i) {
        WorkTimeData::Day day;
        const int seconds = dailySeconds.value(i, dailySeconds.isEmpty() ? 0 : dailySeconds.last());
        if (seconds > 0)
            day.intervals.append(OrganisationBuilder::interval(QTime(8, 0), QTime(8, 0).addSecs(seconds)));
        days.append(day);
    }
    row.setDays(days);
    return row;
}

_WORKER_ABSENCE_REASON reasons(const QList<_WORKER_ABSENCE_REASON_RECORD>& records)
{
    _WORKER_ABSENCE_REASON result;
    result.records = records;
    return result;
}

void setReasons(WorkTimeData& row, const QList<_WORKER_ABSENCE_REASON_RECORD>& records)
{
    _WORKER_ABSENCE_REASON reasons;
    reasons.uid = row.uid();
    reasons.records = records;
    row.setAbsenceReasons(reasons);
}

QList<TYPE_ID> uids(const QList<ObjectInfo>& objects)
{
    QList<TYPE_ID> result;
    for (const ObjectInfo& object : objects)
        result.append(object.uid);
    return result;
}

struct RecordSpec
{
    TYPE_ID id;
    int reasonOrder;
    int startDay;
};

// Reason order for a record whose reason is not in the store.
constexpr int NoReasonObject = -1000;

} // namespace

Q_DECLARE_METATYPE(QList<RecordSpec>)

class tst_WorkTimeData : public QObject
{
    Q_OBJECT

private slots:
    void isValidDate_data()
    {
        QTest::addColumn<QDate>("emplStart");
        QTest::addColumn<QDate>("emplContStart");
        QTest::addColumn<QDate>("emplFinish");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("plain");
        QTest::addColumn<bool>("continuous");
        QTest::addRow("no bounds, inside period") << QDate() << QDate() << QDate() << march(15) << true << true;
        QTest::addRow("first day of period") << QDate() << QDate() << QDate() << march1 << true << true;
        QTest::addRow("last day of period") << QDate() << QDate() << QDate() << march31 << true << true;
        QTest::addRow("day before period") << QDate() << QDate() << QDate() << march1.addDays(-1) << false << false;
        QTest::addRow("day after period") << QDate() << QDate() << QDate() << march31.addDays(1) << false << false;
        QTest::addRow("after plain start, before continuous start")
            << march(1) << march(10) << QDate() << march(5) << true << false;
        QTest::addRow("before plain start, after continuous start")
            << march(10) << QDate(2024, 2, 1) << QDate() << march(5) << false << true;
        QTest::addRow("on the employment start") << march(5) << march(5) << QDate() << march(5) << true << true;
        QTest::addRow("on the employment finish") << QDate() << QDate() << march(20) << march(20) << true << true;
        QTest::addRow("after the employment finish") << QDate() << QDate() << march(20) << march(21) << false << false;
        QTest::addRow("employment covers more than the period")
            << QDate(2020, 1, 1) << QDate(2020, 1, 1) << QDate(2030, 1, 1) << QDate(2024, 4, 1) << false << false;
    }

    void isValidDate()
    {
        QFETCH(QDate, emplStart);
        QFETCH(QDate, emplContStart);
        QFETCH(QDate, emplFinish);
        QFETCH(QDate, date);
        QFETCH(bool, plain);
        QFETCH(bool, continuous);
        OrganisationBuilder organisation;
        EmployeeInfo info;
        info.emplStart = emplStart;
        info.emplContStart = emplContStart;
        info.emplFinish = emplFinish;
        const WorkTimeData row = employeeRow(info, march1, march31, {});
        QCOMPARE(row.isValidDate(date, false), plain);
        QCOMPARE(row.isValidDate(date, true), continuous);
    }

    void fullDayAbsenceSkipsPlannedTime_data()
    {
        QTest::addColumn<_WORKER_ABSENCE_REASON>("absences");
        QTest::addColumn<int>("totalTime");
        QTest::addColumn<int>("timeOnMarch3");
        // Five days of 8 h from 1 to 5 March: 144000 without absences.
        QTest::addRow("no absences") << reasons({}) << 144000 << 28800;
        QTest::addRow("untimed absence on 3 March") << reasons({OrganisationBuilder::absenceRecord(0, at(3), at(3), false)}) << 115200 << 0;
        QTest::addRow("untimed absence 2 to 4 March") << reasons({OrganisationBuilder::absenceRecord(0, at(2), at(4), false)}) << 57600 << 0;
        QTest::addRow("timed 2 March 14:00 to 4 March 10:00, only 3 March full")
            << reasons({OrganisationBuilder::absenceRecord(0, at(2, QTime(14, 0)), at(4, QTime(10, 0)), true)}) << 115200 << 0;
        QTest::addRow("timed 3 March 14:00 to 4 March 10:00, no full day")
            << reasons({OrganisationBuilder::absenceRecord(0, at(3, QTime(14, 0)), at(4, QTime(10, 0)), true)}) << 144000 << 28800;
        QTest::addRow("absence after the period") << reasons({OrganisationBuilder::absenceRecord(0, at(6), at(9), false)}) << 144000 << 28800;
    }

    void fullDayAbsenceSkipsPlannedTime()
    {
        QFETCH(_WORKER_ABSENCE_REASON, absences);
        QFETCH(int, totalTime);
        QFETCH(int, timeOnMarch3);
        OrganisationBuilder organisation;
        // A reason that counts as work time is still a full day off the planned time.
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Командировка"), QStringLiteral("К"), 0,
                                                          OrganisationBuilder::CountsAsWork);
        for (_WORKER_ABSENCE_REASON_RECORD& record : absences.records)
            record.reason = reason;
        WorkTimeData row = employeeRow(EmployeeInfo(), march(1), march(5), {28800});
        row.setAbsenceReasons(absences);
        QCOMPARE(row.totalTime(false), totalTime);
        QCOMPARE(row.timeForDate(march(3), true), timeOnMarch3);
        QCOMPARE(row.timeForDate(march(3), false), 28800);
    }

    void partDayReasonTime_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<bool>("timed");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("expected");
        const int any = WorkTimeData::AnyReasonTime;
        QTest::addRow("same day 14:00-18:00")
            << at(10, QTime(14, 0)) << at(10, QTime(18, 0)) << true << any << march(10) << 14400;
        QTest::addRow("last day ending 10:00")
            << at(9, QTime(14, 0)) << at(10, QTime(10, 0)) << true << any << march(10) << 36000;
        QTest::addRow("first day starting 14:00")
            << at(10, QTime(14, 0)) << at(11, QTime(10, 0)) << true << any << march(10) << 36000;
        QTest::addRow("middle day of a timed absence")
            << at(9, QTime(14, 0)) << at(11, QTime(10, 0)) << true << any << march(10) << 0;
        QTest::addRow("ends at midnight, nothing on the next day")
            << at(9, QTime(14, 0)) << at(10) << true << any << march(10) << 0;
        QTest::addRow("untimed absence") << at(10) << at(10) << false << any << march(10) << 0;
        QTest::addRow("end before start")
            << at(10, QTime(18, 0)) << at(10, QTime(14, 0)) << true << any << march(10) << 0;
        QTest::addRow("mask without the absence kind")
            << at(10, QTime(14, 0)) << at(10, QTime(18, 0)) << true
            << int(WorkTimeData::WorkTime | WorkTimeData::NormTime) << march(10) << 0;
        QTest::addRow("mask of the absence kind only") << at(10, QTime(14, 0)) << at(10, QTime(18, 0)) << true
                                                       << int(WorkTimeData::AbsenceTime) << march(10) << 14400;
        QTest::addRow("date after the employment finish")
            << at(25, QTime(14, 0)) << at(25, QTime(18, 0)) << true << any << march(25) << 0;
    }

    void partDayReasonTime()
    {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(bool, timed);
        QFETCH(int, mask);
        QFETCH(QDate, date);
        QFETCH(int, expected);
        OrganisationBuilder organisation;
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Отгул"), QStringLiteral("ОТ"));
        EmployeeInfo info;
        info.emplFinish = march(20);
        WorkTimeData row = employeeRow(info, march1, march31, {28800});
        setReasons(row, {OrganisationBuilder::absenceRecord(reason, start, end, timed)});
        QCOMPARE(row.partDayReasonTime(date, mask), expected);
    }

    void fullDayReasonTime_data()
    {
        QTest::addColumn<int>("calcNormMethod");
        QTest::addColumn<QDateTime>("changeTime");
        QTest::addColumn<QDateTime>("normCalcTime");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("expected");
        // Norm 8 h, planned 10 h on 5 March; the norm was calculated on 4 March at noon.
        const QDateTime calculated = at(4, QTime(12, 0));
        const int any = WorkTimeData::AnyReasonTime;
        QTest::addRow("method 0 entered after the calculation")
            << 0 << calculated.addSecs(60) << calculated << any << 28800;
        QTest::addRow("method 1 entered before the calculation")
            << 1 << calculated.addSecs(-60) << calculated << any << 28800;
        QTest::addRow("method 1 entered after the calculation")
            << 1 << calculated.addSecs(60) << calculated << any << 36000;
        QTest::addRow("method 1 entered at the calculation") << 1 << calculated << calculated << any << 36000;
        QTest::addRow("method 1 without a calculation") << 1 << calculated << QDateTime() << any << 28800;
        QTest::addRow("method 1 with an unknown entry moment") << 1 << QDateTime() << calculated << any << 28800;
        QTest::addRow("mask without the reason kind")
            << 0 << calculated << calculated << int(WorkTimeData::WorkTime) << 0;
    }

    void fullDayReasonTime()
    {
        QFETCH(int, calcNormMethod);
        QFETCH(QDateTime, changeTime);
        QFETCH(QDateTime, normCalcTime);
        QFETCH(int, mask);
        QFETCH(int, expected);
        OrganisationBuilder organisation;
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 0,
                                                          OrganisationBuilder::CountsAsAbsence, calcNormMethod);
        WorkTimeData row = employeeRow(EmployeeInfo(), march1, march31, {36000});
        row.setPlanForDate(march(5), 28800);
        WORKER_SYNC_TIME sync;
        sync.normCalcTime = normCalcTime;
        row.setSyncTime(sync);
        setReasons(row, {OrganisationBuilder::absenceRecord(reason, at(5), at(5), false, 1, changeTime)});
        QCOMPARE(row.fullDayReasonTime(march(5), mask), expected);
        QCOMPARE(row.fullDayReasonTime(march(6), WorkTimeData::AnyReasonTime), 0);
    }

    void higherReasonOrderDecidesTheDay_data()
    {
        QTest::addColumn<int>("orderOfMethodOne");
        QTest::addColumn<int>("orderOfMethodZero");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("expected");
        const int any = WorkTimeData::AnyReasonTime;
        // Planned 10 h against a norm of 8 h: 36000 means the method-1 reason decided.
        QTest::addRow("method 1 at order 5 decides") << 5 << 2 << any << 36000;
        QTest::addRow("method 0 at order 5 decides") << 2 << 5 << any << 28800;
        QTest::addRow("mask passes over the order 5 reason") << 2 << 5 << int(WorkTimeData::WorkTime) << 36000;
    }

    void higherReasonOrderDecidesTheDay()
    {
        QFETCH(int, orderOfMethodOne);
        QFETCH(int, orderOfMethodZero);
        QFETCH(int, mask);
        QFETCH(int, expected);
        OrganisationBuilder organisation;
        const TYPE_ID methodOne = organisation.absenceReason(QStringLiteral("Прогул"), QStringLiteral("ПР"),
                                                             orderOfMethodOne, OrganisationBuilder::CountsAsWork, 1);
        const TYPE_ID methodZero = organisation.absenceReason(
            QStringLiteral("Отпуск"), QStringLiteral("ОТ"), orderOfMethodZero, OrganisationBuilder::CountsAsAbsence, 0);
        WorkTimeData row = employeeRow(EmployeeInfo(), march1, march31, {36000});
        row.setPlanForDate(march(5), 28800);
        WORKER_SYNC_TIME sync;
        sync.normCalcTime = at(1);
        row.setSyncTime(sync);
        const TYPE_ID higher = orderOfMethodOne > orderOfMethodZero ? methodOne : methodZero;
        const TYPE_ID lower = higher == methodOne ? methodZero : methodOne;
        // Left to ids alone the lower-order record (id 2) would come first.
        setReasons(row,
                   {OrganisationBuilder::absenceRecord(lower, at(5), at(5), false, 2, at(2)), OrganisationBuilder::absenceRecord(higher, at(5), at(5), false, 1, at(2))});
        QCOMPARE(row.absenceReasons().records.first().reason, higher);
        QCOMPARE(row.fullDayReasonTime(march(5), mask), expected);
    }

    void absenceRecordsSort_data()
    {
        QTest::addColumn<QList<RecordSpec>>("records");
        QTest::addColumn<QList<TYPE_ID>>("expectedIds");
        const TYPE_ID fresh = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        QTest::addRow("higher reason order first")
            << QList<RecordSpec>{{1, 2, 1}, {2, 5, 9}, {3, 3, 5}} << QList<TYPE_ID>{2, 3, 1};
        QTest::addRow("equal order, earlier start first")
            << QList<RecordSpec>{{1, 2, 9}, {2, 2, 1}, {3, 2, 5}} << QList<TYPE_ID>{2, 3, 1};
        QTest::addRow("equal start, higher id first")
            << QList<RecordSpec>{{10, 2, 1}, {30, 2, 1}, {20, 2, 1}} << QList<TYPE_ID>{30, 20, 10};
        QTest::addRow("equal start, new record before saved ones")
            << QList<RecordSpec>{{10, 2, 1}, {fresh, 2, 1}, {30, 2, 1}} << QList<TYPE_ID>{fresh, 30, 10};
        QTest::addRow("order before start before id")
            << QList<RecordSpec>{{fresh, 1, 1}, {5, 3, 4}, {9, 3, 2}, {7, 3, 2}} << QList<TYPE_ID>{9, 7, 5, fresh};
        QTest::addRow("reason missing from the store counts as order 0")
            << QList<RecordSpec>{{1, -1, 1}, {2, NoReasonObject, 1}, {3, 1, 1}} << QList<TYPE_ID>{3, 2, 1};
    }

    void absenceRecordsSort()
    {
        QFETCH(QList<RecordSpec>, records);
        QFETCH(QList<TYPE_ID>, expectedIds);
        OrganisationBuilder organisation;
        QHash<int, TYPE_ID> reasonByOrder;
        QList<_WORKER_ABSENCE_REASON_RECORD> input;
        for (const RecordSpec& spec : records) {
            TYPE_ID reason = 999999;
            if (spec.reasonOrder != NoReasonObject) {
                if (!reasonByOrder.contains(spec.reasonOrder))
                    reasonByOrder.insert(
                        spec.reasonOrder,
                        organisation.absenceReason(QStringLiteral("Причина"), QStringLiteral("П"), spec.reasonOrder));
                reason = reasonByOrder.value(spec.reasonOrder);
            }
            input.append(OrganisationBuilder::absenceRecord(reason, at(spec.startDay), at(spec.startDay), false, spec.id));
        }
        WorkTimeData row;
        setReasons(row, input);
        QList<TYPE_ID> ids;
        for (const _WORKER_ABSENCE_REASON_RECORD& record : row.absenceReasons().records)
            ids.append(record.id);
        QCOMPARE(ids, expectedIds);
    }

    void planningBalance_data()
    {
        QTest::addColumn<QDate>("emplContStart");
        QTest::addColumn<QDate>("emplFinish");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("expected");
        // Period 1-10 March. Norm 8 h (28800) on every day but the weekend 6-7 March.
        // Planned 8 h on 1-5 and 8 March, 10 h (36000) on 9 March, nothing on 10 March.
        // 4 March is a full-day absence (method 0: counts its norm, 28800, and drops its
        // planned time); 8 March has a 14:00-16:00 absence (7200).
        // Whole period: norm 8 x 28800 = 230400; planned 5 x 28800 + 36000 = 180000;
        //   230400 - (180000 + 7200 + 28800) = 14400.
        QTest::addRow("whole period") << QDate() << QDate() << march(10) << 14400;
        // Ends 8 March: norm 6 x 28800 = 172800; planned 1,2,3,5,8 = 144000;
        //   172800 - (144000 + 7200 + 28800) = -7200.
        QTest::addRow("employment ends 8 March") << QDate() << march(8) << march(10) << -7200;
        // Absences counted up to 5 March only: 230400 - (180000 + 0 + 28800) = 21600.
        QTest::addRow("absences up to 5 March") << QDate() << QDate() << march(5) << 21600;
        // Continuous from 5 March: norm 4 x 28800 = 115200; planned 5,8,9 = 93600;
        //   the 4 March absence is outside: 115200 - (93600 + 7200 + 0) = 14400.
        QTest::addRow("continuous employment from 5 March") << march(5) << QDate() << march(10) << 14400;
        // Continuous from 9 March: norm 57600, planned 36000: 57600 - 36000 = 21600.
        QTest::addRow("continuous employment from 9 March") << march(9) << QDate() << march(10) << 21600;
    }

    void planningBalance()
    {
        QFETCH(QDate, emplContStart);
        QFETCH(QDate, emplFinish);
        QFETCH(QDate, to);
        QFETCH(int, expected);
        OrganisationBuilder organisation;
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"));
        EmployeeInfo info;
        info.emplContStart = emplContStart;
        info.emplFinish = emplFinish;
        WorkTimeData row =
            employeeRow(info, march(1), march(10), {28800, 28800, 28800, 28800, 28800, 0, 0, 28800, 36000, 0});
        for (int day : {1, 2, 3, 4, 5, 8, 9, 10})
            row.setPlanForDate(march(day), 28800);
        setReasons(row, {OrganisationBuilder::absenceRecord(reason, at(4), at(4), false, 1),
                         OrganisationBuilder::absenceRecord(reason, at(8, QTime(14, 0)), at(8, QTime(16, 0)), true, 2)});
        QCOMPARE(row.planningBalance(march(1), to), expected);
    }

    void detachedTime_data()
    {
        QTest::addColumn<QDate>("emplContStart");
        QTest::addColumn<QDate>("emplFinish");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<int>("expected");
        // Attached elsewhere 10-15 March, 8 h a day.
        QTest::addRow("whole attachment") << QDate() << QDate() << false << 172800;
        QTest::addRow("employment ends 12 March") << QDate() << march(12) << false << 86400;
        QTest::addRow("continuous employment from 12 March") << march(12) << QDate() << true << 115200;
        QTest::addRow("continuous start ignored for plain") << march(12) << QDate() << false << 172800;
    }

    void detachedTime()
    {
        QFETCH(QDate, emplContStart);
        QFETCH(QDate, emplFinish);
        QFETCH(bool, continuous);
        QFETCH(int, expected);
        OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        const TYPE_ID home = organisation.department(QStringLiteral("Склад"), firm);
        const TYPE_ID host = organisation.department(QStringLiteral("Магазин"), firm);
        EmployeeInfo info;
        info.uid = organisation.employee(QStringLiteral("Иванов"), home);
        info.emplContStart = emplContStart;
        info.emplFinish = emplFinish;
        organisation.attachedWorker(info.uid, host, march(10), march(15));
        const WorkTimeData row = employeeRow(info, march1, march31, {28800});
        QCOMPARE(row.detachedTime(continuous), expected);
        QCOMPARE(row.attachedTime(), 0);
    }

    void attachedRow()
    {
        OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        const TYPE_ID home = organisation.department(QStringLiteral("Склад"), firm);
        const TYPE_ID host = organisation.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID other = organisation.department(QStringLiteral("Офис"), firm);
        const TYPE_ID employee = organisation.employee(QStringLiteral("Иванов"), home);
        const TYPE_ID colleague = organisation.employee(QStringLiteral("Петров"), home);
        const TYPE_ID inPeriod = organisation.attachedWorker(employee, host, march(10), march(15));
        const TYPE_ID overPeriodStart = organisation.attachedWorker(employee, host, QDate(2024, 2, 20), march(2));
        organisation.attachedWorker(employee, host, QDate(2024, 2, 1), QDate(2024, 2, 20));
        organisation.attachedWorker(employee, host, QDate(2024, 4, 1), QDate(2024, 4, 5));
        organisation.attachedWorker(colleague, host, march(10), march(15));
        organisation.attachedWorker(employee, other, march(20), march(25));

        WorkTimeData row;
        row.setPeriodRange(march1, march31);
        row.setAttachedUid(employee, {host});
        QVERIFY(row.isAttached());
        QList<TYPE_ID> found = uids(row.attached());
        std::sort(found.begin(), found.end());
        QCOMPARE(found, (QList<TYPE_ID>{inPeriod, overPeriodStart}));
        QVERIFY(row.containsAttached(inPeriod));
        QCOMPARE(uids(row.attachedWorkers(march(3), march(9))), QList<TYPE_ID>());
        QCOMPARE(uids(row.attachedWorkers(march(15), march(20))), QList<TYPE_ID>{inPeriod});

        QList<WorkTimeData::Day> days(employeeRow(EmployeeInfo(), march1, march31, {28800}).days());
        row.setDays(days);
        // 1-2 and 10-15 March: 8 days of 8 h; the other days add nothing.
        QCOMPARE(row.attachedTime(), 8 * 28800);
        QCOMPARE(row.detachedTime(false), 0);
    }

    void attachedRowWarnsAboutMissingAttachedObject()
    {
        OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        const TYPE_ID host = organisation.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID employee = organisation.employee(QStringLiteral("Иванов"), firm);
        const TYPE_ID gone = organisation.attachedWorker(employee, host, march(10), march(15));
        organisation.store()->removeObjects(QLatin1String(ATTACHED_WORKER_DATANAME), {gone});

        WorkTimeData row;
        row.setPeriodRange(march1, march31);
        ovtest::ignoreMessage(QtWarningMsg,
                              QRegularExpression(QStringLiteral("wrong attached employee %1$").arg(gone)));
        row.setAttachedUid(employee, {host});
        QVERIFY(row.attached().isEmpty());
    }

    void reloadAttachedSkipsInvalidAndOutOfPeriod()
    {
        OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        const TYPE_ID home = organisation.department(QStringLiteral("Склад"), firm);
        const TYPE_ID host = organisation.department(QStringLiteral("Магазин"), firm);
        EmployeeInfo info;
        info.uid = organisation.employee(QStringLiteral("Иванов"), home);
        const TYPE_ID endsOnPeriodStart = organisation.attachedWorker(info.uid, host, QDate(2024, 2, 1), march1);
        const TYPE_ID startsOnPeriodFinish = organisation.attachedWorker(info.uid, host, march31, QDate(2024, 4, 9));
        organisation.attachedWorker(info.uid, host, QDate(2024, 2, 1), QDate(2024, 2, 29));
        organisation.attachedWorker(info.uid, host, QDate(2024, 4, 1), QDate(2024, 4, 9));
        const TYPE_ID gone = organisation.attachedWorker(info.uid, host, march(10), march(12));
        organisation.store()->removeObjects(QLatin1String(ATTACHED_WORKER_DATANAME), {gone});

        const WorkTimeData row = employeeRow(info, march1, march31, {});
        QCOMPARE(row.type(), int(WorkTimeData::EmployeeRow));
        QList<TYPE_ID> found = uids(row.attached());
        std::sort(found.begin(), found.end());
        QCOMPARE(found, (QList<TYPE_ID>{endsOnPeriodStart, startsOnPeriodFinish}));
        QVERIFY(!row.containsAttached(gone));
        QVERIFY(row.inAttachedRange(march1));
        QVERIFY(!row.inAttachedRange(march(15)));
        QVERIFY(row.inAttachedRange(march31));
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeData)
#include "tst_worktimedata.moc"
