#include "fatalwarnings.h"
#include "organisationfixture.h"
#include "ovicontheme.h"
#include "workerhistoryitemdelegate.h"
#include "workerhistoryproxymodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>

using orvanta::TYPE_ID;

namespace {

// Exposes the option the delegate paints from.
class DelegateProbe : public WorkerHistoryItemDelegate
{
public:
    QStyleOptionViewItem option(const QModelIndex& index) const
    {
        QStyleOptionViewItem result;
        initStyleOption(&result, index);
        return result;
    }
};

// Employees of the fixture's organisation, as on its reference date.
std::unique_ptr<WorkerHistoryProxyModel> employeeProxy(const OrganisationFixture& org, bool showDismissed = false)
{
    auto proxy = std::make_unique<WorkerHistoryProxyModel>();
    proxy->setReferenceDate(OrganisationFixture::referenceDate());
    proxy->setSourceModel(org.model());
    proxy->setCheckable(true);
    proxy->setModelType(WorkerHistoryProxyModel::Employees);
    proxy->setShowDismissed(showDismissed);
    return proxy;
}

} // namespace

class tst_WorkerHistoryProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void passesModelTester();
    void modelTypeChoosesObjectTypes_data();
    void modelTypeChoosesObjectTypes();
    void dismissedByEmploymentEnd_data();
    void dismissedByEmploymentEnd();
    void shownDismissedIsGreyed();
    void hiddenDismissedLosesCheck();
    void delegateNamesBareStoreRows();
};

void tst_WorkerHistoryProxyModel::initTestCase()
{
    QVERIFY(OVIconTheme::install());
}

void tst_WorkerHistoryProxyModel::passesModelTester()
{
    OrganisationFixture org;
    WorkerHistoryProxyModel proxy;
    proxy.setReferenceDate(OrganisationFixture::referenceDate());
    proxy.setSourceModel(org.model());
    proxy.setCheckable(true);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);

    proxy.setModelType(WorkerHistoryProxyModel::Employees);
    proxy.setChecked({org.it});
    proxy.setShowDismissed(true);
    org.setEmploymentEnd(org.kuznetsov, QStringLiteral("2026-02-01"));
    proxy.setShowDismissed(false);
    proxy.setModelType(WorkerHistoryProxyModel::Departments);
}

void tst_WorkerHistoryProxyModel::modelTypeChoosesObjectTypes_data()
{
    QTest::addColumn<int>("modelType");
    QTest::addColumn<QStringList>("visible");

    QTest::addRow("departments") << int(WorkerHistoryProxyModel::Departments)
                                 << QStringList{"firm", "sales", "north", "it"};
    QTest::addRow("employees") << int(WorkerHistoryProxyModel::Employees)
                               << QStringList{"firm", "sales", "north", "petrova", "ivanov", "it", "kuznetsov"};
    QTest::addRow("unknown falls back to departments") << 7 << QStringList{"firm", "sales", "north", "it"};
}

void tst_WorkerHistoryProxyModel::modelTypeChoosesObjectTypes()
{
    QFETCH(int, modelType);
    QFETCH(QStringList, visible);

    OrganisationFixture org;
    auto proxy = employeeProxy(org);
    if (modelType == 7)
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown model type")));
    proxy->setModelType(modelType);
    QCOMPARE(visibleNames(org, *proxy), visible);
}

void tst_WorkerHistoryProxyModel::dismissedByEmploymentEnd_data()
{
    QTest::addColumn<QString>("employmentEnd");
    QTest::addColumn<bool>("dismissed");

    QTest::addRow("ended the day before") << "2026-02-28" << true;
    QTest::addRow("ends on the day") << "2026-03-01" << false;
    QTest::addRow("ends later") << "2026-12-31" << false;
    QTest::addRow("no end") << "" << false;
    QTest::addRow("unreadable end") << "31.01.2026" << false;
}

void tst_WorkerHistoryProxyModel::dismissedByEmploymentEnd()
{
    QFETCH(QString, employmentEnd);
    QFETCH(bool, dismissed);

    OrganisationFixture org;
    org.setEmploymentEnd(org.kuznetsov, employmentEnd);
    auto proxy = employeeProxy(org);

    QCOMPARE(proxy->isDismissed(org.kuznetsov), dismissed);
    QCOMPARE(proxy->indexForUid(org.kuznetsov).isValid(), !dismissed);
    proxy->setShowDismissed(true);
    const QModelIndex shown = proxy->indexForUid(org.kuznetsov);
    QVERIFY(shown.isValid());
    QCOMPARE(shown.data(WorkerHistoryProxyModel::DismissedRole).toBool(), dismissed);
}

void tst_WorkerHistoryProxyModel::shownDismissedIsGreyed()
{
    OrganisationFixture org;
    auto proxy = employeeProxy(org, true);

    DelegateProbe delegate;
    const QColor grey(QLatin1String(orvanta::wt::color::DISABLED_TEXT));
    const QStyleOptionViewItem dismissed = delegate.option(proxy->indexForUid(org.sidorov));
    QCOMPARE(dismissed.text, QStringLiteral("Сидоров Пётр"));
    QCOMPARE(dismissed.palette.color(QPalette::Text), grey);
    const QStyleOptionViewItem employed = delegate.option(proxy->indexForUid(org.kuznetsov));
    QVERIFY(employed.palette.color(QPalette::Text) != grey);
}

void tst_WorkerHistoryProxyModel::hiddenDismissedLosesCheck()
{
    OrganisationFixture org;
    auto proxy = employeeProxy(org, true);
    proxy->setChecked({org.it});
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"it", "kuznetsov", "sidorov"}));

    // A planner must not pick someone he cannot see.
    QSignalSpy checkedSpy(proxy.get(), &ObjectTreeProxy::checkedChanged);
    proxy->setShowDismissed(false);
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"it", "kuznetsov"}));
    QCOMPARE(checkedSpy.count(), 1);

    // Dismissed while checked, through a store change.
    org.setEmploymentEnd(org.kuznetsov, QStringLiteral("2026-02-01"));
    QCOMPARE(org.namesOf(proxy->checked()), QStringList({"it"}));
}

void tst_WorkerHistoryProxyModel::delegateNamesBareStoreRows()
{
    OrganisationFixture org;
    QAbstractItemModel* store = org.model();
    const QModelIndex firm = store->index(0, 0);
    QCOMPARE(firm.data().toUInt(), org.firm);

    DelegateProbe delegate;
    const QStyleOptionViewItem option = delegate.option(firm);
    QCOMPARE(option.text, QStringLiteral("ООО Ромашка"));
    QCOMPARE(option.icon.name(), QStringLiteral("object-OT_FIRM"));
    QVERIFY(delegate.sizeHint(option, firm).height() >= 22);
}

OV_TEST_WIDGETS_MAIN(tst_WorkerHistoryProxyModel)
#include "tst_workerhistoryproxymodel.moc"
