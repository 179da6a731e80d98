#include "fatalwarnings.h"
#include "objecttreeproxy.h"
#include "organisationfixture.h"
#include "ovicontheme.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QIcon>
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

bool check(ObjectTreeProxy& proxy, TYPE_ID uid, Qt::CheckState state)
{
    return proxy.setData(proxy.indexForUid(uid), state, Qt::CheckStateRole);
}

const QStringList everyone{"firm", "sales", "north", "petrova", "ivanov", "it", "kuznetsov", "sidorov"};

} // namespace

class tst_ObjectTreeProxy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void showsNamesAndIconsDepartmentsFirst()
    {
        OrganisationFixture org;
        auto proxy = makeProxy(org);
        // Source order is by id: Технический before Отдел продаж, Иванов before Сектор Север.
        QCOMPARE(visibleNames(org, *proxy), everyone);
        QStringList shown;
        for (TYPE_ID uid : {org.firm, org.north, org.petrova}) {
            const QModelIndex index = proxy->indexForUid(uid);
            shown << index.data().toString() + ' ' + index.data(Qt::DecorationRole).value<QIcon>().name();
        }
        QCOMPARE(shown, (QStringList{"ООО Ромашка object-OT_FIRM", "Сектор Север object-OT_DEPARTMENT",
                                     "Петрова Анна object-OT_WORKER"}));
    }

    void filtersKeepAncestors_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("searchEnabled");
        QTest::addColumn<QStringList>("idFilter");
        QTest::addColumn<QStringList>("visible");
        const QStringList none;
        QTest::addRow("nothing to match") << "" << true << none << everyone;
        QTest::addRow("employee, any case") << "пЕТРОВА" << true << none << QStringList{"firm", "sales", "north", "petrova"};
        QTest::addRow("department without its members") << "север" << true << none << QStringList{"firm", "sales", "north"};
        QTest::addRow("personnel number") << "т-17" << true << none << QStringList{"firm", "sales", "north", "petrova"};
        QTest::addRow("department number") << "П-1" << true << none << QStringList{"firm", "sales"};
        QTest::addRow("spaces around the text") << "  Иванов " << true << none << QStringList{"firm", "sales", "ivanov"};
        QTest::addRow("no match") << "Смирнов" << true << none << none;
        QTest::addRow("search switched off") << "Смирнов" << false << none << everyone;
        QTest::addRow("id filter") << "" << true << QStringList{"north", "kuznetsov"}
                                   << QStringList{"firm", "sales", "north", "it", "kuznetsov"};
        QTest::addRow("id filter and search") << "Кузнецов" << true << QStringList{"north", "kuznetsov"}
                                              << QStringList{"firm", "it", "kuznetsov"};
    }

    void filtersKeepAncestors()
    {
        QFETCH(QString, search);
        QFETCH(bool, searchEnabled);
        QFETCH(QStringList, idFilter);
        QFETCH(QStringList, visible);
        OrganisationFixture org;
        auto proxy = makeProxy(org);
        QAbstractItemModelTester tester(proxy.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        proxy->setSearchEnabled(searchEnabled);
        proxy->setSearchText(search);
        proxy->setIdFilter(org.idsOf(idFilter));
        QCOMPARE(visibleNames(org, *proxy), visible);
    }

    void checkSpreads_data()
    {
        QTest::addColumn<QStringList>("toCheck");
        QTest::addColumn<QStringList>("toUncheck");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QStringList>("partial");
        QTest::addRow("department checks its branch")
            << QStringList{"sales"} << QStringList() << QStringList{"sales", "north", "petrova", "ivanov"}
            << QStringList{"firm"};
        QTest::addRow("last child completes the parent") << QStringList{"kuznetsov", "sidorov"} << QStringList()
                                                         << QStringList{"it", "kuznetsov", "sidorov"} << QStringList{"firm"};
        QTest::addRow("every department completes the firm")
            << QStringList{"sales", "it"} << QStringList() << everyone << QStringList();
        QTest::addRow("unchecked leaf unchecks its ancestors")
            << QStringList{"firm"} << QStringList{"petrova"} << QStringList{"ivanov", "it", "kuznetsov", "sidorov"}
            << QStringList{"firm", "sales"};
        QTest::addRow("unchecked department clears its branch") << QStringList{"firm"} << QStringList{"sales"}
                                                                << QStringList{"it", "kuznetsov", "sidorov"}
                                                                << QStringList{"firm"};
    }

    void checkSpreads()
    {
        QFETCH(QStringList, toCheck);
        QFETCH(QStringList, toUncheck);
        QFETCH(QStringList, checked);
        QFETCH(QStringList, partial);
        OrganisationFixture org;
        auto proxy = makeProxy(org);
        for (TYPE_ID uid : org.idsOf(toCheck))
            QVERIFY(check(*proxy, uid, Qt::Checked));
        for (TYPE_ID uid : org.idsOf(toUncheck))
            QVERIFY(check(*proxy, uid, Qt::Unchecked));
        QCOMPARE(org.namesOf(proxy->checked()), checked);
        for (const QString& name : everyone) {
            const Qt::CheckState expected = checked.contains(name) ? Qt::Checked
                : partial.contains(name)                            ? Qt::PartiallyChecked
                                                                    : Qt::Unchecked;
            QCOMPARE(Qt::CheckState(proxy->indexForUid(org.ids.value(name)).data(Qt::CheckStateRole).toInt()), expected);
        }
    }

    void checkSignals()
    {
        OrganisationFixture org;
        auto proxy = makeProxy(org);
        QStringList log;
        connect(proxy.get(), &ObjectTreeProxy::changeCheckedStateUid, this,
                [&](TYPE_ID uid, bool on) { log << org.namesOf({uid}).join(QString()) + (on ? " on" : " off"); });
        connect(proxy.get(), &ObjectTreeProxy::checkedChanged, this,
                [&] { log << org.namesOf(proxy->checked()).join(','); });
        QVERIFY(check(*proxy, org.sales, Qt::Checked));
        QVERIFY(check(*proxy, org.north, Qt::Checked)); // already checked: no change
        QVERIFY(check(*proxy, org.north, Qt::Unchecked));
        log << "--";
        proxy->setChecked({999999, org.north}); // not the user: no per-item signal; unknown ids skipped
        proxy->setChecked({org.petrova});       // the same set
        proxy->setChecked({});
        log << "--";
        // A disabled object can be neither checked nor edited.
        proxy->setUidEnabled(org.ivanov, false);
        QVERIFY(!(proxy->flags(proxy->indexForUid(org.ivanov)) & Qt::ItemIsEnabled));
        QVERIFY(!check(*proxy, org.ivanov, Qt::Checked));
        QCOMPARE(log, (QStringList{"sales on", "sales,north,petrova,ivanov", "north off", "ivanov", "--",
                                   "north,petrova", "", "--"}));
    }

    void typeFilterPrunesAndSpreadsChecks()
    {
        OrganisationFixture org;
        auto proxy = makeProxy(org);
        QAbstractItemModelTester tester(proxy.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        proxy->setChecked({org.petrova, org.kuznetsov});
        QCOMPARE(org.namesOf(proxy->checked()), QStringList({"north", "petrova", "kuznetsov"}));
        // Employees hidden: their checks go; Отдел продаж was never checked as a whole.
        proxy->setTypeFilter({QLatin1String(db::orgstructure::FIRM), QLatin1String(db::orgstructure::DEPARTMENT)});
        QCOMPARE(org.namesOf(proxy->checked()), QStringList({"north"}));
        QCOMPARE(proxy->checkState(proxy->indexForUid(org.sales)), Qt::PartiallyChecked);
        QVERIFY(!proxy->indexForUid(org.petrova).isValid());
        check(*proxy, org.sales, Qt::Checked);
        // Employees shown again: a checked department's check reaches them.
        proxy->setTypeFilter({});
        QCOMPARE(org.namesOf(proxy->checked()), QStringList({"sales", "north", "petrova", "ivanov"}));
        // Only the checked branches.
        proxy->setCheckedOnly(true);
        QCOMPARE(visibleNames(org, *proxy), QStringList({"firm", "sales", "north", "petrova", "ivanov"}));
        proxy->setCheckedOnly(false);
    }

    void newEmployeeJoinsCheckedDepartment()
    {
        OrganisationFixture org;
        auto proxy = makeProxy(org);
        QAbstractItemModelTester tester(proxy.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        proxy->setChecked({org.it});
        const TYPE_ID newcomer = org.builder.employee(QStringLiteral("Алексеев Борис"), org.it);
        QVERIFY(proxy->checked().contains(newcomer));
        QCOMPARE(proxy->checkState(proxy->indexForUid(org.it)), Qt::Checked);
        // Moved under a checked department, an employee joins its check too.
        org.builder.setParent(org.ivanov, org.it);
        QVERIFY(proxy->checked().contains(org.ivanov));
        org.builder.store()->removeObjects(QLatin1String(orvanta::SUBJECT_DATANAME), {org.ivanov});
        QVERIFY(!proxy->checked().contains(org.ivanov));
    }

    void readOnlyRefusesEdits_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addRow("read-only") << true;
        QTest::addRow("editable") << false;
    }

    void readOnlyRefusesEdits()
    {
        QFETCH(bool, readOnly);
        // An editable source, so that only the proxy can refuse.
        QStandardItemModel source;
        source.appendRow(new QStandardItem(QStringLiteral("7")));
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
        QCOMPARE(proxy.checked(), QList<TYPE_ID>({readOnly ? 7u : 8u}));
    }
};

OV_TEST_WIDGETS_MAIN(tst_ObjectTreeProxy)
#include "tst_objecttreeproxy.moc"
