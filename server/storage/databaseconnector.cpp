#include "databaseconnector.h"

#include "serverlogging.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString SqlitePrefix = QStringLiteral("sqlite:");
const QString PostgresScheme = QStringLiteral("postgresql");

// The error of the first statement that fails, empty when all ran.
QString runAll(const QSqlDatabase& db, const QStringList& statements)
{
    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!query.exec(statement))
            return query.lastError().text();
    }
    return QString();
}

// What every connection sets up once opened, by driver.
QStringList sessionSetup(const QString& driverName)
{
    if (driverName == QLatin1String("QPSQL"))
        return {QStringLiteral("SET client_min_messages TO WARNING")};
    // WAL lets readers go on while one writer commits; NORMAL sync is safe with WAL.
    // A 64 MB page cache keeps big transactions (the demo seeding) from spilling into the WAL.
    return {QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("PRAGMA synchronous=NORMAL"),
            QStringLiteral("PRAGMA foreign_keys=ON"), QStringLiteral("PRAGMA cache_size=-65536")};
}

} // namespace

bool DatabaseConnector::reopen(QSqlDatabase& db, QString* error)
{
    db.close();
    QString message = db.open() ? runAll(db, sessionSetup(db.driverName())) : db.lastError().text();
    if (message.isEmpty())
        return true;
    db.close();
    if (error)
        *error = message;
    return false;
}

bool DatabaseConnector::open(const QString& url, const QString& connectionName, QSqlDatabase* db,
                             SqlDialect* dialect, QString* error)
{
    if (url.startsWith(SqlitePrefix)) {
        *dialect = SqlDialect::Sqlite;
        return openSqlite(url.mid(SqlitePrefix.size()), connectionName, db, error);
    }
    if (QUrl(url).scheme() == PostgresScheme) {
        *dialect = SqlDialect::PostgreSql;
        return openPostgres(url, connectionName, db, error);
    }
    if (error)
        *error = QStringLiteral("Неизвестный адрес базы данных: %1").arg(url);
    return false;
}

bool DatabaseConnector::openSqlite(const QString& path, const QString& connectionName, QSqlDatabase* db,
                                   QString* error)
{
    if (path.isEmpty())
        return fail(db, connectionName, QStringLiteral("Не указан файл базы данных"), error);
    QDir().mkpath(QFileInfo(path).absolutePath());
    *db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db->setDatabaseName(path);
    db->setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db->open())
        return fail(db, connectionName, db->lastError().text(), error);
    const QString message = runAll(*db, sessionSetup(db->driverName()));
    return message.isEmpty() || fail(db, connectionName, message, error);
}

bool DatabaseConnector::openPostgres(const QString& url, const QString& connectionName, QSqlDatabase* db,
                                     QString* error)
{
    const QUrl parsed(url);
    const QUrlQuery options(parsed);
    *db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    const QString host = options.hasQueryItem(QStringLiteral("host")) ? options.queryItemValue(QStringLiteral("host"))
                                                                       : parsed.host();
    if (!host.isEmpty())
        db->setHostName(host);
    const int port = options.hasQueryItem(QStringLiteral("port"))
        ? options.queryItemValue(QStringLiteral("port")).toInt()
        : parsed.port();
    if (port > 0)
        db->setPort(port);
    db->setUserName(parsed.userName());
    db->setPassword(parsed.password());
    db->setDatabaseName(parsed.path().mid(1));
    if (!db->open())
        return fail(db, connectionName, db->lastError().text(), error);
    const QString message = runAll(*db, sessionSetup(db->driverName()));
    return message.isEmpty() || fail(db, connectionName, message, error);
}

bool DatabaseConnector::fail(QSqlDatabase* db, const QString& connectionName, const QString& message, QString* error)
{
    qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot open database" << message;
    if (error)
        *error = QStringLiteral("Не удалось открыть базу данных: %1").arg(message);
    db->close();
    *db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
    return false;
}
