#include "wtplanninglogging.h"

Q_LOGGING_CATEGORY(lcWtPlanning, "gui.plugin.wtplanningview", QtWarningMsg)
