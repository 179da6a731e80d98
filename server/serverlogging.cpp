#include "serverlogging.h"

Q_LOGGING_CATEGORY(lcServerCore, "server.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcServerStorage, "server.storage", QtWarningMsg)
