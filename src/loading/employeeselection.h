#pragma once

#include "employeeinfo.h"
#include "objectinfo.h"
#include "orvantatypes.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QSet>

/// Who belongs in the planning grid for a period and a set of departments: direct members,
/// employees brought in by a worker history, and attached workers from elsewhere. Reads the
/// local object store only.
class EmployeeSelection
{
public:
    EmployeeSelection(const QDate& start, const QDate& finish, const QList<orvanta::TYPE_ID>& departments);

    /// Runs the selection; the results below are valid afterwards.
    void select();

    /// Ordered by name, then by id, so the same store always gives the same rows; a grid sorted by name finds
    /// them in order, which halves the work of sorting thousands of rows.
    QList<EmployeeInfo> employees() const;
    QList<orvanta::TYPE_ID> employeeIds() const { return m_employees.keys(); }
    QList<unsigned int> attached() const;
    QList<unsigned int> departments() const;

private:
    /// Keeps the earlier start a history member of a department handled before gave member.
    void keepHistoryStart(EmployeeInfo& member) const;
    void addDirectMembers(const orvanta::ObjectInfo& department);
    void addHistoryMembers(const orvanta::ObjectInfo& department);
    void addHistoryMember(const orvanta::_INHERIT_DATA& link, const orvanta::ObjectInfo& history);
    void extendContinuousStarts();
    void addAttachedWorkers(const orvanta::ObjectInfo& department);
    bool overlapsPeriod(const orvanta::_INHERIT_DATA& link) const;

    QDate m_start;
    QDate m_finish;
    QSet<orvanta::TYPE_ID> m_departments;
    QMap<orvanta::TYPE_ID, EmployeeInfo> m_employees;
    QSet<orvanta::TYPE_ID> m_attached;
};
