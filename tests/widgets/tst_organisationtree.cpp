#include "fatalwarnings.h"
#include "objecttreeproxy.h"
#include "organisationbuilder.h"
#include "ovicontheme.h"
#include "searchwidget.h"
#include "styleditemdelegate.h"
#include "workerhistoryitemdelegate.h"
#include "workerhistorypanelwidget.h"
#include "workerhistoryproxymodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QTest>
#include <QTreeView>

using orvanta::TYPE_ID;

namespace {

// The organisation of every test, in the local store; ids are handed out so that source order differs from
// name order. Сидоров's employment ended on 31.01.2026.
//   ООО Ромашка > Отдел продаж (П-1) > Сектор Север > Петрова Анна (Т-17)
//                                    > Иванов Иван
//               > Технический отдел  > Сидоров Пётр, Кузнецов Олег
struct Organisation
{
    ovtest::OrganisationBuilder builder;
    const TYPE_ID firm = builder.firm(QStringLiteral("ООО Ромашка"));
    const TYPE_ID it = builder.department(QStringLiteral("Технический отдел"), firm);
    const TYPE_ID sales = builder.department(QStringLiteral("Отдел продаж"), firm, QStringLiteral("П-1"));
    const TYPE_ID kuznetsov = builder.employee(QStringLiteral("Кузнецов Олег"), it);
    const TYPE_ID sidorov = builder.employee(QStringLiteral("Сидоров Пётр"), it);
    const TYPE_ID ivanov = builder.employee(QStringLiteral("Иванов Иван"), sales);
    const TYPE_ID north = builder.department(QStringLiteral("Сектор Север"), sales);
    const TYPE_ID petrova = builder.employee(QStringLiteral("Петрова Анна"), north, QStringLiteral("Т-17"));
    const QHash<QString, TYPE_ID> ids{{"firm", firm}, {"it", it}, {"sales", sales}, {"north", north},
        {"ivanov", ivanov}, {"petrova", petrova}, {"sidorov", sidorov}, {"kuznetsov", kuznetsov}};

    Organisation() { setEmploymentEnd(sidorov, QStringLiteral("2026-01-31")); }
    void setEmploymentEnd(TYPE_ID employee, const QString& date) { builder.setProperty(employee, "PT_DATE_END", date); }
    QAbstractItemModel* model() const { return builder.store()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)); }

    QList<TYPE_ID> idsOf(const QStringList& names) const
    {
        QList<TYPE_ID> result;
        for (const QString& name : names)
            result.append(ids.value(name));
        return result;
    }

    QString namesOf(const QList<TYPE_ID>& uids) const
    {
        QStringList result;
        for (TYPE_ID uid : uids)
            result.append(ids.key(uid, QStringLiteral("#%1").arg(uid)));
        return result.join(',');
    }

    // Every row proxy shows, depth first in proxy order.
    QString visible(const QAbstractItemModel& proxy, const QModelIndex& parent = QModelIndex()) const
    {
        QStringList names;
        for (int row = 0; row < proxy.rowCount(parent); ++row) {
            const QModelIndex index = proxy.index(row, 0, parent);
            names << namesOf({index.data(Qt::UserRole).toUInt()}) << visible(proxy, index);
        }
        names.removeAll(QString());
        return names.join(',');
    }

    // A checkable, searchable read-only proxy as the screens set it up.
    void attach(ObjectTreeProxy& proxy) const
    {
        proxy.setSourceModel(model());
        proxy.setSearchIndex(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
        proxy.setSearchEnabled(true);
        proxy.setCheckable(true);
        proxy.setReadOnly(true);
    }
};

const QString everyone = QStringLiteral("firm,sales,north,petrova,ivanov,it,kuznetsov,sidorov");

