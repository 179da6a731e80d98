#pragma once

#include "command.h"
#include "useraccount.h"

/// One request as a handler sees it: the command, the connection it came on and its user
/// (invalid for commands that need no session).
struct RequestContext
{
    const Command& request;
    quint64 connection = 0;
    UserAccount user;
};
