#include "blobdatarequest.h"
#include "dbquery.h"
#include "dbresult.h"
#include "fatalwarnings.h"
#include "hoursbudget.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "ovglobals.h"
#include "ovroledaterestrictions.h"
#include "payload.h"
#include "planningbalance.h"
#include "roledaterestrictions.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "scheduledata.h"
#include "scheduleutil.h"
#include "vocabulary.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workerschedulehistorybase.h"
#include "workersynctime.h"

#include <QTest>
#include <QTimeZone>

#include <climits>
#include <functional>

using namespace orvanta;

// Runs the checks of one row; QVERIFY and QCOMPARE inside report the failure.
using Check = std::function<void()>;
Q_DECLARE_METATYPE(Check)
using Restrictions = _ROLE_DATE_RESTRICTIONS;
Q_DECLARE_METATYPE(Restrictions)
using Record = _WORKER_SCHEDULE_HISTORY_RECORD_V2;
using Records = QList<Record>;

namespace {

QDate march(int day) { return QDate(2024, 3, day); }

// A time on a day of March 2024, in UTC unless an offset is given.
QDateTime at(int day, int hour, int minute = 0, int offsetHours = 0)
{
    return QDateTime(march(day), QTime(hour, minute), Qt::OffsetFromUTC, offsetHours * 3600);
}

ObjectInfo employee(TYPE_ID uid)
{
    // Two links under one key: their order has to survive too.
    return {uid, 7, "worker", 20, {{"PT_LASTNAME", "Иванова"}, {"PT_WORKERNUM", "00042"}}, 0x100000002LL,
            {{32, {uid, 5001, 32, at(1, 0), {}}}, {32, {uid, 5002, 32, at(2, 0), at(30, 0)}}},
            {{0, {20, uid, 0, {}, {}}}, {53, {900, uid, 53, at(5, 9), at(6, 18)}}}};
}

// The sample must read back whole; every shorter prefix must give a non-Ok status and
// leave a default value (for containers: empty, no partial list, no garbage element).
template<typename T>
void streamRow(const char* tag, const T& sample, std::function<bool(const T&)> extra = nullptr)
{
    QTest::addRow("%s", tag) << Check([sample, extra] {
        QVERIFY2(!(sample == T()), "the sample must differ from a default value");
        QByteArray encoded;
        OVDataStream out(&encoded, QIODevice::WriteOnly);
        out << sample;
        for (int length = 0; length <= encoded.size(); ++length) {
            OVDataStream in(encoded.left(length));
            const bool whole = length == encoded.size();
            T read = whole ? T() : sample; // a half-read value would show
            in >> read;
            QVERIFY2(whole ? in.status() == QDataStream::Ok && in.atEnd() && read == sample && (!extra || extra(read))
                           : in.status() != QDataStream::Ok && read == T(),
                     qPrintable(QStringLiteral("reading %1 of %2 bytes").arg(length).arg(encoded.size())));
        }
    });
}


// "key=value;key=value" with the keys name, last, first, middle and order.
ObjectInfo object(TYPE_ID uid, const QString& properties, TYPE_ID parent = 0)
{
    static const QHash<QString, QString> keys{{"name", db::common::NAME}, {"last", db::subject::LASTNAME},
        {"first", db::subject::FIRSTNAME}, {"middle", db::subject::MIDDLENAME}, {"order", db::shift_interval::ORDER}};
    ObjectInfo result;
    result.uid = uid;
    result.parent = parent;
    for (const QString& pair : properties.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        result.properties.insert(keys.value(pair.section(QLatin1Char('='), 0, 0)), pair.section(QLatin1Char('='), 1));
    return result;
}

const QDate dayZero(2024, 2, 29);

// "id schedule from..to [state]" records separated by ", "; a day is its number counted from
// March 1st 2024 (32 is April 1st), an empty side is an open date.
Records parse(const QString& text)
{
    Records records;
    for (const QString& part : text.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QStringList f = part.split(QLatin1Char(' '));
        const QStringList days = f.at(2).split(QStringLiteral(".."));
        const auto day = [](const QString& n) { return n.isEmpty() ? QDate() : dayZero.addDays(n.toInt()); };
        records.append({f.at(0).toUInt(), f.at(1).toUInt(), day(days.at(0)), day(days.at(1)),
                        f.value(3, QStringLiteral("1")).toInt(), {}});
    }
    return records;
}

QString describe(const Records& records)
{
    QStringList parts;
    const auto day = [](const QDate& d) { return d.isValid() ? QString::number(dayZero.daysTo(d)) : QString(); };
    for (const Record& r : records)
        parts.append(QStringLiteral("%1 %2 %3..%4").arg(r.id).arg(r.schedule).arg(day(r.from), day(r.to))
                     + (r.state == 1 ? QString() : QStringLiteral(" %1").arg(r.state)));
    return parts.join(QStringLiteral(", "));
}

} // namespace

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
    void streamed_data()
    {
        QTest::addColumn<Check>("check");
        using Interval = SCHEDULE_CALENDAR_INTERVAL;
        const Interval day{1, 101, Interval::DaySegment, 8 * 3600, 22 * 3600, 0};
        const Interval night{3, 103, Interval::NightSegment, 22 * 3600, 6 * 3600, 3};
        streamRow("object with properties and links", employee(1001));
        streamRow("calendar day with intervals", SCHEDULE_CALENDAR_DAY{0x100000008LL, march(8), 301, 8 * 3600, 2 * 3600,
                                                                       16 * 3600, 4 * 3600, 2, {day, night}});
        streamRow("personal schedule with cycle and shifts",
                  SCHEDULE_DATA{12, "Личный график", 0, SCHEDULE_DATA::KindPersonal, "#22B1A9", march(1), "вручную",
                                {{0}, {-1}, {1}}, {{301, {night}}, {302, {day, night}}}, 1001});
        streamRow("schedule history", WORKER_SCHEDULE_HISTORY_V2{1001, {{9, 12, {}, march(9), 1, march(1)},
                                                                        {10, 14, march(10), {}, 2, march(2)}}});
        using Absence = _WORKER_ABSENCE_REASON_RECORD;
        const Absence timed{Absence::NEW_RECORD_ID, 77, at(4, 10, 30, 3), at(6, 14, 15, 3), true, "Больничный, «ОРВИ»",
                            at(3, 17, 45)};
        const _WORKER_ABSENCE_REASON absences{1001, {timed, {41, 78, at(4, 0), at(7, 0), false, QString(), at(3, 18)}}};
        streamRow<_WORKER_ABSENCE_REASON>("absence reasons keep the offset", absences, [](const auto& read) {
            return read.records.at(0).start.offsetFromUtc() == 3 * 3600;
        });
        streamRow("sync time",
                  WORKER_SYNC_TIME{0x7FFF000000000001LL, march(15), 1001, true, at(16, 1), at(15, 23), at(14, 12)});
        const QDateTime zoned(march(16), QTime(8, 0), QTimeZone("UTC+03:00"));
        streamRow<WORKER_SYNC_TIME>("sync time in a named zone", {1, march(16), 1001, false, zoned, {}, {}},
                                    [](const auto& read) { return read.syncTime.timeZone().id() == "UTC+03:00"; });
        streamRow("norm time", WORKER_NORM_TIME{0x200000000LL, march(15), 1001, 8 * 3600});
        streamRow("planning balance with negative time", PLANNING_BALANCE{576000, -3600});
        streamRow("sales plan", SALES_PLAN{3, march(20), 0x100000005LL, 12345678901LL});
        streamRow("hours budget", HOURS_BUDGET{4, march(21), 0xFFFFFFFFu, -5});
        streamRow("blob request", _BLOB_DATA_RESQUEST{1001, "photo", QByteArray::fromHex("d41d8cd98f00b204")});
        streamRow("role date restrictions", _ROLE_DATE_RESTRICTIONS{2, 3, 7, march(1), march(31)});
        DbQuery query("SELECT total FROM plan WHERE worker IN (:ids) AND day = :day");
        query.bindValue(":ids", QVariant(QVariant::List));
        query.bindValue(":day", march(8));
        query.bindValue(":total", QVariant(qint64(0)), DbQuery::Out);
        // Null values and value types survive, not just equal-comparing values.
        streamRow<DbQuery>("query with typed bindings", query, [](const DbQuery& read) {
            const QVariant ids = read.boundValue(":ids");
            return ids.isNull() && ids.type() == QVariant::List && read.boundValue(":day").type() == QVariant::Date;
        });
        DbResult result({"worker", "day", "minutes", "note"});
        result.appendRow({1001, march(8), 480, "опоздание"});
        result.appendRow({1002, QDate(), QVariant(QVariant::Int), QVariant()});
        streamRow<DbResult>("result with a typed null", result, [](const DbResult& read) {
            return read.value(1, "minutes").isNull() && read.value(1, "minutes").type() == QVariant::Int;
        });
        // A reply that does not fit is corrupt, not half-read, and nothing is allocated for the
        // counts it announces.
        const auto corrupt = [](const char* tag, const QByteArray& encoded) {
            QTest::addRow("%s", tag) << Check([encoded] {
                OVDataStream in(encoded);
                DbResult read({"worker"}); // a default would hide a half-read result
                in >> read;
                QVERIFY(in.status() == QDataStream::ReadCorruptData && read == DbResult());
            });
        };
        const QStringList columns{"worker", "minutes"};
        corrupt("result row longer than the columns", ovtest::pack(columns, QList<QVariantList>{{1001, 480, 1}}));
        corrupt("result with a short second row", ovtest::pack(columns, QList<QVariantList>{{1001, 480}, {1002}}));
        corrupt("result of 2^31 columns", ovtest::pack(0x7FFFFFFFu));
        corrupt("result of 2^31 rows", ovtest::pack(columns, 0x7FFFFFFFu));
        corrupt("result value of an unknown type", ovtest::pack(columns, 1u, 2u, quint32(QMetaType::QUuid), qint8(0)));
        corrupt("result date-time in an unknown zone",
                ovtest::pack(columns, 1u, 2u, quint32(QMetaType::QDateTime), qint8(0), march(1), QTime(8, 0),
                             qint8(Qt::TimeZone), QStringLiteral("../../etc/passwd"), QVariant(480)));
    }

