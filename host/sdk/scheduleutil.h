#pragma once

#include "objectinfo.h"
#include "ovsdk_export.h"

#include <QList>

/// Schedule helpers shared by the host and its plug-ins.
class OVSDK_EXPORT ScheduleUtil
{
public:
    ScheduleUtil() = delete;

    /// The interval objects of shift (those whose parent is the shift), ordered
    /// by "PT_ORDER" and then by id. intervals may be null.
    static QList<orvanta::ObjectInfo> sortedShiftIntervals(const orvanta::ObjectInfo& shift,
                                                           const orvanta::OBJECT_HASH* intervals);
};
