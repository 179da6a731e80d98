#include "testsession.h"

#include "clientsession.h"
#include "localstorage.h"

#include <QSignalSpy>

namespace ovtest {

bool logIn(OVServerInterface* server, const QString& login)
{
    ClientSession session(server, orvanta::LocalStorage::instance());
    QSignalSpy finished(&session, &ClientSession::finished);
    session.start(login, login + QStringLiteral("2026"));
    return finished.wait(20000) && finished.first().at(0).toBool();
}

} // namespace ovtest
