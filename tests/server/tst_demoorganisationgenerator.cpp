#include "demoorganisationgenerator.h"
#include "fatalwarnings.h"
#include "productioncalendar.h"
#include "vocabulary.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>

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


bool sameFigures(const DemoOrganisation& a, const DemoOrganisation& b)
{
    return a.links == b.links && a.schedules == b.schedules && a.scheduleHistories == b.scheduleHistories
        && a.absences == b.absences && a.calendarDays == b.calendarDays && a.normTime == b.normTime
        && a.syncTime == b.syncTime && a.salesPlan == b.salesPlan && a.hoursBudget == b.hoursBudget;
}

int linkCount(const QMultiMap<TYPE_ID, _INHERIT_DATA>& links, const _INHERIT_DATA& link)
{
    int count = 0;
    for (auto it = links.constFind(TYPE_ID(link.refType)); it != links.cend() && it.key() == TYPE_ID(link.refType);
         ++it)
        count += it.value() == link ? 1 : 0;
    return count;
}

} // namespace

class tst_DemoOrganisationGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sameSeedSameOrganisation_data();
    void sameSeedSameOrganisation();
    void employeeCount_data();
    void employeeCount();
    void uidsAreUnique();
    void linksReachBothEnds();
    void linkedObjectsAreOfTheRightKind_data();
    void linkedObjectsAreOfTheRightKind();
    void workerHistoriesPrecedeTheCurrentDepartment();
    void historiesFollowExistingSchedules();
    void personalSchedulesBelongToEmployees();
    void normTimeOnlyOnWorkingDaysOfEmployment();
    void absencesAroundThisMonth();
    void employmentChangesThisMonth();
    void reasonMarksAreDistinct();
    void users_data();
    void users();
    void invalidDate();
};

void tst_DemoOrganisationGenerator::sameSeedSameOrganisation_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("employees");
    QTest::addRow("March, 60 employees") << March2026 << 60;
    QTest::addRow("January, no earlier months") << QDate(2026, 1, 10) << 45;
    QTest::addRow("December, calendar into next year") << QDate(2026, 12, 5) << 30;
}

void tst_DemoOrganisationGenerator::sameSeedSameOrganisation()
{
    QFETCH(QDate, today);
    QFETCH(int, employees);
    const DemoOrganisation first = DemoOrganisationGenerator::generate(employees, today, 7);
    const DemoOrganisation second = DemoOrganisationGenerator::generate(employees, today, 7);
    QCOMPARE(first.objects, second.objects);
    QVERIFY(sameFigures(first, second));
    QCOMPARE(first.users.size(), second.users.size());
}


void tst_DemoOrganisationGenerator::employeeCount_data()
{
    QTest::addColumn<int>("employees");
    QTest::addColumn<int>("expected");
    QTest::addRow("none") << 0 << 0;
    QTest::addRow("negative") << -5 << 0;
    QTest::addRow("one") << 1 << 1;
    QTest::addRow("two thousand") << 2000 << 2000;
}

void tst_DemoOrganisationGenerator::employeeCount()
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
}

void tst_DemoOrganisationGenerator::uidsAreUnique()
{
    const DemoOrganisation organisation = DemoOrganisationGenerator::generate(2000, March2026);
    int total = 0;
    for (const QList<ObjectInfo>& table : organisation.objects)
        total += table.size();
    QCOMPARE(objectIndex(organisation).size(), total);

    QSet<int> scheduleIds;
    for (const SCHEDULE_DATA& schedule : organisation.schedules)
        scheduleIds.insert(schedule.id);
    QCOMPARE(scheduleIds.size(), organisation.schedules.size());

    QSet<TYPE_ID> absenceIds;
    int absenceCount = 0;
    for (const _WORKER_ABSENCE_REASON& reasons : organisation.absences) {
        for (const _WORKER_ABSENCE_REASON_RECORD& record : reasons.records)
            absenceIds.insert(record.id);
        absenceCount += reasons.records.size();
    }
    QCOMPARE(absenceIds.size(), absenceCount);
}

