#include "attachworkerdepartmentselector.h"
#include "attachworkereditdialog.h"
#include "attachworkerfields.h"
#include "attachworkerinfowidget.h"
#include "attachworkeritemmodel.h"
#include "attachworkerprogresswizardpage.h"
#include "attachworkerproxymodel.h"
#include "attachworkerregister.h"
#include "attachworkerwizard.h"
#include "authdata.h"
#include "deleteobjectwizard.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "testsession.h"
#include "localstorage.h"
#include "objecttreeproxy.h"
#include "organisationbuilder.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

using namespace orvanta;

namespace {

// Firm > shop > shop's stock > stock's cold room, and a warehouse; Ivanov works in the shop and has a July trip to
// the warehouse, Petrov works in the cold room.
struct Organisation
{
    ovtest::OrganisationBuilder org;
    TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
    TYPE_ID stock = org.department(QStringLiteral("Склад магазина"), shop);
    TYPE_ID cold = org.department(QStringLiteral("Холодильник"), stock);
    TYPE_ID warehouse = org.department(QStringLiteral("Склад"), firm, QStringLiteral("7"));
    TYPE_ID ivanov = org.employee(QStringLiteral("Иванов"), shop);
    TYPE_ID petrov = org.employee(QStringLiteral("Петров"), cold);
    TYPE_ID trip = org.attachedWorker(ivanov, warehouse, QDate(2026, 7, 10), QDate(2026, 7, 20));

    Organisation() { org.setProperty(trip, QLatin1String(db::attached_worker::DEPARTNAME), QStringLiteral("Склад")); }

    TYPE_ID id(const QString& name) const
    {
        const QHash<QString, TYPE_ID> ids{{"firm", firm}, {"shop", shop}, {"stock", stock}, {"cold", cold},
                                          {"warehouse", warehouse}, {"ivanov", ivanov}, {"petrov", petrov}};
        return ids.value(name);
    }
};

const OBJECT_HASH& structure()
{
    return *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME));
}

// The grid of the department for the month of date, as the planner loads it.
WorkTimePlanningModel* loadGrid(WorkTimePlanningView& view, TYPE_ID department, const QDate& date)
{
    const QDate first(date.year(), date.month(), 1);
    QMetaObject::invokeMethod(&view, "applyFilter", Q_ARG(QDate, first), Q_ARG(QDate, first.addMonths(1).addDays(-1)),
                              Q_ARG(QList<orvanta::TYPE_ID>, {department}), Q_ARG(QStringList, {}));
    return QTest::qWaitFor([&view] { return !view.isLoading(); }, 10000)
        ? view.findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"))
        : nullptr;
}

} // namespace

