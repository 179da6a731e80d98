#include "employeeselection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"

#include <QCoreApplication>
#include <QTest>

using namespace orvanta;

namespace {

const QDate kStart(2026, 12, 1);
const QDate kFinish(2026, 12, 31);

QString iso(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

const EmployeeInfo* find(const QList<EmployeeInfo>& employees, TYPE_ID uid)
{
    for (const EmployeeInfo& info : employees) {
        if (info.uid == uid)
            return &info;
    }
    return nullptr;
}

} // namespace

class tst_EmployeeSelection : public QObject
{
    Q_OBJECT

private slots:
    void employmentDates_data();
    void employmentDates();
    void planningDisabledWinsOverHistory();
    void memberOfTwoDepartmentsListedOnce();
    void historyBringsEmployeeIn();
    void historyMovesDirectStartBack();
    void continuousStartFollowsEarlierHistories();
    void attachedWorkers();
    void noDepartments();
};

void tst_EmployeeSelection::employmentDates_data()
{
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("shown");
    QTest::addRow("no dates") << QString() << QString() << true;
    QTest::addRow("begins after the finish") << iso(kFinish.addDays(1)) << QString() << false;
    QTest::addRow("begins on the finish") << iso(kFinish) << QString() << true;
    QTest::addRow("ended before the start") << QString() << iso(kStart.addDays(-1)) << false;
    QTest::addRow("ends on the start") << QString() << iso(kStart) << true;
    QTest::addRow("unparsable dates never exclude") << QStringLiteral("завтра") << QStringLiteral("--") << true;
}

void tst_EmployeeSelection::employmentDates()
{
    QFETCH(QString, begin);
    QFETCH(QString, end);
    QFETCH(bool, shown);
    ovtest::OrganisationBuilder org;
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), org.firm(QStringLiteral("Фирма")));
    const TYPE_ID employee = org.employee(QStringLiteral("Иванов"), shop, QStringLiteral("17"));
    org.setProperty(employee, QStringLiteral("PT_DATE_BEGIN"), begin);
    org.setProperty(employee, QStringLiteral("PT_DATE_END"), end);

    EmployeeSelection selection(kStart, kFinish, {shop});
    selection.select();
    QCOMPARE(selection.employeeIds().contains(employee), shown);
    if (shown) {
        const EmployeeInfo info = selection.employees().first();
        QCOMPARE(info.reportUid, TYPE_ID(0));
        QCOMPARE(info.number, QStringLiteral("17"));
        QCOMPARE(info.emplStart, QDate::fromString(begin, Qt::ISODate));
        QCOMPARE(info.emplContStart, info.emplStart);
    }
}

void tst_EmployeeSelection::planningDisabledWinsOverHistory()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
    const TYPE_ID warehouse = org.department(QStringLiteral("Склад"), firm);
    const TYPE_ID employee = org.employee(QStringLiteral("Петров"), warehouse);
    org.setProperty(employee, QStringLiteral("PT_DISABLE_PLANNING"), QStringLiteral("1"));
    org.workerHistory(employee, shop, kStart.addDays(3), kFinish);

    EmployeeSelection selection(kStart, kFinish, {shop, warehouse});
    selection.select();
    QVERIFY(selection.employees().isEmpty());
}

void tst_EmployeeSelection::memberOfTwoDepartmentsListedOnce()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
    const TYPE_ID office = org.department(QStringLiteral("Офис"), firm);
    const TYPE_ID employee = org.employee(QStringLiteral("Сидорова"), shop);
    org.workerHistory(employee, office, kStart.addDays(-40), QDate());

    EmployeeSelection selection(kStart, kFinish, {shop, office, shop});
    selection.select();
    QCOMPARE(selection.employeeIds(), QList<TYPE_ID>{employee});
    QCOMPARE(selection.departments().size(), 2);
}

