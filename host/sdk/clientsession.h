#pragma once

#include "objectinfo.h"
#include "ovsdk_export.h"
#include "scheduledata.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

struct Command;
class OVServerInterface;

namespace orvanta {
class LocalStorage;
}

/// Logs the user in and fills the local object store: AuthData from the login reply, then
/// every object of every data name and every schedule. Asynchronous; ends with finished().
class OVSDK_EXPORT ClientSession : public QObject
{
    Q_OBJECT
public:
    ClientSession(OVServerInterface* server, orvanta::LocalStorage* store, QObject* parent = nullptr);
    ~ClientSession() override;

    enum LoadMode {
        /// The store is emptied and loaded anew (only cleared() and the load's dataChanged).
        ReplaceStore,
        /// A filled store is brought up to date in place (a login again after a lost connection):
        /// its signals name only what changed or went away; tables the server no longer names
        /// stay, emptied.
        RefreshStore
    };

    /// Starts logging in; false (and nothing sent) while an earlier start is still running.
    bool start(const QString& login, const QString& password, LoadMode mode = ReplaceStore);
    bool isRunning() const { return m_running; }
    /// The message of the last failure, empty after a success.
    QString errorString() const { return m_error; }

signals:
    /// done of total steps are finished: the login, the data names, each table, the schedules.
    void progress(int done, int total);
    /// The store is loaded (success) or the session failed with a Russian message for the user.
    void finished(bool success, const QString& message);

private:
    using Handler = void (ClientSession::*)(Command&);
    void send(const QString& name, const QByteArray& payload, Handler handler);

    void loginReplied(Command& reply);
    void datanamesReplied(Command& reply);
    void objectsReplied(Command& reply);
    void schedulesReplied(Command& reply);

    /// True when reply succeeded; otherwise fails the session with the reply's error.
    bool checkLoadReply(const Command& reply);
    void stepDone();
    void completeIfLoaded();
    void refreshStore();
    void fail(const QString& message);

    QPointer<OVServerInterface> m_server;
    QPointer<orvanta::LocalStorage> m_store;
    bool m_running = false;
    LoadMode m_mode = ReplaceStore;
    /// Replies of an earlier, failed run are recognised by their run number and ignored.
    int m_run = 0;
    QString m_error;

    int m_done = 0;
    int m_total = 0;
    int m_pendingTables = 0;
    bool m_schedulesLoaded = false;
    QStringList m_datanames;
    QHash<QString, QList<orvanta::ObjectInfo>> m_tables;
    QList<orvanta::SCHEDULE_DATA> m_schedules;
    /// Ids the store changed or removed while the run went on, by data name.
    QHash<QString, QSet<orvanta::TYPE_ID>> m_touchedObjects;
    QSet<int> m_touchedSchedules;
};
