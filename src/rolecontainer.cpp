#include "rolecontainer.h"

#include "authdata.h"

namespace wtplanningview {

bool RoleContainer::hasRole(const char* role)
{
    return AuthData::roles().contains(QLatin1String(role), Qt::CaseSensitive);
}

bool RoleContainer::canShowWorkTime() { return hasRole("RL_WTPLANNINGVIEW_WORKTIME_SHOW"); }
bool RoleContainer::canEditWorkTime() { return hasRole("RL_WTPLANNINGVIEW_WORKTIME_SET"); }
bool RoleContainer::canApproveWorkTime() { return hasRole("RL_WTPLANNINGVIEW_WORKTIME_APPROVE"); }
bool RoleContainer::canShowBreakRule() { return hasRole("RL_WTPLANNINGVIEW_BREAKRULE_SHOW"); }
bool RoleContainer::canAddBreakRule() { return hasRole("RL_WTPLANNINGVIEW_BREAKRULE_CREATE"); }
bool RoleContainer::canEditBreakRule() { return hasRole("RL_WTPLANNINGVIEW_BREAKRULE_UPDATE"); }
bool RoleContainer::canDeleteBreakRule() { return hasRole("RL_WTPLANNINGVIEW_BREAKRULE_DELETE"); }
bool RoleContainer::canShowAttachWorker() { return hasRole("RL_WTPLANNINGVIEW_ATTACHED_SHOW"); }
bool RoleContainer::canAddAttachWorker() { return hasRole("RL_WTPLANNINGVIEW_ATTACHED_CREATE"); }
bool RoleContainer::canEditAttachWorker() { return hasRole("RL_WTPLANNINGVIEW_ATTACHED_UPDATE"); }
bool RoleContainer::canDeleteAttachWorker() { return hasRole("RL_WTPLANNINGVIEW_ATTACHED_DELETE"); }

bool RoleContainer::canShow()
{
    return canShowWorkTime() || canShowBreakRule() || canShowAttachWorker();
}

} // namespace wtplanningview
