#pragma once

#include "ovsdk_export.h"

#include <QObject>
#include <QPointer>
#include <QString>

class ClientSession;
class QTimer;
class TcpServerConnection;

namespace orvanta {
class LocalStorage;
}

/// Brings a lost TCP connection back: connects again in the background and logs in again with
/// the same login and password, which refreshes the local store in place.
class OVSDK_EXPORT ConnectionKeeper : public QObject
{
    Q_OBJECT
public:
    static constexpr int FirstRetryMs = 500;
    static constexpr int RetryMs = 2000;
    /// After the server refused the login: a changed password is rarely put back at once.
    static constexpr int RefusedRetryMs = 30000;

    ConnectionKeeper(TcpServerConnection* connection, orvanta::LocalStorage* store, const QString& login,
                     const QString& password, QObject* parent = nullptr);
    ~ConnectionKeeper() override;

signals:
    /// Connected and logged in again; the store is current.
    void restored();
    /// The server is back but refused the login or the load; message is the Russian reason.
    /// Emitted once per loss; the keeper disconnects and tries again every RefusedRetryMs.
    void loginRefused(const QString& message);

private:
    void connectionLost();
    void tryToConnect();
    void loginFinished(bool success, const QString& message);

    QPointer<TcpServerConnection> m_connection;
    ClientSession* m_session;
    QTimer* m_retry;
    QString m_login;
    QString m_password;
    bool m_refused = false;
};
