#include "employeeinfo.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"
#include "worktimedata.h"

#include <QCoreApplication>
#include <QTest>

#include <algorithm>

using namespace orvanta;
using ovtest::OrganisationBuilder;

namespace {

const int any = WorkTimeData::AnyReasonTime;

QDate march(int day) { return QDate(2024, 3, day); }
// UTC keeps the fixtures away from daylight-saving jumps of the machine's zone.
QDateTime at(int day, const QTime& time = QTime(0, 0)) { return QDateTime(march(day), time, Qt::UTC); }
const auto record = [](const auto&... args) { return OrganisationBuilder::absenceRecord(args...); };

// Every day from 08:00 with the given seconds of work, one entry per date of the period; the last repeats.
WorkTimeData employeeRow(EmployeeInfo info, const QDate& from, const QDate& to, const QList<int>& dailySeconds)
{
    WorkTimeData row;
    row.setPeriodRange(from, to);
    row.setEmpoyeeInfo(info);
    QList<WorkTimeData::Day> days;
    for (int i = 0; i <= from.daysTo(to); ++i) {
        days.append(WorkTimeData::Day());
        const int seconds = dailySeconds.value(i, dailySeconds.value(dailySeconds.size() - 1));
        if (seconds > 0)
            days.last().intervals.append(OrganisationBuilder::interval(QTime(8, 0), QTime(8, 0).addSecs(seconds)));
    }
    row.setDays(days);
    return row;
}

QList<TYPE_ID> sortedUids(const QList<ObjectInfo>& objects)
{
    QList<TYPE_ID> result;
    for (const ObjectInfo& object : objects)
        result.append(object.uid);
    std::sort(result.begin(), result.end());
    return result;
}

// An employee of a home department with trips to the host department: one inside the period, one ending on its
// first day, one starting on its last day, two outside it, one whose object is gone from the store; a trip to
// another department; and a colleague's trip to the host.
struct Trips
{
    TYPE_ID employee, host, inside, endsOnFirstDay, startsOnLastDay, elsewhere, gone;

    explicit Trips(OrganisationBuilder& org)
    {
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        host = org.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID other = org.department(QStringLiteral("Офис"), firm);
        employee = org.employee(QStringLiteral("Иванов"), org.department(QStringLiteral("Склад"), firm));
        inside = org.attachedWorker(employee, host, march(10), march(15));
        endsOnFirstDay = org.attachedWorker(employee, host, QDate(2024, 2, 20), march(1));
        startsOnLastDay = org.attachedWorker(employee, host, march(31), QDate(2024, 4, 9));
        org.attachedWorker(employee, host, QDate(2024, 2, 1), QDate(2024, 2, 19));
        org.attachedWorker(employee, host, QDate(2024, 4, 1), QDate(2024, 4, 5));
        elsewhere = org.attachedWorker(employee, other, march(20), march(25));
        org.attachedWorker(org.employee(QStringLiteral("Петров"), host), host, march(10), march(15));
        gone = org.attachedWorker(employee, host, march(10), march(12));
        org.store()->removeObjects(QLatin1String(ATTACHED_WORKER_DATANAME), {gone});
    }
};

// Each table has a single column "row" of one of these.
struct ValidCase { QDate emplStart, emplContStart, emplFinish, date; bool plain, continuous; };
struct AbsenceCase { QDateTime start, end; bool timed; int mask; QDate date; int partDay, dayTime, totalTime; };
// Records as "method order entered", entered "before", "at" or "after" the norm calculation, or "unknown".
struct FullDayCase { const char* records; int mask; int expected; bool calculated = true; };
// Records to sort as {id, order of the reason, start day}; order NoReasonObject: the reason is not in the store.
struct SortRecord { TYPE_ID id; int reasonOrder; int startDay; };
constexpr int NoReasonObject = -1000;
struct SortCase { QList<SortRecord> records; QList<TYPE_ID> expectedIds; };
struct BalanceCase { QDate emplContStart, emplFinish, to; int expected; };
struct DetachedCase { QDate emplContStart, emplFinish; bool continuous; int days; };

} // namespace

Q_DECLARE_METATYPE(ValidCase)
Q_DECLARE_METATYPE(AbsenceCase)
Q_DECLARE_METATYPE(FullDayCase)
Q_DECLARE_METATYPE(SortCase)
Q_DECLARE_METATYPE(BalanceCase)
Q_DECLARE_METATYPE(DetachedCase)

