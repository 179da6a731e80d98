#include "sqltransaction.h"

#include "serverlogging.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Kept on the driver, which lives as long as the connection (also across a reopen), and which
// only the thread using the connection reads.
constexpr char LockProperty[] = "ovTransactionLock";

} // namespace

SqlTransaction::SqlTransaction(const QSqlDatabase& db) : m_db(db)
{
    m_active = m_db.transaction();
    if (!m_active) {
        m_startError = m_db.lastError().text();
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot start transaction" << m_startError;
        return;
    }
    const QVariant lock = m_db.driver()->property(LockProperty);
    if (!lock.isValid())
        return;
    // Before the first read: at READ COMMITTED a check made earlier may be stale by the commit.
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(lock.toLongLong()))) {
        m_startError = query.lastError().text();
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot take the write lock" << m_startError;
        m_db.rollback();
        m_active = false;
    }
}

void SqlTransaction::serialiseOn(const QSqlDatabase& db, qint64 key)
{
    if (db.driverName() == QLatin1String("QPSQL"))
        db.driver()->setProperty(LockProperty, key);
}

SqlTransaction::~SqlTransaction()
{
    if (m_active && !m_db.rollback())
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "rollback failed" << m_db.lastError().text();
}

bool SqlTransaction::commit(QString* error)
{
    if (!m_active) {
        if (error)
            *error = m_startError;
        return false;
    }
    if (m_db.commit()) {
        m_active = false;
        return true;
    }
    if (error)
        *error = m_db.lastError().text();
    qCWarning(lcServerStorage) << Q_FUNC_INFO << "commit failed" << m_db.lastError().text();
    return false;
}
