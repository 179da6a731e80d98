#include "reportlogging.h"

Q_LOGGING_CATEGORY(lcReport, "host.report", QtWarningMsg)
