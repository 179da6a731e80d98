#include "clusterlink.h"

#include "changenotifier.h"
#include "databaseconnector.h"
#include "serverlogging.h"
#include "sessionregistry.h"
#include "sqltransaction.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QUuid>

#include <limits>

namespace {

constexpr int ReadBatch = 500;
constexpr qint64 Newest = std::numeric_limits<qint64>::max();

bool answers(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return db.isOpen() && query.exec(QStringLiteral("SELECT 1"));
}

} // namespace

ClusterLink::ClusterLink(const QSqlDatabase& db, SessionRegistry* sessions, ChangeNotifier* notifier, QObject* parent)
    : QObject(parent)
    , m_db(db)
    , m_sessions(sessions)
    , m_notifier(notifier)
    , m_log(db, QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_listenerName(QStringLiteral("ovserver-listener-") + m_log.origin())
    , m_poll(new QTimer(this))
{
    m_poll->setInterval(PollMs);
    connect(m_poll, &QTimer::timeout, this, &ClusterLink::poll);
}

ClusterLink::~ClusterLink()
{
    m_notifier->setChangeLog(nullptr, {});
    m_sessions->setChangeLog(nullptr);
    stopListening();
}

bool ClusterLink::start(const QString& databaseUrl, QString* error)
{
    m_url = databaseUrl;
    qint64 first = 0;
    // Listening first: whatever is committed after the newest entry read here is announced.
    if (!listen(error) || !m_log.bounds(&first, &m_last, error))
        return false;
    // Checks made inside a write transaction then hold against the other servers' writes too.
    SqlTransaction::serialiseOn(m_db, ChangeLog::WriteLock);
    m_notifier->setChangeLog(&m_log, [this](qint64 upTo) { return catchUp(upTo); });
    m_sessions->setChangeLog(&m_log);
    m_sinceTrim.start();
    m_poll->start();
    qCInfo(lcServerCore) << Q_FUNC_INFO << "following the change log from" << m_last << "as" << m_log.origin();
    return true;
}

bool ClusterLink::listen(QString* error)
{
    SqlDialect dialect = SqlDialect::PostgreSql;
    if (!DatabaseConnector::open(m_url, m_listenerName, &m_listener, &dialect, error))
        return false;
    if (!m_listener.driver()->subscribeToNotification(QLatin1String(ChangeLog::Channel))) {
        if (error)
            *error = m_listener.lastError().text();
        stopListening();
        return false;
    }
    connect(m_listener.driver(),
            QOverload<const QString&, QSqlDriver::NotificationSource, const QVariant&>::of(&QSqlDriver::notification),
            this, [this] { catchUp(Newest); });
    return true;
}

void ClusterLink::stopListening()
{
    if (!m_listener.isValid())
        return;
    m_listener.driver()->disconnect(this);
    m_listener.close();
    m_listener = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_listenerName);
}

void ClusterLink::poll()
{
    if ((m_lost || !answers(m_listener)) && !reconnect())
        return;
    catchUp(Newest);
    if (m_sinceTrim.elapsed() >= TrimEveryMs)
        trim();
}

bool ClusterLink::reconnect()
{
    if (!m_lost)
        connectionLost(m_listener.isOpen() ? m_listener.lastError().text() : QStringLiteral("not connected"));
    stopListening();
    // The core's connection went with the listener's when the database restarted; requests
    // would fail on it until it is opened again.
    QString error;
    if (!answers(m_db) && !DatabaseConnector::reopen(m_db, &error))
        return false;
    qint64 first = 0;
    qint64 last = 0;
    if (!listen(&error) || !m_log.bounds(&first, &last, &error))
        return false;
    if (m_last > 0 && first > m_last + 1)
        qCWarning(lcServerCore) << Q_FUNC_INFO << "change log trimmed past the last entry read" << m_last << first
                                << "- clients may miss changes until they load again";
    m_lost = false;
    qCInfo(lcServerCore) << Q_FUNC_INFO << "database back, catching up from" << m_last << "to" << last;
    return true;
}

bool ClusterLink::catchUp(qint64 upTo)
{
    // Tried even while the link counts as lost: a commit that just went through on the core's
    // connection may well read the log there.
    QList<ChangeLogEntry> entries;
    for (;;) {
        QString error;
        if (!m_log.read(m_last, upTo, ReadBatch, &entries, &error)) {
            connectionLost(error);
            // The committing caller keeps its changes back; they are delivered from the log in turn.
            if (upTo != Newest)
                m_heldOwnFrom = qMin(m_heldOwnFrom, upTo + 1);
            return false;
        }
        for (const ChangeLogEntry& entry : qAsConst(entries)) {
            deliver(entry);
            m_last = entry.sequence;
        }
        if (entries.size() < ReadBatch) {
            // Every change held back is delivered now; the caller pushes those after upTo itself.
            m_heldOwnFrom = Newest;
            return true;
        }
    }
}

void ClusterLink::deliver(const ChangeLogEntry& entry)
{
    // This server pushed its own changes when it committed them, unless it held them back.
    if (entry.origin == m_log.origin() && entry.sequence < m_heldOwnFrom)
        return;
    if (entry.name == QLatin1String(ChangeLogEntry::SessionClosed))
        m_sessions->forget(entry.payload);
    else
        m_notifier->deliver(entry);
}

void ClusterLink::connectionLost(const QString& reason)
{
    if (m_lost)
        return;
    m_lost = true;
    qCWarning(lcServerCore) << Q_FUNC_INFO << "database connection lost, catching up when it is back:" << reason;
}

void ClusterLink::trim()
{
    m_sinceTrim.restart();
    QString error;
    if (!m_log.trim(QDateTime::currentDateTimeUtc().addDays(-1), KeptEntries, &error))
        qCWarning(lcServerCore) << Q_FUNC_INFO << "change log not trimmed" << error;
}
