#pragma once

#include "demobreakrules.h"
#include "demodepartment.h"
#include "demoemployee.h"
#include "demoorganisation.h"
#include "demorandom.h"

#include <QDateTime>
#include <QHash>
#include <QPair>

/// The demo organisation under construction and what its builders share: one random sequence,
/// the month and year it is laid out around, the departments and the employees.
class DemoDraft
{
public:
    DemoDraft(const QDate& today, quint32 seed);

    /// Appends object to the table of dataname, remembering where, so links reach both ends.
    void addObject(const char* dataname, const orvanta::ObjectInfo& object);
    void link(orvanta::TYPE_ID parent, orvanta::TYPE_ID child, orvanta::TYPE_ID refType,
              const QDate& start = QDate(), const QDate& finish = QDate());
    /// The local start of date, invalid for an invalid date.
    QDateTime midnight(const QDate& date);
    /// A random day of this month, low and high days after its first.
    QDate dayOfMonth(int low, int high);
    /// The subjects a break rule may name for the employee: the employee, then its department up to the firm.
    QList<orvanta::TYPE_ID> chain(const DemoEmployee& employee) const;
    /// The department of index, then its parents up to the firm.
    QList<orvanta::TYPE_ID> chain(int department) const;

    static QString key(const char* name);
    /// ISO date, empty for an invalid date.
    static QString isoDate(const QDate& date);
    static QString flag(bool value);
    static int seconds(int hour, int minute = 0);
    static QDateTime at(const QDate& date, int hour, int minute = 0);
    static orvanta::ObjectInfo makeObject(orvanta::TYPE_ID uid, const char* type, orvanta::TYPE_ID parent,
                                          const QString& name);

    DemoOrganisation org;
    DemoRandom random;
    const QDate monthStart;
    const QDate monthEnd;
    const QDate yearStart;
    const QDate yearEnd;
    QList<DemoDepartment> departments;
    QList<DemoEmployee> employees;
    DemoBreakRules breakRules;

private:
    orvanta::ObjectInfo& object(orvanta::TYPE_ID uid);

    /// Object uid -> its data name and position in that table.
    QHash<orvanta::TYPE_ID, QPair<QString, int>> m_location;
    // Local-time conversions are slow (each one reads the zone), so each midnight is made once.
    QHash<QDate, QDateTime> m_midnights;
};
