#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcServerCore)
Q_DECLARE_LOGGING_CATEGORY(lcServerStorage)

/// A value a client chose, cut for a log line or a message: a megabyte of command name must
/// not become a megabyte of log.
QString loggable(const QString& value);
