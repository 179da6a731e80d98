#include "fatalwarnings.h"
#include "organisationfixture.h"
#include "ovicontheme.h"
#include "searchwidget.h"
#include "workerhistoryitemdelegate.h"
#include "workerhistorypanelwidget.h"
#include "workerhistoryproxymodel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

using orvanta::TYPE_ID;

namespace {

// The panel as the break-rule screens set it up, over the fixture's organisation.
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

    WorkerHistoryProxyModel proxy;
    WorkerHistoryPanelWidget widget;
};

QRect checkRect(QTreeView* view, const QModelIndex& index)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay
        | QStyleOptionViewItem::HasDecoration;
    return view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
}

} // namespace

class tst_WorkerHistoryPanelWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void spaceTogglesCurrentItem();
    void clickOnCheckBoxSignalsOnce();
    void departmentsNamesCheckedDepartments_data();
    void departmentsNamesCheckedDepartments();
    void restoredChecksAreAnnounced();
    void typingGoesToSearch();
    void queuedStartSearchUsesFieldText();
    void switchesApplyToModel();
};

void tst_WorkerHistoryPanelWidget::initTestCase()
{
    QVERIFY(OVIconTheme::install());
}

void tst_WorkerHistoryPanelWidget::spaceTogglesCurrentItem()
{
    OrganisationFixture org;
    Panel panel(org);
    QSignalSpy spy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
    QTreeView* view = panel.widget.treeView();
    view->setCurrentIndex(panel.proxy.indexForUid(org.sales));

    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"sales", "north", "petrova", "ivanov"}));

    // A partially checked parent becomes checked as a whole.
    view->setCurrentIndex(panel.proxy.indexForUid(org.firm));
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(panel.proxy.checkState(view->currentIndex()), Qt::Checked);

    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(spy.count(), 3);
    QVERIFY(panel.widget.checked().isEmpty());
}

void tst_WorkerHistoryPanelWidget::clickOnCheckBoxSignalsOnce()
{
    OrganisationFixture org;
    Panel panel(org);
    panel.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel.widget));
    QSignalSpy spy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
    QSignalSpy stateSpy(&panel.proxy, &ObjectTreeProxy::changeCheckedStateUid);
    QTreeView* view = panel.widget.treeView();

    const QRect box = checkRect(view, panel.proxy.indexForUid(org.it));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(stateSpy.at(0).at(0).toUInt(), org.it);
    QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it", "kuznetsov"}));
}

void tst_WorkerHistoryPanelWidget::departmentsNamesCheckedDepartments_data()
{
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("departments");

    QTest::addRow("nothing") << QStringList() << QStringList();
    QTest::addRow("employee only") << QStringList{"ivanov"} << QStringList();
    // Сидоров is dismissed and hidden, so Кузнецов is all of the department there is.
    QTest::addRow("every shown employee") << QStringList{"kuznetsov"} << QStringList{"Технический отдел"};
    QTest::addRow("department with its sub-department")
        << QStringList{"sales"} << QStringList{"Отдел продаж", "Сектор Север"};
    QTest::addRow("whole firm, in display order")
        << QStringList{"firm"} << QStringList{"Отдел продаж", "Сектор Север", "Технический отдел"};
}

void tst_WorkerHistoryPanelWidget::departmentsNamesCheckedDepartments()
{
    QFETCH(QStringList, checked);
    QFETCH(QStringList, departments);

    OrganisationFixture org;
    Panel panel(org);
    panel.widget.setChecked(org.idsOf(checked));
    QCOMPARE(panel.widget.departments(), departments);
}

void tst_WorkerHistoryPanelWidget::restoredChecksAreAnnounced()
{
    // The filter dialog restores saved departments and must enable its apply button.
    OrganisationFixture org;
    Panel panel(org, WorkerHistoryProxyModel::Departments);
    QSignalSpy spy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
    panel.widget.setChecked({org.it, 424242});
    QCOMPARE(spy.count(), 1);
    QCOMPARE(org.namesOf(panel.widget.checked()), QStringList({"it"}));
}

void tst_WorkerHistoryPanelWidget::typingGoesToSearch()
{
    OrganisationFixture org;
    Panel panel(org);
    panel.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel.widget));
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
}

void tst_WorkerHistoryPanelWidget::queuedStartSearchUsesFieldText()
{
    OrganisationFixture org;
    Panel panel(org);
    panel.widget.searchWidget()->setText(QStringLiteral("кузнецов"));
    QVERIFY(QMetaObject::invokeMethod(&panel.widget, "startSearch", Qt::QueuedConnection));
    QTRY_COMPARE(visibleNames(org, panel.proxy), QStringList({"firm", "it", "kuznetsov"}));
}

void tst_WorkerHistoryPanelWidget::switchesApplyToModel()
{
    OrganisationFixture org;
    Panel panel(org);
    QVERIFY(!panel.widget.isShowDismissedVisible());
    QVERIFY(panel.widget.isShowAllVisible());
    QVERIFY(!panel.proxy.showDismissed());
    QVERIFY(!panel.proxy.indexForUid(org.sidorov).isValid());

    panel.widget.setShowDismissed(true);
    QVERIFY(panel.proxy.indexForUid(org.sidorov).isValid());

    panel.widget.setChecked({org.petrova});
    panel.widget.setShowAll(false);
    QCOMPARE(visibleNames(org, panel.proxy), QStringList({"firm", "sales", "north", "petrova"}));
    panel.widget.setShowAll(true);
    QCOMPARE(visibleNames(org, panel.proxy).size(), 8);
}

OV_TEST_WIDGETS_MAIN(tst_WorkerHistoryPanelWidget)
#include "tst_workerhistorypanelwidget.moc"
