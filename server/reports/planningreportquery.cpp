#include "planningreportquery.h"

#include <QDateTime>
#include <QSet>

#include <limits>

namespace {

// A row per id at most, about 1.9 KB of XML each in a 31-day month: 25,000 rows make some 48 MB, inside the
// 64 MiB frame with room for longer day texts. The runner refuses what still comes out larger.
constexpr int MaxIds = 25000;
constexpr int MaxDepartmentsText = 2000;

QString wrongParameter(const char* name)
{
    return QStringLiteral("Неверный параметр отчета %1").arg(QLatin1String(name));
}

bool readMonth(const QVariant& value, PlanningReportQuery* out)
{
    bool ok = false;
    const qint64 seconds = value.toLongLong(&ok);
    if (!ok || value.type() == QVariant::String)
        return false;
    const QDate day = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date();
    if (!day.isValid() || day.year() < 1900 || day.year() > 9999)
        return false;
    out->start = QDate(day.year(), day.month(), 1);
    out->finish = QDate(day.year(), day.month(), day.daysInMonth());
    return true;
}

bool readIds(const QVariant& value, QList<orvanta::TYPE_ID>* out)
{
    if (value.type() != QVariant::List)
        return false;
    const QVariantList items = value.toList();
    if (items.isEmpty() || items.size() > MaxIds)
        return false;
    QSet<orvanta::TYPE_ID> seen;
    for (const QVariant& item : items) {
        bool ok = false;
        const qint64 id = item.toLongLong(&ok);
        if (!ok || id <= 0 || id > qint64(std::numeric_limits<orvanta::TYPE_ID>::max()))
            return false;
        if (!seen.contains(orvanta::TYPE_ID(id))) {
            seen.insert(orvanta::TYPE_ID(id));
            out->append(orvanta::TYPE_ID(id));
        }
    }
    return true;
}

} // namespace

bool PlanningReportQuery::fromParams(const QMap<QString, QVariant>& params, PlanningReportQuery* out, QString* error)
{
    *out = PlanningReportQuery();
    if (!readMonth(params.value(QStringLiteral(":d_date_beg")), out)) {
        *error = wrongParameter(":d_date_beg");
        return false;
    }
    if (!readIds(params.value(QStringLiteral(":a_workers")), &out->ids)) {
        *error = wrongParameter(":a_workers");
        return false;
    }
    const QVariant departments = params.value(QStringLiteral(":c_dep_name"));
    if (departments.isValid() && departments.type() != QVariant::String) {
        *error = wrongParameter(":c_dep_name");
        return false;
    }
    out->departments = departments.toString().left(MaxDepartmentsText);
    return true;
}
