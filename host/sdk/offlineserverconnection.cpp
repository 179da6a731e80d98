#include "offlineserverconnection.h"

#include <QMetaObject>

OfflineServerConnection::OfflineServerConnection(QObject* parent) : OVServerInterface(parent) {}

void OfflineServerConnection::transmit(const Command& command)
{
    // Replies are never delivered inside send(): callers may not expect re-entrance.
    const Command reply = Command::errorReply(command, ResultNotConnected, tr("Нет соединения с сервером"));
    QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
}
