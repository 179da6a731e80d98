#pragma once

#include "planningreportdata.h"
#include "planningreportfigures.h"
#include "recell.h"
#include "redocument.h"

#include <QList>

#include <functional>
#include <vector>

/// Lays the planning report out as a report document: the title with the month, the departments,
/// whether the month is approved, and a table of the employees by name with each day's times and
/// hours, the norm, the planned hours and the balance, closed by the totals.
class PlanningReportBuilder
{
public:
    /// Returns false to stop the building early; the document is then incomplete.
    using KeepGoing = std::function<bool()>;

    /// figures holds one entry per row of data, in the same order.
    PlanningReportBuilder(const PlanningReportData& data, const std::vector<PlanningReportFigures>& figures,
                          KeepGoing keepGoing = {});

    REDocument build() const;

private:
    REPageSetup pageSetup() const;
    QString title() const;
    QString approval() const;
    RETable table(qreal bodyWidth) const;
    QList<QList<RECell>> headerRows() const;
    QList<RECell> employeeRow(int number, int row) const;
    QList<RECell> totalsRow() const;
    QList<int> rowsByName() const;
    bool isDayOff(int day) const;
    int dayCount() const;

    const PlanningReportData& m_data;
    const std::vector<PlanningReportFigures>& m_figures;
    KeepGoing m_keepGoing;
};
