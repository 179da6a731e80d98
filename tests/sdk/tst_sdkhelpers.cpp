#include "fatalwarnings.h"
#include "objectinfo.h"
#include "ovglobals.h"
#include "ovhash.h"
#include "ovroledaterestrictions.h"
#include "scheduledata.h"
#include "scheduleutil.h"
#include "settings.h"
#include "vocabulary.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using orvanta::_ROLE_DATE_RESTRICTIONS;
using orvanta::ObjectInfo;
using Uids = QList<orvanta::TYPE_ID>;
using Properties = QHash<QString, QString>;
Q_DECLARE_METATYPE(_ROLE_DATE_RESTRICTIONS)

namespace {

_ROLE_DATE_RESTRICTIONS relative(int daysBack, int daysForward)
{
    _ROLE_DATE_RESTRICTIONS result;
    result.mode = _ROLE_DATE_RESTRICTIONS::RelativeToToday;
    result.daysBack = daysBack;
    result.daysForward = daysForward;
    return result;
}

_ROLE_DATE_RESTRICTIONS fixed(const QDate& from, const QDate& to)
{
    _ROLE_DATE_RESTRICTIONS result;
    result.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
    result.from = from;
    result.to = to;
    return result;
}

ObjectInfo object(orvanta::TYPE_ID uid, const Properties& properties, orvanta::TYPE_ID parent = 0)
{
    ObjectInfo result;
    result.uid = uid;
    result.parent = parent;
    result.properties = properties;
    return result;
}

ObjectInfo shiftInterval(orvanta::TYPE_ID uid, orvanta::TYPE_ID shift, const QString& order)
{
    return object(uid, {{QLatin1String(db::shift_interval::ORDER), order}}, shift);
}

} // namespace

class tst_SdkHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void restrictionsRange_data();
    void restrictionsRange();
    void sortedShiftIntervals_data();
    void sortedShiftIntervals();
    void objectName_data();
    void objectName();
    void settingsReachTheFile_data();
    void settingsReachTheFile();
    void missingSettingGivesDefault();
    void constValueOfMissingKey();

private:
    QTemporaryDir m_settingsDir;
};

void tst_SdkHelpers::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settingsDir.isValid());
    Settings::setFileName(m_settingsDir.filePath(QStringLiteral("planner.ini")));
}

void tst_SdkHelpers::restrictionsRange_data()
{
    QTest::addColumn<_ROLE_DATE_RESTRICTIONS>("restrictions");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");

    const QDate today(2024, 3, 15);
    const QDate min = OVRoleDateRestrictions::minimumDate();
    const QDate max = OVRoleDateRestrictions::maximumDate();

    QTest::addRow("no restriction") << _ROLE_DATE_RESTRICTIONS() << today << min << max;
    _ROLE_DATE_RESTRICTIONS unknownMode = relative(3, 5);
    unknownMode.mode = 7;
    QTest::addRow("unknown mode restricts nothing") << unknownMode << today << min << max;
    QTest::addRow("3 back, 5 forward") << relative(3, 5) << today << QDate(2024, 3, 12) << QDate(2024, 3, 20);
    QTest::addRow("today only") << relative(0, 0) << today << today << today;
    QTest::addRow("only back") << relative(10, -1) << today << QDate(2024, 3, 5) << max;
    QTest::addRow("only forward") << relative(-1, 5) << today << min << QDate(2024, 3, 20);
    QTest::addRow("forward across the year end")
        << relative(1, 5) << QDate(2024, 12, 30) << QDate(2024, 12, 29) << QDate(2025, 1, 4);
    QTest::addRow("huge window is clamped") << relative(INT_MAX, INT_MAX) << today << min << max;
    QTest::addRow("fixed dates") << fixed(QDate(2024, 3, 1), QDate(2024, 3, 31)) << today << QDate(2024, 3, 1)
                                 << QDate(2024, 3, 31);
    QTest::addRow("fixed, open start") << fixed(QDate(), QDate(2024, 3, 31)) << today << min << QDate(2024, 3, 31);
    QTest::addRow("fixed, open end") << fixed(QDate(2024, 3, 1), QDate()) << today << QDate(2024, 3, 1) << max;
    QTest::addRow("fixed, both open") << fixed(QDate(), QDate()) << today << min << max;
    QTest::addRow("fixed, before the minimum") << fixed(QDate(1800, 1, 1), QDate(2024, 3, 31)) << today << min
                                               << QDate(2024, 3, 31);
    QTest::addRow("fixed, reversed") << fixed(QDate(2024, 3, 20), QDate(2024, 3, 10)) << today
                                     << QDate(2024, 3, 20) << QDate(2024, 3, 20);
}

void tst_SdkHelpers::restrictionsRange()
{
    QFETCH(_ROLE_DATE_RESTRICTIONS, restrictions);
    QFETCH(QDate, today);
    QFETCH(QDate, first);
    QFETCH(QDate, last);

    const QPair<QDate, QDate> range = OVRoleDateRestrictions::restrictionsRange(restrictions, today);
    QVERIFY(range.first.isValid());
    QVERIFY(range.second.isValid());
    QVERIFY(range.first <= range.second);
    QCOMPARE(range.first, first);
    QCOMPARE(range.second, last);
}

