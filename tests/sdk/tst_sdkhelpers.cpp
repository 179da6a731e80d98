#include "fatalwarnings.h"
#include "ovglobals.h"
#include "ovroledaterestrictions.h"
#include "scheduledata.h"
#include "scheduleutil.h"
#include "vocabulary.h"
#include "workerschedulehistory.h"
#include "workerschedulehistorybase.h"

#include <QTest>

#include <climits>

using orvanta::ObjectInfo;
using Restrictions = orvanta::_ROLE_DATE_RESTRICTIONS;
Q_DECLARE_METATYPE(Restrictions)
using Record = orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2;
using Records = QList<Record>;

namespace {

QDate date(const char* iso)
{
    return QDate::fromString(QLatin1String(iso), Qt::ISODate);
}

// "key=value;key=value" with the keys name, last, first, middle and order.
ObjectInfo object(orvanta::TYPE_ID uid, const QString& properties, orvanta::TYPE_ID parent = 0)
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

class tst_SdkHelpers : public QObject
{
    Q_OBJECT

private slots:
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
            << Restrictions{fixed, -1, -1, date("2024-03-01"), date("2024-03-31")} << "2024-03-01..2024-03-31";
        QTest::addRow("fixed, open start") << Restrictions{fixed, -1, -1, {}, date("2024-03-31")} << "min..2024-03-31";
        QTest::addRow("fixed, open end") << Restrictions{fixed, -1, -1, date("2024-03-01"), {}} << "2024-03-01..max";
        QTest::addRow("fixed, reversed is its first day")
            << Restrictions{fixed, -1, -1, date("2024-03-20"), date("2024-03-10")} << "2024-03-20..2024-03-20";
    }

    void restrictionsRange()
    {
        QFETCH(Restrictions, restrictions);
        QFETCH(QString, range);
        const auto actual = OVRoleDateRestrictions::restrictionsRange(restrictions, date("2024-03-15"));
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
        orvanta::OBJECT_HASH hash;
        for (const QString& interval : qAsConst(intervals)) {
            const QStringList f = interval.split(QLatin1Char(' '));
            hash.insert(f[0].toUInt(), object(f[0].toUInt(), QStringLiteral("order=") + f[2], f[1].toUInt()));
        }
        QStringList uids;
        const orvanta::OBJECT_HASH* intervalHash = hash.isEmpty() ? nullptr : &hash;
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
        QTest::addRow("record wholly inside is removed")
            << "1 5 1..9, 2 5 12..15, 3 5 25..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 3 5 25..31";
        QTest::addRow("only start inside moves from past the new end")
            << "1 5 15..31" << "7 6 10..20" << "7 6 10..20, 1 5 21..31";
        QTest::addRow("only end inside moves to before the new start")
            << "1 5 1..15" << "7 6 10..20" << "1 5 1..9, 7 6 10..20";
        QTest::addRow("several records overlapped at once")
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
        QTest::addRow("existing open start keeps its start") << "1 5 ..15" << "7 6 10..20" << "1 5 ..9, 7 6 10..20";

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

OV_TEST_GUILESS_MAIN(tst_SdkHelpers)
#include "tst_sdkhelpers.moc"