void tst_EmployeeSelection::historyBringsEmployeeIn()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
    const TYPE_ID warehouse = org.department(QStringLiteral("Склад"), firm);
    const TYPE_ID cashier = org.job(QStringLiteral("Кассир"));
    const TYPE_ID employee = org.employee(QStringLiteral("Кузнецов"), warehouse, QStringLiteral("42"));
    const TYPE_ID history = org.workerHistory(employee, shop, QDate(2026, 12, 15), QDate(), cashier);
    org.workerHistory(employee, shop, QDate(2026, 10, 1), QDate(2026, 10, 31));

    EmployeeSelection selection(kStart, kFinish, {shop});
    selection.select();
    QCOMPARE(selection.employeeIds(), QList<TYPE_ID>{employee});
    const EmployeeInfo info = selection.employees().first();
    QCOMPARE(info.reportUid, history);
    QCOMPARE(info.emplStart, QDate(2026, 12, 15));
    QCOMPARE(info.emplFinish, QDate());
    QCOMPARE(info.jobUid, cashier);
    QCOMPARE(info.number, QStringLiteral("42"));
}

void tst_EmployeeSelection::historyMovesDirectStartBack()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), org.firm(QStringLiteral("Фирма")));
    const TYPE_ID employee = org.employee(QStringLiteral("Орлова"), shop);
    org.setProperty(employee, QStringLiteral("PT_DATE_BEGIN"), iso(QDate(2026, 12, 11)));
    org.workerHistory(employee, shop, QDate(2026, 12, 3), QDate(2026, 12, 10));

    EmployeeSelection selection(kStart, kFinish, {shop});
    selection.select();
    QCOMPARE(selection.employees().size(), 1);
    QCOMPARE(selection.employees().first().emplStart, QDate(2026, 12, 3));
    QCOMPARE(selection.employees().first().reportUid, TYPE_ID(0));
}

void tst_EmployeeSelection::continuousStartFollowsEarlierHistories()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
    const TYPE_ID office = org.department(QStringLiteral("Офис"), firm);
    const TYPE_ID employee = org.employee(QStringLiteral("Волков"), office);
    // Office until 4 December, then the shop: the shop row starts on the 5th but the
    // employment runs on from the office history.
    org.workerHistory(employee, office, QDate(2025, 3, 1), QDate(2026, 12, 4));
    org.workerHistory(employee, shop, QDate(2026, 12, 5), QDate());
    // A gap of more than a day breaks the chain.
    const TYPE_ID other = org.employee(QStringLiteral("Зайцев"), office);
    org.workerHistory(other, office, QDate(2025, 3, 1), QDate(2026, 12, 2));
    org.workerHistory(other, shop, QDate(2026, 12, 5), QDate());

    EmployeeSelection selection(kStart, kFinish, {shop});
    selection.select();
    const QList<EmployeeInfo> employees = selection.employees();
    QCOMPARE(employees.size(), 2);
    QCOMPARE(find(employees, employee)->emplStart, QDate(2026, 12, 5));
    QCOMPARE(find(employees, employee)->emplContStart, QDate(2025, 3, 1));
    QCOMPARE(find(employees, other)->emplContStart, QDate(2026, 12, 5));
}

void tst_EmployeeSelection::attachedWorkers()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
    const TYPE_ID warehouse = org.department(QStringLiteral("Склад"), firm);
    const TYPE_ID visitor = org.employee(QStringLiteral("Гость"), warehouse);
    const TYPE_ID member = org.employee(QStringLiteral("Свой"), shop);
    const TYPE_ID earlier = org.employee(QStringLiteral("Раньше"), warehouse);
    org.attachedWorker(visitor, shop, QDate(2026, 12, 10), QDate(2026, 12, 12));
    org.attachedWorker(visitor, shop, QDate(2026, 12, 20), QDate(2026, 12, 22));
    org.attachedWorker(member, shop, QDate(2026, 12, 1), QDate(2026, 12, 2));
    org.attachedWorker(earlier, shop, QDate(2026, 11, 1), QDate(2026, 11, 30));

    EmployeeSelection selection(kStart, kFinish, {shop});
    selection.select();
    QCOMPARE(selection.employeeIds(), QList<TYPE_ID>{member});
    QCOMPARE(selection.attached(), QList<unsigned int>{visitor});
}

void tst_EmployeeSelection::noDepartments()
{
    ovtest::OrganisationBuilder org;
    org.employee(QStringLiteral("Никто"), org.department(QStringLiteral("Магазин"), org.firm(QStringLiteral("Фирма"))));
    EmployeeSelection selection(kStart, kFinish, {});
    selection.select();
    QVERIFY(selection.employees().isEmpty());
    QVERIFY(selection.attached().isEmpty());
}

OV_TEST_GUILESS_MAIN(tst_EmployeeSelection)
#include "tst_employeeselection.moc"