    void streamed()
    {
        QFETCH(Check, check);
        check();
    }

    void restrictionsRange_data()
    {
        QTest::addColumn<Restrictions>("restrictions");
        QTest::addColumn<QString>("range");
        const int relative = Restrictions::RelativeToToday, fixed = Restrictions::FixedDates;
        // Today is 2024-03-15 in every row.
        QTest::addRow("no restriction") << Restrictions() << "min..max";
        QTest::addRow("3 back, 5 forward") << Restrictions{relative, 3, 5, {}, {}} << "2024-03-12..2024-03-20";
        QTest::addRow("today only") << Restrictions{relative, 0, 0, {}, {}} << "2024-03-15..2024-03-15";
        QTest::addRow("only back") << Restrictions{relative, 10, -1, {}, {}} << "2024-03-05..max";
        QTest::addRow("only forward") << Restrictions{relative, -1, 5, {}, {}} << "min..2024-03-20";
        QTest::addRow("huge window is clamped") << Restrictions{relative, INT_MAX, INT_MAX, {}, {}} << "min..max";
        QTest::addRow("fixed")
            << Restrictions{fixed, -1, -1, march(1), march(31)} << "2024-03-01..2024-03-31";
        QTest::addRow("fixed, open start") << Restrictions{fixed, -1, -1, {}, march(31)} << "min..2024-03-31";
        QTest::addRow("fixed, open end") << Restrictions{fixed, -1, -1, march(1), {}} << "2024-03-01..max";
        QTest::addRow("fixed, reversed is its first day")
            << Restrictions{fixed, -1, -1, march(20), march(10)} << "2024-03-20..2024-03-20";
    }