class tst_WorkTimeData : public QObject
{
    Q_OBJECT

private slots:
    void isValidDate_data()
    {
        QTest::addColumn<ValidCase>("row");
        QTest::newRow("first day of period") << ValidCase{{}, {}, {}, march(1), true, true};
        QTest::newRow("last day of period") << ValidCase{{}, {}, {}, march(31), true, true};
        QTest::newRow("day before period") << ValidCase{{}, {}, {}, march(1).addDays(-1), false, false};
        QTest::newRow("day after period") << ValidCase{{}, {}, {}, march(31).addDays(1), false, false};
        QTest::newRow("after plain start, before continuous start")
            << ValidCase{march(1), march(10), {}, march(5), true, false};
        QTest::newRow("before plain start, after continuous start")
            << ValidCase{march(10), QDate(2024, 2, 1), {}, march(5), false, true};
        QTest::newRow("on the employment start") << ValidCase{march(5), march(5), {}, march(5), true, true};
        QTest::newRow("on the employment finish") << ValidCase{{}, {}, march(20), march(20), true, true};
        QTest::newRow("after the employment finish") << ValidCase{{}, {}, march(20), march(21), false, false};
    }

    void isValidDate()
    {
        QFETCH(ValidCase, row);
        EmployeeInfo info;
        info.emplStart = row.emplStart;
        info.emplContStart = row.emplContStart;
        info.emplFinish = row.emplFinish;
        const WorkTimeData data = employeeRow(info, march(1), march(31), {});
        QCOMPARE(data.isValidDate(row.date, false), row.plain);
        QCOMPARE(data.isValidDate(row.date, true), row.continuous);
    }

    void oneAbsence_data()
    {
        // 8 h on every day, employed up to 20 March: 576000 in total. The columns after the date are
        // partDayReasonTime(date, mask), timeForDate(date) skipping full days, and totalTime().
        QTest::addColumn<AbsenceCase>("row");
        const QDateTime from = at(10, QTime(14, 0)), to = at(10, QTime(18, 0));
        const QDateTime dayBefore = at(9, QTime(14, 0)), nextMorning = at(11, QTime(10, 0));
        QTest::newRow("same day 14:00-18:00") << AbsenceCase{from, to, true, any, march(10), 14400, 28800, 576000};
        QTest::newRow("last day ending 10:00")
            << AbsenceCase{dayBefore, at(10, QTime(10, 0)), true, any, march(10), 36000, 28800, 576000};
        QTest::newRow("first day starting 14:00")
            << AbsenceCase{from, nextMorning, true, any, march(10), 36000, 28800, 576000};
        QTest::newRow("middle day of a timed absence")
            << AbsenceCase{dayBefore, nextMorning, true, any, march(10), 0, 0, 547200};
        QTest::newRow("ends at midnight, nothing on the next day")
            << AbsenceCase{dayBefore, at(10), true, any, march(10), 0, 28800, 576000};
        QTest::newRow("untimed, one day") << AbsenceCase{at(10), at(10), false, any, march(10), 0, 0, 547200};
        QTest::newRow("untimed, three days") << AbsenceCase{at(9), at(11), false, any, march(10), 0, 0, 489600};
        QTest::newRow("end before start") << AbsenceCase{to, from, true, any, march(10), 0, 28800, 576000};
        QTest::newRow("mask without the norm kind") << AbsenceCase{
            from, to, true, WorkTimeData::AbsenceTime | WorkTimeData::WorkTime, march(10), 0, 28800, 576000};
        QTest::newRow("mask of the norm kind only")
            << AbsenceCase{from, to, true, WorkTimeData::NormTime, march(10), 14400, 28800, 576000};
        QTest::newRow("date after the employment finish")
            << AbsenceCase{at(25, QTime(14, 0)), at(25, QTime(18, 0)), true, any, march(25), 0, 0, 576000};
    }

