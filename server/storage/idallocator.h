#pragma once

#include <QSqlDatabase>
#include <QString>

/// Hands out new ids for a table: past both the table's counter and its highest id, so rows
/// written with ids of their own (the demo data) never collide with later ones.
class IdAllocator
{
public:
    explicit IdAllocator(const QSqlDatabase& db);

    /// The next id of table ("objects", "schedules", "users"); 0 with error set on failure.
    qint64 next(const QString& table, QString* error);

private:
    QSqlDatabase m_db;
};
