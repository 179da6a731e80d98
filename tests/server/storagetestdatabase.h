#pragma once

#include "databaseconnector.h"
#include "fatalwarnings.h"
#include "servertestrecords.h"
#include "sqldialect.h"
#include "testdatabases.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

using namespace orvanta;
using namespace servertest;

/// One engine a storage test runs on: a fresh SQLite file always, a fresh PostgreSQL database
/// when OV_TEST_PG_URL names a cluster that answers (CTest's fixture throws the cluster away).
struct StorageTestDatabase
{
    QString tag;
    QString connectionName;
    SqlDialect dialect = SqlDialect::Sqlite;

    QSqlDatabase db() const { return QSqlDatabase::database(connectionName, false); }
};

/// The engines of a storage test, opened with a schema in initTestCase and emptied by clear().
class StorageFixture
{
protected:
    void openEngines(const std::function<QStringList(SqlDialect)>& schema)
    {
        QVERIFY(m_folder.isValid());
        for (const ovtest::TestDatabase& fresh : ovtest::freshDatabases(m_folder.path())) {
            StorageTestDatabase engine{fresh.tag, QStringLiteral("storage-test-") + fresh.tag};
            QSqlDatabase db;
            QString error;
            if (!DatabaseConnector::open(fresh.url, engine.connectionName, &db, &engine.dialect, &error)) {
                std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(fresh.url), qPrintable(error));
                continue;
            }
            QSqlQuery sql(db);
            for (const QString& statement : schema(engine.dialect))
                QVERIFY2(sql.exec(statement), qPrintable(sql.lastError().text()));
            m_engines.append(engine);
        }
        QVERIFY(!m_engines.isEmpty());
    }

    void closeEngines()
    {
        for (const StorageTestDatabase& engine : qAsConst(m_engines)) {
            engine.db().close();
            QSqlDatabase::removeDatabase(engine.connectionName);
        }
    }

    void clear(const QStringList& tables)
    {
        for (const StorageTestDatabase& engine : qAsConst(m_engines)) {
            QSqlQuery sql(engine.db());
            for (const QString& table : tables)
                QVERIFY2(sql.exec(QStringLiteral("DELETE FROM ") + table), qPrintable(sql.lastError().text()));
        }
    }

    /// A data column "engine" and one row per engine.
    void addEngineRows()
    {
        QTest::addColumn<int>("engine");
        for (int i = 0; i < m_engines.size(); ++i)
            QTest::addRow("%s", qPrintable(m_engines.at(i).tag)) << i;
    }

    /// A row "<engine>: tag" of a table whose first column is "engine".
    QTestData& engineRow(int engine, const char* tag)
    {
        return QTest::addRow("%s: %s", qPrintable(m_engines.at(engine).tag), tag) << engine;
    }

    /// Runs use on an SQLite database without any table, so every statement fails.
    static void withoutSchema(const std::function<void(const QSqlDatabase&)>& use)
    {
        {
            QSqlDatabase empty = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("empty"));
            empty.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(empty.open());
            use(empty);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("empty"));
    }

    QTemporaryDir m_folder;
    QList<StorageTestDatabase> m_engines;
};
