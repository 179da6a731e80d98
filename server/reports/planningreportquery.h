#pragma once

#include "orvantatypes.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

/// The planning report's parameters as a client sends them, checked: the month of ":d_date_beg"
/// (seconds since the epoch of a day's midnight UTC), the report ids of ":a_workers" (employees,
/// worker histories, trips) and the departments line ":c_dep_name".
struct PlanningReportQuery
{
    QDate start;
    QDate finish;
    QList<orvanta::TYPE_ID> ids;
    QString departments;

    /// False with a Russian message in *error when a parameter is missing or not what it should be.
    static bool fromParams(const QMap<QString, QVariant>& params, PlanningReportQuery* out, QString* error);
};