    void oneAbsence()
    {
        QFETCH(AbsenceCase, row);
        OrganisationBuilder organisation;
        // Whatever the kind of the reason, a full day of it takes the day off the planned time.
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Донорский день"), QStringLiteral("Д"), 0,
                                                          OrganisationBuilder::CountsTowardsNorm);
        EmployeeInfo info;
        info.emplFinish = march(20);
        WorkTimeData data = employeeRow(info, march(1), march(31), {28800});
        data.setAbsenceReasons({data.uid(), {record(reason, row.start, row.end, row.timed)}});
        QCOMPARE(data.partDayReasonTime(row.date, row.mask), row.partDay);
        QCOMPARE(data.timeForDate(row.date, true), row.dayTime);
        QCOMPARE(data.timeForDate(march(10), false), 28800);
        QCOMPARE(data.totalTime(false), row.totalTime);
    }

    void fullDayReasonTime_data()
    {
        // Norm 8 h, planned 10 h on 5 March: 36000 means the planned time counted, 28800 the norm.
        // Method 1 reasons count as work, method 0 ones as absence.
        QTest::addColumn<FullDayCase>("row");
        QTest::newRow("method 0 entered after the calculation") << FullDayCase{"0 0 after", any, 28800};
        QTest::newRow("method 1 entered before the calculation") << FullDayCase{"1 0 before", any, 28800};
        QTest::newRow("method 1 entered after the calculation") << FullDayCase{"1 0 after", any, 36000};
        QTest::newRow("method 1 entered at the calculation") << FullDayCase{"1 0 at", any, 36000};
        QTest::newRow("method 1 without a calculation") << FullDayCase{"1 0 at", any, 28800, false};
        QTest::newRow("method 1 with an unknown entry moment") << FullDayCase{"1 0 unknown", any, 28800};
        QTest::newRow("mask without the reason kind") << FullDayCase{"0 0 at", WorkTimeData::WorkTime, 0};
        // Left to ids alone the second record would come first.
        QTest::newRow("method 1 at order 5 decides") << FullDayCase{"1 5 after; 0 2 after", any, 36000};
        QTest::newRow("method 0 at order 5 decides") << FullDayCase{"0 5 after; 1 2 after", any, 28800};
        QTest::newRow("mask passes over the order 5 reason")
            << FullDayCase{"0 5 after; 1 2 after", WorkTimeData::WorkTime, 36000};
        // The earliest entry over all full-day records counts, not the deciding record's own.
        QTest::newRow("earlier entry of a record that does not decide")
            << FullDayCase{"1 5 after; 0 2 before", any, 28800};
        QTest::newRow("earlier entry of a record the mask passes over")
            << FullDayCase{"0 5 before; 1 2 after", WorkTimeData::WorkTime, 28800};
    }

    void fullDayReasonTime()
    {
        QFETCH(FullDayCase, row);
        OrganisationBuilder organisation;
        WorkTimeData data = employeeRow(EmployeeInfo(), march(1), march(31), {36000});
        data.setPlanForDate(march(5), 28800);
        const QDateTime calculated = at(4, QTime(12, 0));
        WORKER_SYNC_TIME sync;
        sync.normCalcTime = row.calculated ? calculated : QDateTime();
        data.setSyncTime(sync);
        QList<_WORKER_ABSENCE_REASON_RECORD> records;
        for (const QString& entry : QString::fromLatin1(row.records).split(QStringLiteral("; "))) {
            const QStringList fields = entry.split(QLatin1Char(' '));
            const int method = fields.at(0).toInt();
            const TYPE_ID reason = organisation.absenceReason(
                QStringLiteral("Причина"), QStringLiteral("П"), fields.at(1).toInt(),
                method == 1 ? OrganisationBuilder::CountsAsWork : OrganisationBuilder::CountsAsAbsence, method);
            // A minute before, at, or a minute after the calculation; -2 for "unknown".
            const int minutes = QStringList{QStringLiteral("before"), QStringLiteral("at"), QStringLiteral("after")}
                                    .indexOf(fields.at(2)) - 1;
            const QDateTime entered = minutes < -1 ? QDateTime() : calculated.addSecs(minutes * 60);
            records.append(record(reason, at(5), at(5), false, records.size() + 1, entered));
        }
        data.setAbsenceReasons({data.uid(), records});
        QCOMPARE(data.fullDayReasonTime(march(5), row.mask), row.expected);
        QCOMPARE(data.fullDayReasonTime(march(6), any), 0);
    }

    void absenceRecordsSort_data()
    {
        QTest::addColumn<SortCase>("row");
        const TYPE_ID fresh = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        QTest::newRow("higher reason order first") << SortCase{{{1, 2, 1}, {2, 5, 9}, {3, 3, 5}}, {2, 3, 1}};
        QTest::newRow("equal order, earlier start first") << SortCase{{{1, 2, 9}, {2, 2, 1}, {3, 2, 5}}, {2, 3, 1}};
        QTest::newRow("equal start, higher id first") << SortCase{{{10, 2, 1}, {30, 2, 1}, {20, 2, 1}}, {30, 20, 10}};
        QTest::newRow("equal start, new record before saved ones")
            << SortCase{{{10, 2, 1}, {fresh, 2, 1}, {30, 2, 1}}, {fresh, 30, 10}};
        QTest::newRow("order before start before id")
            << SortCase{{{fresh, 1, 1}, {5, 3, 4}, {9, 3, 2}, {7, 3, 2}}, {9, 7, 5, fresh}};
        QTest::newRow("reason missing from the store counts as order 0")
            << SortCase{{{1, -1, 1}, {2, NoReasonObject, 1}, {3, 1, 1}}, {3, 2, 1}};
    }

    void absenceRecordsSort()
    {
        QFETCH(SortCase, row);
        OrganisationBuilder organisation;
        QList<_WORKER_ABSENCE_REASON_RECORD> records;
        for (const SortRecord& item : row.records) {
            const TYPE_ID reason = item.reasonOrder == NoReasonObject ? 999999
                : organisation.absenceReason(QStringLiteral("Причина"), QStringLiteral("П"), item.reasonOrder);
            records.append(record(reason, at(item.startDay), at(item.startDay), false, item.id));
        }
        WorkTimeData data;
        data.setAbsenceReasons({data.uid(), records});
        QList<TYPE_ID> ids;
        for (const _WORKER_ABSENCE_REASON_RECORD& sorted : data.absenceReasons().records)
            ids.append(sorted.id);
        QCOMPARE(ids, row.expectedIds);
    }

    void planningBalance_data()
    {
        QTest::addColumn<BalanceCase>("row");
        // Period 1-10 March. Norm 8 h (28800) on every day but the weekend 6-7 March.
        // Planned 8 h on 1-5 and 8 March, 10 h (36000) on 9 March, nothing on 10 March.
        // 4 March is a full-day absence (method 0: counts its norm, 28800, and drops its
        // planned time); 8 March has a 14:00-16:00 absence (7200).
        // Whole period: norm 8 x 28800 = 230400; planned 5 x 28800 + 36000 = 180000;
        //   230400 - (180000 + 7200 + 28800) = 14400.
        QTest::newRow("whole period") << BalanceCase{{}, {}, march(10), 14400};
        // Ends 8 March: norm 6 x 28800 = 172800; planned 1,2,3,5,8 = 144000;
        //   172800 - (144000 + 7200 + 28800) = -7200.
        QTest::newRow("employment ends 8 March") << BalanceCase{{}, march(8), march(10), -7200};
        // Absences counted up to 5 March only: 230400 - (180000 + 0 + 28800) = 21600.
        QTest::newRow("absences up to 5 March") << BalanceCase{{}, {}, march(5), 21600};
        // Continuous from 5 March: norm 4 x 28800 = 115200; planned 5,8,9 = 93600;
        //   the 4 March absence is outside: 115200 - (93600 + 7200 + 0) = 14400.
        QTest::newRow("continuous employment from 5 March") << BalanceCase{march(5), {}, march(10), 14400};
        // Continuous from 9 March: norm 57600, planned 36000: 57600 - 36000 = 21600.
        QTest::newRow("continuous employment from 9 March") << BalanceCase{march(9), {}, march(10), 21600};
    }

    void planningBalance()
    {
        QFETCH(BalanceCase, row);
        OrganisationBuilder organisation;
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"));
        EmployeeInfo info;
        info.emplContStart = row.emplContStart;
        info.emplFinish = row.emplFinish;
        WorkTimeData data =
            employeeRow(info, march(1), march(10), {28800, 28800, 28800, 28800, 28800, 0, 0, 28800, 36000, 0});
        for (int day : {1, 2, 3, 4, 5, 8, 9, 10})
            data.setPlanForDate(march(day), 28800);
        data.setAbsenceReasons({data.uid(), {record(reason, at(4), at(4), false, 1),
                                             record(reason, at(8, QTime(14, 0)), at(8, QTime(16, 0)), true, 2)}});
        QCOMPARE(data.planningBalance(march(1), row.to), row.expected);
    }

    void employeeRowTrips_data()
    {
        // 8 h every day; away on 1, 10-15, 20-25 and 31 March.
        QTest::addColumn<DetachedCase>("row");
        QTest::newRow("whole period") << DetachedCase{{}, {}, false, 14};
        QTest::newRow("employment ends 12 March") << DetachedCase{{}, march(12), false, 4};
        QTest::newRow("continuous employment from 12 March") << DetachedCase{march(12), {}, true, 11};
        QTest::newRow("continuous start ignored for plain") << DetachedCase{march(12), {}, false, 14};
    }

    void employeeRowTrips()
    {
        QFETCH(DetachedCase, row);
        OrganisationBuilder organisation;
        const Trips trips(organisation);
        EmployeeInfo info;
        info.uid = trips.employee;
        info.emplContStart = row.emplContStart;
        info.emplFinish = row.emplFinish;
        const WorkTimeData data = employeeRow(info, march(1), march(31), {28800});
        QCOMPARE(sortedUids(data.attached()),
                 (QList<TYPE_ID>{trips.inside, trips.endsOnFirstDay, trips.startsOnLastDay, trips.elsewhere}));
        QVERIFY(!data.inAttachedRange(march(16)));
        QCOMPARE(data.detachedTime(row.continuous), row.days * 28800);
        QCOMPARE(data.attachedTime(), 0);
    }

    void attachedRow()
    {
        OrganisationBuilder organisation;
        const Trips trips(organisation);
        WorkTimeData data;
        data.setPeriodRange(march(1), march(31));
        ovtest::ignoreMessage(QtWarningMsg,
                              QRegularExpression(QStringLiteral("wrong attached employee %1$").arg(trips.gone)));
        data.setAttachedUid(trips.employee, {trips.host});
        QCOMPARE(sortedUids(data.attached()),
                 (QList<TYPE_ID>{trips.inside, trips.endsOnFirstDay, trips.startsOnLastDay}));
        QCOMPARE(sortedUids(data.attachedWorkers(march(3), march(9))), QList<TYPE_ID>());
        QCOMPARE(sortedUids(data.attachedWorkers(march(15), march(20))), QList<TYPE_ID>{trips.inside});
        data.setDays(employeeRow(EmployeeInfo(), march(1), march(31), {28800}).days());
        // 1, 10-15 and 31 March: 8 days of 8 h; the other days add nothing.
        QCOMPARE(data.attachedTime(), 8 * 28800);
        QCOMPARE(data.detachedTime(false), 0);
    }

    void attachedRowPerson_data()
    {
        // Properties of the attached-worker object to clear, then the row's name and number; the job is the
        // employee's either way (the object copies it).
        QTest::addColumn<QStringList>("cleared");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addRow("from the attached-worker object") << QStringList() << "Гостев (склад)" << "A-7";
        QTest::addRow("employee fills what the object lacks")
            << QStringList{"PT_NAME", "PT_WORKERNUM", "PT_JOBLINK"} << "Гостев" << "77";
    }

    void attachedRowPerson()
    {
        QFETCH(QStringList, cleared);
        QFETCH(QString, name);
        QFETCH(QString, number);
        OrganisationBuilder org;
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        const TYPE_ID host = org.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID job = org.job(QStringLiteral("Кладовщик"));
        const TYPE_ID guest =
            org.employee(QStringLiteral(" Гостев "), org.department(QStringLiteral("Склад"), firm), QStringLiteral("77"), job);
        const TYPE_ID trip = org.attachedWorker(guest, host, march(10), march(15));
        org.setProperty(trip, QStringLiteral("PT_NAME"), QStringLiteral("Гостев (склад)"));
        org.setProperty(trip, QStringLiteral("PT_WORKERNUM"), QStringLiteral("A-7"));
        for (const QString& property : cleared)
            org.setProperty(trip, property, QString());

        WorkTimeData data;
        data.setPeriodRange(march(1), march(31));
        data.setAttachedUid(guest, {host});
        QCOMPARE(data.name(), name);
        QCOMPARE(data.number(), number);
        QCOMPARE(data.jobUid(), job);
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeData)
#include "tst_worktimedata.moc"
