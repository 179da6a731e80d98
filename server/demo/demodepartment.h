#pragma once

#include "orvantatypes.h"

#include <QList>
#include <QStringList>

/// A department of the demo organisation as its builders plan it.
struct DemoDepartment
{
    enum class Site { Shop, Warehouse, Office };

    orvanta::TYPE_ID uid = 0;
    QString name;
    QString number;
    Site site = Site::Shop;
    /// Index of the parent department, -1 under the firm.
    int parent = -1;
    /// Share of the staff; a job named twice is given twice as often.
    int weight = 0;
    QStringList jobs;
    QList<int> schedules;
    int staff = 0;

    /// A top department sits right under the firm; its number has no dot.
    bool isTopLevel() const { return !number.contains(QLatin1Char('.')); }
};