void tst_DemoOrganisationGenerator::linksReachBothEnds()
{
    const DemoOrganisation& organisation = sixty();
    const auto index = objectIndex(organisation);
    int mapEntries = 0;
    for (const auto& entry : index)
        mapEntries += entry.second.children.size() + entry.second.parents.size();
    QCOMPARE(mapEntries, 2 * organisation.links.size());

    for (const _INHERIT_DATA& link : organisation.links) {
        QVERIFY2(index.contains(link.parent), qPrintable(QString::number(link.parent)));
        QVERIFY2(index.contains(link.child), qPrintable(QString::number(link.child)));
        QCOMPARE(linkCount(index.value(link.parent).second.children, link), 1);
        QCOMPARE(linkCount(index.value(link.child).second.parents, link), 1);
    }
}

void tst_DemoOrganisationGenerator::linkedObjectsAreOfTheRightKind_data()
{
    QTest::addColumn<int>("refType");
    QTest::addColumn<QString>("parentDataname");
    QTest::addColumn<QStringList>("childDatanames");
    QTest::addColumn<bool>("dated");
    const QString orgstructure = key(ORGSTRUCTURE_DATANAME);
    const QString subject = key(SUBJECT_DATANAME);
    QTest::addRow("department -> employee")
        << int(INHERIT_PARENT_CHILD) << orgstructure << QStringList{subject} << true;
    QTest::addRow("employee -> worker history")
        << int(INHERIT_WORKER_HISTORY) << subject << QStringList{key(WORKER_HISTORY_DATANAME)} << true;
    QTest::addRow("department -> worker history")
        << int(INHERIT_WORKER_HISTORY_DEPARTMENT) << orgstructure << QStringList{key(WORKER_HISTORY_DATANAME)} << true;
    QTest::addRow("break rule -> department or employee")
        << int(INHERIT_BREAK_RULE_OBJECT) << key(BREAK_RULE_DATANAME) << QStringList{orgstructure, subject} << false;
    QTest::addRow("trip -> employee") << int(INHERIT_ATTACHED_WORKER) << key(ATTACHED_WORKER_DATANAME)
                                      << QStringList{subject} << true;
    QTest::addRow("trip -> host department")
        << int(INHERIT_ATTACHED_WORKER_DEPARTMENT) << key(ATTACHED_WORKER_DATANAME) << QStringList{orgstructure}
        << true;
}

void tst_DemoOrganisationGenerator::linkedObjectsAreOfTheRightKind()
{
    QFETCH(int, refType);
    QFETCH(QString, parentDataname);
    QFETCH(QStringList, childDatanames);
    QFETCH(bool, dated);
    const DemoOrganisation& organisation = sixty();
    const auto index = objectIndex(organisation);
    int found = 0;
    for (const _INHERIT_DATA& link : organisation.links) {
        if (link.refType != refType)
            continue;
        ++found;
        QCOMPARE(index.value(link.parent).first, parentDataname);
        QVERIFY2(childDatanames.contains(index.value(link.child).first), qPrintable(index.value(link.child).first));
        if (dated)
            QVERIFY(link.start.isValid() && (!link.finish.isValid() || link.start <= link.finish));
    }
    QVERIFY(found > 0);
}

void tst_DemoOrganisationGenerator::workerHistoriesPrecedeTheCurrentDepartment()
{
    const DemoOrganisation& organisation = sixty();
    const auto index = objectIndex(organisation);
    const QList<ObjectInfo> histories = objectsOf(organisation, WORKER_HISTORY_DATANAME);
    QVERIFY(!histories.isEmpty());
    for (const ObjectInfo& history : histories) {
        QCOMPARE(history.type, key(db::wt::WORKER_HISTORY));
        const _INHERIT_DATA toEmployee = history.parents.value(INHERIT_WORKER_HISTORY);
        const _INHERIT_DATA toDepartment = history.parents.value(INHERIT_WORKER_HISTORY_DEPARTMENT);
        const ObjectInfo employee = index.value(toEmployee.parent).second;
        QCOMPARE(employee.type, key(db::orgstructure::WORKER));
        QVERIFY(toDepartment.parent != employee.parent);
        // The history ends the day before the current department begins, so the client joins them.
        QCOMPARE(toEmployee.finish.date().addDays(1), dateProperty(employee, "PT_DATE_BEGIN"));
        QCOMPARE(toDepartment.start, toEmployee.start);
        QCOMPARE(dateProperty(history, db::worker_history::DATE_END), toEmployee.finish.date());
        QVERIFY(history.property(key(db::worker_history::JOBLINK)).toUInt() != 0);
    }
}