// The panel as the break-rule screens set it up, employees shown, as on 1 March 2026.
struct Panel
{
    explicit Panel(const Organisation& org)
    {
        proxy.setReferenceDate(QDate(2026, 3, 1));
        org.attach(proxy);
        proxy.setModelType(WorkerHistoryProxyModel::Employees);
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

// Exposes the option a delegate paints from.
template<typename Delegate>
struct Probe : Delegate
{
    QStyleOptionViewItem option(const QModelIndex& index) const
    {
        QStyleOptionViewItem result;
        this->initStyleOption(&result, index);
        return result;
    }
    QString shown(const QModelIndex& index) const
    {
        const QStyleOptionViewItem o = option(index);
        return o.text + (o.features & QStyleOptionViewItem::HasDecoration ? QString(' ' + o.icon.name()) : QString());
    }
};

bool check(ObjectTreeProxy& proxy, TYPE_ID uid, Qt::CheckState state)
{
    return proxy.setData(proxy.indexForUid(uid), state, Qt::CheckStateRole);
}

} // namespace

class tst_OrganisationTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void namesAndIcons()
    {
        Organisation org;
        ObjectTreeProxy proxy;
        org.attach(proxy);
        QStringList shown;
        for (TYPE_ID uid : {org.firm, org.north, org.petrova}) {
            const QModelIndex index = proxy.indexForUid(uid);
            shown << index.data().toString() + ' ' + index.data(Qt::DecorationRole).value<QIcon>().name();
        }
        // Over models that give only ids: the store's tree and a plain one.
        const QModelIndex storeFirm = org.model()->index(0, 0), storeIt = org.model()->index(0, 0, storeFirm);
        QStandardItemModel plain(3, 1);
        plain.setData(plain.index(0, 0), QStringLiteral("1001"));
        plain.setData(plain.index(1, 0), 999999u);
        plain.setData(plain.index(2, 0), org.sales);
        Probe<StyledItemDelegate> styled;
        // The type column is drawn as the model gives it; unknown ids without digit grouping.
        for (const QModelIndex& index : {storeIt, storeIt.siblingAtColumn(1), plain.index(0, 0), plain.index(1, 0),
                                         plain.index(2, 0)})
            shown << styled.shown(index);
        Probe<WorkerHistoryItemDelegate> history;
        shown << history.shown(storeFirm);
        QCOMPARE(shown, (QStringList{"ООО Ромашка object-OT_FIRM", "Сектор Север object-OT_DEPARTMENT",
                                     "Петрова Анна object-OT_WORKER", "Технический отдел object-OT_DEPARTMENT",
                                     "OT_DEPARTMENT", "1001", "999999", "Отдел продаж object-OT_DEPARTMENT",
                                     "ООО Ромашка object-OT_FIRM"}));
        QVERIFY(history.sizeHint(history.option(storeFirm), storeFirm).height() >= 22);
    }

    void visibleRows_data()
    {
        QTest::addColumn<int>("modelType"); // -1: a plain ObjectTreeProxy
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("searchEnabled");
        QTest::addColumn<QStringList>("idFilter");
        QTest::addColumn<QString>("visible");
        const auto row = [](const char* tag, const QString& search, const QStringList& idFilter, const char* visible,
                            int modelType = -1, bool searchEnabled = true) {
            QTest::newRow(tag) << modelType << search << searchEnabled << idFilter << QString::fromLatin1(visible);
        };
        row("nothing to match", "", {}, qPrintable(everyone));
        row("employee, any case", "пЕТРОВА", {}, "firm,sales,north,petrova");
        row("department without its members", "север", {}, "firm,sales,north");
        row("personnel number", "т-17", {}, "firm,sales,north,petrova");
        row("department number", "П-1", {}, "firm,sales");
        row("spaces around the text", "  Иванов ", {}, "firm,sales,ivanov");
        row("no match", "Смирнов", {}, "");
        row("search switched off", "Смирнов", {}, qPrintable(everyone), -1, false);
        row("id filter", "", {"north", "kuznetsov"}, "firm,sales,north,it,kuznetsov");
        row("id filter and search", "Кузнецов", {"north", "kuznetsov"}, "firm,it,kuznetsov");
        row("departments", "", {}, "firm,sales,north,it", WorkerHistoryProxyModel::Departments);
        row("employees, the dismissed hidden", "", {}, "firm,sales,north,petrova,ivanov,it,kuznetsov",
            WorkerHistoryProxyModel::Employees);
        row("unknown model type falls back to departments", "", {}, "firm,sales,north,it", 7);
    }

