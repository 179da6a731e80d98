#pragma once

#include <QStringList>

/// The demo logins the planner offers and the roles each one has.
class DemoUsers
{
public:
    DemoUsers() = delete;

    /// "planner" (every right), "viewer" (may only look) and "breakrules" (edits lunch-break rules).
    static QStringList logins();
    static bool isKnown(const QString& login);
    static QStringList roles(const QString& login);
    static QString defaultLogin() { return QStringLiteral("planner"); }
};
