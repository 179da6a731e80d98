#pragma once

class WorkTimeFilterDialog;

/// The filter dialog's choices kept in the planner's settings: the dialog's own keys follow every change in
/// it, the applied filter is kept apart so the screen can reopen it on start. A ready period ("Текущий
/// месяц") is kept as the choice, so it follows the calendar; a custom month is kept as its dates.
class WorkTimeFilterSettings
{
public:
    WorkTimeFilterSettings() = delete;

    /// Puts the dialog's last period and departments into dialog.
    static void restore(WorkTimeFilterDialog* dialog);
    static void save(const WorkTimeFilterDialog& dialog);

    /// Puts the filter applied last into dialog; false when none was applied yet.
    static bool restoreApplied(WorkTimeFilterDialog* dialog);
    static void saveApplied(const WorkTimeFilterDialog& dialog);

private:
    struct Keys
    {
        const char* period;
        const char* start;
        const char* finish;
        const char* checked;
    };

    static void read(const Keys& keys, WorkTimeFilterDialog* dialog);
    static void write(const Keys& keys, const WorkTimeFilterDialog& dialog);
};
