#include "blobdatarequest.h"
#include "dbquery.h"
#include "dbresult.h"
#include "fatalwarnings.h"
#include "hoursbudget.h"
#include "inheritdata.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "planningbalance.h"
#include "roledaterestrictions.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "scheduledata.h"
#include "taskinfo.h"
#include "vocabulary.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"

#include <QTest>

#include <functional>

using namespace orvanta;

// Decodes a payload and tells whether the outcome is the expected one.
using Decoder = std::function<bool(const QByteArray&)>;
Q_DECLARE_METATYPE(Decoder)

namespace {

QDate march(int day)
{
    return QDate(2024, 3, day);
}

QDateTime utc(int day, int hour, int minute = 0)
{
    return QDateTime(march(day), QTime(hour, minute), Qt::UTC);
}

QDateTime moscow(int day, int hour, int minute)
{
    return QDateTime(march(day), QTime(hour, minute), Qt::OffsetFromUTC, 3 * 3600);
}

SCHEDULE_CALENDAR_DAY calendarDay(int day, TYPE_ID shift)
{
    return {0x100000000LL + day, march(day), shift, 8 * 3600, 2 * 3600, 16 * 3600, 4 * 3600, 2,
            {{1, 101, SCHEDULE_CALENDAR_INTERVAL::DaySegment, 8 * 3600, 22 * 3600, 0},
             {2, 102, SCHEDULE_CALENDAR_INTERVAL::NightSegment, 22 * 3600, 2 * 3600, 1}}};
}

ObjectInfo employee(TYPE_ID uid)
{
    ObjectInfo object{uid, 7, QLatin1String(db::orgstructure::WORKER), 20,
                      {{QStringLiteral("PT_LASTNAME"), QStringLiteral("Иванова")},
                       {QStringLiteral("PT_WORKERNUM"), QStringLiteral("00042")}},
                      0x100000002LL, {}, {}};
    // Two links under one key: their order has to survive too.
    object.children.insert(INHERIT_WORKER_HISTORY, {uid, 5001, 32, utc(1, 0), QDateTime()});
    object.children.insert(INHERIT_WORKER_HISTORY, {uid, 5002, 32, utc(2, 0), utc(30, 0)});
    object.parents.insert(INHERIT_PARENT_CHILD, {20, uid, 0, QDateTime(), QDateTime()});
    object.parents.insert(INHERIT_BREAK_RULE_OBJECT, {900, uid, 53, utc(5, 9), utc(6, 18)});
    return object;
}

WORKER_SCHEDULE_HISTORY_V2 history(TYPE_ID uid)
{
    return {uid, {{9, 12, QDate(), march(9), 2, march(1)}, {10, 14, march(10), QDate(), 1, march(2)}}};
}

_WORKER_ABSENCE_REASON absences(TYPE_ID uid)
{
    return {uid,
            {{_WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID, 77, moscow(4, 10, 30), moscow(6, 14, 15), true,
              QStringLiteral("Больничный лист №12, «ОРВИ»"), utc(3, 17, 45)},
             {41, 78, utc(4, 0), utc(7, 0), false, QString(), utc(3, 18)}}};
}

DbQuery query()
{
    DbQuery result(QStringLiteral("SELECT total FROM plan WHERE worker IN (:ids) AND day = :day AND name = :name"));
    result.bindValue(QStringLiteral(":ids"), QVariant(QVariant::List));
    result.bindValue(QStringLiteral(":day"), march(8));
    result.bindValue(QStringLiteral(":name"), QStringLiteral("Иванова"));
    result.bindValue(QStringLiteral(":total"), QVariant(qint64(0)), DbQuery::Out);
    return result;
}

DbResult result()
{
    DbResult rows({QStringLiteral("worker"), QStringLiteral("day"), QStringLiteral("minutes"), QStringLiteral("note")});
    rows.appendRow({1001, march(8), 480, QStringLiteral("опоздание")});
    rows.appendRow({1002, QDate(), QVariant(QVariant::Int), QVariant()});
    return rows;
}

template<typename T>
void addStreamRow(const char* tag, const T& sample, std::function<bool(const T&)> extraCheck = nullptr)
{
    QByteArray encoded;
    OVDataStream out(&encoded, QIODevice::WriteOnly);
    out << sample;
    const Decoder readsBack = [sample, extraCheck](const QByteArray& bytes) {
        OVDataStream in(bytes);
        T read;
        in >> read;
        return in.status() == QDataStream::Ok && in.atEnd() && read == sample && (!extraCheck || extraCheck(read));
    };
    // The target starts filled so that a half-read value would show.
    const Decoder readsDefault = [sample](const QByteArray& bytes) {
        OVDataStream in(bytes);
        T read = sample;
        in >> read;
        return in.status() != QDataStream::Ok && read == T();
    };
    QTest::addRow("%s", tag) << encoded << !(sample == T()) << readsBack << readsDefault;
}

} // namespace

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void truncatedReadsDefault_data() { roundTrip_data(); }
    void truncatedReadsDefault();
    void resultWithMismatchedRowsIsCorrupt_data();
    void resultWithMismatchedRowsIsCorrupt();
    void taskIdsAreUniqueAndKeptByCopies();
};