    void visibleRows()
    {
        QFETCH(int, modelType);
        QFETCH(QString, search);
        QFETCH(bool, searchEnabled);
        QFETCH(QStringList, idFilter);
        QFETCH(QString, visible);
        Organisation org;
        ObjectTreeProxy plain;
        Panel panel(org);
        ObjectTreeProxy& proxy = modelType < 0 ? plain : panel.proxy;
        org.attach(plain);
        QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (modelType == 7)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown model type")));
        if (modelType >= 0)
            panel.proxy.setModelType(modelType);
        proxy.setSearchEnabled(searchEnabled);
        proxy.setSearchText(search);
        proxy.setIdFilter(org.idsOf(idFilter));
        QCOMPARE(org.visible(proxy), visible);
    }

    void checkSpreads_data()
    {
        QTest::addColumn<QStringList>("toCheck");
        QTest::addColumn<QStringList>("toUncheck");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QStringList>("partial");
        QTest::addRow("department checks its branch")
            << QStringList{"sales"} << QStringList() << "sales,north,petrova,ivanov" << QStringList{"firm"};
        QTest::addRow("last child completes the parent")
            << QStringList{"kuznetsov", "sidorov"} << QStringList() << "it,kuznetsov,sidorov" << QStringList{"firm"};
        QTest::addRow("every department completes the firm") << QStringList{"sales", "it"} << QStringList() << everyone
                                                              << QStringList();
        QTest::addRow("unchecked leaf unchecks its ancestors") << QStringList{"firm"} << QStringList{"petrova"}
                                                               << "ivanov,it,kuznetsov,sidorov"
                                                               << QStringList{"firm", "sales"};
        QTest::addRow("unchecked department clears its branch")
            << QStringList{"firm"} << QStringList{"sales"} << "it,kuznetsov,sidorov" << QStringList{"firm"};
    }

    void checkSpreads()
    {
        QFETCH(QStringList, toCheck);
        QFETCH(QStringList, toUncheck);
        QFETCH(QString, checked);
        QFETCH(QStringList, partial);
        Organisation org;
        ObjectTreeProxy proxy;
        org.attach(proxy);
        for (TYPE_ID uid : org.idsOf(toCheck))
            QVERIFY(check(proxy, uid, Qt::Checked));
        for (TYPE_ID uid : org.idsOf(toUncheck))
            QVERIFY(check(proxy, uid, Qt::Unchecked));
        QCOMPARE(org.namesOf(proxy.checked()), checked);
        for (const QString& name : everyone.split(',')) {
            const Qt::CheckState expected = checked.split(',').contains(name) ? Qt::Checked
                : partial.contains(name)                                      ? Qt::PartiallyChecked
                                                                              : Qt::Unchecked;
            QCOMPARE(proxy.checkState(proxy.indexForUid(org.ids.value(name))), expected);
        }
    }

