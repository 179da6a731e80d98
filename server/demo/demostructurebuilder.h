#pragma once

#include "orvantatypes.h"

#include <QList>

class DemoDraft;
class QDate;
class QString;

/// The firm, its departments, and the break rules set on departments and employees.
class DemoStructureBuilder
{
public:
    explicit DemoStructureBuilder(DemoDraft& draft);

    void addDepartments();
    /// After the employees: a few of them keep a rule of their own.
    void addBreakRules();

private:
    void addBreakRule(orvanta::TYPE_ID uid, const QString& name, int type, int from, int to, int breakTime,
                      const QDate& date, const QList<orvanta::TYPE_ID>& targets);

    DemoDraft& m_draft;
};
