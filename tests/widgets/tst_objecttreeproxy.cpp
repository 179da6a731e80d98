#include "fatalwarnings.h"
#include "objecttreeproxy.h"
#include "organisationfixture.h"
#include "ovicontheme.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QIcon>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <memory>

using orvanta::TYPE_ID;

namespace {

// A checkable proxy over the fixture's organisation, every type shown.
std::unique_ptr<ObjectTreeProxy> makeProxy(const OrganisationFixture& org)
{
    auto proxy = std::make_unique<ObjectTreeProxy>();
    proxy->setSourceModel(org.model());
    proxy->setSearchIndex(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
    proxy->setSearchEnabled(true);
    proxy->setCheckable(true);
    proxy->setReadOnly(true);
    return proxy;
}

} // namespace

class tst_ObjectTreeProxy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void passesModelTester();
    void showsNameAndTypeIcon_data();
    void showsNameAndTypeIcon();
    void sortsDepartmentsFirstThenByName();
    void filtersKeepAncestors_data();
    void filtersKeepAncestors();
    void checkSpreads_data();
    void checkSpreads();
    void userCheckSignalsOncePerAction();
    void setCheckedSpreadsAndSkipsUnknown();
    void typeFilterPrunesAndSpreadsChecks();
    void newEmployeeJoinsCheckedDepartment();
    void disabledObjectRefusesCheck();
    void readOnlyRefusesEdits_data();
    void readOnlyRefusesEdits();
};

void tst_ObjectTreeProxy::initTestCase()
{
    QVERIFY(OVIconTheme::install());
}

void tst_ObjectTreeProxy::passesModelTester()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    QAbstractItemModelTester tester(proxy.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    proxy->setSearchText(QStringLiteral("петрова"));
    proxy->setChecked({org.sales});
    proxy->setSearchText(QString());
    proxy->setCheckedOnly(true);
    proxy->setData(proxy->indexForUid(org.petrova), Qt::Unchecked, Qt::CheckStateRole);
    proxy->setCheckedOnly(false);
    proxy->setTypeFilter({QLatin1String(db::orgstructure::FIRM), QLatin1String(db::orgstructure::DEPARTMENT)});
    proxy->setIdFilter({org.north});
    proxy->setIdFilter({});
    proxy->setTypeFilter({});
    org.builder.employee(QStringLiteral("Новиков Илья"), org.north);
    org.builder.store()->removeObjects(QLatin1String(orvanta::SUBJECT_DATANAME), {org.ivanov});
}

void tst_ObjectTreeProxy::showsNameAndTypeIcon_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");

    QTest::addRow("firm") << "firm" << "ООО Ромашка" << "object-OT_FIRM";
    QTest::addRow("department") << "north" << "Сектор Север" << "object-OT_DEPARTMENT";
    QTest::addRow("employee") << "petrova" << "Петрова Анна" << "object-OT_WORKER";
}

void tst_ObjectTreeProxy::showsNameAndTypeIcon()
{
    QFETCH(QString, object);
    QFETCH(QString, name);
    QFETCH(QString, icon);

    OrganisationFixture org;
    auto proxy = makeProxy(org);
    const QModelIndex index = proxy->indexForUid(org.ids.value(object));
    QVERIFY(index.isValid());
    QCOMPARE(index.data().toString(), name);
    QCOMPARE(index.data(ObjectTreeProxy::IdRole).toUInt(), org.ids.value(object));
    const QIcon decoration = index.data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!decoration.isNull());
    QCOMPARE(decoration.name(), icon);
}

void tst_ObjectTreeProxy::sortsDepartmentsFirstThenByName()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    // Source order is by id: Технический before Отдел продаж, Иванов before Сектор Север.
    QCOMPARE(visibleNames(org, *proxy),
             QStringList({"firm", "sales", "north", "petrova", "ivanov", "it", "kuznetsov", "sidorov"}));
}

