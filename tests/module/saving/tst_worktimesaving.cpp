#include "authdata.h"
#include "connectionkeeper.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "testsession.h"
#include "localstorage.h"
#include "ovicontheme.h"
#include "progressdialog.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "tcpserverconnection.h"
#include "testdatabases.h"
#include "vocabulary.h"
#include "workerschedulehistorybase.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"
#include "worktimetaskrunner.h"

#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QTcpServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

const QDate monthStart(QDate::currentDate().year(), QDate::currentDate().month(), 1);

// One planner's window on the server, loaded with every department of the month.
struct Planner
{
    std::unique_ptr<WorkTimePlanningView> view = std::make_unique<WorkTimePlanningView>();
    WorkTimePlanningModel* model = nullptr;
    WorkTimeTaskRunner* runner = nullptr;
    QStringList popups;

    Planner(OVServerInterface* server, const QDate& start = monthStart)
    {
        view->init(server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        view->setQuestion([](QWidget*, const QString&, const QString&, QMessageBox::StandardButtons) {
            return QMessageBox::Yes;
        });
        model = view->findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        runner = view->findChild<WorkTimeTaskRunner*>(QStringLiteral("taskRunner"));
        QObject::connect(view.get(), &PluginWidget::popupRequested,
                         [this](int, const QString& text) { popups.append(text); });
        QList<TYPE_ID> departments;
        for (const ObjectInfo& object : *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME)))
            departments.append(object.uid);
        QMetaObject::invokeMethod(view.get(), "applyFilter", Q_ARG(QDate, start),
                                  Q_ARG(QDate, start.addMonths(1).addDays(-1)), Q_ARG(QList<orvanta::TYPE_ID>, departments),
                                  Q_ARG(QStringList, {}));
        QTest::qWaitFor([this] { return !view->isLoading(); }, 10000);
    }

    /// Saves and waits for the end of the queue; the last text of the progress window.
    QString save()
    {
        const int failures = popups.size();
        view->saveWorkTime();
        QPointer<ProgressDialog> progress = runner->progressWindow();
        // A stopped queue stays busy: a failure ends the wait as well.
        QTest::qWaitFor([this, failures] { return !runner->isBusy() || popups.size() > failures; }, 20000);
        return progress ? progress->findChild<QLabel*>(QStringLiteral("messageLabel"))->text() : QString();
    }

    /// What the grid shows of an employee: every day's shift and intervals, then the absence records.
    QString plan(TYPE_ID uid) const
    {
        const WorkTimeData row = model->workTimeData(uid);
        QStringList parts;
        for (const WorkTimeData::Day& day : row.days()) {
            parts.append(QString::number(day.shift));
            for (const SCHEDULE_CALENDAR_INTERVAL& interval : day.intervals)
                parts.append(QStringLiteral("%1-%2").arg(interval.start).arg(interval.finish));
        }
        for (const _WORKER_ABSENCE_REASON_RECORD& record : row.absenceReasons().records)
            parts.append(QStringLiteral("%1:%2").arg(record.reason).arg(record.start.toString(Qt::ISODate)));
        return parts.join(QLatin1Char(' '));
    }

    /// Employees of the grid with or without a personal schedule of the month, attached rows left out.
    QList<TYPE_ID> employees(bool personal) const
    {
        QList<TYPE_ID> found;
        for (unsigned int uid : model->objList()) {
            if (!model->isAttached(uid) && model->isPersonalSchedule(uid) == personal)
                found.append(uid);
        }
        return found;
    }
};

TYPE_ID plannableReason()
{
    for (const ObjectInfo& reason : *LocalStorage::instance()->constObjects(QLatin1String(REASON_DATANAME))) {
        if (reason.property(QLatin1String(db::reason::ALLOW_PLANNING)).toInt() != 0)
            return reason.uid;
    }
    return 0;
}

// An ovserver process on a free local port, with the planner logged in over TCP; its database outlives the process.
struct ServerProcess
{
    QProcess process;
    quint16 port = 0;
    TcpServerConnection connection;
    std::unique_ptr<StorageNotificationApplier> notifications;

