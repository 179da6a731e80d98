#pragma once

namespace wtplanningview {

/// Every permission decision of the planning screen, answered from the user's roles.
/// The roles are read anew on every check, so a change in the host applies at once.
class RoleContainer
{
public:
    RoleContainer() = delete;

    static bool canShowWorkTime();
    static bool canEditWorkTime();
    static bool canApproveWorkTime();
    static bool canShowBreakRule();
    static bool canAddBreakRule();
    static bool canEditBreakRule();
    static bool canDeleteBreakRule();
    static bool canShowAttachWorker();
    static bool canAddAttachWorker();
    static bool canEditAttachWorker();
    static bool canDeleteAttachWorker();
    /// The screen may be shown when any of its three pages may.
    static bool canShow();

private:
    static bool hasRole(const char* role);
};

} // namespace wtplanningview
