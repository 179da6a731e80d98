#include "demoorganisationgenerator.h"

#include "demoabsencebuilder.h"
#include "demodraft.h"
#include "demofiguresbuilder.h"
#include "demoids.h"
#include "demopeoplebuilder.h"
#include "demophotobuilder.h"
#include "demoschedulebuilder.h"
#include "demostructurebuilder.h"
#include "serverlogging.h"
#include "vocabulary.h"

using namespace orvanta;

namespace {

constexpr char ReportType[] = "OT_REPORT";

QStringList roles(const char* area, const QStringList& actions)
{
    QStringList result;
    for (const QString& action : actions)
        result.append(QStringLiteral("RL_WTPLANNINGVIEW_%1_%2").arg(DemoDraft::key(area), action));
    return result;
}

DemoUser user(const QString& login, const QString& fullName, const QStringList& roleList)
{
    DemoUser result;
    result.login = login;
    result.password = login + QStringLiteral("2026");
    result.fullName = fullName;
    result.roles = roleList;
    return result;
}

// Plans but may not approve, and only near today: plans of about two months back, absences of one.
DemoUser scheduler()
{
    DemoUser result = user(QStringLiteral("scheduler"), QStringLiteral("Составитель графиков"),
                           roles("WORKTIME", {QStringLiteral("SHOW"), QStringLiteral("SET")})
                               + roles("BREAKRULE", {QStringLiteral("SHOW")}) + roles("ATTACHED", {QStringLiteral("SHOW")}));
    result.workTimePlanning.mode = _ROLE_DATE_RESTRICTIONS::RelativeToToday;
    result.workTimePlanning.daysBack = 62;
    result.absenceReasons = result.workTimePlanning;
    result.absenceReasons.daysBack = 31;
    return result;
}

} // namespace

QList<DemoUser> DemoOrganisationGenerator::users()
{
    const QStringList registerActions{QStringLiteral("SHOW"), QStringLiteral("CREATE"), QStringLiteral("UPDATE"),
                                      QStringLiteral("DELETE")};
    const QStringList registers = roles("BREAKRULE", registerActions) + roles("ATTACHED", registerActions);
    const QStringList workTime = roles("WORKTIME", {QStringLiteral("SHOW"), QStringLiteral("SET"),
                                                    QStringLiteral("APPROVE"), QStringLiteral("REPORT")});
    const QStringList shows{QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"),
                            QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_REPORT"),
                            QStringLiteral("RL_WTPLANNINGVIEW_BREAKRULE_SHOW"),
                            QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_SHOW")};
    return {
        user(QStringLiteral("planner"), QStringLiteral("Планировщик графиков"), workTime + registers),
        user(QStringLiteral("viewer"), QStringLiteral("Наблюдатель"), shows),
        scheduler(),
        user(QStringLiteral("hr"), QStringLiteral("Специалист отдела кадров"), registers),
    };
}

DemoOrganisation DemoOrganisationGenerator::generate(int employees, const QDate& today, quint32 seed)
{
    if (!today.isValid()) {
        qCWarning(lcServerCore) << Q_FUNC_INFO << "invalid date, no demo organisation";
        return DemoOrganisation();
    }
    DemoDraft draft(today, seed);
    DemoStructureBuilder structure(draft);
    DemoPeopleBuilder people(draft);
    DemoScheduleBuilder schedules(draft);
    DemoAbsenceBuilder absences(draft);
    DemoFiguresBuilder figures(draft);

    // Every builder draws from the one random sequence, so this order is part of what a seed means.
    structure.addDepartments();
    structure.planBreakRules();
    people.addJobs();
    schedules.addSchedules();
    absences.addReasons();
    for (int index = 0; index < employees; ++index) {
        const DemoEmployee& employee = people.addEmployee(index);
        structure.planOwnBreakRule(employee);
        schedules.addScheduleHistory(employee);
        figures.addEmployeeFigures(employee);
    }
    absences.addAbsences();
    for (const DemoEmployee& employee : qAsConst(draft.employees)) {
        if (employee.slot == DemoEmployee::PersonalSchedule)
            schedules.addPersonalSchedule(employee);
        else if (employee.slot == DemoEmployee::AttachedElsewhere)
            people.addAttachedWorker(employee);
    }
    structure.addBreakRules();
    figures.addBudgets();
    // Last, so the photos leave every earlier draw of a seed as it was.
    DemoPhotoBuilder(draft).addPhotos();

    draft.addObject(REPORT_DATANAME,
                    DemoDraft::makeObject(DemoIds::ReportUid, ReportType, 0, DemoDraft::key(REPORT_PLANNING_SCHEDULE_NAME)));
    draft.org.users = users();
    return draft.org;
}
