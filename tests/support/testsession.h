#pragma once

#include <QString>

class OVServerInterface;

namespace ovtest {

/// Logs a demo user in (password: the login and the year) and fills the local store; false on failure.
bool logIn(OVServerInterface* server, const QString& login);

} // namespace ovtest