void tst_DemoOrganisationGenerator::historiesFollowExistingSchedules()
{
    const DemoOrganisation& organisation = sixty();
    QHash<int, SCHEDULE_DATA> schedules;
    for (const SCHEDULE_DATA& schedule : organisation.schedules)
        schedules.insert(schedule.id, schedule);
    int changes = 0;
    for (auto it = organisation.scheduleHistories.cbegin(); it != organisation.scheduleHistories.cend(); ++it) {
        QCOMPARE(it.value().uid, it.key());
        QDate previousTo;
        for (const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record : it.value().records) {
            QVERIFY(schedules.contains(int(record.schedule)));
            QVERIFY(schedules.value(int(record.schedule)).kind != SCHEDULE_DATA::KindPersonal);
            QCOMPARE(record.state, 1);
            QVERIFY(record.from.isValid());
            if (previousTo.isValid())
                QCOMPARE(record.from, previousTo.addDays(1));
            previousTo = record.to;
        }
        changes += it.value().records.size() - 1;
    }
    QVERIFY(changes > 0);
}

void tst_DemoOrganisationGenerator::personalSchedulesBelongToEmployees()
{
    const DemoOrganisation& organisation = sixty();
    const auto index = objectIndex(organisation);
    int personal = 0;
    for (const SCHEDULE_DATA& schedule : organisation.schedules) {
        QCOMPARE(schedule.active, 1);
        if (schedule.kind != SCHEDULE_DATA::KindPersonal) {
            QCOMPARE(schedule.worker, TYPE_ID(0));
            continue;
        }
        ++personal;
        QCOMPARE(index.value(schedule.worker).first, key(SUBJECT_DATANAME));
        QCOMPARE(schedule.date, QDate(2026, 3, 1));
        const QList<SCHEDULE_CALENDAR_DAY> days = organisation.calendarDays.value(schedule.id);
        QVERIFY(!days.isEmpty());
        for (const SCHEDULE_CALENDAR_DAY& day : days) {
            QCOMPARE(day.date.month(), 3);
            QVERIFY(day.time > 0);
        }
    }
    QVERIFY(personal > 0);
}



void tst_DemoOrganisationGenerator::normTimeOnlyOnWorkingDaysOfEmployment()
{
    const DemoOrganisation& organisation = sixty();
    const ProductionCalendar calendar(2026);
    QHash<TYPE_ID, ObjectInfo> employees;
    for (const ObjectInfo& employee : objectsOf(organisation, SUBJECT_DATANAME))
        employees.insert(employee.uid, employee);
    QHash<TYPE_ID, int> yearly;
    for (const WORKER_NORM_TIME& record : organisation.normTime) {
        QCOMPARE(record.time, calendar.normSeconds(record.date));
        const QDate end = dateProperty(employees.value(record.worker), "PT_DATE_END");
        QVERIFY(!end.isValid() || record.date <= end);
        yearly[record.worker] += record.time;
    }
    // 247 working days, four of them shortened.
    QCOMPARE(yearly.value(objectsOf(organisation, SUBJECT_DATANAME).first().uid), 1972 * 3600);
}

