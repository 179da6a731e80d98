#pragma once

#include <QString>
#include <QStringList>

/// The demo logins and their known passwords, so the planner can log in without asking.
/// Their roles come from the server.
class DemoUsers
{
public:
    DemoUsers() = delete;

    /// "planner" (every right), "viewer" (looks only) and "hr" (break rules and attached workers).
    static QStringList logins();
    /// The known password of a demo login; empty for any other login.
    static QString password(const QString& login);
    static QString defaultLogin() { return QStringLiteral("planner"); }
};