    bool start(const QString& database, bool reset)
    {
        if (port == 0) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            port = probe.serverPort();
        }
        QStringList arguments{"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--db", database, "--demo-size", "40"};
        if (reset)
            arguments.append(QStringLiteral("--reset-demo"));
        process.start(QStringLiteral(OVSERVER_PATH), arguments);
        if (!process.waitForReadyRead(30000) || !process.readAllStandardOutput().contains("listening"))
            return false;
        // Once logged in, coming back after a restart is the client's own business.
        if (notifications)
            return true;
        if (!connection.connectToServer(QStringLiteral("127.0.0.1"), port) || !ovtest::logIn(&connection, QStringLiteral("planner")))
            return false;
        notifications = std::make_unique<StorageNotificationApplier>(&connection, LocalStorage::instance());
        return true;
    }

    ~ServerProcess()
    {
        process.kill();
        process.waitForFinished();
    }
};

} // namespace

class tst_WorkTimeSaving : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

    // Edits four employees as a planner would, saves, and checks a fresh load from the server shows the same plan,
    // while a second planner's grid follows without losing its own edit.
    void saveRoundTrip(OVServerInterface* server)
    {
        Planner first(server), second(server);
        const QList<TYPE_ID> plain = first.employees(false), personal = first.employees(true);
        QVERIFY(plain.size() >= 4 && !personal.isEmpty());
        const TYPE_ID typed = plain.at(0), absent = plain.at(1), rescheduled = plain.at(2), renewed = personal.at(0);

        const QModelIndex day3 = first.model->index(first.model->objectIdToRow(typed),
                                                    first.model->dateToColumn(monthStart.addDays(2)));
        QVERIFY(first.model->setData(day3, QVariantMap{{"time_start", 8 * 3600}, {"time_finish", 17 * 3600}},
                                     WorkTimePlanningModel::IntervalRole));
        _WORKER_ABSENCE_REASON_RECORD absence;
        absence.id = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        absence.reason = plannableReason();
        absence.start = monthStart.addDays(9).startOfDay();
        absence.end = QDateTime(monthStart.addDays(11), QTime(23, 59, 59));
        first.model->setObjectAbsenceReason(absent, absence);
        WORKER_SCHEDULE_HISTORY_V2 history = first.model->objectScheduleHistory(rescheduled);
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
        record.schedule = TYPE_ID(first.model->objectScheduleHistory(plain.at(3)).records.value(0).schedule);
        record.from = record.date = monthStart.addDays(14);
        ::_WORKER_SCHEDULE_HISTORY_BASE::addRecord(history.records, record);
        first.model->setObjectScheduleHistory(rescheduled, history);
        // The personal schedule is dropped and made again with one day changed.
        WorkTimeData renewal = first.model->workTimeData(renewed);
        QList<WorkTimeData::Day> days = renewal.days();
        days[4].shift = 0;
        days[4].intervals = {SCHEDULE_CALENDAR_INTERVAL{0, 0, 0, 10 * 3600, 14 * 3600, 0}};
        days[4].changed = true;
        renewal.setDays(days);
        renewal.setChanged(WorkTimeData::DeletePersonalSchedule | WorkTimeData::CreatePersonalSchedule
                           | WorkTimeData::CalendarDaysChanged);
        first.model->setWorkTimeData(renewed, renewal);
        const int oldSchedule = LocalStorage::instance()->personalSchedules(renewed).value(0);
        second.model->setShiftForDate(plain.at(3), monthStart.addDays(5), 0);
        const QList<TYPE_ID> edited{typed, absent, rescheduled, renewed};
        QStringList planned;
        for (TYPE_ID uid : edited)
            planned.append(first.plan(uid));

        QCOMPARE(first.save(), QStringLiteral("Данные успешно сохранены!"));
        QVERIFY(!first.model->hasChanges());
        QVERIFY(!LocalStorage::instance()->schedules().contains(oldSchedule));
        QVERIFY(first.popups.isEmpty());
        QTest::qWait(100);
        Planner fresh(server);
        for (int i = 0; i < edited.size(); ++i)
            QCOMPARE(fresh.plan(edited.at(i)), planned.at(i));
        QTRY_COMPARE_WITH_TIMEOUT(second.plan(typed), planned.at(0), 2500);
        QTRY_COMPARE_WITH_TIMEOUT(second.plan(absent), planned.at(1), 1000);
        QCOMPARE(second.model->changedUids(), QList<unsigned int>{plain.at(3)});

        // The saved month can now be approved.
        QVERIFY(first.model->isConfirmEnabled());
        first.view->confirmWorkTime();
        QTRY_VERIFY_WITH_TIMEOUT(!first.model->isConfirmEnabled(), 5000);
        QCOMPARE(first.popups, QStringList{"Графики работ успешно утверждены"});
    }

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
    }

    void embeddedServer()
    {
        EmbeddedServerConnection server;
        QVERIFY(server.start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("embedded.sqlite")), 40, true));
        QVERIFY(ovtest::logIn(&server, QStringLiteral("planner")));
        StorageNotificationApplier notifications(&server, LocalStorage::instance());
        saveRoundTrip(&server);
    }

    void ovserverOnPostgresql()
    {
        const QString database = ovtest::freshPostgresUrl();
        if (database.isEmpty())
            QSKIP("no PostgreSQL cluster: OV_TEST_PG_URL is not set");
        ServerProcess ovserver;
        QVERIFY(ovserver.start(database, true));
        saveRoundTrip(&ovserver.connection);
    }

    // The server dies between two tasks: the save stops with an error and keeps every edit; the planner comes back
    // to the restarted server by itself, and the same save then completes with every write whole.
    void serverKilledMidSave()
    {
        const QString database = QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("killed.sqlite"));
        ServerProcess ovserver;
        QVERIFY(ovserver.start(database, true));
        TcpServerConnection& server = ovserver.connection;
        ConnectionKeeper keeper(&server, LocalStorage::instance(), QStringLiteral("planner"), QStringLiteral("planner2026"));
        QSignalSpy restored(&keeper, &ConnectionKeeper::restored);
        Planner planner(&server);
        const QList<TYPE_ID> plain = planner.employees(false);
        QStringList planned;
        for (TYPE_ID uid : plain.mid(0, 8)) {
            planner.model->setShiftForDate(uid, monthStart.addDays(3), 0);
            planned.append(planner.plan(uid));
        }
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("task error")));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("connection lost")));
        const QList<unsigned int> changed = planner.model->changedUids();

        planner.view->saveWorkTime();
        auto* bar = planner.runner->progressWindow()->findChild<QProgressBar*>(QStringLiteral("progressBar"));
        QVERIFY(QTest::qWaitFor([bar] { return bar->value() >= 5; }, 10000));
        ovserver.process.kill();
        QTRY_COMPARE_WITH_TIMEOUT(planner.popups.size(), 1, 5000);
        QVERIFY(planner.popups.first().startsWith(QStringLiteral("Ошибка")));
        QCOMPARE(planner.model->changedUids(), changed);
        planner.runner->progressWindow()->reject();

        QVERIFY(ovserver.start(database, false));
        QVERIFY(restored.wait(10000));
        // The schedules made before the server died are found again, not made twice.
        for (unsigned int uid : changed) {
            for (int id : LocalStorage::instance()->personalSchedules(uid)) {
                if (LocalStorage::instance()->schedules().value(id).date == monthStart)
                    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("personal schedule already exist")));
            }
        }
        QCOMPARE(planner.save(), QStringLiteral("Данные успешно сохранены!"));
        QTest::qWait(100);
        Planner fresh(&server);
        for (int i = 0; i < planned.size(); ++i)
            QCOMPARE(fresh.plan(plain.at(i)), planned.at(i));
    }

    // A write the server refuses stops the save with the task's error and keeps every edit; once the planner
    // has taken the refused edit back, the rest saves.
    void refusedWrite()
    {
        EmbeddedServerConnection server;
        QVERIFY(server.start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("embedded.sqlite")), 40, false));
        QVERIFY(ovtest::logIn(&server, QStringLiteral("scheduler")));
        StorageNotificationApplier notifications(&server, LocalStorage::instance());
        Planner planner(&server);
        const QList<TYPE_ID> plain = planner.employees(false);
        const TYPE_ID refused = plain.at(0), allowed = plain.at(1);
        // The scheduler may record absences of the last 31 days only.
        _WORKER_ABSENCE_REASON_RECORD absence;
        absence.id = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        absence.reason = plannableReason();
        absence.start = QDate::currentDate().addDays(-45).startOfDay();
        absence.end = QDateTime(monthStart, QTime(23, 59, 59));
        planner.model->setObjectAbsenceReason(refused, absence);
        planner.model->setShiftForDate(allowed, monthStart.addDays(2), 0);
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("task error")));

        const QString error = QStringLiteral("Ошибка сохранения причин отсутствия ") + planner.model->workTimeData(refused).name();
        QCOMPARE(planner.save(), error);
        QCOMPARE(planner.popups, QStringList{error});
        QCOMPARE(planner.model->changedUids(), (QList<unsigned int>{refused, allowed}));
        QVERIFY(planner.runner->isBusy());
        planner.runner->progressWindow()->reject();
        planner.model->resetChanges({refused});
        QCOMPARE(planner.save(), QStringLiteral("Данные успешно сохранены!"));
        QVERIFY(!planner.model->hasChanges());
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeSaving)
#include "tst_worktimesaving.moc"