void tst_DemoOrganisationGenerator::absencesAroundThisMonth()
{
    const DemoOrganisation& organisation = sixty();
    const auto index = objectIndex(organisation);
    const QDate monthStart(2026, 3, 1);
    const QDate monthEnd(2026, 3, 31);
    bool crossesStart = false, crossesEnd = false, timed = false, untimed = false;
    for (const _WORKER_ABSENCE_REASON& reasons : organisation.absences) {
        QCOMPARE(index.value(reasons.uid).first, key(SUBJECT_DATANAME));
        for (const _WORKER_ABSENCE_REASON_RECORD& record : reasons.records) {
            QCOMPARE(index.value(record.reason).first, key(REASON_DATANAME));
            QVERIFY(record.start <= record.end);
            QVERIFY(record.start.date() >= monthStart.addMonths(-1) && record.start.date() <= monthEnd);
            QVERIFY(record.end.date() >= monthStart && record.end.date() <= monthEnd.addMonths(1));
            QVERIFY(record.changeTime.isValid());
            crossesStart |= record.start.date() < monthStart;
            crossesEnd |= record.end.date() > monthEnd;
            timed |= record.timed;
            untimed |= !record.timed;
        }
    }
    QVERIFY(crossesStart && crossesEnd && timed && untimed);
}

void tst_DemoOrganisationGenerator::employmentChangesThisMonth()
{
    const QDate monthStart(2026, 3, 1);
    const QDate monthEnd(2026, 3, 31);
    bool starts = false, leaves = false, disabled = false;
    for (const ObjectInfo& employee : objectsOf(sixty(), SUBJECT_DATANAME)) {
        const QDate begin = dateProperty(employee, "PT_DATE_BEGIN");
        const QDate end = dateProperty(employee, "PT_DATE_END");
        QVERIFY(begin.isValid());
        starts |= begin >= monthStart && begin <= monthEnd && employee.children.isEmpty();
        leaves |= end >= monthStart && end <= monthEnd;
        disabled |= employee.property(key(db::subject::DISABLE_PLANNING)) == QLatin1String("1");
    }
    QVERIFY(starts);
    QVERIFY(leaves);
    QVERIFY(disabled);
}

void tst_DemoOrganisationGenerator::reasonMarksAreDistinct()
{
    QSet<QString> marks;
    const QList<ObjectInfo> reasons = objectsOf(sixty(), REASON_DATANAME);
    for (const ObjectInfo& reason : reasons)
        marks.insert(reason.property(key(db::reason::MARK)));
    QCOMPARE(marks.size(), reasons.size());
    // The grid draws these itself: attached elsewhere, day off, outside employment.
    for (const char* gridMark : {"К", "В", "-"})
        QVERIFY(!marks.contains(QString::fromUtf8(gridMark)));
}


void tst_DemoOrganisationGenerator::users_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("roleCount");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("withoutRole");
    const auto text = [](const char* value) { return QString::fromLatin1(value); };
    QTest::addRow("planner") << text("planner") << text("planner2026") << 11
                             << text("RL_WTPLANNINGVIEW_WORKTIME_APPROVE") << QString();
    QTest::addRow("viewer") << text("viewer") << text("viewer2026") << 3 << text("RL_WTPLANNINGVIEW_ATTACHED_SHOW")
                            << text("RL_WTPLANNINGVIEW_WORKTIME_SET");
    QTest::addRow("hr") << text("hr") << text("hr2026") << 8 << text("RL_WTPLANNINGVIEW_BREAKRULE_DELETE")
                        << text("RL_WTPLANNINGVIEW_WORKTIME_SHOW");
}

void tst_DemoOrganisationGenerator::users()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(int, roleCount);
    QFETCH(QString, role);
    QFETCH(QString, withoutRole);
    const QList<DemoUser> users = sixty().users;
    const auto user = std::find_if(users.cbegin(), users.cend(), [&](const DemoUser& u) { return u.login == login; });
    QVERIFY(user != users.cend());
    QCOMPARE(user->password, password);
    QCOMPARE(user->roles.size(), roleCount);
    QVERIFY(user->roles.contains(role));
    QVERIFY(!user->roles.contains(withoutRole));
    QCOMPARE(user->workTimePlanning.mode, int(_ROLE_DATE_RESTRICTIONS::NoRestriction));
}

void tst_DemoOrganisationGenerator::invalidDate()
{
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("invalid date")));
    const DemoOrganisation organisation = DemoOrganisationGenerator::generate(60, QDate());
    QVERIFY(organisation.objects.isEmpty());
    QVERIFY(organisation.users.isEmpty());
}


OV_TEST_GUILESS_MAIN(tst_DemoOrganisationGenerator)

#include "tst_demoorganisationgenerator.moc"
