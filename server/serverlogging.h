#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcServerCore)
Q_DECLARE_LOGGING_CATEGORY(lcServerStorage)