    void checkSignals()
    {
        Organisation org;
        ObjectTreeProxy proxy;
        org.attach(proxy);
        QStringList log;
        connect(&proxy, &ObjectTreeProxy::changeCheckedStateUid, this,
                [&](TYPE_ID uid, bool on) { log << org.namesOf({uid}) + (on ? " on" : " off"); });
        connect(&proxy, &ObjectTreeProxy::checkedChanged, this, [&] { log << org.namesOf(proxy.checked()); });
        QVERIFY(check(proxy, org.sales, Qt::Checked));
        QVERIFY(check(proxy, org.north, Qt::Checked)); // already checked: no change
        QVERIFY(check(proxy, org.north, Qt::Unchecked));
        log << "--";
        proxy.setChecked({999999, org.north}); // not the user: no per-item signal; unknown ids skipped
        proxy.setChecked({org.petrova});       // the same set
        proxy.setChecked({});
        log << "--";
        // A disabled object can be neither checked nor edited.
        proxy.setUidEnabled(org.ivanov, false);
        QVERIFY(!(proxy.flags(proxy.indexForUid(org.ivanov)) & Qt::ItemIsEnabled));
        QVERIFY(!check(proxy, org.ivanov, Qt::Checked));
        QCOMPARE(log, (QStringList{"sales on", "sales,north,petrova,ivanov", "north off", "ivanov", "--",
                                   "north,petrova", "", "--"}));
    }

    void typeFilterPrunesAndSpreadsChecks()
    {
        Organisation org;
        ObjectTreeProxy proxy;
        org.attach(proxy);
        QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        proxy.setChecked({org.petrova, org.kuznetsov});
        QCOMPARE(org.namesOf(proxy.checked()), QStringLiteral("north,petrova,kuznetsov"));
        // Employees hidden: their checks go; Отдел продаж was never checked as a whole.
        proxy.setTypeFilter({QLatin1String(db::orgstructure::FIRM), QLatin1String(db::orgstructure::DEPARTMENT)});
        QCOMPARE(org.namesOf(proxy.checked()), QStringLiteral("north"));
        QCOMPARE(proxy.checkState(proxy.indexForUid(org.sales)), Qt::PartiallyChecked);
        QVERIFY(!proxy.indexForUid(org.petrova).isValid());
        check(proxy, org.sales, Qt::Checked);
        // Employees shown again: a checked department's check reaches them.
        proxy.setTypeFilter({});
        QCOMPARE(org.namesOf(proxy.checked()), QStringLiteral("sales,north,petrova,ivanov"));
    }

    void storeChangesReachChecks()
    {
        Organisation org;
        ObjectTreeProxy proxy;
        org.attach(proxy);
        QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        proxy.setChecked({org.it});
        const TYPE_ID newcomer = org.builder.employee(QStringLiteral("Алексеев Борис"), org.it);
        QVERIFY(proxy.checked().contains(newcomer));
        QCOMPARE(proxy.checkState(proxy.indexForUid(org.it)), Qt::Checked);
        // Moved under a checked department, an employee joins its check too.
        org.builder.setParent(org.ivanov, org.it);
        QVERIFY(proxy.checked().contains(org.ivanov));
        org.builder.store()->removeObjects(QLatin1String(orvanta::SUBJECT_DATANAME), {org.ivanov});
        QVERIFY(!proxy.checked().contains(org.ivanov));
    }

    void readOnlyRefusesEditsNotChecks()
    {
        // An editable source, so that only the proxy can refuse.
        for (const bool readOnly : {true, false}) {
            QStandardItemModel source;
            source.appendRow(new QStandardItem(QStringLiteral("7")));
            ObjectTreeProxy proxy;
            proxy.setSourceModel(&source);
            proxy.setCheckable(true);
            proxy.setReadOnly(readOnly);
            const QModelIndex index = proxy.index(0, 0);
            QCOMPARE(bool(proxy.flags(index) & Qt::ItemIsEditable), !readOnly);
            QCOMPARE(proxy.setData(index, QStringLiteral("8"), Qt::EditRole), !readOnly);
            QVERIFY(proxy.setData(index, Qt::Checked, Qt::CheckStateRole));
            QCOMPARE(proxy.checked(), QList<TYPE_ID>({readOnly ? 7u : 8u}));
        }
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
        Organisation org;
        org.setEmploymentEnd(org.kuznetsov, employmentEnd);
        Panel panel(org);
        QCOMPARE(panel.proxy.isDismissed(org.kuznetsov), dismissed);
        QCOMPARE(panel.proxy.indexForUid(org.kuznetsov).isValid(), !dismissed);
        panel.widget.setShowDismissed(true);
        const QModelIndex shown = panel.proxy.indexForUid(org.kuznetsov);
        QCOMPARE(shown.data(WorkerHistoryProxyModel::DismissedRole).toBool(), dismissed);
        // Shown dismissed employees are greyed.
        const QColor grey(QLatin1String(orvanta::wt::color::DISABLED_TEXT));
        QCOMPARE(Probe<WorkerHistoryItemDelegate>().option(shown).palette.color(QPalette::Text) == grey, dismissed);
    }

