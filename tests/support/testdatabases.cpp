#include "testdatabases.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>

namespace ovtest {

namespace {

// Connects to the maintenance database named in url and runs one statement.
bool runOnCluster(const QUrl& url, const QString& statement)
{
    const QString connectionName = QStringLiteral("ovtest-cluster");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        const QUrlQuery query(url);
        db.setHostName(query.queryItemValue(QStringLiteral("host")));
        db.setPort(query.queryItemValue(QStringLiteral("port")).toInt());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        QSqlQuery sql(db);
        ok = db.open() && sql.exec(statement);
        if (!ok)
            std::fprintf(stderr, "ovtest: %s\n", qPrintable(db.isOpen() ? sql.lastError().text() : db.lastError().text()));
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}

} // namespace

QString freshPostgresUrl()
{
    static int databaseNumber = 0;
    const QString clusterUrl = qEnvironmentVariable("OV_TEST_PG_URL");
    if (clusterUrl.isEmpty())
        return {};
    QUrl url(clusterUrl);
    const QString name = QStringLiteral("ovtest_%1_%2_%3")
                             .arg(QCoreApplication::applicationName().toLower())
                             .arg(QCoreApplication::applicationPid())
                             .arg(++databaseNumber);
    if (!runOnCluster(url, QStringLiteral("CREATE DATABASE %1").arg(name)))
        return {};
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

} // namespace ovtest
