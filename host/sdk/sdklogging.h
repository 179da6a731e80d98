#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSdk)
Q_DECLARE_LOGGING_CATEGORY(lcLocalStorage)
