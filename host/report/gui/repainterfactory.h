#pragma once

#include "ovreport_export.h"

#include <QString>
#include <QStringList>

class REAbstractPainter;

/// Makes the painter that writes a report file of a format: "xlsx" or "pdf".
class OVREPORT_EXPORT REPainterFactory
{
public:
    REPainterFactory() = delete;

    static QStringList formats();
    /// The format's name for the user and its file suffix (".xlsx"); false for an unknown format.
    static bool painterInfo(const QString& format, QString* description, QString* suffix);
    /// The caller owns the painter; nullptr for an unknown format.
    static REAbstractPainter* create(const QString& format, const QString& fileName);
};