void tst_ObjectTreeProxy::filtersKeepAncestors_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("searchEnabled");
    QTest::addColumn<QStringList>("idFilter");
    QTest::addColumn<QStringList>("visible");

    const QStringList all{"firm", "sales", "north", "petrova", "ivanov", "it", "kuznetsov", "sidorov"};
    QTest::addRow("nothing to match") << "" << true << QStringList() << all;
    QTest::addRow("employee, any case") << "пЕТРОВА" << true << QStringList()
                                        << QStringList{"firm", "sales", "north", "petrova"};
    QTest::addRow("department without its members") << "север" << true << QStringList()
                                                    << QStringList{"firm", "sales", "north"};
    QTest::addRow("personnel number") << "т-17" << true << QStringList()
                                      << QStringList{"firm", "sales", "north", "petrova"};
    QTest::addRow("department number") << "П-1" << true << QStringList() << QStringList{"firm", "sales"};
    QTest::addRow("spaces around the text") << "  Иванов " << true << QStringList()
                                            << QStringList{"firm", "sales", "ivanov"};
    QTest::addRow("no match") << "Смирнов" << true << QStringList() << QStringList();
    QTest::addRow("search switched off") << "Смирнов" << false << QStringList() << all;
    QTest::addRow("id filter") << "" << true << QStringList{"north", "kuznetsov"}
                               << QStringList{"firm", "sales", "north", "it", "kuznetsov"};
    QTest::addRow("id filter and search") << "Кузнецов" << true << QStringList{"north", "kuznetsov"}
                                          << QStringList{"firm", "it", "kuznetsov"};
}

void tst_ObjectTreeProxy::filtersKeepAncestors()
{
    QFETCH(QString, search);
    QFETCH(bool, searchEnabled);
    QFETCH(QStringList, idFilter);
    QFETCH(QStringList, visible);

    OrganisationFixture org;
    auto proxy = makeProxy(org);
    proxy->setSearchEnabled(searchEnabled);
    proxy->setSearchText(search);
    proxy->setIdFilter(org.idsOf(idFilter));
    QCOMPARE(visibleNames(org, *proxy), visible);
}

void tst_ObjectTreeProxy::checkSpreads_data()
{
    QTest::addColumn<QStringList>("toCheck");
    QTest::addColumn<QStringList>("toUncheck");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("partial");

    QTest::addRow("department checks its branch")
        << QStringList{"sales"} << QStringList() << QStringList{"sales", "north", "petrova", "ivanov"}
        << QStringList{"firm"};
    QTest::addRow("last child completes the parent")
        << QStringList{"kuznetsov", "sidorov"} << QStringList() << QStringList{"it", "kuznetsov", "sidorov"}
        << QStringList{"firm"};
    QTest::addRow("every department completes the firm")
        << QStringList{"sales", "it"} << QStringList()
        << QStringList{"firm", "sales", "north", "petrova", "ivanov", "it", "kuznetsov", "sidorov"}
        << QStringList();
    QTest::addRow("unchecked leaf unchecks its ancestors")
        << QStringList{"firm"} << QStringList{"petrova"} << QStringList{"ivanov", "it", "kuznetsov", "sidorov"}
        << QStringList{"firm", "sales"};
    QTest::addRow("unchecked department clears its branch")
        << QStringList{"firm"} << QStringList{"sales"} << QStringList{"it", "kuznetsov", "sidorov"}
        << QStringList{"firm"};
    QTest::addRow("checked again after uncheck")
        << QStringList{"sales"} << QStringList{"sales"} << QStringList() << QStringList();
}

void tst_ObjectTreeProxy::checkSpreads()
{
    QFETCH(QStringList, toCheck);
    QFETCH(QStringList, toUncheck);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, partial);

    OrganisationFixture org;
    auto proxy = makeProxy(org);
    for (TYPE_ID uid : org.idsOf(toCheck))
        QVERIFY(proxy->setData(proxy->indexForUid(uid), Qt::Checked, Qt::CheckStateRole));
    for (TYPE_ID uid : org.idsOf(toUncheck))
        QVERIFY(proxy->setData(proxy->indexForUid(uid), Qt::Unchecked, Qt::CheckStateRole));

    QCOMPARE(org.namesOf(proxy->checked()), checked);
    for (const QString& name : org.ids.keys()) {
        const Qt::CheckState expected = checked.contains(name) ? Qt::Checked
            : partial.contains(name)                            ? Qt::PartiallyChecked
                                                                : Qt::Unchecked;
        QCOMPARE(Qt::CheckState(proxy->indexForUid(org.ids.value(name)).data(Qt::CheckStateRole).toInt()),
                 expected);
    }
}

