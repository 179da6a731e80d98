#include "fatalwarnings.h"
#include "grantedproxymodel.h"
#include "objecttreemodel.h"
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
#include <QStandardItemModel>
#include <QStyle>
#include <QTest>
#include <QTreeView>

#include <functional>

using orvanta::TYPE_ID;

namespace {

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
        {"ivanov", ivanov}, {"petrova", petrova}, {"sidorov", sidorov}, {"kuznetsov", kuznetsov}, {"nobody", 999999}};

    Organisation() { setEmploymentEnd(sidorov, QStringLiteral("2026-01-31")); }
    void setEmploymentEnd(TYPE_ID employee, const QString& date) { builder.setProperty(employee, "PT_DATE_END", date); }
    QAbstractItemModel* model() const { return builder.store()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)); }

    QList<TYPE_ID> idsOf(const QString& names) const
    {
        QList<TYPE_ID> result;
        for (const QString& name : names.split(',', Qt::SkipEmptyParts))
            result.append(ids.value(name));
        return result;
    }

    QString namesOf(const QList<TYPE_ID>& uids) const
    {
        QStringList result;
        for (TYPE_ID uid : uids)
            result.append(ids.key(uid, builder.object(uid).property(QLatin1String(db::common::NAME))));
        return result.join(',');
    }

    // Every row proxy shows, depth first in proxy order: "+" marks a checked one, "~" a partly checked one, "*" a
    // dismissed one and "?" one the delegate greys, or does not, against that.
    QString visible(const QAbstractItemModel& proxy, const QModelIndex& parent = QModelIndex()) const
    {
        const QColor grey(QLatin1String(orvanta::wt::color::DISABLED_TEXT));
        QStringList names;
        for (int row = 0; row < proxy.rowCount(parent); ++row) {
            const QModelIndex index = proxy.index(row, 0, parent);
            const int state = index.data(Qt::CheckStateRole).toInt();
            const bool dismissed = index.data(WorkerHistoryProxyModel::DismissedRole).toBool();
            const bool greyed = Probe<WorkerHistoryItemDelegate>().option(index).palette.color(QPalette::Text) == grey;
            names << namesOf({index.data(Qt::UserRole).toUInt()}) + (state == Qt::Checked ? "+" : state ? "~" : "")
                    + (dismissed ? "*" : "") + (greyed != dismissed ? "?" : "")
                  << visible(proxy, index);
        }
        names.removeAll(QString());
        return names.join(',');
    }
};

// The panel as the break-rule screens set it up, employees shown and the dismissed hidden, as on 1 March 2026.
struct Panel
{
    explicit Panel(const Organisation& org)
    {
        proxy.setReferenceDate(QDate(2026, 3, 1));
        proxy.setSourceModel(org.model());
        proxy.setSearchIndex(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
        proxy.setSearchEnabled(true);
        proxy.setCheckable(true);
        proxy.setReadOnly(true);
        proxy.setModelType(WorkerHistoryProxyModel::Employees);
        widget.setModel(&proxy);
        widget.setItemDelegate(new WorkerHistoryItemDelegate);
        widget.treeView()->expandAll();
        widget.resize(400, 500);
    }

    WorkerHistoryProxyModel proxy;
    WorkerHistoryPanelWidget widget;
};

} // namespace

