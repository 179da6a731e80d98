#pragma once

class DemoDraft;
struct DemoEmployee;

/// The firm, its departments, and the break rules set on departments and employees.
class DemoStructureBuilder
{
public:
    explicit DemoStructureBuilder(DemoDraft& draft);

    void addDepartments();
    /// After the departments: the rules the schedules are drawn with, before anyone is employed.
    void planBreakRules();
    /// A few employees keep a rule of their own.
    void planOwnBreakRule(const DemoEmployee& employee);
    /// After the employees: the planned rules as objects, linked to what they apply to.
    void addBreakRules();

private:
    DemoDraft& m_draft;
};
