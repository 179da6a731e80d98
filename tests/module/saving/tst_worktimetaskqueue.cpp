#include "authdata.h"
#include "fatalwarnings.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "ovicontheme.h"
#include "progressdialog.h"
#include "../scriptedserver.h"
#include "settings.h"
#include "worktimeplanningview.h"
#include "worktimetaskrunner.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using orvanta::TaskInfo;
using orvanta::TYPE_ID;

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
        AuthData::setRoles({QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"), QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SET")});
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
        // A save hands its tasks over from the event loop.
        QCoreApplication::processEvents();

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
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeTaskQueue)
#include "tst_worktimetaskqueue.moc"
