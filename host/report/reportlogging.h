#pragma once

#include "ovreportcore_export.h"

#include <QLoggingCategory>

OVREPORTCORE_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcReport)