class tst_AttachedWorkers : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
    }

    // The list shows what the store holds of a trip; trips without a visible employee are hidden.
    void listedTrips_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("sourceRows");
        const QString trip = QStringLiteral("Иванов|Склад|2026-07-10|2026-07-20");
        QTest::addRow("trip as stored") << "" << trip << 1;
        QTest::addRow("same id added again updates its row") << "re-add" << trip << 1;
        QTest::addRow("employee deleted from the store") << "remove employee" << "" << 1;
        QTest::addRow("trip deleted from the store") << "remove trip" << "" << 0;
        QTest::addRow("filtered out by name") << "filter" << "" << 1;
    }

    void listedTrips()
    {
        QFETCH(QString, change);
        QFETCH(QString, shown);
        QFETCH(int, sourceRows);
        Organisation o;
        QWidget window;
        QTableView view(&window);
        QAction add, edit, remove;
        AttachWorkerRegister trips(&view, nullptr, {&add, &edit, &remove}, &window);
        trips.initModels();
        QAbstractItemModelTester tester(trips.proxy(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        LocalStorage* store = LocalStorage::instance();
        connect(store, &LocalStorage::dataRemoved, &trips, &AttachWorkerRegister::localDataRemoved);
        if (change == "re-add") {
            ObjectInfo renamed = store->constObject(o.trip);
            QCOMPARE(trips.model()->addObject(renamed), 0);
        }
        if (change == "remove employee")
            store->removeObjects(QLatin1String(SUBJECT_DATANAME), {o.ivanov});
        if (change == "remove trip")
            store->removeObjects(QLatin1String(ATTACHED_WORKER_DATANAME), {o.trip});
        if (change == "filter")
            trips.proxy()->setFilterFixedString(QStringLiteral("Петров"));
        QStringList cells;
        for (int column = 0; trips.proxy()->rowCount() > 0 && column < AttachWorkerItemModel::ColumnCount; ++column) {
            const QVariant value = trips.proxy()->index(0, column).data();
            cells.append(value.type() == QVariant::Date ? value.toDate().toString(Qt::ISODate) : value.toString());
        }
        QCOMPARE(cells.join(QLatin1Char('|')), shown);
        QCOMPARE(trips.model()->rowCount(), sourceRows);
    }

    void enables_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<QString>("panel");
        const QStringList all{"RL_WTPLANNINGVIEW_ATTACHED_CREATE", "RL_WTPLANNINGVIEW_ATTACHED_UPDATE",
                              "RL_WTPLANNINGVIEW_ATTACHED_DELETE"};
        QTest::addRow("hr, nothing selected") << all << 0 << "add" << "";
        QTest::addRow("hr, one selected") << all << 1 << "add edit delete" << "Дата начала";
        QTest::addRow("hr, two selected") << all << 2 << "add delete" << "Выбрано объектов:\n2";
        QTest::addRow("viewer, one selected") << QStringList{"RL_WTPLANNINGVIEW_ATTACHED_SHOW"} << 1 << "" << "Дата начала";
        QTest::addRow("delete only, two selected") << QStringList(all.mid(2)) << 2 << "delete" << "Выбрано объектов:\n2";
    }

    void enables()
    {
        QFETCH(QStringList, roles);
        QFETCH(int, selected);
        QFETCH(QString, enabled);
        QFETCH(QString, panel);
        Organisation o;
        o.org.attachedWorker(o.petrov, o.warehouse, QDate(2026, 8, 1), QDate(2026, 8, 2));
        AuthData::setRoles(roles);
        QWidget window;
        QTableView view(&window);
        QAction add, edit, remove;
        AttachWorkerRegister trips(&view, nullptr, {&add, &edit, &remove}, &window);
        trips.initModels();
        AttachWorkerInfoWidget info;
        trips.updateEnables();
        for (int row = 0; row < selected; ++row)
            view.selectionModel()->select(view.model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QStringList actual;
        for (auto [action, name] : {std::pair{&add, "add"}, {&edit, "edit"}, {&remove, "delete"}}) {
            if (action->isEnabled())
                actual.append(QLatin1String(name));
        }
        QCOMPARE(actual.join(QLatin1Char(' ')), enabled);
        const QModelIndexList rows = view.selectionModel()->selectedRows();
        if (rows.size() == 1)
            info.showObjectInfo(rows.first());
        else if (rows.size() > 1)
            info.showMultiObjectsInfo(rows);
        QVERIFY2(info.textBrowser()->toPlainText().contains(panel), qPrintable(info.textBrowser()->toPlainText()));
        // Editing two trips at once opens nothing.
        trips.editWorker();
        QCOMPARE(window.findChildren<AttachWorkerEditDialog*>().size(), enabled.contains("edit") ? 1 : 0);
    }

    // An employee goes neither to his own department nor to one below it; the OK button follows.
    void departmentChoice_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QDate>("finish");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<bool>("ok");
        const QDate july5(2026, 7, 5);
        QTest::addRow("shop employee to the warehouse") << "ivanov" << "warehouse" << july5 << false << true;
        QTest::addRow("shop employee to the firm") << "ivanov" << "firm" << july5 << false << true;
        QTest::addRow("shop employee to his shop") << "ivanov" << "shop" << july5 << true << false;
        QTest::addRow("shop employee to the shop's stock") << "ivanov" << "stock" << july5 << true << false;
        QTest::addRow("shop employee two levels below") << "ivanov" << "cold" << july5 << true << false;
        QTest::addRow("cold-room employee to the shop above") << "petrov" << "shop" << july5 << false << true;
        QTest::addRow("no department chosen") << "ivanov" << "" << july5 << false << false;
        QTest::addRow("finish before start") << "ivanov" << "warehouse" << QDate(2026, 6, 30) << false << false;
        QTest::addRow("one-day trip") << "ivanov" << "warehouse" << QDate(2026, 7, 1) << false << true;
    }

    void departmentChoice()
    {
        QFETCH(QString, employee);
        QFETCH(QString, department);
        QFETCH(QDate, finish);
        QFETCH(bool, disabled);
        QFETCH(bool, ok);
        Organisation o;
        AttachWorkerEditDialog dialog;
        AttachWorkerFields* fields = dialog.fields();
        dialog.setOrgstructure(structure());
        fields->setEmployeeUid(o.id(employee));
        fields->setStart(QDate(2026, 7, 1));
        fields->setFinish(finish);
        fields->selector()->selectDepartment(o.id(department));
        QCOMPARE(dialog.isOkEnabled(), ok);
        QCOMPARE(AttachWorkerDepartmentSelector::disabledDepartments(o.id(employee), structure()).contains(o.id(department)), disabled);
    }

    // Ivanov's trip runs July 10-20, both days included.
    void overlap_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("finish");
        QTest::addColumn<bool>("skipOwn");
        QTest::addColumn<bool>("overlaps");
        QTest::addRow("ends on its first day") << "ivanov" << QDate(2026, 7, 1) << QDate(2026, 7, 10) << false << true;
        QTest::addRow("starts on its last day") << "ivanov" << QDate(2026, 7, 20) << QDate(2026, 7, 25) << false << true;
        QTest::addRow("day after it") << "ivanov" << QDate(2026, 7, 21) << QDate(2026, 7, 25) << false << false;
        QTest::addRow("day before it") << "ivanov" << QDate(2026, 7, 1) << QDate(2026, 7, 9) << false << false;
        QTest::addRow("the trip itself, new dates") << "ivanov" << QDate(2026, 7, 12) << QDate(2026, 7, 25) << true << false;
        QTest::addRow("another employee") << "petrov" << QDate(2026, 7, 12) << QDate(2026, 7, 14) << false << false;
    }

    void overlap()
    {
        QFETCH(QString, employee);
        QFETCH(QDate, start);
        QFETCH(QDate, finish);
        QFETCH(bool, skipOwn);
        QFETCH(bool, overlaps);
        Organisation o;
        QCOMPARE(AttachWorkerFields::overlapsOtherTrip(o.id(employee), start, finish, skipOwn ? o.trip : 0), overlaps);
    }

    // The wizard from the grid: hr sends an employee on a trip through the real server; a fresh login reads it
    // back, the edit dialog moves its dates and the register's delete removes it.
    void attachOnServer()
    {
        EmbeddedServerConnection server;
        QVERIFY(server.start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("trips.sqlite")), 30, true));
        QVERIFY(ovtest::logIn(&server, QStringLiteral("hr")));
        StorageNotificationApplier notifications(&server, LocalStorage::instance());
        WorkTimePlanningView view;
        view.init(&server, QStringLiteral("wtplanningview"));
        view.insertedToInterface();
        auto* trips = view.findChild<AttachWorkerRegister*>(QStringLiteral("attachWorkers"));
        const int listed = trips->model()->rowCount();
        const QDate start(2031, 3, 2), finish(2031, 3, 4);
        TYPE_ID employee = 0, department = 0;
        for (const ObjectInfo& person : *LocalStorage::instance()->constObjects(QLatin1String(SUBJECT_DATANAME))) {
            if (employee == 0 && !AttachWorkerFields::overlapsOtherTrip(person.uid, start, finish, 0))
                employee = person.uid;
        }
        const QSet<TYPE_ID> refused = AttachWorkerDepartmentSelector::disabledDepartments(employee, structure());
        for (const ObjectInfo& unit : *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME))) {
            if (department == 0 && unit.type == QLatin1String(db::orgstructure::DEPARTMENT) && !refused.contains(unit.uid))
                department = unit.uid;
        }
        QVERIFY(employee != 0 && department != 0);

        AttachWorkerWizard wizard;
        connect(&wizard, &AttachWorkerWizard::executeTask, &view, &WorkTimePlanningView::addTask);
        wizard.setOrgstructure(structure());
        wizard.setEmployeeUid(employee);
        wizard.fields()->setStart(start);
        wizard.fields()->setFinish(finish);
        wizard.fields()->selector()->selectDepartment(department);
        wizard.show();
        QCOMPARE(wizard.currentId(), int(AttachWorkerWizard::SettingsPage));
        wizard.next();
        QTRY_VERIFY_WITH_TIMEOUT(wizard.progressPage()->isComplete(), 10000);
        QCOMPARE(wizard.progressPage()->succeededCount(), 1);
        const TYPE_ID created = wizard.progressPage()->updatedIds().value(0);
        QTRY_COMPARE(trips->model()->rowCount(), listed + 1);

        QVERIFY(ovtest::logIn(&server, QStringLiteral("hr")));
        const ObjectInfo stored = LocalStorage::instance()->constObject(created, QLatin1String(ATTACHED_WORKER_DATANAME));
        QCOMPARE(stored.property(QLatin1String(db::attached_worker::DATE_BEGIN)), start.toString(Qt::ISODate));
        QCOMPARE(stored.property(QLatin1String(db::attached_worker::DATE_END)), finish.toString(Qt::ISODate));
        QCOMPARE(AttachWorkerItemModel::employeeOf(stored), employee);
        QCOMPARE(AttachWorkerItemModel::departmentOf(stored), department);
        QVERIFY(AttachWorkerFields::overlapsOtherTrip(employee, finish, finish, 0));

        // The host department's grid holds the employee once, as an attached row of the trip's days.
        {
        WorkTimePlanningView planner;
        planner.init(&server, QStringLiteral("wtplanningview"));
        planner.insertedToInterface();
        const WorkTimePlanningModel* grid = loadGrid(planner, department, start);
        QVERIFY(grid);
        const int row = grid->objectIdToRow(employee);
        QVERIFY(row >= 0 && grid->isAttached(employee));
        qint64 attachedHours = 0;
        for (QDate date = grid->dateStart(); date <= grid->dateFinish(); date = date.addDays(1)) {
            QCOMPARE(grid->inAttachedRange(employee, date), date >= start && date <= finish);
            const int column = grid->dateToColumn(date);
            attachedHours += grid->index(row, column).data(WorkTimePlanningModel::DayTimeRole).toLongLong();
            qint64 cells = 0;
            for (int r = 0; r < grid->rowCount(); ++r)
                cells += grid->index(r, column).data(WorkTimePlanningModel::DayTimeRole).toLongLong();
            QCOMPARE(grid->headerData(column, Qt::Horizontal, WorkTimePlanningModel::DayTimeRole).toLongLong(), cells);
        }
        QCOMPARE(grid->totalAttachedTime(), attachedHours);
        }

        AttachWorkerEditDialog dialog;
        dialog.setOrgstructure(structure());
        connect(&dialog, &AttachWorkerEditDialog::executeTask, &view, &WorkTimePlanningView::addTask);
        dialog.setInfo(stored);
        dialog.fields()->setFinish(finish.addDays(1));
        dialog.accept();
        QTRY_COMPARE(LocalStorage::instance()->constObject(created).property(QLatin1String(db::attached_worker::DATE_END)),
                     finish.addDays(1).toString(Qt::ISODate));

        view.findChild<QTableView*>(QStringLiteral("attachedView"))->selectRow(
            trips->proxy()->mapFromSource(trips->model()->index(trips->model()->row(created), 0)).row());
        trips->removeWorkers();
        auto* deletion = view.findChild<DeleteObjectWizard*>();
        QVERIFY(deletion);
        deletion->next();
        QTRY_COMPARE(trips->model()->rowCount(), listed);
        QVERIFY(!LocalStorage::instance()->constObject(created).isValid());
    }
};

OV_TEST_WIDGETS_MAIN(tst_AttachedWorkers)
#include "tst_attachedworkers.moc"
