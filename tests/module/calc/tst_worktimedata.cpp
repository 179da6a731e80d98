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

// A row of March from 08:00 with the given seconds of work on each day of the period; the last entry repeats.
WorkTimeData employeeRow(EmployeeInfo info, const QDate& to, const QList<int>& dailySeconds)
{
    WorkTimeData row;
    row.setPeriodRange(march(1), to);
    row.setEmpoyeeInfo(info);
    QList<WorkTimeData::Day> days;
    for (int i = 0; i <= march(1).daysTo(to); ++i) {
        days.append(WorkTimeData::Day());
        const int seconds = dailySeconds.value(i, dailySeconds.value(dailySeconds.size() - 1));
        if (seconds > 0)
            days.last().intervals.append(OrganisationBuilder::interval(QTime(8, 0), QTime(8, 0).addSecs(seconds)));
    }
    row.setDays(days);
    return row;
}

EmployeeInfo employed(const QDate& start, const QDate& continuousStart, const QDate& finish, TYPE_ID uid = 0)
{
    EmployeeInfo info;
    info.uid = uid;
    info.emplStart = start;
    info.emplContStart = continuousStart;
    info.emplFinish = finish;
    return info;
}

QList<TYPE_ID> sortedUids(const QList<ObjectInfo>& objects)
{
    QList<TYPE_ID> result;
    for (const ObjectInfo& object : objects)
        result.append(object.uid);
    std::sort(result.begin(), result.end());
    return result;
}

// Each table has a single column "row" of one of these.
struct AbsenceCase { QDateTime start, end; bool timed; int mask; QDate date; int partDay, dayTime, totalTime; };
// Records as "method order entered", entered "before", "at" or "after" the norm calculation, or "unknown".
struct FullDayCase { const char* records; int mask; int expected; bool calculated = true; };
// A record to sort: id, order of its reason, start day; order NoReasonObject: the reason is not in the store.
struct SortRecord { TYPE_ID id; int reasonOrder; int startDay; };
constexpr int NoReasonObject = -1000;
struct BalanceCase { QDate emplContStart, emplFinish, to; int expected; };

} // namespace

Q_DECLARE_METATYPE(AbsenceCase)
Q_DECLARE_METATYPE(FullDayCase)
Q_DECLARE_METATYPE(BalanceCase)

