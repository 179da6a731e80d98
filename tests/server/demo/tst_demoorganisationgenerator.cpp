#include "demoorganisationgenerator.h"
#include "fatalwarnings.h"
#include "vocabulary.h"

#include <QCoreApplication>
#include <QTest>

using namespace orvanta;

namespace {

const QDate March2026(2026, 3, 15);

QString key(const char* name)
{
    return QLatin1String(name);
}

const DemoOrganisation& sixty()
{
    static const DemoOrganisation organisation = DemoOrganisationGenerator::generate(60, March2026);
    return organisation;
}

QList<ObjectInfo> objectsOf(const DemoOrganisation& organisation, const char* dataname)
{
    return organisation.objects.value(key(dataname));
}

// Every object by uid, with the data name it is kept under.
QHash<TYPE_ID, QPair<QString, ObjectInfo>> objectIndex(const DemoOrganisation& organisation)
{
    QHash<TYPE_ID, QPair<QString, ObjectInfo>> index;
    for (auto table = organisation.objects.cbegin(); table != organisation.objects.cend(); ++table) {
        for (const ObjectInfo& object : table.value())
            index.insert(object.uid, qMakePair(table.key(), object));
    }
    return index;
}

QDate dateProperty(const ObjectInfo& object, const char* name)
{
    return QDate::fromString(object.property(key(name)), Qt::ISODate);
}

bool sameOrganisation(const DemoOrganisation& a, const DemoOrganisation& b)
{
    return a.objects == b.objects && a.links == b.links && a.schedules == b.schedules
        && a.scheduleHistories == b.scheduleHistories && a.absences == b.absences && a.calendarDays == b.calendarDays
        && a.normTime == b.normTime && a.syncTime == b.syncTime && a.salesPlan == b.salesPlan
        && a.hoursBudget == b.hoursBudget && a.users.size() == b.users.size();
}

} // namespace

