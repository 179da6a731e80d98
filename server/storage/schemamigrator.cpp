#include "schemamigrator.h"

#include "serverlogging.h"
#include "sqltransaction.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Any number of ours, apart from the writers' lock: seeding takes that one too.
constexpr qint64 SetupLockKey = 0x6f767375;

} // namespace

SchemaMigrator::SetupLock::SetupLock(const QSqlDatabase& db) : m_db(db)
{
    if (m_db.driverName() != QLatin1String("QPSQL"))
        return;
    QSqlQuery query(m_db);
    m_taken = query.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(SetupLockKey));
    if (!m_taken) {
        m_error = query.lastError().text();
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot take the setup lock" << m_error;
    }
}

SchemaMigrator::SetupLock::~SetupLock()
{
    if (!m_taken)
        return;
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(SetupLockKey)))
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "setup lock not released" << query.lastError().text();
}

SchemaMigrator::SchemaMigrator(const QSqlDatabase& db) : m_db(db) {}

bool SchemaMigrator::migrate(const QList<QStringList>& migrations, QString* error)
{
    const SetupLock setup(m_db);
    if (!setup.isHeld()) {
        *error = setup.error();
        return false;
    }
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version "
                                   "(version INTEGER PRIMARY KEY, applied TEXT NOT NULL)"))) {
        *error = query.lastError().text();
        return false;
    }
    const int current = currentVersion(error);
    if (current < 0)
        return false;
    if (current > migrations.size()) {
        *error = QStringLiteral("Схема базы данных новее сервера (версия %1)").arg(current);
        return false;
    }
    for (int version = current + 1; version <= migrations.size(); ++version) {
        if (!apply(version, migrations.at(version - 1), error))
            return false;
    }
    return true;
}

int SchemaMigrator::currentVersion(QString* error) const
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT COALESCE(MAX(version), 0) FROM schema_version")) || !query.next()) {
        *error = query.lastError().text();
        return -1;
    }
    return query.value(0).toInt();
}

bool SchemaMigrator::apply(int version, const QStringList& statements, QString* error)
{
    SqlTransaction transaction(m_db);
    if (!transaction.isActive()) {
        *error = transaction.startError();
        return false;
    }
    QSqlQuery query(m_db);
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            *error = QStringLiteral("migration %1: %2").arg(version).arg(query.lastError().text());
            qCWarning(lcServerStorage) << Q_FUNC_INFO << "migration failed" << version << statement
                                       << query.lastError().text();
            return false;
        }
    }
    query.prepare(QStringLiteral("INSERT INTO schema_version (version, applied) VALUES (?, ?)"));
    query.addBindValue(version);
    query.addBindValue(QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    if (!query.exec()) {
        *error = query.lastError().text();
        return false;
    }
    qCDebug(lcServerStorage) << Q_FUNC_INFO << "applied migration" << version;
    return transaction.commit(error);
}