class tst_WorkTimeData : public QObject
{
    Q_OBJECT

private slots:
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
        QTest::newRow("untimed, three days") << AbsenceCase{at(9), at(11), false, any, march(10), 0, 0, 489600};
        QTest::newRow("mask without the norm kind") << AbsenceCase{
            from, to, true, WorkTimeData::AbsenceTime | WorkTimeData::WorkTime, march(10), 0, 28800, 576000};
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
        WorkTimeData data = employeeRow(employed({}, {}, march(20)), march(31), {28800});
        data.setAbsenceReasons({data.uid(), {record(reason, row.start, row.end, row.timed)}});
        QCOMPARE(data.partDayReasonTime(row.date, row.mask), row.partDay);
        QCOMPARE(data.timeForDate(row.date, true), row.dayTime);
        QCOMPARE(data.totalTime(false), row.totalTime);
    }

    void fullDayReasonTime_data()
    {
        // Norm 8 h, planned 10 h on 5 March: 36000 means the planned time counted, 28800 the norm.
        // Method 1 reasons count as work, method 0 ones as absence.
        QTest::addColumn<FullDayCase>("row");
        QTest::newRow("method 0 entered after the calculation") << FullDayCase{"0 0 after", any, 28800};
        QTest::newRow("method 1 entered before the calculation") << FullDayCase{"1 0 before", any, 28800};
        QTest::newRow("method 1 entered at the calculation") << FullDayCase{"1 0 at", any, 36000};
        QTest::newRow("method 1 without a calculation") << FullDayCase{"1 0 at", any, 28800, false};
        QTest::newRow("method 1 with an unknown entry moment") << FullDayCase{"1 0 unknown", any, 28800};
        QTest::newRow("mask without the reason kind") << FullDayCase{"0 0 at", WorkTimeData::WorkTime, 0};
        // Left to ids alone the second record would come first.
        QTest::newRow("method 1 at order 5 decides") << FullDayCase{"1 5 after; 0 2 after", any, 36000};
        // The earliest entry over all full-day records counts, not the deciding record's own.
        QTest::newRow("earlier entry of a record the mask passes over")
            << FullDayCase{"0 5 before; 1 2 after", WorkTimeData::WorkTime, 28800};
    }

    void fullDayReasonTime()
    {
        QFETCH(FullDayCase, row);
        OrganisationBuilder organisation;
        WorkTimeData data = employeeRow(EmployeeInfo(), march(31), {36000});
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

    // The record that decides a date comes first: the higher reason order (a reason missing from the store counts
    // as 0), then the earlier start, then unsaved records, then the higher id. Records as {id, order, start day}.
    void absenceRecordsSort()
    {
        const TYPE_ID fresh = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        const QList<SortRecord> unsorted{{1, 2, 9}, {2, 5, 9}, {3, 2, 1},  {10, 2, 5},
                                         {fresh, 2, 5}, {30, 2, 5}, {5, -1, 1}, {4, NoReasonObject, 1}};
        OrganisationBuilder organisation;
        QList<_WORKER_ABSENCE_REASON_RECORD> records;
        for (const SortRecord& item : unsorted) {
            const TYPE_ID reason = item.reasonOrder == NoReasonObject ? 999999
                : organisation.absenceReason(QStringLiteral("Причина"), QStringLiteral("П"), item.reasonOrder);
            records.append(record(reason, at(item.startDay), at(item.startDay), false, item.id));
        }
        WorkTimeData data;
        data.setAbsenceReasons({data.uid(), records});
        QList<TYPE_ID> ids;
        for (const _WORKER_ABSENCE_REASON_RECORD& sorted : data.absenceReasons().records)
            ids.append(sorted.id);
        QCOMPARE(ids, (QList<TYPE_ID>{2, 3, fresh, 30, 10, 1, 4, 5}));
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
    }

    void planningBalance()
    {
        QFETCH(BalanceCase, row);
        OrganisationBuilder organisation;
        const TYPE_ID reason = organisation.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"));
        WorkTimeData data = employeeRow(employed({}, row.emplContStart, row.emplFinish), march(10),
                                        {28800, 28800, 28800, 28800, 28800, 0, 0, 28800, 36000, 0});
        for (int day : {1, 2, 3, 4, 5, 8, 9, 10})
            data.setPlanForDate(march(day), 28800);
        data.setAbsenceReasons({data.uid(), {record(reason, at(4), at(4), false, 1),
                                             record(reason, at(8, QTime(14, 0)), at(8, QTime(16, 0)), true, 2)}});
        QCOMPARE(data.planningBalance(march(1), row.to), row.expected);
    }

    // An employee of a home department with trips to the host department in March: one inside, one ending on
    // 1 March, one starting on the 31st, two outside the month, one whose object is gone from the store; a trip
    // elsewhere on 20-25 March; and a colleague's trip to the host. 8 h of work every day.
    void tripsOfBothRows_data()
    {
        QTest::addColumn<QDate>("emplContStart");
        QTest::addColumn<QDate>("emplFinish");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<int>("awayDays");
        QTest::newRow("whole period") << QDate() << QDate() << false << 14;
        QTest::newRow("employment ends 12 March") << QDate() << march(12) << false << 4;
        QTest::newRow("continuous employment from 12 March") << march(12) << QDate() << true << 11;
        QTest::newRow("continuous start ignored for plain") << march(12) << QDate() << false << 14;
    }

    void tripsOfBothRows()
    {
        QFETCH(QDate, emplContStart);
        QFETCH(QDate, emplFinish);
        QFETCH(bool, continuous);
        QFETCH(int, awayDays);
        OrganisationBuilder org;
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        const TYPE_ID host = org.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID employee = org.employee(QStringLiteral("Иванов"), org.department(QStringLiteral("Склад"), firm));
        const TYPE_ID inside = org.attachedWorker(employee, host, march(10), march(15));
        const TYPE_ID endsOnFirstDay = org.attachedWorker(employee, host, QDate(2024, 2, 20), march(1));
        const TYPE_ID startsOnLastDay = org.attachedWorker(employee, host, march(31), QDate(2024, 4, 9));
        org.attachedWorker(employee, host, QDate(2024, 2, 1), QDate(2024, 2, 19));
        org.attachedWorker(employee, host, QDate(2024, 4, 1), QDate(2024, 4, 5));
        const TYPE_ID elsewhere =
            org.attachedWorker(employee, org.department(QStringLiteral("Офис"), firm), march(20), march(25));
        org.attachedWorker(org.employee(QStringLiteral("Петров"), host), host, march(10), march(15));
        const TYPE_ID gone = org.attachedWorker(employee, host, march(10), march(12));
        org.store()->removeObjects(QLatin1String(ATTACHED_WORKER_DATANAME), {gone});

        const WorkTimeData home = employeeRow(employed({}, emplContStart, emplFinish, employee), march(31), {28800});
        QCOMPARE(sortedUids(home.attached()), (QList<TYPE_ID>{inside, endsOnFirstDay, startsOnLastDay, elsewhere}));
        QVERIFY(!home.inAttachedRange(march(16)));
        QCOMPARE(home.detachedTime(continuous), awayDays * 28800);
        QCOMPARE(home.attachedTime(), 0);

        WorkTimeData attached;
        attached.setPeriodRange(march(1), march(31));
        const QString goneWarning = QStringLiteral("wrong attached employee %1$").arg(gone);
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(goneWarning));
        attached.setAttachedUid(employee, {host});
        QCOMPARE(sortedUids(attached.attached()), (QList<TYPE_ID>{inside, endsOnFirstDay, startsOnLastDay}));
        QCOMPARE(sortedUids(attached.attachedWorkers(march(3), march(9))), QList<TYPE_ID>());
        QCOMPARE(sortedUids(attached.attachedWorkers(march(15), march(20))), QList<TYPE_ID>{inside});
        attached.setDays(home.days());
        // 1, 10-15 and 31 March: 8 days of 8 h; the other days add nothing.
        QCOMPARE(attached.attachedTime(), 8 * 28800);
        QCOMPARE(attached.detachedTime(false), 0);
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeData)
#include "tst_worktimedata.moc"
