#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QHash>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// Norm and planned seconds carried into a period; norm minus time is the balance brought in.
struct OVSDK_EXPORT PLANNING_BALANCE
{
    int norm = 0;
    int time = 0;

    bool operator==(const PLANNING_BALANCE& other) const { return norm == other.norm && time == other.time; }
};

using PLANNING_BALANCE_HASH = QHash<TYPE_ID, PLANNING_BALANCE>;

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const PLANNING_BALANCE& balance);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, PLANNING_BALANCE& balance);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::PLANNING_BALANCE)