class tst_OrganisationTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void namesAndIcons()
    {
        Organisation org;
        Panel panel(org);
        const QModelIndex petrova = panel.proxy.indexForUid(org.petrova);
        QStringList shown{petrova.data().toString() + ' ' + petrova.data(Qt::DecorationRole).value<QIcon>().name()};
        // Over models that give only ids: the store's tree and a plain one.
        const QModelIndex storeFirm = org.model()->index(0, 0), storeIt = org.model()->index(0, 0, storeFirm);
        QStandardItemModel plain(2, 1);
        plain.setData(plain.index(0, 0), QStringLiteral("1001"));
        plain.setData(plain.index(1, 0), 999999u);
        Probe<StyledItemDelegate> styled;
        // The type column is drawn as the model gives it; unknown ids without digit grouping.
        for (const QModelIndex& index : {storeIt, storeIt.siblingAtColumn(1), plain.index(0, 0), plain.index(1, 0)})
            shown << styled.shown(index);
        Probe<WorkerHistoryItemDelegate> history;
        shown << history.shown(storeFirm);
        QCOMPARE(shown, (QStringList{"Петрова Анна object-OT_WORKER", "Технический отдел object-OT_DEPARTMENT",
                                     "OT_DEPARTMENT", "1001", "999999", "ООО Ромашка object-OT_FIRM"}));
        QVERIFY(history.sizeHint(history.option(storeFirm), storeFirm).height() >= 22);
    }

    // The tree fed from a copy of the organisation with a parent cycle and an orphan the store does not hold;
    // "!" marks a row that cannot be chosen.
    void grantedTree_data()
    {
        QTest::addColumn<QString>("granted");
        QTest::addColumn<bool>("departmentsOnly");
        QTest::addColumn<QString>("shown");
        QTest::addRow("nothing granted: everything") << "" << false
            << "ООО Ромашка,Отдел продаж,Сектор Север,Петрова Анна,Иванов Иван,Технический отдел,Кузнецов Олег,"
               "Сидоров Пётр,Сирота,Цикл А,Цикл Б";
        QTest::addRow("a department with its branch") << "sales" << false
            << "ООО Ромашка!,Отдел продаж,Сектор Север,Петрова Анна,Иванов Иван";
        QTest::addRow("an employee through his path") << "petrova" << false
            << "ООО Ромашка!,Отдел продаж!,Сектор Север!,Петрова Анна";
        QTest::addRow("an employee, departments only") << "petrova" << true << "";
        QTest::addRow("two branches, departments only") << "north,it" << true
            << "ООО Ромашка!,Отдел продаж!,Сектор Север,Технический отдел";
        QTest::addRow("unknown id grants nothing") << "nobody" << false << "";
    }

    void grantedTree()
    {
        QFETCH(QString, granted);
        QFETCH(bool, departmentsOnly);
        QFETCH(QString, shown);
        Organisation org;
        orvanta::OBJECT_HASH objects = *org.builder.store()->constObjects(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
        for (const orvanta::ObjectInfo& employee : *org.builder.store()->constObjects(QLatin1String(orvanta::SUBJECT_DATANAME)))
            objects.insert(employee.uid, employee);
        const auto add = [&objects](TYPE_ID uid, TYPE_ID parent, const QString& name) {
            orvanta::ObjectInfo& object = objects[uid];
            object.type = QLatin1String(db::orgstructure::DEPARTMENT);
            object.parent = parent;
            object.properties.insert(QLatin1String(db::common::NAME), name);
        };
        add(900001, 900002, QStringLiteral("Цикл А"));
        add(900002, 900001, QStringLiteral("Цикл Б"));
        add(900003, 777, QStringLiteral("Сирота"));
        ObjectTreeModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addObjects(objects);
        GrantedProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.setGrantedIds(org.idsOf(granted));
        if (departmentsOnly)
            proxy.setTypeFilter({QLatin1String(db::orgstructure::FIRM), QLatin1String(db::orgstructure::DEPARTMENT)});
        QStringList names;
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int row = 0; row < proxy.rowCount(parent); ++row) {
                const QModelIndex index = proxy.index(row, 0, parent);
                names << index.data().toString() + (proxy.flags(index) & Qt::ItemIsEnabled ? "" : "!");
                walk(index);
            }
        };
        walk(QModelIndex());
        QCOMPARE(names.join(','), shown);
        QCOMPARE(model.info(org.north).parent, org.sales);
    }

    // Steps: "+name" and "-name" the user checks and unchecks, "=a,b" the screen sets the checks, "!name" disables;
    // "search:text", "search-off" and "ids:a,b" filter; "departments", "employees" and "unknown-type" set the model
    // type; "show-dismissed", "hide-dismissed" and "checked-only" are the panel's switches. In the store, "hire" adds
    // Алексеев Борис to the Технический отдел, "transfer" moves Иванов there, "remove" deletes him and "end:date"
    // ends Кузнецов's employment.
    void panel_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("tree"); // as Organisation::visible() writes it
        QTest::addColumn<QString>("log"); // the user's checks as steps, each change of the checks as {checked}
        const auto row = [](const char* tag, const char* steps, const char* tree, const char* log = "") {
            QTest::newRow(tag) << QString(steps) << QString(tree) << QString(log);
        };
        const char* everyone = "firm,sales,north,petrova,ivanov,it,kuznetsov";
        row("nothing to match", "", everyone);
        row("employee, any case", "search:пЕТРОВА", "firm,sales,north,petrova");
        row("department without its members", "search:север", "firm,sales,north");
        row("personnel number", "search:т-17", "firm,sales,north,petrova");
        row("department number", "search:П-1", "firm,sales");
        row("whitespace around the text", "search:\tИванов\t", "firm,sales,ivanov");
        row("no match", "search:Смирнов", "");
        row("search switched off", "search-off search:Смирнов", everyone);
        row("id filter", "ids:north,kuznetsov", "firm,sales,north,it,kuznetsov");
        row("id filter and search", "ids:north,kuznetsov search:Кузнецов", "firm,it,kuznetsov");
        row("departments", "departments", "firm,sales,north,it");
        row("unknown model type falls back to departments", "unknown-type", "firm,sales,north,it");
        row("employment ended the day before", "end:2026-02-28", "firm,sales,north,petrova,ivanov,it");
        row("employment ends on the day", "end:2026-03-01", everyone);
        row("unreadable employment end", "end:31.01.2026", everyone);
        row("dismissed shown", "show-dismissed", "firm,sales,north,petrova,ivanov,it,kuznetsov,sidorov*");
        row("department checks its branch, once", "+sales +north", "firm~,sales+,north+,petrova+,ivanov+,it,kuznetsov",
            "+sales {sales,north,petrova,ivanov}");
        row("last child completes the parent", "+north +ivanov", "firm~,sales+,north+,petrova+,ivanov+,it,kuznetsov",
            "+north {north,petrova} +ivanov {sales,north,petrova,ivanov}");
        row("unchecking clears the branch and the ancestors", "+firm -petrova -it",
            "firm~,sales~,north,petrova,ivanov+,it,kuznetsov",
            "+firm {firm,sales,north,petrova,ivanov,it,kuznetsov} -petrova {ivanov,it,kuznetsov} -it {ivanov}");
        row("set by the screen, unknown ids skipped", "=nobody,north =petrova =", everyone, "{north,petrova} {}");
        row("disabled object", "!ivanov +ivanov", everyone, "+ivanov refused");
        row("hidden employees lose their checks, a department's check reaches them again",
            "=petrova departments +sales employees", "firm~,sales+,north+,petrova+,ivanov+,it,kuznetsov",
            "{north,petrova} {north} +sales {sales,north} {sales,north,petrova,ivanov}");
        row("store changes", "+it hire transfer remove", "firm~,sales,north,petrova,it+,Алексеев Борис+,kuznetsov+",
            "+it {it,kuznetsov} {it,Алексеев Борис,kuznetsov} {it,Алексеев Борис,ivanov,kuznetsov}");
        // A planner must not pick someone he cannot see.
        row("hidden dismissed employees lose their checks", "show-dismissed =it hide-dismissed end:2026-02-01",
            "firm~,sales,north,petrova,ivanov,it+", "{it,kuznetsov,sidorov} {it,kuznetsov} {it}");
        row("only the checked branches", "=petrova checked-only", "firm~,sales~,north+,petrova+", "{north,petrova}");
    }

    void panel()
    {
        QFETCH(QString, steps);
        QFETCH(QString, tree);
        QFETCH(QString, log);
        Organisation org;
        Panel panel(org);
        QAbstractItemModelTester tester(&panel.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList seen;
        connect(&panel.proxy, &ObjectTreeProxy::changeCheckedStateUid, this,
                [&](TYPE_ID uid, bool on) { seen << (on ? "+" : "-") + org.namesOf({uid}); });
        connect(&panel.widget, &WorkerHistoryPanelWidget::checkedChanged, this,
                [&] { seen << '{' + org.namesOf(panel.widget.checked()) + '}'; });
        QString argument;
        const QHash<QString, std::function<void()>> actions{
            {"search", [&] { panel.proxy.setSearchText(argument); }},
            {"search-off", [&] { panel.proxy.setSearchEnabled(false); }},
            {"ids", [&] { panel.proxy.setIdFilter(org.idsOf(argument)); }},
            {"departments", [&] { panel.proxy.setModelType(WorkerHistoryProxyModel::Departments); }},
            {"employees", [&] { panel.proxy.setModelType(WorkerHistoryProxyModel::Employees); }},
            {"unknown-type", [&] {
                 ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown model type")));
                 panel.proxy.setModelType(7);
             }},
            {"show-dismissed", [&] { panel.widget.setShowDismissed(true); }},
            {"hide-dismissed", [&] { panel.widget.setShowDismissed(false); }},
            {"checked-only", [&] { panel.widget.setShowAll(false); }},
            {"hire", [&] { org.builder.employee(QStringLiteral("Алексеев Борис"), org.it); }},
            {"transfer", [&] { org.builder.setParent(org.ivanov, org.it); }},
            {"remove", [&] { org.builder.store()->removeObjects(orvanta::SUBJECT_DATANAME, {org.ivanov}); }},
            {"end", [&] { org.setEmploymentEnd(org.kuznetsov, argument); }}};
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QString action = step.section(':', 0, 0);
            argument = step.section(':', 1);
            const TYPE_ID uid = org.ids.value(step.mid(1));
            const Qt::CheckState state = step.startsWith('+') ? Qt::Checked : Qt::Unchecked;
            if (actions.contains(action))
                actions[action]();
            else if (step.startsWith('='))
                panel.widget.setChecked(org.idsOf(step.mid(1)));
            else if (step.startsWith('!'))
                panel.proxy.setUidEnabled(uid, false);
            else if (!panel.proxy.setData(panel.proxy.indexForUid(uid), state, Qt::CheckStateRole))
                seen << step + " refused";
        }
        QCOMPARE(org.visible(panel.proxy), tree);
        QCOMPARE(seen.join(' '), log);
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

    void keyboardAndMouse()
    {
        Organisation org;
        Panel panel(org);
        panel.widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.widget));
        QTreeView* view = panel.widget.treeView();
        view->setFocus();
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

        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualRect(panel.proxy.indexForUid(org.it));
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay
            | QStyleOptionViewItem::HasDecoration;
        const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
        // Сидоров is dismissed and hidden, so Кузнецов is all of the department there is.
        QCOMPARE(org.namesOf(panel.widget.checked()), QStringLiteral("it,kuznetsov"));

        // Typing in the tree goes to the search field; keyClicks knows Latin keys only.
        view->collapseAll();
        SearchWidget* search = panel.widget.searchWidget();
        for (const QChar letter : QStringLiteral("Петр")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        }
        QCOMPARE(search->text(), QStringLiteral("Петр"));
        QVERIFY(search->lineEdit()->hasFocus());
        QTRY_COMPARE(org.visible(panel.proxy), QStringLiteral("firm~,sales,north,petrova"));
        QVERIFY(view->isExpanded(panel.proxy.indexForUid(org.north)));
        // A queued search reads the field as it is then.
        search->setText(QStringLiteral("кузнецов"));
        QVERIFY(QMetaObject::invokeMethod(&panel.widget, "startSearch", Qt::QueuedConnection));
        QTRY_COMPARE(org.visible(panel.proxy), QStringLiteral("firm~,it+,kuznetsov+"));
    }
};

OV_TEST_WIDGETS_MAIN(tst_OrganisationTree)
#include "tst_organisationtree.moc"
