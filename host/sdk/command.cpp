#include "command.h"

#include "ovdatastream.h"

Command Command::errorReply(const Command& request, int code, const QString& message)
{
    Command reply;
    reply.result = code;
    reply.kind = request.kind;
    reply.name = request.name;
    reply.correlationId = request.correlationId;
    OVDataStream stream(&reply.data, QIODevice::WriteOnly);
    stream << message;
    return reply;
}

QString Command::errorMessage() const
{
    if (result == ResultSuccess || data.isEmpty())
        return QString();
    OVDataStream stream(data);
    QString message;
    stream >> message;
    return stream.status() == QDataStream::Ok ? message : QString();
}

QDataStream& operator<<(QDataStream& stream, const Command& command)
{
    return stream << qint32(command.result) << qint32(command.kind) << command.name << command.data
                  << command.correlationId << command.session;
}

QDataStream& operator>>(QDataStream& stream, Command& command)
{
    qint32 result = 0;
    qint32 kind = 0;
    stream >> result >> kind >> command.name >> command.data >> command.correlationId >> command.session;
    command.result = result;
    command.kind = kind;
    return stream;
}