void tst_Records::roundTrip_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<Decoder>("readsBack");
    QTest::addColumn<Decoder>("readsDefault");

    addStreamRow("inherit link with open finish", _INHERIT_DATA{1, 2, 57, utc(1, 8), QDateTime()});
    addStreamRow("object with properties and links", employee(1001));
    addStreamRow("calendar interval over midnight",
                 SCHEDULE_CALENDAR_INTERVAL{3, 103, SCHEDULE_CALENDAR_INTERVAL::NightSegment, 22 * 3600, 6 * 3600, 3});
    addStreamRow("calendar day with intervals", calendarDay(8, 0));
    addStreamRow("personal schedule with cycle and shifts",
                 SCHEDULE_DATA{12, QStringLiteral("Личный график, март"), 0, SCHEDULE_DATA::KindPersonal,
                               QStringLiteral("#22B1A9"), march(1), QStringLiteral("составлен вручную"),
                               {{0}, {-1}, {1}},
                               {{301, {{5, 0, 0, 9 * 3600, 18 * 3600, 0}}},
                                {302, {{6, 0, 0, 22 * 3600, 7 * 3600, 0}, {7, 0, 0, 8 * 3600, 9 * 3600, 1}}}},
                               1001});
    addStreamRow("schedule history record", _WORKER_SCHEDULE_HISTORY_RECORD_V2{10, 14, march(10), QDate(), 2, march(2)});
    addStreamRow("schedule history", history(1001));
    addStreamRow("timed absence record", absences(1001).records.constFirst());
    addStreamRow<_WORKER_ABSENCE_REASON>("absence reasons with a timed record", absences(1001),
                                         [](const _WORKER_ABSENCE_REASON& read) {
                                             return read.records.constFirst().start.offsetFromUtc() == 3 * 3600;
                                         });
    addStreamRow("sync time",
                 WORKER_SYNC_TIME{0x7FFF000000000001LL, march(15), 1001, true, utc(16, 1), utc(15, 23), utc(14, 12)});
    addStreamRow("norm time", WORKER_NORM_TIME{0x200000000LL, march(15), 1001, 8 * 3600});
    addStreamRow("planning balance with negative time", PLANNING_BALANCE{576000, -3600});
    addStreamRow("sales plan", SALES_PLAN{3, march(20), 0x100000005LL, 12345678901LL});
    addStreamRow("hours budget", HOURS_BUDGET{4, march(21), 0xFFFFFFFFu, -5});
    addStreamRow("blob request", _BLOB_DATA_RESQUEST{1001, QLatin1String(db::subject::PHOTO),
                                                     QByteArray::fromHex("d41d8cd98f00b204e9800998ecf8427e")});
    addStreamRow("role date restrictions",
                 _ROLE_DATE_RESTRICTIONS{_ROLE_DATE_RESTRICTIONS::FixedDates, 3, 7, march(1), march(31)});
    addStreamRow<DbQuery>("query with bindings", query(), [](const DbQuery& read) {
        const QVariant ids = read.boundValue(QStringLiteral(":ids"));
        return ids.isNull() && ids.type() == QVariant::List
            && read.boundValue(QStringLiteral(":day")).type() == QVariant::Date
            && read.bindings().constLast().mode == DbQuery::Out;
    });
    addStreamRow<DbResult>("result with rows", result(), [](const DbResult& read) {
        return read.value(1, QStringLiteral("minutes")).isNull()
            && read.value(1, QStringLiteral("minutes")).type() == QVariant::Int;
    });

    addStreamRow("list of schedule histories", QList<WORKER_SCHEDULE_HISTORY_V2>{history(1001), history(1002)});
    addStreamRow("hash of absence reasons",
                 QHash<uint, _WORKER_ABSENCE_REASON>{{1001, absences(1001)}, {1002, absences(1002)}});
    addStreamRow("list of calendar days", QList<SCHEDULE_CALENDAR_DAY>{calendarDay(1, 0), calendarDay(2, 301),
                                                                      calendarDay(3, 0)});
    addStreamRow("hash of planning balances", PLANNING_BALANCE_HASH{{1001, {3600, 0}}, {1002, {0, 60}}});
    addStreamRow("object hash", OBJECT_HASH{{1001, employee(1001)}, {1002, employee(1002)}});
}

