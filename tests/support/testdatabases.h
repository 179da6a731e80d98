#pragma once

#include <QList>
#include <QString>

namespace ovtest {

/// A database a storage test runs on: a row tag and the URL the server opens.
struct TestDatabase
{
    QString tag;
    QString url;
};

/// A fresh, empty SQLite file under folder, and a fresh PostgreSQL database when the
/// PostgreSQL fixture has set OV_TEST_PG_URL. Each call gives new databases.
QList<TestDatabase> freshDatabases(const QString& folder);

/// A new empty database on the cluster of OV_TEST_PG_URL; empty when there is none or it fails.
QString freshPostgresUrl();

} // namespace ovtest
