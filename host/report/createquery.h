#pragma once

#include "ovreportcore_export.h"

#include "orvantatypes.h"

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

class QDataStream;

namespace report {

/// A client's request for a report: which report, for whom, in which formats, with its parameters.
struct OVREPORTCORE_EXPORT CreateQuery
{
    orvanta::TYPE_ID reportId = 0;
    orvanta::TYPE_ID userId = 0;
    QStringList formats;
    QMap<QString, QVariant> params;
    QString language;

    bool operator==(const CreateQuery& other) const;
};

OVREPORTCORE_EXPORT QDataStream& operator<<(QDataStream& stream, const CreateQuery& query);
OVREPORTCORE_EXPORT QDataStream& operator>>(QDataStream& stream, CreateQuery& query);

} // namespace report

Q_DECLARE_METATYPE(report::CreateQuery)
