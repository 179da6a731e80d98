#include "authdata.h"
#include "clientsession.h"
#include "data.h"
#include "dbresult.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "ovdatastream.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "servercore.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"
#include "vocabulary.h"
#include "workerhistorypanelwidget.h"
#include "worktimefilterdialog.h"
#include "worktimeperiodwidget.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

const QStringList plannerRoles = {"RL_WTPLANNINGVIEW_WORKTIME_SHOW", "RL_WTPLANNINGVIEW_WORKTIME_SET",
                                  "RL_WTPLANNINGVIEW_WORKTIME_APPROVE"};

const QDate julyStart(2024, 7, 1);
const QDate julyFinish(2024, 7, 31);

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

// Keeps every request; the test answers them by hand, in any order.
class ScriptedServer : public OVServerInterface
{
public:
    QList<Command> transmitted;
    QSet<quint64> answered;

    QList<Command> requests(const QString& operation) const
    {
        QList<Command> found;
        for (const Command& command : transmitted) {
            if (command.name == ov5sdk::Data::commandName(operation.toLatin1().constData()))
                found.append(command);
        }
        return found;
    }

    /// Answers the oldest unanswered request of operation; false when there is none.
    bool answer(const char* operation, int result, const QByteArray& data)
    {
        for (const Command& request : qAsConst(transmitted)) {
            if (request.name != ov5sdk::Data::commandName(operation) || answered.contains(request.correlationId))
                continue;
            answered.insert(request.correlationId);
            Command reply = result == 1 ? request : Command::errorReply(request, result, QStringLiteral("отказ"));
            reply.result = result;
            if (result == 1)
                reply.data = data;
            deliverReply(reply);
            return true;
        }
        return false;
    }

    /// Answers every unanswered request with an empty success.
    void answerAllEmpty()
    {
        const QList<Command> sent = transmitted;
        for (const Command& request : sent) {
            if (answered.contains(request.correlationId))
                continue;
            answered.insert(request.correlationId);
            Command reply = request;
            reply.result = 1;
            // Zero counts for every container and null dates for the echoed ones.
            reply.data = QByteArray(32, '\0');
            deliverReply(reply);
        }
    }

    void push(const Command& command) { deliverPushed(command); }

protected:
    void transmit(const Command& command) override { transmitted.append(command); }
};

QList<uint> employeesOf(const Command& request)
{
    OVDataStream stream(request.data);
    QList<uint> ids;
    stream >> ids;
    return ids;
}

// Everything the grid shows, to tell whether a reply changed it.
QStringList snapshot(const QAbstractItemModel* model)
{
    QStringList cells;
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            cells.append(index.data().toString() + QLatin1Char('|') + index.data(Qt::ToolTipRole).toString()
                         + QLatin1Char('|') + index.data(WorkTimePlanningModel::MarksRole).toString());
        }
    }
    for (int column = 0; column < model->columnCount(); ++column)
        cells.append(model->headerData(column, Qt::Horizontal, WorkTimePlanningModel::SalesPlanRole).toString());
    return cells;
}

struct ScriptedView
{
    ScriptedServer server;
    std::unique_ptr<WorkTimePlanningView> view;
    WorkTimePlanningModel* model = nullptr;
    QStringList popups;

    ScriptedView()
    {
        AuthData::setRoles(plannerRoles);
        view = std::make_unique<WorkTimePlanningView>();
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        model = view->findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        QObject::connect(view.get(), &PluginWidget::popupRequested,
                         [this](int, const QString& text, int) { popups.append(text); });
    }

    void applyFilter(const QList<TYPE_ID>& departments, const QDate& start = julyStart,
                     const QDate& finish = julyFinish)
    {
        QVERIFY(QMetaObject::invokeMethod(view.get(), "applyFilter", Q_ARG(QDate, start), Q_ARG(QDate, finish),
                                          Q_ARG(QList<orvanta::TYPE_ID>, departments), Q_ARG(QStringList, {})));
    }

