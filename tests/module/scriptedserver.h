#pragma once

#include "command.h"
#include "data.h"
#include "ovserverinterface.h"

#include <QList>
#include <QString>

// Keeps every request; the test answers them by hand, in any order.
class ScriptedServer : public OVServerInterface
{
public:
    using OVServerInterface::deliverPushed;
    QList<Command> transmitted;
    QList<Command> unanswered;

    /// Answers the oldest unanswered request of operation (of any, when null); false when there is none.
    /// The default payload has zero counts for every container and null dates for the echoed ones.
    bool answer(const char* operation = nullptr, int result = 1, const QByteArray& data = QByteArray(32, '\0'))
    {
        for (int i = 0; i < unanswered.size(); ++i) {
            if (operation && unanswered.at(i).name != ov5sdk::Data::commandName(operation))
                continue;
            const Command request = unanswered.takeAt(i);
            Command reply = result == 1 ? request : Command::errorReply(request, result, QStringLiteral("отказ"));
            reply.result = result;
            reply.data = result == 1 ? data : reply.data;
            deliverReply(reply);
            return true;
        }
        return false;
    }

    void answerAll()
    {
        while (answer()) {
        }
    }

protected:
    void transmit(const Command& command) override
    {
        transmitted.append(command);
        unanswered.append(command);
    }
};