void tst_ObjectTreeProxy::userCheckSignalsOncePerAction()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    QSignalSpy stateSpy(proxy.get(), &ObjectTreeProxy::changeCheckedStateUid);
    QSignalSpy checkedSpy(proxy.get(), &ObjectTreeProxy::checkedChanged);

    QVERIFY(proxy->setData(proxy->indexForUid(org.sales), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(stateSpy.at(0).at(0).toUInt(), org.sales);
    QCOMPARE(stateSpy.at(0).at(1).toBool(), true);
    QCOMPARE(checkedSpy.count(), 1);

    // Checking what is already checked is not a change.
    QVERIFY(proxy->setData(proxy->indexForUid(org.north), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(checkedSpy.count(), 1);

    QVERIFY(proxy->setData(proxy->indexForUid(org.north), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(stateSpy.count(), 2);
    QCOMPARE(stateSpy.at(1).at(0).toUInt(), org.north);
    QCOMPARE(stateSpy.at(1).at(1).toBool(), false);
    QCOMPARE(checkedSpy.count(), 2);
}

void tst_ObjectTreeProxy::setCheckedSpreadsAndSkipsUnknown()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    QSignalSpy stateSpy(proxy.get(), &ObjectTreeProxy::changeCheckedStateUid);
    QSignalSpy checkedSpy(proxy.get(), &ObjectTreeProxy::checkedChanged);

    proxy->setChecked({999999, org.north});
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"north", "petrova"}));
    QCOMPARE(checkedSpy.count(), 1);
    QCOMPARE(stateSpy.count(), 0);

    proxy->setChecked({org.petrova});
    QCOMPARE(checkedSpy.count(), 1);
    proxy->setChecked({});
    QVERIFY(proxy->checked().isEmpty());
    QCOMPARE(checkedSpy.count(), 2);
}

void tst_ObjectTreeProxy::typeFilterPrunesAndSpreadsChecks()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    const QStringList departmentTypes{QLatin1String(db::orgstructure::FIRM),
                                      QLatin1String(db::orgstructure::DEPARTMENT)};
    proxy->setChecked({org.petrova, org.kuznetsov});
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"north", "petrova", "kuznetsov"}));

    // Employees hidden: their checks go; Отдел продаж was never checked as a whole.
    proxy->setTypeFilter(departmentTypes);
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"north"}));
    QCOMPARE(proxy->checkState(proxy->indexForUid(org.sales)), Qt::PartiallyChecked);
    QVERIFY(!proxy->indexForUid(org.petrova).isValid());

    proxy->setData(proxy->indexForUid(org.sales), Qt::Checked, Qt::CheckStateRole);
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"sales", "north"}));

    // Employees shown again: a checked department's check reaches them.
    proxy->setTypeFilter({});
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"sales", "north", "petrova", "ivanov"}));
}

void tst_ObjectTreeProxy::newEmployeeJoinsCheckedDepartment()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    proxy->setChecked({org.it});
    const TYPE_ID newcomer = org.builder.employee(QStringLiteral("Алексеев Борис"), org.it);
    QVERIFY(proxy->checked().contains(newcomer));
    QCOMPARE(proxy->checkState(proxy->indexForUid(org.it)), Qt::Checked);

    // Moved under a checked department, an employee joins its check too.
    org.builder.setParent(org.ivanov, org.it);
    QVERIFY(proxy->checked().contains(org.ivanov));
}

void tst_ObjectTreeProxy::disabledObjectRefusesCheck()
{
    OrganisationFixture org;
    auto proxy = makeProxy(org);
    proxy->setUidEnabled(org.ivanov, false);
    const QModelIndex ivanov = proxy->indexForUid(org.ivanov);
    QVERIFY(!(proxy->flags(ivanov) & Qt::ItemIsEnabled));
    QVERIFY(!proxy->setData(ivanov, Qt::Checked, Qt::CheckStateRole));
    QVERIFY(proxy->checked().isEmpty());
}

void tst_ObjectTreeProxy::readOnlyRefusesEdits_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addRow("read-only") << true;
    QTest::addRow("editable") << false;
}

void tst_ObjectTreeProxy::readOnlyRefusesEdits()
{
    QFETCH(bool, readOnly);

    // An editable source, so that only the proxy can refuse.
    QStandardItemModel source;
    auto* item = new QStandardItem(QStringLiteral("7"));
    item->setData(7u, ObjectTreeProxy::IdRole);
    source.appendRow(item);
    ObjectTreeProxy proxy;
    proxy.setSourceModel(&source);
    proxy.setCheckable(true);
    proxy.setReadOnly(readOnly);

    const QModelIndex index = proxy.index(0, 0);
    QCOMPARE(bool(proxy.flags(index) & Qt::ItemIsEditable), !readOnly);
    QCOMPARE(proxy.setData(index, QStringLiteral("8"), Qt::EditRole), !readOnly);
    QCOMPARE(source.item(0)->text(), readOnly ? QStringLiteral("7") : QStringLiteral("8"));
    // Checking is a choice, not an edit: it works either way.
    QVERIFY(proxy.setData(index, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(proxy.checked(), QList<TYPE_ID>({7u}));
}

OV_TEST_WIDGETS_MAIN(tst_ObjectTreeProxy)
#include "tst_objecttreeproxy.moc"
