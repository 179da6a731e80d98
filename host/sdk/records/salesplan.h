#pragma once

#include "ovsdk_export.h"

#include <QDate>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// Planned sales of one department for one date.
struct OVSDK_EXPORT SALES_PLAN
{
    qint64 id = 0;
    QDate date;
    qint64 department = 0;
    qint64 value = 0;

    bool operator==(const SALES_PLAN& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const SALES_PLAN& record);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, SALES_PLAN& record);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::SALES_PLAN)
