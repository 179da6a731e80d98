#include "coreschema.h"

namespace {

// Moments are ISO text ("yyyy-MM-ddTHH:mm:ss.zzz"), dates ISO dates: the same on both engines.
const char* const Statements[] = {
    "CREATE TABLE objects (id BIGINT PRIMARY KEY, type_code BIGINT NOT NULL DEFAULT 0, type TEXT NOT NULL, "
    "data_name TEXT NOT NULL, parent BIGINT NOT NULL DEFAULT 0, properties TEXT NOT NULL, "
    "revision BIGINT NOT NULL DEFAULT 0)",
    "CREATE INDEX objects_data_name ON objects (data_name)",
    "CREATE TABLE links (parent BIGINT NOT NULL REFERENCES objects (id) ON DELETE CASCADE, "
    "child BIGINT NOT NULL REFERENCES objects (id) ON DELETE CASCADE, ref_type INTEGER NOT NULL, "
    "start_time TEXT, finish_time TEXT)",
    "CREATE INDEX links_parent ON links (parent)",
    "CREATE INDEX links_child ON links (child)",
    "CREATE TABLE blobs (object_id BIGINT NOT NULL REFERENCES objects (id) ON DELETE CASCADE, name TEXT NOT NULL, "
    "data %BLOB% NOT NULL, md5 TEXT NOT NULL, PRIMARY KEY (object_id, name))",
    "CREATE TABLE schedules (id INTEGER PRIMARY KEY, name TEXT NOT NULL, active INTEGER NOT NULL, "
    "kind INTEGER NOT NULL, color TEXT, base_date TEXT, comment TEXT, cycle TEXT NOT NULL, shifts TEXT NOT NULL, "
    "worker BIGINT NOT NULL DEFAULT 0)",
    "CREATE INDEX schedules_worker ON schedules (worker)",
    "CREATE TABLE users (id BIGINT PRIMARY KEY, login TEXT NOT NULL UNIQUE, full_name TEXT, salt TEXT NOT NULL, "
    "password_hash TEXT NOT NULL, iterations INTEGER NOT NULL, roles TEXT NOT NULL, "
    "work_time_restriction TEXT NOT NULL, absence_restriction TEXT NOT NULL)",
    "CREATE TABLE sessions (token TEXT PRIMARY KEY, user_id BIGINT NOT NULL REFERENCES users (id) ON DELETE CASCADE, "
    "created TEXT NOT NULL)",
    "CREATE TABLE id_counters (name TEXT PRIMARY KEY, next_value BIGINT NOT NULL)",
};

} // namespace

QStringList CoreSchema::statements(SqlDialect dialect)
{
    const QString blobType = dialect == SqlDialect::PostgreSql ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    QStringList result;
    for (const char* statement : Statements)
        result.append(QString::fromLatin1(statement).replace(QLatin1String("%BLOB%"), blobType));
    return result;
}

QStringList CoreSchema::parentIndexStatements()
{
    // Saving a day looks up the intervals of its shift by parent: without this, a scan per lookup.
    return {QStringLiteral("CREATE INDEX objects_parent ON objects (parent, type)")};
}

QStringList CoreSchema::changeLogStatements(SqlDialect dialect)
{
    // Only servers on PostgreSQL write it; SQLite gets the table so both keep one schema.
    const QString sequence = dialect == SqlDialect::PostgreSql ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                                                : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    const QString blobType = dialect == SqlDialect::PostgreSql ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    return {QStringLiteral("CREATE TABLE change_log (seq %1, created TEXT NOT NULL, origin TEXT NOT NULL, "
                           "name TEXT NOT NULL, read_role TEXT NOT NULL, payload %2 NOT NULL)")
                .arg(sequence, blobType)};
}

QStringList CoreSchema::tables()
{
    return {QStringLiteral("sessions"), QStringLiteral("users"),    QStringLiteral("blobs"),
            QStringLiteral("links"),    QStringLiteral("objects"),  QStringLiteral("schedules"),
            QStringLiteral("id_counters"), QStringLiteral("change_log")};
}
