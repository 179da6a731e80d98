#include "widgetslogging.h"

Q_LOGGING_CATEGORY(lcWidgets, "host.widgets", QtWarningMsg)
