#include "fatalwarnings.h"
#include "organisationfixture.h"
#include "ovicontheme.h"
#include "searchwidget.h"
#include "workerhistoryitemdelegate.h"
#include "workerhistorypanelwidget.h"
#include "workerhistoryproxymodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTreeView>

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

// The panel as the break-rule screens set it up, over the fixture's organisation as on its reference date.
struct Panel
{
    explicit Panel(const OrganisationFixture& org, int modelType = WorkerHistoryProxyModel::Employees)
    {
        proxy.setReferenceDate(OrganisationFixture::referenceDate());
        proxy.setSourceModel(org.model());
        proxy.setSearchIndex(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
        proxy.setCheckable(true);
        proxy.setReadOnly(true);
        proxy.setSearchEnabled(true);
        proxy.setModelType(modelType);
        widget.setShowDismissedVisible(false);
        widget.setShowDismissed(false);
        widget.setModel(&proxy);
        widget.setItemDelegate(new WorkerHistoryItemDelegate);
        widget.treeView()->expandAll();
        widget.resize(400, 500);
    }

    void showAndWait()
    {
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
    }

    WorkerHistoryProxyModel proxy;
    WorkerHistoryPanelWidget widget;
};

} // namespace

class tst_WorkerHistoryPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void modelTypeChoosesObjectTypes_data()
    {
        QTest::addColumn<int>("modelType");
        QTest::addColumn<QStringList>("visible");
        const QStringList departments{"firm", "sales", "north", "it"};
        QTest::addRow("departments") << int(WorkerHistoryProxyModel::Departments) << departments;
        QTest::addRow("employees") << int(WorkerHistoryProxyModel::Employees)
                                   << QStringList{"firm", "sales", "north", "petrova", "ivanov", "it", "kuznetsov"};
        QTest::addRow("unknown falls back to departments") << 7 << departments;
    }

    void modelTypeChoosesObjectTypes()
    {
        QFETCH(int, modelType);
        QFETCH(QStringList, visible);
        OrganisationFixture org;
        Panel panel(org);
        QAbstractItemModelTester tester(&panel.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (modelType == 7)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown model type")));
        panel.proxy.setModelType(modelType);
        QCOMPARE(visibleNames(org, panel.proxy), visible);
    }

    void dismissedByEmploymentEnd_data()
    {
        QTest::addColumn<QString>("employmentEnd");
        QTest::addColumn<bool>("dismissed");
        QTest::addRow("ended the day before") << "2026-02-28" << true;
        QTest::addRow("ends on the day") << "2026-03-01" << false;
        QTest::addRow("no end") << "" << false;
        QTest::addRow("unreadable end") << "31.01.2026" << false;
    }

    void dismissedByEmploymentEnd()
    {
        QFETCH(QString, employmentEnd);
        QFETCH(bool, dismissed);
        OrganisationFixture org;
        org.setEmploymentEnd(org.kuznetsov, employmentEnd);
        Panel panel(org);
        QCOMPARE(panel.proxy.isDismissed(org.kuznetsov), dismissed);
        QCOMPARE(panel.proxy.indexForUid(org.kuznetsov).isValid(), !dismissed);
        panel.widget.setShowDismissed(true);
        const QModelIndex shown = panel.proxy.indexForUid(org.kuznetsov);
        QCOMPARE(shown.data(WorkerHistoryProxyModel::DismissedRole).toBool(), dismissed);
        // Shown dismissed employees are greyed.
        const QColor grey(QLatin1String(orvanta::wt::color::DISABLED_TEXT));
        QCOMPARE(DelegateProbe().option(shown).palette.color(QPalette::Text) == grey, dismissed);
    }

    void delegateNamesBareStoreRows()
    {
        OrganisationFixture org;
        const QModelIndex firm = org.model()->index(0, 0);
        DelegateProbe delegate;
        const QStyleOptionViewItem option = delegate.option(firm);
        QCOMPARE(option.text + ' ' + option.icon.name(), QStringLiteral("ООО Ромашка object-OT_FIRM"));
        QVERIFY(delegate.sizeHint(option, firm).height() >= 22);
    }

    void hiddenDismissedLosesCheck()
    {
        OrganisationFixture org;
        Panel panel(org);
        QAbstractItemModelTester tester(&panel.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        panel.widget.setShowDismissed(true);
        panel.widget.setChecked({org.it});
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it", "kuznetsov", "sidorov"}));
        // A planner must not pick someone he cannot see.
        QSignalSpy checkedSpy(&panel.proxy, &ObjectTreeProxy::checkedChanged);
        panel.widget.setShowDismissed(false);
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it", "kuznetsov"}));
        QCOMPARE(checkedSpy.count(), 1);
        // Dismissed while checked, through a store change.
        org.setEmploymentEnd(org.kuznetsov, QStringLiteral("2026-02-01"));
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it"}));
    }

    void spaceAndClickToggleChecks()
    {
        OrganisationFixture org;
        Panel panel(org);
        panel.showAndWait();
        QSignalSpy spy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
        QTreeView* view = panel.widget.treeView();
        view->setCurrentIndex(panel.proxy.indexForUid(org.sales));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"sales", "north", "petrova", "ivanov"}));
        // A partially checked parent becomes checked as a whole, then unchecked.
        view->setCurrentIndex(panel.proxy.indexForUid(org.firm));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(panel.proxy.checkState(view->currentIndex()), Qt::Checked);
        QTest::keyClick(view, Qt::Key_Space);
        QVERIFY(panel.widget.checked().isEmpty());
        QCOMPARE(spy.count(), 3);

        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualRect(panel.proxy.indexForUid(org.it));
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay
            | QStyleOptionViewItem::HasDecoration;
        const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
        QCOMPARE(spy.count(), 4);
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it", "kuznetsov"}));
    }

    void departmentsNamesCheckedDepartments_data()
    {
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QStringList>("departments");
        QTest::addRow("employee only") << QStringList{"ivanov"} << QStringList();
        // Сидоров is dismissed and hidden, so Кузнецов is all of the department there is.
        QTest::addRow("every shown employee") << QStringList{"kuznetsov"} << QStringList{"Технический отдел"};
        QTest::addRow("whole firm, in display order")
            << QStringList{"firm"} << QStringList{"Отдел продаж", "Сектор Север", "Технический отдел"};
    }

    void departmentsNamesCheckedDepartments()
    {
        QFETCH(QStringList, checked);
        QFETCH(QStringList, departments);
        OrganisationFixture org;
        Panel panel(org);
        panel.widget.setChecked(org.idsOf(checked));
        QCOMPARE(panel.widget.departments(), departments);
    }

    void restoredChecksAreAnnounced()
    {
        // The filter dialog restores saved departments and must enable its apply button.
        OrganisationFixture org;
        Panel panel(org, WorkerHistoryProxyModel::Departments);
        QSignalSpy spy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
        panel.widget.setChecked({org.it, 424242});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it"}));
    }

    void typingGoesToSearch()
    {
        OrganisationFixture org;
        Panel panel(org);
        panel.showAndWait();
        QTreeView* view = panel.widget.treeView();
        view->setFocus();
        view->setCurrentIndex(panel.proxy.indexForUid(org.firm));
        view->collapseAll();
        QSignalSpy searchSpy(panel.widget.searchWidget(), &SearchWidget::startSearch);
        // keyClicks knows Latin keys only.
        for (const QChar letter : QStringLiteral("Петр")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        }
        QCOMPARE(panel.widget.searchWidget()->text(), QStringLiteral("Петр"));
        QVERIFY(panel.widget.searchWidget()->lineEdit()->hasFocus());
        QVERIFY(searchSpy.wait());
        QCOMPARE(visibleNames(org, panel.proxy), QStringList({"firm", "sales", "north", "petrova"}));
        QVERIFY(view->isExpanded(panel.proxy.indexForUid(org.north)));
        // A queued search reads the field as it is then.
        panel.widget.searchWidget()->setText(QStringLiteral("кузнецов"));
        QVERIFY(QMetaObject::invokeMethod(&panel.widget, "startSearch", Qt::QueuedConnection));
        QTRY_COMPARE(visibleNames(org, panel.proxy), QStringList({"firm", "it", "kuznetsov"}));
    }

    void showAllSwitch()
    {
        OrganisationFixture org;
        Panel panel(org);
        QAbstractItemModelTester tester(&panel.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(panel.widget.isShowAllVisible());
        panel.widget.setChecked({org.petrova});
        panel.widget.setShowAll(false);
        QCOMPARE(visibleNames(org, panel.proxy), QStringList({"firm", "sales", "north", "petrova"}));
        panel.widget.setShowAll(true);
        QCOMPARE(visibleNames(org, panel.proxy).size(), 7);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkerHistoryPanel)
#include "tst_workerhistorypanel.moc"
