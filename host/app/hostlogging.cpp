#include "hostlogging.h"

Q_LOGGING_CATEGORY(lcHost, "host.app", QtWarningMsg)
