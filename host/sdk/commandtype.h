#pragma once

#include <QString>

/// A command name a plug-in registers a handler for.
struct CommandType
{
    int kind = 0;
    QString name;
};
