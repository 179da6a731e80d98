#include "demoorganisationgenerator.h"
#include "fatalwarnings.h"
#include "vocabulary.h"

#include <QImage>
#include <QSet>
#include <QTest>

using namespace orvanta;

namespace {

const QDate March2026(2026, 3, 15);

using ObjectIndex = QHash<TYPE_ID, QPair<QString, ObjectInfo>>;

// Every object by uid, with the data name it is kept under.
ObjectIndex objectIndex(const DemoOrganisation& organisation)
{
    ObjectIndex index;
    for (auto table = organisation.objects.cbegin(); table != organisation.objects.cend(); ++table) {
        for (const ObjectInfo& object : table.value())
            index.insert(object.uid, qMakePair(table.key(), object));
    }
    return index;
}

bool sameOrganisation(const DemoOrganisation& a, const DemoOrganisation& b)
{
    return a.objects == b.objects && a.links == b.links && a.schedules == b.schedules
        && a.scheduleHistories == b.scheduleHistories && a.absences == b.absences && a.calendarDays == b.calendarDays
        && a.normTime == b.normTime && a.syncTime == b.syncTime && a.salesPlan == b.salesPlan
        && a.hoursBudget == b.hoursBudget && a.users.size() == b.users.size() && a.blobs == b.blobs;
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

    void structure_data()
    {
        QTest::addColumn<int>("employees");
        QTest::addColumn<QStringList>("linkKinds");
        const QString rules = QStringLiteral("53: break_rule > orgstructure, undated");
        const QStringList all{"0: orgstructure > subject", "32: subject > worker_history", "33: orgstructure > worker_history",
                              rules, "53: break_rule > subject, undated", "56: attached_worker > subject",
                              "57: attached_worker > orgstructure"};
        QTest::addRow("none") << 0 << QStringList{rules};
        QTest::addRow("negative") << -5 << QStringList{rules};
        QTest::addRow("one") << 1 << QStringList{all.first(), rules};
        QTest::addRow("sixty") << 60 << all;
        QTest::addRow("two thousand") << 2000 << all;
    }

    // Every size gives that many employees with a schedule history each and object uids that never
    // meet; each link joins objects of the kinds its type names, dated unless it is a break rule's,
    // and is found once in the maps of both its ends.
    void structure()
    {
        QFETCH(int, employees);
        QFETCH(QStringList, linkKinds);
        const DemoOrganisation organisation = DemoOrganisationGenerator::generate(employees, March2026);
        const ObjectIndex index = objectIndex(organisation);
        int objects = 0;
        for (const QList<ObjectInfo>& table : organisation.objects)
            objects += table.size();
        QCOMPARE(index.size(), objects);
        QStringList employeeTypes;
        for (const ObjectInfo& employee : organisation.objects.value(QLatin1String(SUBJECT_DATANAME)))
            employeeTypes.append(employee.type);
        QCOMPARE(employeeTypes.size(), qMax(employees, 0));
        QCOMPARE(employeeTypes.count(QLatin1String(db::orgstructure::WORKER)), employeeTypes.size());
        QCOMPARE(organisation.scheduleHistories.size(), qMax(employees, 0));

        QMap<QString, bool> kinds;
        for (const _INHERIT_DATA& link : organisation.links) {
            const auto parent = index.value(link.parent), child = index.value(link.child);
            kinds.insert(QStringLiteral("%1: %2 > %3%4").arg(link.refType).arg(parent.first, child.first,
                         link.start.isValid() ? QString() : QStringLiteral(", undated")), true);
            QVERIFY(!link.finish.isValid() || link.start <= link.finish);
            QCOMPARE(parent.second.children.values(TYPE_ID(link.refType)).count(link), 1);
            QCOMPARE(child.second.parents.values(TYPE_ID(link.refType)).count(link), 1);
        }
        QCOMPARE(kinds.keys(), linkKinds);
    }

    // Worker histories end the day before the current department begins, so the client joins them;
    // schedule histories follow shared schedules without gaps.
    void histories()
    {
        const DemoOrganisation organisation = DemoOrganisationGenerator::generate(60, March2026);
        const ObjectIndex index = objectIndex(organisation);
        const QList<ObjectInfo> workerHistories = organisation.objects.value(QLatin1String(WORKER_HISTORY_DATANAME));
        QVERIFY(!workerHistories.isEmpty());
        for (const ObjectInfo& history : workerHistories) {
            const _INHERIT_DATA toEmployee = history.parents.value(INHERIT_WORKER_HISTORY);
            const ObjectInfo employee = index.value(toEmployee.parent).second;
            QVERIFY(history.parents.value(INHERIT_WORKER_HISTORY_DEPARTMENT).parent != employee.parent);
            QCOMPARE(toEmployee.finish.date().addDays(1), QDate::fromString(employee.property("PT_DATE_BEGIN"), Qt::ISODate));
            QCOMPARE(history.property(QLatin1String(db::worker_history::DATE_END)), toEmployee.finish.date().toString(Qt::ISODate));
        }
        QHash<int, int> kinds;
        for (const SCHEDULE_DATA& schedule : organisation.schedules)
            kinds.insert(schedule.id, schedule.kind);
        int changes = 0;
        for (const WORKER_SCHEDULE_HISTORY_V2& history : organisation.scheduleHistories) {
            QDate previousTo;
            for (const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record : history.records) {
                QVERIFY(kinds.contains(int(record.schedule)) && kinds.value(int(record.schedule)) != SCHEDULE_DATA::KindPersonal);
                QVERIFY(record.from.isValid() && (!previousTo.isValid() || record.from == previousTo.addDays(1)));
                previousTo = record.to;
            }
            changes += history.records.size() - 1;
        }
        QVERIFY(changes > 0);
    }

    // The calendar figures reach to the end of next year, so next month is complete in any month.
    void calendarFigures_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("normHours"); // of the first employee, employed all the time
        QTest::addColumn<int>("figureDays"); // with a sales plan, with an hours budget
        QTest::addRow("March: this year, 247 working days, 4 shortened") << March2026 << 2026 << 1972 << 365;
        QTest::addRow("December: next year") << QDate(2026, 12, 5) << 2027 << 1972 << 365;
        QTest::addRow("December: not the year after") << QDate(2026, 12, 5) << 2028 << 0 << 0;
    }

