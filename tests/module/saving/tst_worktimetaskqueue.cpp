#include "authdata.h"
#include "fatalwarnings.h"
#include "../grid/planninggridfixture.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "ovicontheme.h"
#include "progressdialog.h"
#include "../scriptedserver.h"
#include "settings.h"
#include "worktimeplanningview.h"
#include "worktimesavetasks.h"
#include "worktimetaskrunner.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using orvanta::TaskInfo;
using orvanta::TYPE_ID;
using G = PlanningGridFixture;

namespace {

// A task that removes object uid; its object type names it in the requests sent.
TaskInfo removal(const QString& name, TYPE_ID uid, const QList<qint64>& dependsOn = {},
                 const QList<TaskInfo>& subTasks = {})
{
    TaskInfo task;
    task.type = QStringLiteral("delete_object");
    task.uid = uid;
    task.params.insert(QStringLiteral("object_type"), name);
    task.dependsOn = dependsOn;
    task.subTasks = subTasks;
    task.errorText = QStringLiteral("Ошибка ") + name;
    return task;
}

QString types(const QList<TaskInfo>& tasks)
{
    QStringList names;
    for (const TaskInfo& task : tasks)
        names.append(task.type);
    return names.join(QLatin1Char(' '));
}

} // namespace

class tst_WorkTimeTaskQueue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
        AuthData::setRoles(ShownPlanningGrid::allRoles());
    }

    void queueRules_data()
    {
        QTest::addColumn<QList<TaskInfo>>("tasks");
        QTest::addColumn<bool>("window");
        QTest::addColumn<QList<int>>("replies");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("left");

        const TaskInfo a = removal("a", 7), b = removal("b", 7), c = removal("c", 8, {a.id}), d = removal("d", 9);
        const TaskInfo e = removal("e", 10, {c.id});
        TaskInfo unknown = removal("x", 7);
        unknown.type = QStringLiteral("no_such_task");
        const QList<TaskInfo> failing{a, b, c, d, e};
        QTest::newRow("only the first starts") << QList<TaskInfo>{a, c, d} << true << QList<int>{} << "a" << 3;
        QTest::newRow("each after the reply before") << QList<TaskInfo>{a, c, d} << true << QList<int>{1, 1, 1}
                                                      << "a c d" << 0;
        QTest::newRow("sub-tasks before their task")
            << QList<TaskInfo>{removal("p", 7, {}, {removal("s1", 7), removal("s2", 7)}), d} << false
            << QList<int>{1, 1, 1, 1} << "s1 s2 p d" << 0;
        // Tasks of the failed employee and those that need the failed task go; the rest wait for the window.
        QTest::newRow("failure stops the queue") << failing << true << QList<int>{403} << "a" << 2;
        QTest::newRow("failure without a window clears it") << failing << false << QList<int>{403} << "a" << 0;
        QTest::newRow("no handler drops the employee's tasks")
            << QList<TaskInfo>{removal("f", 5), unknown, b, d} << true << QList<int>{1, 1} << "f d" << 0;
    }

    void queueRules()
    {
        QFETCH(QList<TaskInfo>, tasks);
        QFETCH(bool, window);
        QFETCH(QList<int>, replies);
        QFETCH(int, left);

        ScriptedServer server;
        WorkTimePlanningView view;
        view.init(&server, QStringLiteral("wtplanningview"));
        view.insertedToInterface();
        QStringList popups;
        connect(&view, &PluginWidget::popupRequested, [&popups](int, const QString& text) { popups.append(text); });
        auto* runner = view.findChild<WorkTimeTaskRunner*>(QStringLiteral("taskRunner"));
        if (replies.contains(403))
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("task error")));
        if (window)
            runner->runSave(tasks);
        else
            for (const TaskInfo& task : tasks)
                view.addTask(task);
        for (int result : replies)
            QVERIFY(server.answer(nullptr, result));

        QStringList sent;
        for (const Command& request : server.transmitted) {
            // The re-reading after a save is not what this test follows.
            if (request.name != ov5sdk::Data::commandName(ov5sdk::Data::RemoveObject))
                continue;
            orvanta::ObjectInfo object;
            OVDataStream stream(request.data);
            stream >> object;
            sent.append(object.type);
        }
        QTEST(sent.join(QLatin1Char(' ')), "sent");
        QCOMPARE(popups, replies.contains(403) ? QStringList{"Ошибка a"} : QStringList());
        auto* progress = runner->progressWindow();
        QCOMPARE(runner->isBusy(), left > 0);
        if (!window)
            return;
        QCOMPARE(progress->findChild<QPushButton*>(QStringLiteral("closeButton"))->isEnabled(), !replies.isEmpty());
        // Closing the window is the planner's way out of a stopped save.
        progress->reject();
        QVERIFY(!runner->isBusy());
    }

    void builders_data()
    {
        QTest::addColumn<QList<int>>("changes");
        QTest::addColumn<QString>("tasks");
        QTest::addColumn<int>("days");

        const QString all = "update_absence_reason update_schedule_history delete_personal_schedule "
                            "create_personal_schedule update_calendar_days reset_sync_flag";
        QTest::newRow("every bit, a new schedule gets every day") << QList<int>{31, 0} << all << 31;
        QTest::newRow("days of an existing schedule") << QList<int>{8, 0} << "update_calendar_days reset_sync_flag" << 1;
        QTest::newRow("two employees, one reset")
            << QList<int>{8, 8} << "update_calendar_days update_calendar_days reset_sync_flag" << 1;
        QTest::newRow("absences and history only") << QList<int>{3, 0}
                                                   << "update_absence_reason update_schedule_history reset_sync_flag" << 0;
        QTest::newRow("nothing changed") << QList<int>{0, 0} << "" << 0;
    }

    void builders()
    {
        QFETCH(QList<int>, changes);
        QFETCH(int, days);
        G grid;
        const QList<TYPE_ID> employees{grid.ivanov, grid.petrov};
        for (int i = 0; i < employees.size(); ++i) {
            WorkTimeData data = grid.model.workTimeData(employees.at(i));
            QList<WorkTimeData::Day> rowDays = data.days();
            rowDays[1].changed = changes.at(i) != 0;
            data.setDays(rowDays);
            data.setChanged(changes.at(i));
            grid.model.setWorkTimeData(employees.at(i), data);
        }
        const QList<TaskInfo> tasks = WorkTimeSaveTasks(&grid.model).prepareSave();
        QTEST(types(tasks), "tasks");
        if (tasks.isEmpty())
            return;
        QVariantList expected;
        for (TYPE_ID uid : grid.model.changedUids())
            expected.append(uid);
        QCOMPARE(tasks.last().params.value(QStringLiteral("employees")).toList(), expected);
        const QVariantList dayMaps = tasks.at(tasks.size() - 2).params.value(QStringLiteral("days")).toList();
        QCOMPARE(dayMaps.size(), days);
        if (days == 0)
            return;
        // July 2nd of the five-day week: 08:00-12:00 and 13:00-17:00.
        const QVariantMap second = dayMaps.at(days == 1 ? 0 : 1).toMap();
        QCOMPARE(second.value(QStringLiteral("date")).toDate(), G::july(2));
        const QVariantList intervals = second.value(QStringLiteral("intervals")).toList();
        QCOMPARE(intervals.size(), 2);
        QCOMPARE(intervals.at(1).toMap().value(QStringLiteral("start")).toInt(), G::seconds(13));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeTaskQueue)
#include "tst_worktimetaskqueue.moc"
