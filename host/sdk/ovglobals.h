#pragma once

#include "objectinfo.h"
#include "ovsdk_export.h"

/// Small helpers about server objects shared by the host and its plug-ins.
class OVSDK_EXPORT OVGlobals
{
public:
    OVGlobals() = delete;

    /// The display name: "PT_NAME", else the person's last, first and middle names,
    /// else "#<uid>"; empty for an invalid object.
    static QString objectName(const orvanta::ObjectInfo& object);
};
