#include "sdklogging.h"

Q_LOGGING_CATEGORY(lcSdk, "host.sdk", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLocalStorage, "host.sdk.localstorage", QtWarningMsg)