    void calendarFigures()
    {
        QFETCH(QDate, today);
        QFETCH(int, year);
        QFETCH(int, normHours);
        QFETCH(int, figureDays);
        const DemoOrganisation organisation = DemoOrganisationGenerator::generate(20, today);
        const TYPE_ID first = organisation.objects.value(QLatin1String(SUBJECT_DATANAME)).first().uid;
        int norm = 0;
        for (const WORKER_NORM_TIME& record : organisation.normTime)
            norm += record.worker == first && record.date.year() == year ? record.time : 0;
        QSet<QDate> salesDays, budgetDays;
        for (const SALES_PLAN& plan : organisation.salesPlan) {
            if (plan.date.year() == year)
                salesDays.insert(plan.date);
        }
        for (const HOURS_BUDGET& budget : organisation.hoursBudget) {
            if (budget.date.year() == year)
                budgetDays.insert(budget.date);
        }
        QCOMPARE(norm, normHours * 3600);
        QCOMPARE(salesDays.size(), figureDays);
        QCOMPARE(budgetDays.size(), figureDays);
    }

    // Most employees get a photo that decodes to 96 x 96; photos differ between employees.
    void photos()
    {
        const DemoOrganisation organisation = DemoOrganisationGenerator::generate(200, March2026);
        const ObjectIndex index = objectIndex(organisation);
        QSet<QByteArray> distinct;
        for (auto object = organisation.blobs.cbegin(); object != organisation.blobs.cend(); ++object) {
            QCOMPARE(index.value(object.key()).first, QLatin1String(SUBJECT_DATANAME));
            QCOMPARE(object->keys(), QStringList{"PT_PHOTO"});
            const QImage photo = QImage::fromData(object->value(QStringLiteral("PT_PHOTO")), "PNG");
            QCOMPARE(photo.size(), QSize(96, 96));
            QVERIFY(photo.pixel(0, 0) != photo.pixel(48, 48));
            distinct.insert(object->value(QStringLiteral("PT_PHOTO")));
        }
        QVERIFY2(organisation.blobs.size() >= 140 && organisation.blobs.size() <= 180, qPrintable(QString::number(organisation.blobs.size())));
        QVERIFY(distinct.size() > organisation.blobs.size() * 9 / 10);
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