    WorkTimeFilterDialog* openFilterDialog()
    {
        // The offscreen platform complains about every window it is asked to raise or grab for.
        ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
        ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
        view->findChild<QAction*>(QStringLiteral("actionFilter"))->trigger();
        return view->findChild<WorkTimeFilterDialog*>();
    }

    void pushBalance(const QString& queryId, qint32 status, const QList<DbResult>& results)
    {
        Command result;
        result.kind = 1;
        result.name = QStringLiteral("datamanager.async_result:%1").arg(view->clientIdentifier());
        result.data = pack(queryId, status, QString(), results);
        server.push(result);
    }
};

DbResult balanceRows(const QList<QVariantList>& rows)
{
    DbResult result({QStringLiteral("worker_id"), QStringLiteral("norm_time"), QStringLiteral("plan_time")});
    for (const QVariantList& row : rows)
        result.appendRow(row);
    return result;
}

} // namespace

class tst_WorkTimePlanningLoading : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QVERIFY(m_folder.isValid());
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
    }

    void cleanup() { AuthData::clear(); }

    void loadsDemoDepartmentFromRealServer()
    {
        EmbeddedServerConnection connection;
        QVERIFY2(connection.start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("demo.sqlite")), 12,
                                  true),
                 qPrintable(connection.errorString()));
        ClientSession session(&connection, LocalStorage::instance());
        QSignalSpy finished(&session, &ClientSession::finished);
        session.start(QStringLiteral("planner"), QStringLiteral("planner2026"));
        QVERIFY(finished.wait(20000));
        QVERIFY(finished.constFirst().value(0).toBool());

        TYPE_ID department = 0;
        QSet<TYPE_ID> members;
        const OBJECT_HASH* orgstructure = LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME));
        QVERIFY(orgstructure);
        for (const ObjectInfo& object : *orgstructure) {
            const QList<_INHERIT_DATA> links = object.children.values(INHERIT_PARENT_CHILD);
            for (const _INHERIT_DATA& link : links) {
                if (LocalStorage::instance()->constObject(link.child, QLatin1String(SUBJECT_DATANAME)).isValid())
                    members.insert(link.child);
            }
            if (!members.isEmpty()) {
                department = object.uid;
                break;
            }
        }
        QVERIFY(department != 0);

        WorkTimePlanningView view;
        view.init(&connection, QStringLiteral("wtplanningview"));
        view.insertedToInterface();
        auto* model = view.findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList popups;
        connect(&view, &PluginWidget::popupRequested, [&popups](int, const QString& text, int) { popups.append(text); });
        QSignalSpy loading(&view, &WorkTimePlanningView::loadingChanged);

        const QDate start(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        QMetaObject::invokeMethod(&view, "applyFilter", Q_ARG(QDate, start), Q_ARG(QDate, start.addMonths(1).addDays(-1)),
                                  Q_ARG(QList<orvanta::TYPE_ID>, {department}), Q_ARG(QStringList, {}));
        QVERIFY(view.isLoading());
        QTRY_VERIFY_WITH_TIMEOUT(!view.isLoading(), 20000);

        const QList<unsigned int> listed = model->objList();
        QVERIFY(!listed.isEmpty());
        for (unsigned int uid : listed)
            QVERIFY2(members.contains(uid) || model->isAttached(uid), qPrintable(QString::number(uid)));
        QCOMPARE(popups, QStringList());
        QVERIFY(view.currentPlanningBalanceQueryId().isEmpty());
        QCOMPARE(loading.count(), 2);
        LocalStorage::instance()->reset();
    }

    // Two planners on one server: what the second one saves reaches the first one's grid by itself.
    void changeByAnotherPlannerReachesTheGrid()
    {
        ServerCore core;
        QString error;
        QVERIFY2(core.open(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("shared.sqlite")), &error),
                 qPrintable(error));
        QVERIFY2(core.seedDemo(12, true, &error), qPrintable(error));
        TcpCommandServer tcp(&core);
        QVERIFY(tcp.listen(QHostAddress::LocalHost, 0));

        TcpServerConnection first;
        QVERIFY(first.connectToServer(QStringLiteral("127.0.0.1"), tcp.serverPort()));
        StorageNotificationApplier applier(&first, LocalStorage::instance());
        ClientSession session(&first, LocalStorage::instance());
        QSignalSpy finished(&session, &ClientSession::finished);
        session.start(QStringLiteral("planner"), QStringLiteral("planner2026"));
        QVERIFY(finished.wait(20000));
        QVERIFY(finished.constFirst().value(0).toBool());

        WorkTimePlanningView view;
        view.init(&first, QStringLiteral("wtplanningview"));
        view.insertedToInterface();
        auto* model = view.findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        QList<TYPE_ID> departments;
        for (const ObjectInfo& object : *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME)))
            departments.append(object.uid);
        const QDate start(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        QMetaObject::invokeMethod(&view, "applyFilter", Q_ARG(QDate, start), Q_ARG(QDate, start.addMonths(1).addDays(-1)),
                                  Q_ARG(QList<orvanta::TYPE_ID>, departments), Q_ARG(QStringList, {}));
        QTRY_VERIFY_WITH_TIMEOUT(!view.isLoading(), 20000);

        // The second planner moves someone of the grid onto another cyclic schedule.
        const unsigned int employee = model->objList().constFirst();
        WORKER_SCHEDULE_HISTORY_V2 history = model->objectScheduleHistory(employee);
        QVERIFY(!history.records.isEmpty());
        TYPE_ID otherSchedule = 0;
        for (const SCHEDULE_DATA& schedule : LocalStorage::instance()->schedules()) {
            if (schedule.kind == SCHEDULE_DATA::KindCycle && TYPE_ID(schedule.id) != history.records.last().schedule)
                otherSchedule = TYPE_ID(schedule.id);
        }
        QVERIFY(otherSchedule != 0);
        history.records.last().schedule = otherSchedule;

        TcpServerConnection second;
        QVERIFY(second.connectToServer(QStringLiteral("127.0.0.1"), tcp.serverPort()));
        Command write;
        write.kind = 1;
        write.name = ov5sdk::Data::commandName(ov5sdk::Data::SetWorkerSchedules);
        write.data = pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{employee, history}});
        int result = 0;
        second.send(write, [&result](Command& reply) { result = reply.result; });
        QTRY_COMPARE(result, 1);

        QElapsedTimer sinceSaved;
        sinceSaved.start();
        QTRY_COMPARE_WITH_TIMEOUT(model->objectScheduleHistory(employee).records.last().schedule, otherSchedule, 5000);
        QVERIFY2(sinceSaved.elapsed() < 2500, qPrintable(QString::number(sinceSaved.elapsed())));
        LocalStorage::instance()->reset();
    }

    void discardQuestion_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addRow("refused") << false;
        QTest::addRow("accepted") << true;
    }

    void discardQuestion()
    {
        QFETCH(bool, answer);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        const TYPE_ID ivanov = org.employee(QStringLiteral("Иванов"), shop);
        const TYPE_ID shift = org.shift(QStringLiteral("Утро"), {{QTime(8, 0), QTime(14, 0)}});
        const TYPE_ID store = org.department(QStringLiteral("Склад"), 0);
        org.employee(QStringLiteral("Петров"), store);

        ScriptedView fixture;
        int asked = 0;
        fixture.view->setDiscardQuestion([&asked, answer](QWidget*) {
            ++asked;
            return answer;
        });
        fixture.applyFilter({shop});
        fixture.server.answerAllEmpty();
        fixture.model->setShiftForDate(ivanov, julyStart.addDays(2), shift);
        QVERIFY(fixture.model->hasChanges());
        const int sent = fixture.server.transmitted.size();

        fixture.applyFilter({store});

        QCOMPARE(asked, 1);
        QCOMPARE(fixture.model->hasChanges(), !answer);
        QCOMPARE(fixture.model->containsEmployee(ivanov), !answer);
        QCOMPARE(fixture.server.transmitted.size() > sent, answer);
    }

    void replyErrorShowsPopupAndKeepsModel_data()
    {
        QTest::addColumn<QByteArray>("operation");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("popup");
        QTest::addRow("schedule history") << QByteArray(ov5sdk::Data::GetWorkerSchedules) << "отказ"
                                          << "Ошибка чтения истории графиков работ";
        QTest::addRow("absence reasons") << QByteArray(ov5sdk::Data::GetWorkerAbsenceReasons) << "отказ"
                                         << "Ошибка чтения причин отстутствия";
        QTest::addRow("norm time") << QByteArray(ov5sdk::Data::GetWorkerNormTime) << "read employee norm time error 500"
                                   << "Ошибка чтения планового времени";
        QTest::addRow("sync time") << QByteArray(ov5sdk::Data::GetWorkerSyncTime) << "read employee sync time error 500"
                                   << "Ошибка чтения статуса синхронизации";
        QTest::addRow("sales plan") << QByteArray(ov5sdk::Data::GetWorkTimeBudgets) << "read work time budget error 500"
                                    << "Ошибка чтения плана продаж";
        QTest::addRow("hours budget") << QByteArray(ov5sdk::Data::GetWorkTimeHours) << "read work time budget error 500"
                                      << "Ошибка чтения бюджета часов";
        QTest::addRow("calendar days") << QByteArray(ov5sdk::Data::GetScheduleCalendar) << "read calendar days error 500"
                                       << "Ошибка чтения расписания графика работ";
    }

    void replyErrorShowsPopupAndKeepsModel()
    {
        QFETCH(QByteArray, operation);
        QFETCH(QString, warning);
        QFETCH(QString, popup);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        const TYPE_ID ivanov = org.employee(QStringLiteral("Иванов"), shop);
        const int calendar = org.calendarSchedule(QStringLiteral("Календарь"));

        ScriptedView fixture;
        QAbstractItemModelTester tester(fixture.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fixture.applyFilter({shop});
        WORKER_SCHEDULE_HISTORY_V2 history;
        history.uid = ivanov;
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
        record.schedule = TYPE_ID(calendar);
        history.records.append(record);
        if (operation != ov5sdk::Data::GetWorkerSchedules)
            QVERIFY(fixture.server.answer(ov5sdk::Data::GetWorkerSchedules, 1,
                                          pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{ivanov, history}})));
        const QStringList before = snapshot(fixture.model);

        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        QVERIFY(fixture.server.answer(operation.constData(), 500, {}));

        QCOMPARE(fixture.popups, QStringList{popup});
        QCOMPARE(snapshot(fixture.model), before);
    }

    void malformedPayloadReadsAsEmpty_data()
    {
        QTest::addColumn<QByteArray>("operation");
        QTest::addColumn<int>("containers");
        QTest::addRow("schedule history") << QByteArray(ov5sdk::Data::GetWorkerSchedules) << 1;
        QTest::addRow("absence reasons") << QByteArray(ov5sdk::Data::GetWorkerAbsenceReasons) << 2;
        QTest::addRow("norm time") << QByteArray(ov5sdk::Data::GetWorkerNormTime) << 1;
        QTest::addRow("sync time") << QByteArray(ov5sdk::Data::GetWorkerSyncTime) << 2;
        QTest::addRow("sales plan") << QByteArray(ov5sdk::Data::GetWorkTimeBudgets) << 1;
        QTest::addRow("hours budget") << QByteArray(ov5sdk::Data::GetWorkTimeHours) << 1;
    }

    void malformedPayloadReadsAsEmpty()
    {
        QFETCH(QByteArray, operation);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        org.employee(QStringLiteral("Иванов"), shop);

        ScriptedView fixture;
        fixture.applyFilter({shop});
        QFETCH(int, containers);
        for (int i = 0; i < containers; ++i)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("malformed payload")));
        // A count of five elements followed by nothing.
        QVERIFY(fixture.server.answer(operation.constData(), 1, QByteArray::fromHex("00000005")));

        QCOMPARE(fixture.popups, QStringList());
        QVERIFY(fixture.model->hasData());
    }

    void calendarRequestFollowsHistory_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("requested");
        QTest::addRow("calendar schedule, open range") << int(SCHEDULE_DATA::KindCalendar) << 1 << true;
        QTest::addRow("calendar schedule, state 0") << int(SCHEDULE_DATA::KindCalendar) << 0 << false;
        QTest::addRow("cycle schedule") << int(SCHEDULE_DATA::KindCycle) << 1 << false;
    }

    void calendarRequestFollowsHistory()
    {
        QFETCH(int, kind);
        QFETCH(int, state);
        QFETCH(bool, requested);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        const TYPE_ID ivanov = org.employee(QStringLiteral("Иванов"), shop);
        const int schedule = kind == SCHEDULE_DATA::KindCalendar
            ? org.calendarSchedule(QStringLiteral("Календарь"))
            : org.cycleSchedule(QStringLiteral("Цикл"), julyStart, {0}, {{{QTime(8, 0), QTime(12, 0)}}});

        ScriptedView fixture;
        fixture.applyFilter({shop});
        WORKER_SCHEDULE_HISTORY_V2 history;
        history.uid = ivanov;
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
        record.schedule = TYPE_ID(schedule);
        record.state = state;
        history.records.append(record);
        QVERIFY(fixture.server.answer(ov5sdk::Data::GetWorkerSchedules, 1,
                                      pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{ivanov, history}})));

        const QList<Command> calendars = fixture.server.requests(QLatin1String(ov5sdk::Data::GetScheduleCalendar));
        QCOMPARE(calendars.size(), requested ? 1 : 0);
        if (requested) {
            OVDataStream stream(calendars.constFirst().data);
            QList<int> ids;
            stream >> ids;
            QCOMPARE(ids, QList<int>{schedule});
        }
    }

    void balanceQuery_data()
    {
        QTest::addColumn<bool>("secondFilter");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QStringList>("popups");
        QTest::addRow("current query succeeds") << false << 1 << true << QStringList();
        QTest::addRow("cancelled query's late result") << true << 1 << false << QStringList();
        QTest::addRow("status 14 is silent") << false << 14 << false << QStringList();
        QTest::addRow("server error") << false << 2 << false << QStringList{"Ошибка получения баланса часов"};
    }

    void balanceQuery()
    {
        QFETCH(bool, secondFilter);
        QFETCH(int, status);
        QFETCH(bool, applied);
        QFETCH(QStringList, popups);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        const TYPE_ID ivanov = org.employee(QStringLiteral("Иванов"), shop);
        const TYPE_ID petrov = org.employee(QStringLiteral("Петров"), shop);

        ScriptedView fixture;
        fixture.applyFilter({shop});
        const QString firstId = fixture.view->currentPlanningBalanceQueryId();
        QVERIFY(firstId.startsWith(QLatin1String("planning_balance_query_")));
        if (secondFilter) {
            fixture.applyFilter({shop});
            const QList<Command> cancels = fixture.server.requests(QLatin1String(ov5sdk::Data::CancelAsyncSql));
            QCOMPARE(cancels.size(), 1);
            OVDataStream stream(cancels.constFirst().data);
            QString client;
            QString cancelled;
            stream >> client >> cancelled;
            QCOMPARE(cancelled, firstId);
        }
        fixture.server.answerAllEmpty();
        const QString before = fixture.model->index(fixture.model->objectIdToRow(ivanov),
                                                    WorkTimePlanningModel::BalanceColumn).data().toString();

        if (status == 2)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("read planning balance error")));
        fixture.pushBalance(firstId, status, {balanceRows({{qint64(ivanov), 36000, 0}})});

        const QString after = fixture.model->index(fixture.model->objectIdToRow(ivanov),
                                                   WorkTimePlanningModel::BalanceColumn).data().toString();
        QCOMPARE(after != before, applied);
        QCOMPARE(fixture.popups, popups);
        QCOMPARE(fixture.view->currentPlanningBalanceQueryId().isEmpty(), status != 14 && !secondFilter);
        Q_UNUSED(petrov)
    }

    void balanceQueryBindsWorkers_data()
    {
        QTest::addColumn<bool>("withEmployees");
        QTest::addRow("two employees") << true;
        QTest::addRow("empty department") << false;
    }

    void balanceQueryBindsWorkers()
    {
        QFETCH(bool, withEmployees);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        QStringList ids;
        if (withEmployees) {
            ids.append(QString::number(org.employee(QStringLiteral("Иванов"), shop)));
            ids.append(QString::number(org.employee(QStringLiteral("Петров"), shop)));
        }

        ScriptedView fixture;
        fixture.applyFilter({shop}, QDate(2024, 3, 1), QDate(2024, 3, 31));

        const QList<Command> queries = fixture.server.requests(QLatin1String(ov5sdk::Data::ExecAsyncSql));
        QCOMPARE(queries.size(), 1);
        OVDataStream stream(queries.constFirst().data);
        QString client;
        QString queryId;
        DbQuery query;
        stream >> client >> queryId >> query;
        QCOMPARE(client, fixture.view->clientIdentifier());
        QCOMPARE(query.boundValue(QStringLiteral(":start")).toDate(), QDate(2024, 1, 1));
        QCOMPARE(query.boundValue(QStringLiteral(":finish")).toDate(), QDate(2024, 2, 29));
        const QVariant workers = query.boundValue(QStringLiteral(":workers"));
        if (withEmployees) {
            QCOMPARE(workers.toString(), QStringLiteral("{%1}").arg(ids.join(QLatin1Char(','))));
        } else {
            QVERIFY(workers.isNull());
            QCOMPARE(workers.type(), QVariant::List);
        }
    }

    void scheduleNotificationsGiveOneReload()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        QList<TYPE_ID> employees;
        for (int i = 0; i < 5; ++i)
            employees.append(org.employee(QStringLiteral("Сотрудник %1").arg(i), shop));
        ScriptedView fixture;
        fixture.applyFilter({shop});
        fixture.server.answerAllEmpty();
        const int loads = fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).size();

        for (TYPE_ID employee : employees) {
            org.personalSchedule(employee, julyStart);
            QTest::qWait(300);
            QCOMPARE(fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).size(), loads);
        }
        QTRY_COMPARE_WITH_TIMEOUT(fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).size(),
                                  loads + 1, 2000);

        QList<uint> reloaded = employeesOf(fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).last());
        std::sort(reloaded.begin(), reloaded.end());
        QCOMPARE(reloaded, employees);
        QCOMPARE(fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerAbsenceReasons)).size(), loads + 1);
    }

    void notificationsOutsideGridReloadNothing()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        org.employee(QStringLiteral("Иванов"), shop);
        const TYPE_ID stranger = org.employee(QStringLiteral("Чужой"), org.department(QStringLiteral("Склад"), 0));
        ScriptedView fixture;
        fixture.applyFilter({shop});
        fixture.server.answerAllEmpty();
        const int sent = fixture.server.transmitted.size();

        org.personalSchedule(stranger, julyStart);
        org.cycleSchedule(QStringLiteral("Цикл"), julyStart, {0}, {{{QTime(8, 0), QTime(12, 0)}}});
        QTest::qWait(1300);

        QCOMPARE(fixture.server.transmitted.size(), sent);
    }

    void subjectChangeReloadsEvenOutsideGrid()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        org.employee(QStringLiteral("Иванов"), shop);
        const TYPE_ID stranger = org.employee(QStringLiteral("Чужой"), org.department(QStringLiteral("Склад"), 0));
        ScriptedView fixture;
        fixture.applyFilter({shop});
        fixture.server.answerAllEmpty();
        const int loads = fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).size();

        org.setProperty(stranger, QStringLiteral("PT_WORKERNUM"), QStringLiteral("77"));

        QTRY_COMPARE_WITH_TIMEOUT(fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).size(),
                                  loads + 1, 2000);
        QCOMPARE(employeesOf(fixture.server.requests(QLatin1String(ov5sdk::Data::GetWorkerSchedules)).last()),
                 QList<uint>{stranger});
    }

    void settingsRestoredForCustomPeriodOnly_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("restored");
        QTest::addRow("current month") << int(WorkTimePeriodWidget::CurrentMonth) << false;
        QTest::addRow("previous month") << int(WorkTimePeriodWidget::PreviousMonth) << false;
        QTest::addRow("custom") << int(WorkTimePeriodWidget::Custom) << true;
    }

    void settingsRestoredForCustomPeriodOnly()
    {
        QFETCH(int, period);
        QFETCH(bool, restored);
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        const TYPE_ID store = org.department(QStringLiteral("Склад"), 0);
        org.department(QStringLiteral("Офис"), 0);
        const QDateTime savedStart(QDate(2019, 2, 1), QTime(0, 0));
        const QDateTime savedFinish(QDate(2019, 2, 28), QTime(23, 59));
        Settings::setValue(QStringLiteral("wtplanningview/periodpanel/period"), period);
        Settings::setValue(QStringLiteral("wtplanningview/periodpanel/start"), savedStart);
        Settings::setValue(QStringLiteral("wtplanningview/periodpanel/finish"), savedFinish);
        Settings::setValue(QStringLiteral("wtplanningview/employeepanel/checked"),
                           QStringLiteral("%1,,%2,").arg(shop).arg(store));

        ScriptedView fixture;
        auto* dialog = fixture.openFilterDialog();
        QVERIFY(dialog);

        QCOMPARE(int(dialog->periodWidget()->period()), period);
        QCOMPARE(dialog->periodWidget()->dateStart().date() == savedStart.date(), restored);
        QList<TYPE_ID> checked = dialog->workerWidget()->checked();
        std::sort(checked.begin(), checked.end());
        QCOMPARE(checked, (QList<TYPE_ID>{shop, store}));
        dialog->close();
    }

    void settingsSavedFromDialog()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        ScriptedView fixture;
        auto* dialog = fixture.openFilterDialog();
        dialog->periodWidget()->setPeriod(WorkTimePeriodWidget::Custom);
        dialog->periodWidget()->setStartFinish(QDateTime(QDate(2023, 5, 1), QTime(0, 0)),
                                               QDateTime(QDate(2023, 5, 31), QTime(0, 0)));
        dialog->workerWidget()->setChecked({shop});

        emit dialog->settingsChanged();

        QCOMPARE(Settings::value(QStringLiteral("wtplanningview/periodpanel/period")).toInt(),
                 int(WorkTimePeriodWidget::Custom));
        QCOMPARE(Settings::value(QStringLiteral("wtplanningview/periodpanel/start")).toDateTime().date(),
                 QDate(2023, 5, 1));
        QCOMPARE(Settings::value(QStringLiteral("wtplanningview/employeepanel/checked")).toString(),
                 QString::number(shop));
        dialog->close();
    }

    void loadingBarFollowsOutstandingRequests()
    {
        ovtest::OrganisationBuilder org;
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
        org.employee(QStringLiteral("Иванов"), shop);
        ScriptedView fixture;
        auto* bar = fixture.view->findChild<QProgressBar*>(QStringLiteral("loadingBar"));
        QVERIFY(bar);
        QSignalSpy loading(fixture.view.get(), &WorkTimePlanningView::loadingChanged);
        QVERIFY(!fixture.view->isLoading());
        QVERIFY(bar->isHidden());

        fixture.applyFilter({shop});
        QVERIFY(fixture.view->isLoading());
        QVERIFY(!bar->isHidden());

        fixture.server.answerAllEmpty();
        QVERIFY(fixture.view->isLoading());
        fixture.pushBalance(fixture.view->currentPlanningBalanceQueryId(), 1, {balanceRows({})});

        QVERIFY(!fixture.view->isLoading());
        QVERIFY(bar->isHidden());
        QCOMPARE(loading.count(), 2);
        QCOMPARE(loading.at(0).at(0).toBool(), true);
        QCOMPARE(loading.at(1).at(0).toBool(), false);
    }

    void nothingLoadsBeforeFilter()
    {
        ScriptedView fixture;
        QTest::qWait(50);
        QCOMPARE(fixture.server.transmitted.size(), 0);
        QVERIFY(!fixture.view->isLoading());
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningLoading)
#include "tst_worktimeplanningloading.moc"
