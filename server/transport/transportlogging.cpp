#include "transportlogging.h"

Q_LOGGING_CATEGORY(lcServerTransport, "server.transport", QtWarningMsg)
