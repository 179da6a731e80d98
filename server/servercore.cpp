#include "servercore.h"

#include "asyncsqlhandler.h"
#include "asyncsqlrunner.h"
#include "authhandler.h"
#include "changenotifier.h"
#include "clusterlink.h"
#include "commandrouter.h"
#include "coreschema.h"
#include "databaseconnector.h"
#include "demoorganisationgenerator.h"
#include "demoseeder.h"
#include "objecthandler.h"
#include "productioncalendarstore.h"
#include "reporthandler.h"
#include "reportjobrunner.h"
#include "schedulehandler.h"
#include "schemamigrator.h"
#include "serverlogging.h"
#include "sessionregistry.h"
#include "workerdatahandler.h"
#include "workerdatastore.h"

#include <QAtomicInt>
#include <QSqlDatabase>

#include <exception>
#include <functional>

namespace {

QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("ovserver-core-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

void setError(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

} // namespace

class ServerCorePrivate
{
public:
    explicit ServerCorePrivate(ServerCore* core) : q(core), connectionName(newConnectionName()) {}

    void buildHandlers();
    void destroyHandlers();
    /// Empties the database first when reset; writes organisation() when it holds no objects.
    bool seedWhenEmpty(bool reset, const QDate& today, const std::function<DemoOrganisation()>& organisation,
                       QString* error);

    ServerCore* q;
    const QString connectionName;
    /// The report jobs open their own connections to it.
    QString databaseUrl;
    QSqlDatabase db;
    SqlDialect dialect = SqlDialect::Sqlite;
    std::unique_ptr<SessionRegistry> sessions;
    std::unique_ptr<ChangeNotifier> notifier;
    /// On PostgreSQL: the change log shared with the other servers of the database.
    std::unique_ptr<ClusterLink> cluster;
    std::unique_ptr<CommandRouter> router;
    std::unique_ptr<AsyncSqlRunner> asyncSql;
    std::unique_ptr<AuthHandler> auth;
    std::unique_ptr<ObjectHandler> objects;
    std::unique_ptr<ScheduleHandler> schedules;
    std::unique_ptr<WorkerDataHandler> workerData;
    std::unique_ptr<AsyncSqlHandler> asyncSqlHandler;
    std::unique_ptr<ReportJobRunner> reports;
    std::unique_ptr<ReportHandler> reportHandler;
};

void ServerCorePrivate::buildHandlers()
{
    sessions = std::make_unique<SessionRegistry>(db);
    notifier = std::make_unique<ChangeNotifier>(
        sessions.get(), [this](const Command& command, quint64 connection) { emit q->pushed(command, connection); });
    router = std::make_unique<CommandRouter>(sessions.get());
    asyncSql = std::make_unique<AsyncSqlRunner>(db, dialect);
    QObject::connect(asyncSql.get(), &AsyncSqlRunner::resultReady, q,
                     [this](const Command& command, quint64 connection) { notifier->push(command, connection); });
    auth = std::make_unique<AuthHandler>(db, sessions.get());
    objects = std::make_unique<ObjectHandler>(db, notifier.get());
    schedules = std::make_unique<ScheduleHandler>(db, dialect, notifier.get());
    workerData = std::make_unique<WorkerDataHandler>(db, dialect, notifier.get());
    asyncSqlHandler = std::make_unique<AsyncSqlHandler>(asyncSql.get());
    auth->registerAt(*router);
    objects->registerAt(*router);
    schedules->registerAt(*router);
    workerData->registerAt(*router);
    asyncSqlHandler->registerAt(*router);
    reports = std::make_unique<ReportJobRunner>(databaseUrl, sessions.get());
    QObject::connect(reports.get(), &ReportJobRunner::resultReady, q,
                     [this](const Command& command, quint64 connection) { notifier->push(command, connection); });
    reportHandler = std::make_unique<ReportHandler>(db, reports.get());
    reportHandler->registerAt(*router);
}

void ServerCorePrivate::destroyHandlers()
{
    // The runner cancels its jobs and waits for them before anything they push through goes.
    reportHandler.reset();
    reports.reset();
    cluster.reset();
    asyncSqlHandler.reset();
    workerData.reset();
    schedules.reset();
    objects.reset();
    auth.reset();
    asyncSql.reset();
    router.reset();
    notifier.reset();
    sessions.reset();
}

ServerCore::ServerCore(QObject* parent) : QObject(parent), d(std::make_unique<ServerCorePrivate>(this)) {}

ServerCore::~ServerCore()
{
    close();
}

bool ServerCore::open(const QString& databaseUrl, QString* error)
{
    close();
    QString message;
    if (!DatabaseConnector::open(databaseUrl, d->connectionName, &d->db, &d->dialect, &message)) {
        setError(error, message);
        return false;
    }
    const QList<QStringList> migrations = {CoreSchema::statements(d->dialect),
                                           WorkerDataStore::schemaStatements(d->dialect),
                                           WorkerDataStore::balanceFunctionStatements(d->dialect),
                                           CoreSchema::parentIndexStatements(),
                                           ProductionCalendarStore::schemaStatements(d->dialect),
                                           CoreSchema::changeLogStatements(d->dialect)};
    if (!SchemaMigrator(d->db).migrate(migrations, &message)) {
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "migration failed" << databaseUrl << message;
        setError(error, QStringLiteral("Не удалось обновить схему базы данных: %1").arg(message));
        close();
        return false;
    }
    d->databaseUrl = databaseUrl;
    d->buildHandlers();
    if (d->dialect == SqlDialect::PostgreSql) {
        d->cluster = std::make_unique<ClusterLink>(d->db, d->sessions.get(), d->notifier.get());
        if (!d->cluster->start(databaseUrl, &message)) {
            setError(error, message);
            close();
            return false;
        }
    }
    qCInfo(lcServerCore) << Q_FUNC_INFO << "opened" << databaseUrl;
    return true;
}

void ServerCore::close()
{
    d->destroyHandlers();
    if (!d->db.isValid())
        return;
    d->db.close();
    d->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(d->connectionName);
}

bool ServerCore::isOpen() const
{
    return d->router && d->db.isOpen();
}

bool ServerCore::seedDemo(int employees, bool reset, QString* error)
{
    const QDate today = QDate::currentDate();
    return d->seedWhenEmpty(reset, today, [employees, today]() { return DemoOrganisationGenerator::generate(employees, today); },
                            error);
}

bool ServerCore::seedOrganisation(const DemoOrganisation& organisation, const QDate& today, bool reset,
                                  QString* error)
{
    return d->seedWhenEmpty(reset, today, [&organisation]() { return organisation; }, error);
}

bool ServerCorePrivate::seedWhenEmpty(bool reset, const QDate& today,
                                      const std::function<DemoOrganisation()>& organisation, QString* error)
{
    if (!q->isOpen()) {
        setError(error, QStringLiteral("База данных не открыта"));
        return false;
    }
    DemoSeeder seeder(db, dialect);
    // Of servers started together on an empty database, one seeds; the others find it seeded.
    const SchemaMigrator::SetupLock setup(db);
    QString message = setup.error();
    bool empty = false;
    if (!setup.isHeld() || (reset && !seeder.clear(&message)) || !seeder.isEmpty(&empty, &message)) {
        setError(error, QStringLiteral("Не удалось подготовить базу данных: %1").arg(message));
        return false;
    }
    sessions->clearCache();
    if (!empty)
        return true;
    if (!seeder.seed(organisation(), today, &message)) {
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "seeding failed" << message;
        setError(error, QStringLiteral("Не удалось записать демонстрационные данные: %1").arg(message));
        return false;
    }
    return true;
}

Command ServerCore::handle(const Command& request, quint64 connection)
{
    if (!isOpen()) {
        qCWarning(lcServerCore) << Q_FUNC_INFO << "request while closed" << loggable(request.name) << connection;
        return Command::errorReply(request, ResultServerError, QStringLiteral("База данных сервера не открыта"));
    }
    // The last resort: whatever one request runs into, the server goes on serving the others.
    try {
        return d->router->route(request, connection);
    } catch (const std::exception& exception) {
        qCCritical(lcServerCore) << Q_FUNC_INFO << "request failed" << loggable(request.name) << connection
                                 << exception.what();
    } catch (...) {
        qCCritical(lcServerCore) << Q_FUNC_INFO << "request failed" << loggable(request.name) << connection;
    }
    return Command::errorReply(request, ResultServerError, QStringLiteral("Внутренняя ошибка сервера"));
}

bool ServerCore::hasSession(quint64 connection) const
{
    return d->sessions && d->sessions->hasSession(connection);
}

void ServerCore::connectionClosed(quint64 connection)
{
    if (d->asyncSql)
        d->asyncSql->dropConnection(connection);
    if (d->reports)
        d->reports->dropConnection(connection);
    if (d->sessions)
        d->sessions->detach(connection);
}
