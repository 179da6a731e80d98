#include "demostructurebuilder.h"

#include "demodraft.h"
#include "demoids.h"
#include "vocabulary.h"

using namespace orvanta;
using namespace DemoIds;

namespace {

using Site = DemoDepartment::Site;

struct DepartmentPlan
{
    const char* name;
    const char* number;
    int parentIndex; // -1: the firm
    Site site;
    int weight;
    const char* jobs;
    QList<int> schedules;
};

QList<DepartmentPlan> departmentPlans()
{
    const char* shopJobs = "Продавец-консультант|Продавец-консультант|Продавец-консультант|Кассир|Кассир|"
                           "Администратор торгового зала";
    const QList<int> shopSchedules{ShopCalendarSchedule, MorningTwoTwoSchedule, EveningTwoTwoSchedule};
    return {
        {"Магазин на Тверской", "01", -1, Site::Shop, 1, "Директор магазина|Администратор торгового зала",
         {FiveDaySchedule}},
        {"Торговый зал", "01.1", 0, Site::Shop, 8,
         "Продавец-консультант|Продавец-консультант|Продавец-консультант|Старший продавец", shopSchedules},
        {"Кассовая зона", "01.2", 0, Site::Shop, 4, "Кассир|Кассир|Кассир|Старший кассир",
         {MorningTwoTwoSchedule, EveningTwoTwoSchedule}},
        {"Магазин на Арбате", "02", -1, Site::Shop, 6, shopJobs, shopSchedules},
        {"Магазин на Пятницкой", "03", -1, Site::Shop, 6, shopJobs, shopSchedules},
        {"Склад", "04", -1, Site::Warehouse, 1, "Начальник склада", {FiveDaySchedule}},
        {"Приёмка товара", "04.1", 5, Site::Warehouse, 4, "Кладовщик|Кладовщик|Грузчик|Водитель погрузчика",
         {WarehouseMorningSchedule, NightTwoTwoSchedule, MorningTwoTwoSchedule}},
        {"Отгрузка", "04.2", 5, Site::Warehouse, 4, "Кладовщик|Комплектовщик|Комплектовщик|Грузчик",
         {NightTwoTwoSchedule, WarehouseMorningSchedule}},
        {"Офис", "05", -1, Site::Office, 1, "Менеджер", {FiveDaySchedule}},
        {"Бухгалтерия", "05.1", 8, Site::Office, 2, "Бухгалтер|Бухгалтер|Главный бухгалтер", {FiveDaySchedule}},
        {"Отдел кадров", "05.2", 8, Site::Office, 1, "Специалист по кадрам", {FiveDaySchedule}},
        {"Отдел закупок", "05.3", 8, Site::Office, 2, "Менеджер по закупкам|Менеджер", {FiveDaySchedule}},
        {"ИТ-отдел", "05.4", 8, Site::Office, 1, "Системный администратор|Программист", {FiveDaySchedule}},
    };
}

} // namespace

DemoStructureBuilder::DemoStructureBuilder(DemoDraft& draft) : m_draft(draft) {}

void DemoStructureBuilder::addDepartments()
{
    m_draft.addObject(ORGSTRUCTURE_DATANAME,
                      DemoDraft::makeObject(FirmUid, db::orgstructure::FIRM, 0, QStringLiteral("ООО «Орванта Ритейл»")));
    TYPE_ID nextUid = FirmUid + 1;
    for (const DepartmentPlan& plan : departmentPlans()) {
        DemoDepartment department;
        department.uid = nextUid++;
        department.name = QString::fromUtf8(plan.name);
        department.number = QString::fromUtf8(plan.number);
        department.site = plan.site;
        department.weight = plan.weight;
        department.jobs = QString::fromUtf8(plan.jobs).split(QLatin1Char('|'));
        department.schedules = plan.schedules;
        department.parent = plan.parentIndex;
        const TYPE_ID parent = plan.parentIndex < 0 ? FirmUid : m_draft.departments.at(plan.parentIndex).uid;
        ObjectInfo object = DemoDraft::makeObject(department.uid, db::orgstructure::DEPARTMENT, parent, department.name);
        object.properties.insert(DemoDraft::key(db::department::DEPARTNUM), department.number);
        m_draft.addObject(ORGSTRUCTURE_DATANAME, object);
        m_draft.departments.append(department);
    }
}

