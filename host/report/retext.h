#pragma once

#include "ovreportcore_export.h"
#include "recellstyle.h"

#include <QString>

/// A paragraph of a report, as wide as the page; long text wraps.
struct OVREPORTCORE_EXPORT REText
{
    QString text;
    RECellStyle style;

    bool operator==(const REText& other) const;
};
