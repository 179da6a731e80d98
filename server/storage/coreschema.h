#pragma once

#include "sqldialect.h"

#include <QStringList>

/// The core's own tables (objects, links, blobs, schedules, users, sessions, id counters, change log):
/// one text for both engines, the few type differences filled in here.
class CoreSchema
{
public:
    CoreSchema() = delete;

    static QStringList statements(SqlDialect dialect);
    /// A later migration: objects found by their parent.
    static QStringList parentIndexStatements();
    /// A later migration: the change log servers sharing one database follow (see ChangeLog).
    static QStringList changeLogStatements(SqlDialect dialect);
    /// Every table of the core, children before parents (the order rows can be deleted in).
    static QStringList tables();
};
