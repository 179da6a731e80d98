#pragma once

#include "sqldialect.h"

#include <QStringList>

/// The core's own tables (objects, links, blobs, schedules, users, sessions, id counters):
/// one text for both engines, the few type differences filled in here.
class CoreSchema
{
public:
    CoreSchema() = delete;

    static QStringList statements(SqlDialect dialect);
    /// A later migration: objects found by their parent.
    static QStringList parentIndexStatements();
    /// Every table of the core, children before parents (the order rows can be deleted in).
    static QStringList tables();
};