void tst_SdkHelpers::sortedShiftIntervals_data()
{
    QTest::addColumn<bool>("noHash");
    QTest::addColumn<ObjectInfo>("shift");
    QTest::addColumn<orvanta::OBJECT_HASH>("intervals");
    QTest::addColumn<Uids>("expected");

    const ObjectInfo shift = object(300, {});
    const auto hashOf = [](const QList<ObjectInfo>& objects) {
        orvanta::OBJECT_HASH hash;
        for (const ObjectInfo& o : objects)
            hash.insert(o.uid, o);
        return hash;
    };

    QTest::addRow("numeric order, 10 after 2")
        << false << shift
        << hashOf({shiftInterval(1, 300, QStringLiteral("10")), shiftInterval(2, 300, QStringLiteral("2")),
                   shiftInterval(3, 300, QStringLiteral("1"))})
        << Uids{3, 2, 1};
    QTest::addRow("equal order falls back to id")
        << false << shift
        << hashOf({shiftInterval(9, 300, QStringLiteral("1")), shiftInterval(4, 300, QStringLiteral("1")),
                   shiftInterval(7, 300, QStringLiteral("0"))})
        << Uids{7, 4, 9};
    QTest::addRow("intervals of other shifts ignored")
        << false << shift
        << hashOf({shiftInterval(1, 301, QStringLiteral("0")), shiftInterval(2, 300, QStringLiteral("5")),
                   shiftInterval(3, 0, QStringLiteral("1"))})
        << Uids{2};
    QTest::addRow("invalid shift matches nothing")
        << false << ObjectInfo() << hashOf({shiftInterval(1, 0, QStringLiteral("1"))}) << Uids{};
    QTest::addRow("no intervals") << false << shift << orvanta::OBJECT_HASH() << Uids{};
    QTest::addRow("null hash") << true << shift << orvanta::OBJECT_HASH() << Uids{};
}

void tst_SdkHelpers::sortedShiftIntervals()
{
    QFETCH(bool, noHash);
    QFETCH(ObjectInfo, shift);
    QFETCH(orvanta::OBJECT_HASH, intervals);
    QFETCH(Uids, expected);

    Uids uids;
    const QList<ObjectInfo> sorted = ScheduleUtil::sortedShiftIntervals(shift, noHash ? nullptr : &intervals);
    for (const ObjectInfo& interval : sorted)
        uids.append(interval.uid);
    QCOMPARE(uids, expected);
}

void tst_SdkHelpers::objectName_data()
{
    QTest::addColumn<ObjectInfo>("object");
    QTest::addColumn<QString>("name");

    const QString last = QLatin1String(db::subject::LASTNAME);
    const QString first = QLatin1String(db::subject::FIRSTNAME);
    const QString middle = QLatin1String(db::subject::MIDDLENAME);
    const QString title = QLatin1String(db::common::NAME);

    QTest::addRow("name wins over person names")
        << object(5, {{title, QStringLiteral("Склад №2")}, {last, QStringLiteral("Иванова")}})
        << QStringLiteral("Склад №2");
    QTest::addRow("last, first and middle names")
        << object(5, {{middle, QStringLiteral("Петровна")}, {first, QStringLiteral("Анна")},
                      {last, QStringLiteral("Иванова")}})
        << QStringLiteral("Иванова Анна Петровна");
    QTest::addRow("missing first name is skipped")
        << object(5, {{last, QStringLiteral("Иванова")}, {middle, QStringLiteral("Петровна")}})
        << QStringLiteral("Иванова Петровна");
    QTest::addRow("blank name falls back to person names")
        << object(5, {{title, QStringLiteral("  ")}, {last, QStringLiteral(" Иванова ")}})
        << QStringLiteral("Иванова");
    QTest::addRow("no names gives the uid") << object(1001, {}) << QStringLiteral("#1001");
    QTest::addRow("invalid object is nameless") << object(0, {{title, QStringLiteral("Склад")}}) << QString();
}

void tst_SdkHelpers::objectName()
{
    QFETCH(ObjectInfo, object);
    QFETCH(QString, name);

    QCOMPARE(OVGlobals::objectName(object), name);
}

void tst_SdkHelpers::settingsReachTheFile_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::addRow("integer") << QStringLiteral("grid/columnWidth") << QVariant(42);
    QTest::addRow("russian text") << QStringLiteral("report/title") << QVariant(QStringLiteral("График «март»"));
    QTest::addRow("date") << QStringLiteral("filter/from") << QVariant(QDate(2024, 3, 1));
    QTest::addRow("bool") << QStringLiteral("grid/showNight") << QVariant(true);
}

void tst_SdkHelpers::settingsReachTheFile()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    Settings::setValue(key, value);
    QCOMPARE(Settings::value(key), value);

    Settings::instance()->sync();
    const QString fileName = m_settingsDir.filePath(QStringLiteral("planner.ini"));
    QVERIFY(QFile::exists(fileName));
    QVariant stored = QSettings(fileName, QSettings::IniFormat).value(key);
    QVERIFY(stored.convert(value.userType()));
    QCOMPARE(stored, value);
}

void tst_SdkHelpers::missingSettingGivesDefault()
{
    QCOMPARE(Settings::value(QStringLiteral("grid/missing"), 7), QVariant(7));
    QVERIFY(!Settings::value(QStringLiteral("grid/missing")).isValid());
}

void tst_SdkHelpers::constValueOfMissingKey()
{
    orvanta::SCHEDULE_HASH schedules;
    orvanta::SCHEDULE_DATA stored;
    stored.id = 12;
    stored.name = QStringLiteral("Пятидневка");
    schedules.insert(12, stored);

    QCOMPARE(schedules.constValue(12).name, stored.name);
    const orvanta::SCHEDULE_DATA& missing = schedules.constValue(99);
    QVERIFY(!missing.isValid());
    QVERIFY(missing == orvanta::SCHEDULE_DATA());
    QCOMPARE(schedules.size(), 1);
}

OV_TEST_GUILESS_MAIN(tst_SdkHelpers)
#include "tst_sdkhelpers.moc"
