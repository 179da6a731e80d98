#include "authdata.h"
#include "breakruleeditdialog.h"
#include "breakruleimpact.h"
#include "breakruleitemmodel.h"
#include "breakruleprogresswizardpage.h"
#include "breakruleproxymodel.h"
#include "breakruleregister.h"
#include "breakrulesettingswizardpage.h"
#include "breakruletargetpicker.h"
#include "breakruletargetwizardpage.h"
#include "breakrulewizard.h"
#include "deleteobjectwizard.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "testsession.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "../grid/planninggridfixture.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "vocabulary.h"
#include "worktimeplanningview.h"
#include "worktimeutils.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>

using namespace orvanta;

namespace {

const QString ruleData = QString::fromLatin1(BREAK_RULE_DATANAME);

ObjectInfo rule(TYPE_ID uid, int from, int to, int breakTime, const QString& date)
{
    ObjectInfo object;
    object.uid = uid;
    object.type = QLatin1String(db::wt::BREAK_RULE);
    object.properties = {{db::break_rule::TIME_FROM, QString::number(from)},
                         {db::break_rule::TIME_TO, QString::number(to)},
                         {db::break_rule::BREAK_TIME, QString::number(breakTime)},
                         {db::break_rule::DATE, date}};
    return object;
}

QList<TYPE_ID> storedRuleIds()
{
    const OBJECT_HASH* rules = LocalStorage::instance()->constObjects(ruleData);
    return rules ? rules->keys() : QList<TYPE_ID>();
}

// Ivanov and Petrov of the shop work shiftStart-shiftFinish on July 1-3 under the shop's 4:00-8:00 rule with a
// 0:30 break; the warehouse has a rule of its own.
struct ImpactFixture
{
    ovtest::OrganisationBuilder org;
    TYPE_ID shop = 0, warehouse = 0, ivanov = 0, petrov = 0, shopRule = 0, warehouseRule = 0;
    WorkTimePlanningModel model;

    ImpactFixture(const QTime& shiftStart, const QTime& shiftFinish)
    {
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        shop = org.department(QStringLiteral("Магазин"), firm);
        warehouse = org.department(QStringLiteral("Склад"), firm);
        ivanov = org.employee(QStringLiteral("Иванов"), shop);
        petrov = org.employee(QStringLiteral("Петров"), shop);
        shopRule = org.breakRule(QStringLiteral("r"), 4 * 3600, 8 * 3600, 1800, QDate(2024, 1, 1), {shop});
        warehouseRule = org.breakRule(QStringLiteral("w"), 4 * 3600, 8 * 3600, 1800, QDate(2024, 1, 1), {warehouse});
        const int daily = org.cycleSchedule(QStringLiteral("Каждый день"), QDate(2024, 7, 1), {0}, {{{shiftStart, shiftFinish}}});
        model.refreshModel(QDate(2024, 7, 1), QDate(2024, 7, 3),
                           {PlanningGridFixture::employee(ivanov, "Иванов"), PlanningGridFixture::employee(petrov, "Петров")},
                           {}, {shop});
        model.setScheduleHistory({{ivanov, PlanningGridFixture::follows(ivanov, daily)},
                                  {petrov, PlanningGridFixture::follows(petrov, daily)}});
    }

    ObjectInfo stored(TYPE_ID uid) const { return LocalStorage::instance()->constObject(uid, ruleData); }
    ObjectInfo withBreak(TYPE_ID uid, int breakTime) const
    {
        ObjectInfo edited = stored(uid);
        edited.properties.insert(QLatin1String(db::break_rule::BREAK_TIME), QString::number(breakTime));
        return edited;
    }
};

} // namespace

