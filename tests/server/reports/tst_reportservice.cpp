#include "createquery.h"
#include "createresult.h"
#include "demoids.h"
#include "serverfixture.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

const QString Client = QStringLiteral("wtplanningview-1");
const QDate MonthStart(QDate::currentDate().year(), QDate::currentDate().month(), 1);
const qint64 MonthSeconds = QDateTime(MonthStart, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();

QVariantMap params(const QVariant& workers, const QVariant& month = MonthSeconds)
{
    QVariantMap result{{":a_workers", workers}, {":c_locale", "ru"}, {":c_dep_name", "Все"}};
    if (month.isValid())
        result.insert(QStringLiteral(":d_date_beg"), month);
    return result;
}

QByteArray request(const QVariantMap& parameters, TYPE_ID reportId = DemoIds::ReportUid,
                   const QStringList& formats = {"xml"})
{
    report::CreateQuery query;
    query.reportId = reportId;
    query.formats = formats;
    query.params = parameters;
    return pack(Client, QString(), query);
}

// Two employees of the demo, as the client lists them.
const QVariantList Pair{QVariant::fromValue<uint>(DemoIds::FirstEmployeeUid), QVariant::fromValue<uint>(DemoIds::FirstEmployeeUid + 1)};

} // namespace

// The report service of the server core: who may ask, what it refuses, what it pushes and to whom, and that the
// core goes on answering while a report is made.
class tst_ReportService : public QObject, public EngineFixture
{
    Q_OBJECT

    std::unique_ptr<ServerCore> m_core;
    QHash<QString, QByteArray> m_sessions;

    void openDemo(const QString& engine, int employees)
    {
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(freshUrl(engine), &error) && m_core->seedDemo(employees, true, &error), qPrintable(error));
        for (const QString login : {"planner", "viewer", "scheduler", "hr"}) {
            const Command reply = m_core->handle({0, 0, ServerCommands::Login, pack(login, login + "2026"), 0, {}}, 1);
            OVDataStream stream(reply.data);
            stream >> m_sessions[login];
            QVERIFY(reply.isSuccess());
        }
    }

    Command send(const char* name, const QByteArray& payload, const QString& login, quint64 connection = 1)
    {
        return m_core->handle({0, 1, QLatin1String(name), payload, 5, m_sessions.value(login)}, connection);
    }

    QString start(const QString& login, const QVariantMap& parameters, quint64 connection)
    {
        QString jobId;
        const Command reply = send(ServerCommands::CreateReportAsync, request(parameters), login, connection);
        return reply.isSuccess() && unpack(reply.data, jobId) ? jobId : QString();
    }

    // The demo's employees have ids in a row.
    static QVariantList employees(int count)
    {
        QVariantList ids;
        for (int i = 0; i < count; ++i)
            ids.append(QVariant::fromValue<uint>(DemoIds::FirstEmployeeUid + i));
        return ids;
    }