    void restrictionsRange()
    {
        QFETCH(Restrictions, restrictions);
        QFETCH(QString, range);
        const auto actual = OVRoleDateRestrictions::restrictionsRange(restrictions, march(15));
        range.replace(QLatin1String("min"), OVRoleDateRestrictions::minimumDate().toString(Qt::ISODate));
        range.replace(QLatin1String("max"), OVRoleDateRestrictions::maximumDate().toString(Qt::ISODate));
        QCOMPARE(actual.first.toString(Qt::ISODate) % QLatin1String("..") % actual.second.toString(Qt::ISODate), range);
    }

    void sortedShiftIntervals_data()
    {
        QTest::addColumn<int>("shift");
        QTest::addColumn<QStringList>("intervals"); // "uid parent order" each, or no hash at all
        QTest::addColumn<QString>("sorted");
        QTest::addRow("numeric order, 10 after 2") << 300 << QStringList{"1 300 10", "2 300 2", "3 300 1"} << "3 2 1";
        QTest::addRow("equal order falls back to id") << 300 << QStringList{"9 300 1", "4 300 1", "7 300 0"} << "7 4 9";
        QTest::addRow("other shifts ignored") << 300 << QStringList{"1 301 0", "2 300 5", "3 0 1"} << "2";
        QTest::addRow("invalid shift matches nothing") << 0 << QStringList{"1 0 1"} << "";
        QTest::addRow("no hash") << 300 << QStringList() << "";
    }

