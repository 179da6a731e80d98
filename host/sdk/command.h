#pragma once

#include "ovsdk_export.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

class QDataStream;

/// One message of the command channel: a request, its reply, or a command pushed by the server.
struct OVSDK_EXPORT Command
{
    /// Result code of a reply: 1 is success, anything else is an error code.
    int result = 0;
    int kind = 0;
    QString name;
    QByteArray data;
    /// Pairs a reply with its request; set by the connection, 0 on pushed commands.
    quint64 correlationId = 0;
    /// Session token of the logged-in user; filled in by the connection.
    QByteArray session;

    bool isSuccess() const { return result == 1; }

    /// The reply to request with result code and message as payload.
    static Command errorReply(const Command& request, int code, const QString& message);
    /// The message of an error reply built by errorReply, empty otherwise.
    QString errorMessage() const;
};

enum CommandResult {
    ResultSuccess = 1,
    ResultMalformed = 400,
    ResultUnauthorized = 401,
    ResultForbidden = 403,
    ResultUnknownCommand = 404,
    ResultServerError = 500,
    ResultNotConnected = 503,
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const Command& command);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, Command& command);

Q_DECLARE_METATYPE(Command)