class tst_BreakRules : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
    }

    void itemModel_data()
    {
        QTest::addColumn<ObjectInfo>("object");
        QTest::addColumn<QString>("shift");
        QTest::addColumn<int>("breakTime");
        QTest::addColumn<QDate>("date");
        QTest::addRow("4:00-8:00 break 0:30") << rule(7, 14400, 28800, 1800, "2026-03-01") << "4:00-8:00" << 1800
                                              << QDate(2026, 3, 1);
        QTest::addRow("missing properties") << ObjectInfo{} << "0:00-0:00" << 0 << QDate();
        QTest::addRow("broken date") << rule(8, 0, 86340, 3600, "01.03.2026") << "0:00-23:59" << 3600 << QDate();
    }

    void itemModel()
    {
        QFETCH(ObjectInfo, object);
        QFETCH(QString, shift);
        QFETCH(int, breakTime);
        QFETCH(QDate, date);
        BreakRuleItemModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addObject(rule(99, 0, 3600, 60, "2020-01-01"));
        QCOMPARE(model.addObject(object), 1);
        QCOMPARE(model.index(1, 0).data().toString(), shift);
        QCOMPARE(model.index(1, 1).data().toInt(), breakTime);
        QCOMPARE(model.index(1, 2).data().toDate(), date);
        QCOMPARE(model.index(1, 2).data(BreakRuleItemModel::UidRole).toUInt(), object.uid);
        // A change of a listed id replaces its row in place.
        object.properties.insert(QLatin1String(db::break_rule::BREAK_TIME), QStringLiteral("900"));
        QCOMPARE(model.addObject(object), 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, 1).data().toInt(), 900);
        QCOMPARE(model.removeObject(5), unsigned(-1));
        model.removeObjectByUid(99);
        QCOMPARE(model.uid(0), object.uid);
    }

    // "10:00-..." sorts after "4:00-..." by shift length, not as text.
    void sortsByShiftLength()
    {
        BreakRuleItemModel model;
        for (const ObjectInfo& object : {rule(1, 36000, 43200, 1800, ""), rule(2, 14400, 86340, 1200, ""),
                                         rule(3, 14400, 28800, 1800, ""), rule(4, 28800, 86340, 3600, "")})
            model.addObject(object);
        BreakRuleProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.sort(0);
        QStringList order;
        for (int row = 0; row < proxy.rowCount(); ++row)
            order.append(proxy.index(row, 0).data().toString());
        QCOMPARE(order, QStringList({"4:00-8:00", "4:00-23:59", "8:00-23:59", "10:00-12:00"}));
    }

    void enables_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("enabled");
        const QStringList all{"RL_WTPLANNINGVIEW_BREAKRULE_CREATE", "RL_WTPLANNINGVIEW_BREAKRULE_UPDATE",
                              "RL_WTPLANNINGVIEW_BREAKRULE_DELETE"};
        QTest::addRow("hr, nothing selected") << all << 0 << "add";
        QTest::addRow("hr, one selected") << all << 1 << "add edit delete";
        QTest::addRow("hr, two selected") << all << 2 << "add delete";
        QTest::addRow("viewer, two selected") << QStringList{"RL_WTPLANNINGVIEW_BREAKRULE_SHOW"} << 2 << "";
        QTest::addRow("update only, one selected") << QStringList(all.mid(1, 1)) << 1 << "edit";
    }

    void enables()
    {
        QFETCH(QStringList, roles);
        QFETCH(int, selected);
        QFETCH(QString, enabled);
        ovtest::OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        for (int i = 0; i < 3; ++i)
            organisation.breakRule(QStringLiteral("r%1").arg(i), 3600 * (i + 1), 86340, 1800, QDate(2026, 1, 1), {firm});
        AuthData::setRoles(roles);
        QWidget window;
        QTableView view(&window);
        QAction add, edit, remove;
        BreakRuleRegister rules(&view, nullptr, {&add, &edit, &remove}, &window);
        rules.initModels();
        rules.updateEnables();
        for (int row = 0; row < selected; ++row)
            view.selectionModel()->select(view.model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QStringList actual;
        for (auto [action, name] : {std::pair{&add, "add"}, {&edit, "edit"}, {&remove, "delete"}}) {
            if (action->isEnabled())
                actual.append(QLatin1String(name));
        }
        QCOMPARE(actual.join(QLatin1Char(' ')), enabled);
        // Editing two rules at once opens nothing.
        if (selected == 2)
            rules.editRule();
        QVERIFY(!window.findChild<BreakRuleEditDialog*>());
    }

    void editValidation_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("breakTime");
        QTest::addColumn<int>("targetType");
        QTest::addColumn<QString>("message");
        QTest::addRow("valid 4:00-12:00 0:30") << 14400 << 43200 << 1800 << 0 << "";
        QTest::addRow("to equals from") << 28800 << 28800 << 1800 << 0
                                        << "Продолжительность смены «до» должна быть больше, чем «от»";
        QTest::addRow("zero break") << 14400 << 43200 << 0 << 0 << "Укажите продолжительность обеда";
        QTest::addRow("break longer than shift") << 3600 << 43200 << 5400 << 0
                                                 << "Обед (1:30) не может быть длиннее смены (1:00)";
        QTest::addRow("employees, only a department checked")
            << 14400 << 43200 << 1800 << 1 << "Отметьте сотрудников, к которым применяется правило";
    }

    void editValidation()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, breakTime);
        QFETCH(int, targetType);
        QFETCH(QString, message);
        ovtest::OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        const TYPE_ID shop = organisation.department(QStringLiteral("Магазин"), firm);
        organisation.employee(QStringLiteral("Иванов Иван"), shop);
        // Without employees: checked in employee mode it stands for nobody.
        const TYPE_ID store = organisation.department(QStringLiteral("Склад"), firm);
        const TYPE_ID uid = organisation.breakRule(QStringLiteral("r"), 14400, 28800, 1800, QDate(2026, 1, 1), {shop});
        BreakRuleEditDialog dialog;
        dialog.setInfo(LocalStorage::instance()->constObject(uid, ruleData));
        QVERIFY(!dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
        dialog.findChild<BreakRuleTargetPicker*>()->setTargetType(targetType);
        dialog.findChild<BreakRuleTargetPicker*>()->setChecked({store});
        const auto time = [](int seconds) { return QTime(0, 0).addSecs(seconds); };
        dialog.findChild<QTimeEdit*>(QStringLiteral("teTo"))->setTime(time(to));
        dialog.findChild<QTimeEdit*>(QStringLiteral("teFrom"))->setTime(time(from));
        dialog.findChild<QTimeEdit*>(QStringLiteral("teBreakTime"))->setTime(time(breakTime));
        QCOMPARE(dialog.validationMessage(), message);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("messageLabel"))->text(), message);
        QCOMPARE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled(), message.isEmpty());
        int tasks = 0;
        connect(&dialog, &BreakRuleEditDialog::executeTask, this, [&tasks] { ++tasks; });
        if (!message.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("wrong break rule")));
        dialog.accept();
        QCOMPARE(tasks, message.isEmpty() ? 1 : 0);
    }

    // A new row is red until it holds a rule; a row from 0:00 passes but makes no rule.
    void wizardTasks()
    {
        ovtest::OrganisationBuilder organisation;
        const TYPE_ID firm = organisation.firm(QStringLiteral("Фирма"));
        QList<TYPE_ID> departments;
        for (const char* name : {"А", "Б", "В"})
            departments.append(organisation.department(QString::fromUtf8(name), firm));
        // A fourth, unchecked: with all its departments checked the firm would count as a target too.
        organisation.department(QStringLiteral("Г"), firm);
        BreakRuleWizard wizard;
        BreakRuleSettingsWizardPage* settings = wizard.settingsPage();
        QTableWidget* table = settings->ruleView();
        settings->addRow();
        QVERIFY(table->item(0, 0)->data(Qt::BackgroundRole).isValid());
        QVERIFY(!settings->isComplete());
        const QList<QList<int>> rows{{14400, 28800, 1800}, {28800, 43200, 3600}, {0, 14400, 1800}};
        for (int row = 0; row < rows.size(); ++row) {
            if (row > 0)
                settings->addRow();
            for (int column = 0; column < 3; ++column)
                table->item(row, column)->setData(Qt::DisplayRole, rows.at(row).at(column));
        }
        QVERIFY(!table->item(0, 0)->data(Qt::BackgroundRole).isValid());
        QVERIFY(settings->isComplete());
        wizard.targetPage()->picker()->setChecked(departments);
        const QList<TaskInfo> tasks = wizard.buildTasks();
        QCOMPARE(tasks.size(), 2);
        QCOMPARE(tasks.at(1).params.value("property-PT_NAME").toString(), QStringLiteral("8:00-12:00 1:00"));
        QCOMPARE(tasks.at(1).title, QStringLiteral("Сохранение правила обеда 8:00-12:00 1:00"));
        for (const TaskInfo& task : tasks) {
            QCOMPARE(task.params.value("property-PT_TYPE").toString(), QStringLiteral("0"));
            QCOMPARE(task.params.value("inherits").toList().size(), 3);
        }
    }

    void impact_data()
    {
        QTest::addColumn<QTime>("shiftStart");
        QTest::addColumn<QTime>("shiftFinish");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        const QString twoBy3 = QStringLiteral("Изменится у 2 сотрудников, 6 дней, ");
        QTest::addRow("shop rule 0:30 to 1:00") << QTime(8, 0) << QTime(15, 0) << "shop 1:00" << twoBy3 + "−3:00 ч";
        QTest::addRow("warehouse rule 0:30 to 1:00") << QTime(8, 0) << QTime(15, 0) << "warehouse 1:00"
                                                     << "Загруженный месяц не изменится";
        QTest::addRow("overnight 20:00-03:00") << QTime(20, 0) << QTime(3, 0) << "shop 1:00" << twoBy3 + "−3:00 ч";
        // Of 21:30-03:30 only half an hour is daytime: the break cannot grow past it.
        QTest::addRow("night caps the break") << QTime(21, 30) << QTime(3, 30) << "shop 1:00"
                                              << "Загруженный месяц не изменится";
        QTest::addRow("shift outside 4:00-8:00") << QTime(8, 0) << QTime(17, 0) << "shop 1:00"
                                                 << "Загруженный месяц не изменится";
        QTest::addRow("shop rule removed") << QTime(8, 0) << QTime(15, 0) << "remove shop" << twoBy3 + "+3:00 ч";
        // The employee's own rule is nearer than the shop's; from the 2nd it covers two of the three days.
        QTest::addRow("new rule for Ivanov from the 2nd") << QTime(8, 0) << QTime(15, 0) << "new ivanov"
                                                          << "Изменится у 1 сотрудника, 2 дня, −1:00 ч";
    }

    void impact()
    {
        QFETCH(QTime, shiftStart);
        QFETCH(QTime, shiftFinish);
        QFETCH(QString, change);
        QFETCH(QString, expected);
        ImpactFixture month(shiftStart, shiftFinish);
        QList<ObjectInfo> before, after;
        if (change == "shop 1:00" || change == "warehouse 1:00") {
            const TYPE_ID uid = change.startsWith("shop") ? month.shopRule : month.warehouseRule;
            before = {month.stored(uid)};
            after = {month.withBreak(uid, 3600)};
        } else if (change == "remove shop") {
            before = {month.stored(month.shopRule)};
        } else {
            ObjectInfo added = rule(0, 4 * 3600, 8 * 3600, 3600, "2024-07-02");
            added.children.insert(INHERIT_BREAK_RULE_OBJECT, {0, month.ivanov, int(INHERIT_BREAK_RULE_OBJECT)});
            after = {added};
        }
        QCOMPARE(BreakRuleImpact::preview(&month.model)(before, after), expected);
        // The preview wrote nothing: the grid's lookups see the stored rules again.
        QCOMPARE(WorkTimeUtils::getEffectiveBreakRule(month.ivanov, false, QDate(2024, 7, 2), 7 * 3600), month.shopRule);
    }

    // The dialog shows the preview once the typing pauses; without a loaded month it shows none.
    void editDialogPreview()
    {
        ImpactFixture month(QTime(8, 0), QTime(15, 0));
        BreakRuleEditDialog dialog;
        dialog.setPreview(BreakRuleImpact::preview(&month.model));
        dialog.setInfo(month.stored(month.shopRule));
        dialog.findChild<QTimeEdit*>(QStringLiteral("teBreakTime"))->setTime(QTime(1, 0));
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("previewLabel"));
        QVERIFY(label->text().isEmpty());
        QTRY_COMPARE(label->text(), QStringLiteral("Изменится у 2 сотрудников, 6 дней, −3:00 ч"));
        month.model.clear();
        dialog.findChild<QTimeEdit*>(QStringLiteral("teBreakTime"))->setTime(QTime(0, 45));
        QTRY_VERIFY(label->text().isEmpty());
    }

    // Create three departments' rule with the wizard, edit its break, delete it with another rule, as hr through
    // the real server; then a fresh login reads back what the server stored.
    void createEditDeleteOnServer()
    {
        EmbeddedServerConnection server;
        QVERIFY(server.start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("rules.sqlite")), 30, true));
        QVERIFY(ovtest::logIn(&server, QStringLiteral("hr")));
        StorageNotificationApplier notifications(&server, LocalStorage::instance());
        WorkTimePlanningView view;
        view.init(&server, QStringLiteral("wtplanningview"));
        view.insertedToInterface();
        auto* rules = view.findChild<BreakRuleRegister*>(QStringLiteral("breakRules"));
        const QList<TYPE_ID> before = storedRuleIds();
        QCOMPARE(rules->model()->rowCount(), before.size());

        BreakRuleWizard wizard;
        connect(&wizard, &BreakRuleWizard::executeTask, &view, &WorkTimePlanningView::addTask);
        wizard.settingsPage()->addRow();
        const QList<int> cells{4 * 3600, 6 * 3600, 1800};
        for (int column = 0; column < 3; ++column)
            wizard.settingsPage()->ruleView()->item(0, column)->setData(Qt::DisplayRole, cells.at(column));
        // Departments with departments below them: the tree ticks those too, and they must not become targets.
        QList<TYPE_ID> departments;
        const OBJECT_HASH& structure = *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME));
        for (const ObjectInfo& object : structure) {
            const bool parent = std::any_of(structure.cbegin(), structure.cend(), [&object](const ObjectInfo& child) {
                return child.parent == object.uid && child.type == QLatin1String(db::orgstructure::DEPARTMENT);
            });
            if (object.type == QLatin1String(db::orgstructure::DEPARTMENT) && parent && departments.size() < 3)
                departments.append(object.uid);
        }
        wizard.targetPage()->picker()->setChecked(departments);
        const QList<unsigned int> targets = wizard.targetPage()->selectedObjects();
        QCOMPARE(targets.size(), departments.size());
        wizard.prepareTask();
        QTRY_VERIFY_WITH_TIMEOUT(wizard.progressPage()->isComplete(), 10000);
        QCOMPARE(wizard.progressPage()->succeededCount(), 1);
        const TYPE_ID created = wizard.progressPage()->updatedIds().value(0);
        QTRY_COMPARE(rules->model()->rowCount(), before.size() + 1);
        QList<unsigned int> linked = LocalStorage::instance()->constObject(created, ruleData).children.values(
            INHERIT_BREAK_RULE_OBJECT).size() == targets.size() ? targets : QList<unsigned int>{};
        QVERIFY(targets.size() >= 3 && !linked.isEmpty());

        BreakRuleEditDialog dialog;
        connect(&dialog, &BreakRuleEditDialog::executeTask, &view, &WorkTimePlanningView::addTask);
        dialog.setInfo(LocalStorage::instance()->constObject(created, ruleData));
        dialog.findChild<QTimeEdit*>(QStringLiteral("teBreakTime"))->setTime(QTime(1, 0));
        dialog.accept();
        QTRY_COMPARE(LocalStorage::instance()->constObject(created, ruleData).property("PT_BREAK_TIME"),
                     QStringLiteral("3600"));
        QCOMPARE(rules->model()->index(int(rules->model()->row(created)), 1).data().toInt(), 3600);
        // Only the break was edited: the targets stay as they were, not the branches the tree ticks with them.
        QCOMPARE(LocalStorage::instance()->constObject(created, ruleData).children.values(INHERIT_BREAK_RULE_OBJECT).size(),
                 targets.size());

        DeleteObjectWizard deletion;
        connect(&deletion, &DeleteObjectWizard::appendTask, &view, &WorkTimePlanningView::addTask);
        deletion.setNeedVerify(false);
        deletion.setUids({created, before.first()});
        deletion.show();
        deletion.next();
        QTRY_VERIFY_WITH_TIMEOUT(deletion.progressPage()->isComplete(), 10000);
        QCOMPARE(deletion.progressPage()->succeededCount(), 2);
        QTRY_COMPARE(rules->model()->rowCount(), before.size() - 1);

        QVERIFY(ovtest::logIn(&server, QStringLiteral("hr")));
        QList<TYPE_ID> expected = before.mid(1);
        QList<TYPE_ID> stored = storedRuleIds();
        std::sort(expected.begin(), expected.end());
        std::sort(stored.begin(), stored.end());
        QCOMPARE(stored, expected);
    }
};

OV_TEST_WIDGETS_MAIN(tst_BreakRules)
#include "tst_breakrules.moc"