    void sortedShiftIntervals()
    {
        QFETCH(int, shift);
        QFETCH(QStringList, intervals);
        QFETCH(QString, sorted);
        OBJECT_HASH hash;
        for (const QString& interval : qAsConst(intervals)) {
            const QStringList f = interval.split(QLatin1Char(' '));
            hash.insert(f[0].toUInt(), object(f[0].toUInt(), QStringLiteral("order=") + f[2], f[1].toUInt()));
        }
        QStringList uids;
        const OBJECT_HASH* intervalHash = hash.isEmpty() ? nullptr : &hash;
        for (const ObjectInfo& interval : ScheduleUtil::sortedShiftIntervals(object(shift, {}), intervalHash))
            uids.append(QString::number(interval.uid));
        QCOMPARE(uids.join(QLatin1Char(' ')), sorted);
    }

    void objectName_data()
    {
        QTest::addColumn<int>("uid");
        QTest::addColumn<QString>("properties");
        QTest::addColumn<QString>("name");
        QTest::addRow("name wins over person names") << 5 << "name=Склад №2;last=Иванова" << "Склад №2";
        QTest::addRow("all person names") << 5 << "middle=Петровна;first=Анна;last=Иванова" << "Иванова Анна Петровна";
        QTest::addRow("missing first name is skipped") << 5 << "last=Иванова;middle=Петровна" << "Иванова Петровна";
        QTest::addRow("blank name falls back to person names") << 5 << "name=  ;last= Иванова " << "Иванова";
        QTest::addRow("no names gives the uid") << 1001 << "" << "#1001";
        QTest::addRow("invalid object is nameless") << 0 << "name=Склад" << "";
    }

    void objectName()
    {
        QFETCH(int, uid);
        QFETCH(QString, properties);
        QFETCH(QString, name);
        QCOMPARE(OVGlobals::objectName(object(uid, properties)), name);
    }

    void addRecord_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("expected");

        QTest::addRow("new range inside splits the record")
            << "1 5 1..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 0 5 21..31";
        QTest::addRow("no schedule only clears its range") << "1 5 1..31" << "7 0 10..20" << "1 5 1..9, 0 5 21..31";
        QTest::addRow("no schedule with open end clears the tail") << "1 5 1..9, 2 5 10..31" << "0 0 5.." << "1 5 1..4";
        QTest::addRow("state other than 1 changes nothing") << "1 5 1..31" << "7 6 10..20 2" << "1 5 1..31";
        QTest::addRow("records overlapped at the end, wholly and at the start")
            << "1 5 1..12, 2 5 13..15, 3 5 16..18, 4 5 19..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 4 5 21..31";
        QTest::addRow("one shared day on each side is cut")
            << "1 5 1..10, 2 5 20..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 2 5 21..31";
        QTest::addRow("adjacent ranges are untouched")
            << "1 5 1..9, 2 5 21..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 2 5 21..31";

        QTest::addRow("new open start") << "1 5 1..9, 2 5 10..31" << "7 6 ..15" << "7 6 ..15, 2 5 16..31";
        QTest::addRow("new open end") << "1 5 1..9, 2 5 10..31" << "7 6 5.." << "1 5 1..4, 7 6 5..";
        QTest::addRow("new open on both sides replaces everything") << "1 5 ..9, 2 5 10.." << "7 6 .." << "7 6 ..";
        QTest::addRow("existing open on both sides is split")
            << "1 5 .." << "7 6 10..20" << "1 5 ..9, 7 6 10..20, 0 5 21..";

        QTest::addRow("inserted before the first later record")
            << "1 5 1..5, 2 5 25..31, 3 5 35..40" << "7 6 10..20" << "1 5 1..5, 7 6 10..20, 2 5 25..31, 3 5 35..40";
        QTest::addRow("open-start record goes before a later one")
            << "1 5 25..31" << "7 6 ..5" << "7 6 ..5, 1 5 25..31";
        QTest::addRow("into an empty history") << "" << "7 6 10..20" << "7 6 10..20";
    }

    void addRecord()
    {
        QFETCH(QString, existing);
        QFETCH(QString, added);
        QFETCH(QString, expected);
        Records records = parse(existing);
        _WORKER_SCHEDULE_HISTORY_BASE::addRecord(records, parse(added).constFirst());
        QCOMPARE(describe(records), expected);
    }
};

OV_TEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
