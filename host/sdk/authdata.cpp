#include "authdata.h"

namespace {

struct LoggedInUser
{
    QStringList roles;
    orvanta::TYPE_ID userId = 0;
    QByteArray sessionId;
    orvanta::_ROLE_DATE_RESTRICTIONS workTimePlanning;
    orvanta::_ROLE_DATE_RESTRICTIONS absenceReasons;
};

// Only the GUI thread reads and writes the logged-in user.
LoggedInUser& user()
{
    static LoggedInUser loggedIn;
    return loggedIn;
}

} // namespace

QStringList AuthData::roles() { return user().roles; }
orvanta::TYPE_ID AuthData::userId() { return user().userId; }
QByteArray AuthData::sessionId() { return user().sessionId; }
orvanta::_ROLE_DATE_RESTRICTIONS AuthData::workTimePlanningRestrictions() { return user().workTimePlanning; }
orvanta::_ROLE_DATE_RESTRICTIONS AuthData::absenceReasonsRestrictions() { return user().absenceReasons; }

void AuthData::setRoles(const QStringList& roles) { user().roles = roles; }
void AuthData::setUserId(orvanta::TYPE_ID userId) { user().userId = userId; }
void AuthData::setSessionId(const QByteArray& sessionId) { user().sessionId = sessionId; }

void AuthData::setWorkTimePlanningRestrictions(const orvanta::_ROLE_DATE_RESTRICTIONS& restrictions)
{
    user().workTimePlanning = restrictions;
}

void AuthData::setAbsenceReasonsRestrictions(const orvanta::_ROLE_DATE_RESTRICTIONS& restrictions)
{
    user().absenceReasons = restrictions;
}

void AuthData::clear()
{
    user() = LoggedInUser();
}