class tst_DemoOrganisationGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sameSeedSameOrganisation_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("employees");
        QTest::addRow("March, 60 employees") << March2026 << 60;
        QTest::addRow("January, no earlier months") << QDate(2026, 1, 10) << 45;
        QTest::addRow("December, calendar into next year") << QDate(2026, 12, 5) << 30;
    }

    void sameSeedSameOrganisation()
    {
        QFETCH(QDate, today);
        QFETCH(int, employees);
        const DemoOrganisation first = DemoOrganisationGenerator::generate(employees, today, 7);
        QVERIFY(sameOrganisation(first, DemoOrganisationGenerator::generate(employees, today, 7)));
        QVERIFY(!sameOrganisation(first, DemoOrganisationGenerator::generate(employees, today, 8)));
    }

    void sizes_data()
    {
        QTest::addColumn<int>("employees");
        QTest::addColumn<int>("expected");
        QTest::addRow("none") << 0 << 0;
        QTest::addRow("negative") << -5 << 0;
        QTest::addRow("one") << 1 << 1;
        QTest::addRow("two thousand") << 2000 << 2000;
    }

    // Every size gives that many employees, object uids that never meet, and links at both ends.
    void sizes()
    {
        QFETCH(int, employees);
        QFETCH(int, expected);
        const DemoOrganisation organisation = DemoOrganisationGenerator::generate(employees, March2026);
        const QList<ObjectInfo> subjects = objectsOf(organisation, SUBJECT_DATANAME);
        QCOMPARE(subjects.size(), expected);
        for (const ObjectInfo& employee : subjects)
            QCOMPARE(employee.type, key(db::orgstructure::WORKER));
        QCOMPARE(organisation.scheduleHistories.size(), expected);
        QVERIFY(!objectsOf(organisation, ORGSTRUCTURE_DATANAME).isEmpty());

        const auto index = objectIndex(organisation);
        int objects = 0;
        int linkEnds = 0;
        for (const QList<ObjectInfo>& table : organisation.objects) {
            objects += table.size();
            for (const ObjectInfo& object : table)
                linkEnds += object.children.size() + object.parents.size();
        }
        QCOMPARE(index.size(), objects);
        QCOMPARE(linkEnds, 2 * organisation.links.size());
    }

    void links_data()
    {
        QTest::addColumn<int>("refType");
        QTest::addColumn<QString>("parentDataname");
        QTest::addColumn<QStringList>("childDatanames");
        QTest::addColumn<bool>("dated");
        const QString orgstructure = key(ORGSTRUCTURE_DATANAME);
        const QString subject = key(SUBJECT_DATANAME);
        const QString history = key(WORKER_HISTORY_DATANAME);
        const QString trip = key(ATTACHED_WORKER_DATANAME);
        QTest::addRow("department -> employee") << int(INHERIT_PARENT_CHILD) << orgstructure << QStringList{subject} << true;
        QTest::addRow("employee -> worker history") << int(INHERIT_WORKER_HISTORY) << subject << QStringList{history} << true;
        QTest::addRow("department -> worker history")
            << int(INHERIT_WORKER_HISTORY_DEPARTMENT) << orgstructure << QStringList{history} << true;
        QTest::addRow("break rule -> department or employee")
            << int(INHERIT_BREAK_RULE_OBJECT) << key(BREAK_RULE_DATANAME) << QStringList{orgstructure, subject} << false;
        QTest::addRow("trip -> employee") << int(INHERIT_ATTACHED_WORKER) << trip << QStringList{subject} << true;
        QTest::addRow("trip -> host department")
            << int(INHERIT_ATTACHED_WORKER_DEPARTMENT) << trip << QStringList{orgstructure} << true;
    }

    // Each link joins objects of the right kinds and is found once in the maps of both ends.
    void links()
    {
        QFETCH(int, refType);
        QFETCH(QString, parentDataname);
        QFETCH(QStringList, childDatanames);
        QFETCH(bool, dated);
        const auto index = objectIndex(sixty());
        int found = 0;
        for (const _INHERIT_DATA& link : sixty().links) {
            if (link.refType != refType)
                continue;
            ++found;
            QCOMPARE(index.value(link.parent).first, parentDataname);
            QVERIFY2(childDatanames.contains(index.value(link.child).first), qPrintable(index.value(link.child).first));
            QCOMPARE(index.value(link.parent).second.children.values(TYPE_ID(refType)).count(link), 1);
            QCOMPARE(index.value(link.child).second.parents.values(TYPE_ID(refType)).count(link), 1);
            if (dated)
                QVERIFY(link.start.isValid() && (!link.finish.isValid() || link.start <= link.finish));
        }
        QVERIFY(found > 0);
    }

    // Worker histories end the day before the current department begins, so the client joins them;
    // schedule histories follow shared schedules without gaps; the norm follows the calendar.
    void historiesAndNorm()
    {
        const auto index = objectIndex(sixty());
        const QList<ObjectInfo> workerHistories = objectsOf(sixty(), WORKER_HISTORY_DATANAME);
        QVERIFY(!workerHistories.isEmpty());
        for (const ObjectInfo& history : workerHistories) {
            const _INHERIT_DATA toEmployee = history.parents.value(INHERIT_WORKER_HISTORY);
            const ObjectInfo employee = index.value(toEmployee.parent).second;
            QVERIFY(history.parents.value(INHERIT_WORKER_HISTORY_DEPARTMENT).parent != employee.parent);
            QCOMPARE(toEmployee.finish.date().addDays(1), dateProperty(employee, "PT_DATE_BEGIN"));
            QCOMPARE(dateProperty(history, db::worker_history::DATE_END), toEmployee.finish.date());
        }
        QHash<int, int> kinds;
        for (const SCHEDULE_DATA& schedule : sixty().schedules)
            kinds.insert(schedule.id, schedule.kind);
        int changes = 0;
        for (const WORKER_SCHEDULE_HISTORY_V2& history : sixty().scheduleHistories) {
            QDate previousTo;
            for (const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record : history.records) {
                QVERIFY(kinds.contains(int(record.schedule)) && kinds.value(int(record.schedule)) != SCHEDULE_DATA::KindPersonal);
                QVERIFY(record.from.isValid() && (!previousTo.isValid() || record.from == previousTo.addDays(1)));
                previousTo = record.to;
            }
            changes += history.records.size() - 1;
        }
        QVERIFY(changes > 0);
        // 247 working days in 2026, four of them shortened.
        int yearly = 0;
        for (const WORKER_NORM_TIME& record : sixty().normTime)
            yearly += record.worker == objectsOf(sixty(), SUBJECT_DATANAME).first().uid ? record.time : 0;
        QCOMPARE(yearly, 1972 * 3600);
    }

    void invalidDate()
    {
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("invalid date")));
        const DemoOrganisation organisation = DemoOrganisationGenerator::generate(60, QDate());
        QVERIFY(organisation.objects.isEmpty() && organisation.users.isEmpty());
    }
};

OV_TEST_GUILESS_MAIN(tst_DemoOrganisationGenerator)
#include "tst_demoorganisationgenerator.moc"
