#include "sqltransaction.h"

#include "serverlogging.h"

#include <QSqlError>

SqlTransaction::SqlTransaction(const QSqlDatabase& db) : m_db(db)
{
    m_active = m_db.transaction();
    if (!m_active) {
        m_startError = m_db.lastError().text();
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot start transaction" << m_startError;
    }
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
