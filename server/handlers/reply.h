#pragma once

#include "command.h"
#include "ovdatastream.h"

#include <QString>

/// The replies a handler gives: success with its payload, or an error code with a Russian message.
class Reply
{
public:
    Reply() = delete;

    template<typename... Args>
    static Command ok(const Command& request, const Args&... payload)
    {
        Command reply;
        reply.result = ResultSuccess;
        reply.kind = request.kind;
        reply.name = request.name;
        reply.correlationId = request.correlationId;
        OVDataStream stream(&reply.data, QIODevice::WriteOnly);
        if constexpr (sizeof...(payload) > 0)
            (stream << ... << payload);
        return reply;
    }

    /// The payload does not decode to what the command carries.
    static Command malformed(const Command& request);
    static Command forbidden(const Command& request, const QString& message);
    /// A storage failure: logged with detail, reported with it.
    static Command storageFailure(const Command& request, const QString& detail);
    static Command invalid(const Command& request, const QString& message);
};