void tst_Records::roundTrip()
{
    QFETCH(QByteArray, encoded);
    QFETCH(bool, filled);
    QFETCH(Decoder, readsBack);

    QVERIFY2(filled, "the sample must differ from a default value");
    QVERIFY(readsBack(encoded));
}

void tst_Records::truncatedReadsDefault()
{
    QFETCH(QByteArray, encoded);
    QFETCH(Decoder, readsDefault);

    // For the containers the default is empty: no partial list, no garbage element.
    for (int length = 0; length < encoded.size(); ++length) {
        if (!readsDefault(encoded.left(length)))
            QFAIL(qPrintable(QStringLiteral("prefix of %1 of %2 bytes").arg(length).arg(encoded.size())));
    }
}

void tst_Records::resultWithMismatchedRowsIsCorrupt_data()
{
    QTest::addColumn<QList<QVariantList>>("rows");

    QTest::addRow("row shorter than the columns") << QList<QVariantList>{{1001}};
    QTest::addRow("row longer than the columns") << QList<QVariantList>{{1001, 480, 1}};
    QTest::addRow("second row short") << QList<QVariantList>{{1001, 480}, {1002}};
}

void tst_Records::resultWithMismatchedRowsIsCorrupt()
{
    QFETCH(QList<QVariantList>, rows);

    QByteArray encoded;
    OVDataStream out(&encoded, QIODevice::WriteOnly);
    out << QStringList{QStringLiteral("worker"), QStringLiteral("minutes")} << rows;

    OVDataStream in(encoded);
    DbResult read = result();
    in >> read;
    QCOMPARE(in.status(), QDataStream::ReadCorruptData);
    QVERIFY(read == DbResult());
}

void tst_Records::taskIdsAreUniqueAndKeptByCopies()
{
    const TaskInfo first;
    TaskInfo second;
    second.subTasks.append(first);
    QVERIFY(second.id > first.id);

    const TaskInfo copy(second);
    QCOMPARE(copy.id, second.id);
    QCOMPARE(copy.subTasks.constFirst().id, first.id);

    TaskInfo assigned;
    const qint64 ownId = assigned.id;
    assigned = first;
    QCOMPARE(assigned.id, first.id);

    // Copies do not take ids, so the counter moved on by constructions only.
    const TaskInfo third;
    QCOMPARE(third.id, ownId + 1);
}

OV_TEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