private slots:
    void initTestCase_data() { addEngines(); }
    void cleanup() { m_core.reset(); }

    void requests_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");

        const QByteArray valid = request(params(Pair));
        const char* create = ServerCommands::CreateReportAsync;
        const char* status = ServerCommands::ReportStatusAsync;
        QTest::addRow("the planner's report") << "planner" << create << valid << 1 << "";
        QTest::addRow("the viewer's report") << "viewer" << create << valid << 1 << "";
        QTest::addRow("no session") << "" << create << valid << 401 << "Сеанс не найден или завершён, войдите в систему заново";
        QTest::addRow("no show role") << "hr" << create << valid << 403 << "Недостаточно прав: требуется роль RL_WTPLANNINGVIEW_WORKTIME_SHOW";
        QTest::addRow("no report role") << "scheduler" << create << valid << 403 << "Недостаточно прав: требуется роль RL_WTPLANNINGVIEW_WORKTIME_REPORT";
        QTest::addRow("an employee is no report") << "planner" << create << request(params(Pair), DemoIds::FirstEmployeeUid)
                                                  << 400 << "Отчет 100000 не найден";
        QTest::addRow("xlsx only") << "planner" << create << request(params(Pair), DemoIds::ReportUid, {"xlsx"}) << 400
                                   << "Формат отчета не поддерживается: xlsx";
        QTest::addRow("no month") << "planner" << create << request(params(Pair, QVariant())) << 400 << "Неверный параметр отчета :d_date_beg";
        QTest::addRow("month as text") << "planner" << create << request(params(Pair, "2026-12-01")) << 400 << "Неверный параметр отчета :d_date_beg";
        QTest::addRow("one worker, not a list") << "planner" << create << request(params(100000u)) << 400 << "Неверный параметр отчета :a_workers";
        QTest::addRow("no workers") << "planner" << create << request(params(QVariantList())) << 400 << "Неверный параметр отчета :a_workers";
        QTest::addRow("truncated request") << "planner" << create << valid.left(valid.size() - 3) << 400
                                           << "Неверный формат данных команды create_report_async";
        QTest::addRow("own job's progress") << "planner" << status << QByteArray("planner") << 1 << "";
        QTest::addRow("another session's job") << "viewer" << status << QByteArray("planner") << 403 << "job";
        QTest::addRow("unknown job") << "planner" << status << pack(QStringLiteral("42")) << 403
                                     << "Задание формирования отчета 42 не найдено";
        QTest::addRow("truncated job id") << "planner" << status << pack(QStringLiteral("42")).left(5) << 400
                                          << "Неверный формат данных команды report_status_async";
        QTest::addRow("logout before the result") << "planner" << ServerCommands::Logout << QByteArray("planner") << 1 << "";
    }

    // A status or logout row's payload names whose job it concerns; that user starts it first, on connection 1. After
    // the logout another user asks on that connection: only the new user's report may come to it.
    void requests()
    {
        QFETCH_GLOBAL(QString, engine);
        QFETCH(QString, login);
        QFETCH(QString, command);
        QFETCH(QByteArray, payload);
        QFETCH(int, result);
        QFETCH(QString, message);
        openDemo(engine, 20);
        QString jobId;
        if (m_sessions.contains(QString::fromLatin1(payload))) {
            jobId = start(QString::fromLatin1(payload), params(Pair), 1);
            payload = pack(jobId);
        }
        if (message.startsWith(QStringLiteral("Неверный формат")))
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression("payload does not decode"));
        const Command reply = send(command.toLatin1(), payload, login, 2);
        QCOMPARE(reply.result, result);
        QCOMPARE(reply.errorMessage(), message == "job" ? QStringLiteral("Задание формирования отчета %1 не найдено").arg(jobId) : message);
        if (command == ServerCommands::Logout)
            jobId = start("viewer", params(Pair), 1);
        else if (jobId.isEmpty() && result == 1)
            QVERIFY(unpack(reply.data, jobId));
        // A report started is pushed, made, to the connection that asked for it.
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        QTRY_COMPARE(pushed.count(), int(!jobId.isEmpty()));
        if (jobId.isEmpty())
            return;
        const quint64 asking = command == ServerCommands::CreateReportAsync ? 2 : 1;
        const Command answer = pushed.first().first().value<Command>();
        QString answered;
        qint32 status = 0;
        QString text;
        report::CreateResult made;
        QVERIFY(unpack(answer.data, answered, status, text, made));
        QCOMPARE(answered, jobId);
        QCOMPARE(answer.name, ServerCommands::ReportResultPrefix + Client);
        QCOMPARE(pushed.first().at(1).toULongLong(), asking);
        QCOMPARE(status, 1);
        QCOMPARE(made.items.value(0).format, QStringLiteral("xml"));
    }

    void reportObjectNeedsTheRole_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<int>("reports");
        QTest::addRow("planner") << "planner" << 1;
        QTest::addRow("scheduler") << "scheduler" << 0;
    }

    // The object list holds the report only for those who may make it.
    void reportObjectNeedsTheRole()
    {
        QFETCH_GLOBAL(QString, engine);
        QFETCH(QString, login);
        QFETCH(int, reports);
        openDemo(engine, 20);
        QString dataname;
        QList<ObjectInfo> objects;
        QVERIFY(unpack(send(qPrintable(Data::commandName(Data::GetObjects)), pack(QStringLiteral("report")), login).data,
                       dataname, objects));
        QCOMPARE(objects.size(), reports);
    }

    // While the report of 2,000 employees is made, another client's requests are answered (a core thread blocked by
    // the report would keep one waiting the whole making) and the report's progress only rises. A job whose
    // connection closed never answers; one still running when the core closes is waited for.
    void busyServer()
    {
        QFETCH_GLOBAL(QString, engine);
        if (engine != QLatin1String("sqlite"))
            QSKIP("timed on SQLite only");
        openDemo(engine, 2000);
        const QVariantList everyone = employees(2000);
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        QVERIFY(!start("viewer", params(everyone), 3).isEmpty());
        const QString jobId = start("planner", params(everyone), 1);
        m_core->connectionClosed(3);
        QList<int> progress{0};
        double worstMs = 0;
        QElapsedTimer sinceLast;
        sinceLast.start();
        QElapsedTimer total;
        total.start();
        while (pushed.isEmpty() && total.elapsed() < 60000) {
            QTest::qWait(5);
            // The other client's request was due 5 ms after the last one: the wait beyond that, then its answer.
            const double waited = std::max(0.0, sinceLast.nsecsElapsed() / 1e6 - 5);
            QElapsedTimer answer;
            answer.start();
            QVERIFY(send(ServerCommands::GetDatanames, {}, "viewer", 2).isSuccess());
            worstMs = std::max(worstMs, waited + answer.nsecsElapsed() / 1e6);
            QString echoed;
            qint32 percent = -1;
            if (unpack(send(ServerCommands::ReportStatusAsync, pack(jobId), "planner").data, echoed, percent)
                && percent != progress.constLast())
                progress.append(percent);
            sinceLast.restart();
        }
        // A quarter of the making, at least 100 ms: room for a loaded machine or a sanitizer, none for a block.
        const double makingMs = total.elapsed();
        QVERIFY2(worstMs < std::max(100.0, makingMs / 4),
                 qPrintable(QStringLiteral("worst reply %1 ms, making %2 ms").arg(worstMs).arg(makingMs)));
        QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()) && progress.size() > 2);
        QTest::qWait(200);
        QCOMPARE(pushed.count(), 1);
        QCOMPARE(pushed.first().at(1).toULongLong(), 1u);
        QVERIFY(!start("planner", params(everyone), 1).isEmpty());
        m_core.reset();
    }
};

OV_TEST_GUILESS_MAIN(tst_ReportService)
#include "tst_reportservice.moc"
