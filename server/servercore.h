#pragma once

#include "command.h"
#include "ovserver_export.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <memory>

class ServerCorePrivate;
struct DemoOrganisation;

/// The server: SQL storage and one handler per command. It lives on one thread; a transport
/// (TCP or the planner's embedded connection) calls handle() on that thread for each request
/// and forwards what the core pushes. Failures are error replies, never exceptions.
class OVSERVER_EXPORT ServerCore : public QObject
{
    Q_OBJECT
public:
    explicit ServerCore(QObject* parent = nullptr);
    ~ServerCore() override;

    /// Opens and migrates the database named by url: "sqlite:PATH" or
    /// "postgresql://user@/dbname?host=/socket/dir[&port=N]". False with error set when it cannot.
    bool open(const QString& databaseUrl, QString* error = nullptr);
    void close();
    bool isOpen() const;

    /// Writes the demo organisation of employees people when the database holds no objects;
    /// with reset, empties it first. Deterministic for a given seed and today.
    bool seedDemo(int employees, bool reset, QString* error = nullptr);

    /// Writes organisation as it is when the database holds no objects (tests and imports);
    /// with reset, empties it first. Planned time is computed for the year of today.
    bool seedOrganisation(const DemoOrganisation& organisation, const QDate& today, bool reset = false,
                          QString* error = nullptr);

    /// Handles request of connection (any non-zero number the transport chooses) and returns
    /// the reply, with the request's correlation id and name.
    Command handle(const Command& request, quint64 connection);
    /// Whether connection logged in or used a valid session: only such a connection is pushed
    /// notifications, and the transports give it more room.
    bool hasSession(quint64 connection) const;
    /// The connection is gone: its sessions stay, its pending asynchronous queries and report jobs are
    /// dropped (a running job is cancelled and never answered).
    void connectionClosed(quint64 connection);

signals:
    /// A command pushed by the server to one connection.
    void pushed(const Command& command, quint64 connection);

private:
    std::unique_ptr<ServerCorePrivate> d;
};
