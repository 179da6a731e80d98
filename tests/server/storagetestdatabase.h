#pragma once

#include "sqldialect.h"
#include "testdatabases.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>
#include <functional>

/// One engine a storage test runs on: a fresh SQLite file always, a fresh PostgreSQL database
/// when OV_TEST_PG_URL is set. The PostgreSQL database is dropped again by drop().
struct StorageTestDatabase
{
    QString tag;
    QString url;
    QString connectionName;
    SqlDialect dialect = SqlDialect::Sqlite;

    QSqlDatabase db() const { return QSqlDatabase::database(connectionName, false); }

    /// Opens every fresh database of ovtest::freshDatabases and runs statements on it.
    static QList<StorageTestDatabase> openAll(const QString& folder,
                                              const std::function<QStringList(SqlDialect)>& statements)
    {
        QList<StorageTestDatabase> result;
        for (const ovtest::TestDatabase& fresh : ovtest::freshDatabases(folder)) {
            StorageTestDatabase database{fresh.tag, fresh.url, QStringLiteral("storage-test-") + fresh.tag};
            if (database.open(statements))
                result.append(database);
            else
                database.drop();
        }
        return result;
    }

    /// A data column "engine" with one row per database, tagged by the engine.
    static void addRows(const QList<StorageTestDatabase>& engines)
    {
        QTest::addColumn<int>("engine");
        for (int i = 0; i < engines.size(); ++i)
            QTest::addRow("%s", qPrintable(engines.at(i).tag)) << i;
    }

    static void dropAll(QList<StorageTestDatabase>& engines)
    {
        for (StorageTestDatabase& engine : engines)
            engine.drop();
    }

    /// Runs use on an SQLite database without any table, so every statement fails.
    static void withoutSchema(const std::function<void(const QSqlDatabase&)>& use)
    {
        {
            QSqlDatabase empty = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("empty"));
            empty.setDatabaseName(QStringLiteral(":memory:"));
            if (empty.open())
                use(empty);
            else
                QTest::qFail("cannot open an in-memory database", __FILE__, __LINE__);
            empty.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("empty"));
    }

    bool open(const std::function<QStringList(SqlDialect)>& statements)
    {
        QSqlDatabase db;
        if (url.startsWith(QLatin1String("sqlite:"))) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
            db.setDatabaseName(url.mid(7));
        } else {
            dialect = SqlDialect::PostgreSql;
            const QUrl parsed(url);
            const QUrlQuery query(parsed);
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
            db.setHostName(query.queryItemValue(QStringLiteral("host")));
            db.setPort(query.queryItemValue(QStringLiteral("port")).toInt());
            db.setUserName(parsed.userName());
            db.setDatabaseName(parsed.path().mid(1));
        }
        if (!db.open()) {
            std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(url), qPrintable(db.lastError().text()));
            return false;
        }
        QSqlQuery sql(db);
        // The server's own settings: without them every commit waits for the disk.
        if (dialect == SqlDialect::Sqlite) {
            sql.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            sql.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        }
        for (const QString& statement : statements(dialect)) {
            if (!sql.exec(statement)) {
                std::fprintf(stderr, "schema failed: %s\n", qPrintable(sql.lastError().text()));
                return false;
            }
        }
        return true;
    }

    bool clear(const QStringList& tables) const
    {
        QSqlQuery sql(db());
        for (const QString& table : tables) {
            if (!sql.exec(QStringLiteral("DELETE FROM ") + table))
                return false;
        }
        return true;
    }

    void drop()
    {
        db().close();
        QSqlDatabase::removeDatabase(connectionName);
        if (dialect != SqlDialect::PostgreSql)
            return;
        QUrl cluster(url);
        const QString name = cluster.path().mid(1);
        cluster.setPath(QStringLiteral("/postgres"));
        const QUrlQuery query(cluster);
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("storage-test-admin"));
            admin.setHostName(query.queryItemValue(QStringLiteral("host")));
            admin.setPort(query.queryItemValue(QStringLiteral("port")).toInt());
            admin.setUserName(cluster.userName());
            admin.setDatabaseName(QStringLiteral("postgres"));
            if (admin.open())
                QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
            admin.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("storage-test-admin"));
    }
};