// Firm-wide rules sit on the top departments since before anyone now employed was hired; the
// warehouse got a longer lunch lately, and a few employees keep a short break of their own.
void DemoStructureBuilder::planBreakRules()
{
    QList<TYPE_ID> topDepartments;
    TYPE_ID warehouse = 0;
    for (const DemoDepartment& department : qAsConst(m_draft.departments)) {
        if (department.isTopLevel())
            topDepartments.append(department.uid);
        if (department.site == Site::Warehouse && !warehouse)
            warehouse = department.uid;
    }
    const QDate founded(m_draft.yearStart.year() - 10, 1, 1);
    // The register shows the bounds as times of day, where a full 24 h would read "0:00".
    const int longestShift = DemoDraft::seconds(23, 59);
    const int types = db::break_rule::TYPE_DEPARTMENTS;
    DemoBreakRules& rules = m_draft.breakRules;
    rules.add({FirstBreakRuleUid, QStringLiteral("Перерыв 30 минут (смены 4-8 ч)"), types, DemoDraft::seconds(4),
               DemoDraft::seconds(8), 1800, founded, topDepartments});
    rules.add({FirstBreakRuleUid + 1, QStringLiteral("Обед 60 минут (смены от 8 ч)"), types, DemoDraft::seconds(8),
               longestShift, 3600, founded, topDepartments});
    rules.add({FirstBreakRuleUid + 2, QStringLiteral("Склад: обед 45 минут"), types, DemoDraft::seconds(8),
               longestShift, 2700, m_draft.monthStart.addMonths(-2), {warehouse}});
    rules.add({FirstBreakRuleUid + 3, QStringLiteral("Индивидуальный перерыв 20 минут"),
               db::break_rule::TYPE_EMPLOYEES, DemoDraft::seconds(4), longestShift, 1200,
               m_draft.monthStart.addMonths(-1), {}});
}

void DemoStructureBuilder::planOwnBreakRule(const DemoEmployee& employee)
{
    const TYPE_ID ownRule = FirstBreakRuleUid + 3;
    if (employee.slot == DemoEmployee::OwnBreakRule && m_draft.breakRules.rule(ownRule)->targets.size() < 5)
        m_draft.breakRules.addTarget(ownRule, employee.uid);
}

void DemoStructureBuilder::addBreakRules()
{
    for (const DemoBreakRules::Rule& planned : m_draft.breakRules.rules()) {
        // The rule of their own is made only when someone keeps it.
        if (planned.targets.isEmpty())
            continue;
        ObjectInfo rule = DemoDraft::makeObject(planned.uid, db::wt::BREAK_RULE, 0, planned.name);
        rule.properties.insert(DemoDraft::key(db::break_rule::TYPE), QString::number(planned.type));
        rule.properties.insert(DemoDraft::key(db::break_rule::TIME_FROM), QString::number(planned.from));
        rule.properties.insert(DemoDraft::key(db::break_rule::TIME_TO), QString::number(planned.to));
        rule.properties.insert(DemoDraft::key(db::break_rule::BREAK_TIME), QString::number(planned.breakTime));
        rule.properties.insert(DemoDraft::key(db::break_rule::DATE), DemoDraft::isoDate(planned.date));
        m_draft.addObject(BREAK_RULE_DATANAME, rule);
        for (TYPE_ID target : planned.targets)
            m_draft.link(planned.uid, target, INHERIT_BREAK_RULE_OBJECT);
    }
}