    void panelSwitchesDropHiddenChecks()
    {
        Organisation org;
        Panel panel(org);
        QAbstractItemModelTester tester(&panel.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy checkedSpy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
        panel.widget.setShowDismissed(true);
        panel.widget.setChecked({org.it});
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringLiteral("it,kuznetsov,sidorov"));
        // A planner must not pick someone he cannot see.
        panel.widget.setShowDismissed(false);
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringLiteral("it,kuznetsov"));
        QCOMPARE(checkedSpy.count(), 2);
        // Dismissed while checked, through a store change.
        org.setEmploymentEnd(org.kuznetsov, QStringLiteral("2026-02-01"));
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringLiteral("it"));
        // Only the checked branches.
        QVERIFY(panel.widget.isShowAllVisible());
        panel.widget.setChecked({org.petrova});
        panel.widget.setShowAll(false);
        QCOMPARE(org.visible(panel.proxy), QStringLiteral("firm,sales,north,petrova"));
        panel.widget.setShowAll(true);
        QCOMPARE(org.visible(panel.proxy), QStringLiteral("firm,sales,north,petrova,ivanov,it"));
    }

    void spaceAndClickToggleChecks()
    {
        Organisation org;
        Panel panel(org);
        panel.widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.widget));
        QSignalSpy spy(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged);
        QTreeView* view = panel.widget.treeView();
        view->setCurrentIndex(panel.proxy.indexForUid(org.sales));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringLiteral("sales,north,petrova,ivanov"));
        // Checked departments by name, in display order; employees and partly checked ones are not named.
        QCOMPARE(panel.widget.departments(), (QStringList{"Отдел продаж", "Сектор Север"}));
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
        // Сидоров is dismissed and hidden, so Кузнецов is all of the department there is.
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringLiteral("it,kuznetsov"));
        QCOMPARE(panel.widget.departments(), QStringList{"Технический отдел"});
    }

    void typingGoesToSearch()
    {
        Organisation org;
        Panel panel(org);
        panel.widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.widget));
        QTreeView* view = panel.widget.treeView();
        view->setFocus();
        view->setCurrentIndex(panel.proxy.indexForUid(org.firm));
        view->collapseAll();
        SearchWidget* search = panel.widget.searchWidget();
        QSignalSpy searchSpy(search, &SearchWidget::startSearch);
        // keyClicks knows Latin keys only.
        for (const QChar letter : QStringLiteral("Петр")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        }
        QCOMPARE(search->text(), QStringLiteral("Петр"));
        QVERIFY(search->lineEdit()->hasFocus());
        QVERIFY(searchSpy.wait());
        QCOMPARE(org.visible(panel.proxy), QStringLiteral("firm,sales,north,petrova"));
        QVERIFY(view->isExpanded(panel.proxy.indexForUid(org.north)));
        // A queued search reads the field as it is then.
        search->setText(QStringLiteral("кузнецов"));
        QVERIFY(QMetaObject::invokeMethod(&panel.widget, "startSearch", Qt::QueuedConnection));
        QTRY_COMPARE(org.visible(panel.proxy), QStringLiteral("firm,it,kuznetsov"));
    }
};

OV_TEST_WIDGETS_MAIN(tst_OrganisationTree)
#include "tst_organisationtree.moc"
