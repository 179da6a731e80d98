#include "fatalwarnings.h"
#include "ovglobals.h"
#include "ovroledaterestrictions.h"
#include "scheduledata.h"
#include "scheduleutil.h"
#include "settings.h"
#include "vocabulary.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using orvanta::ObjectInfo;
using Restrictions = orvanta::_ROLE_DATE_RESTRICTIONS;
Q_DECLARE_METATYPE(Restrictions)

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

    void settingsReachTheFile()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("planner.ini"));
        Settings::setFileName(fileName);
        Settings::setValue(QStringLiteral("report/title"), QStringLiteral("График «март»"));
        Settings::instance()->sync();

        const QSettings file(fileName, QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("report/title")).toString(), QStringLiteral("График «март»"));
        QCOMPARE(Settings::value(QStringLiteral("grid/missing"), 7), QVariant(7));
    }
};

OV_TEST_GUILESS_MAIN(tst_SdkHelpers)
#include "tst_sdkhelpers.moc"
