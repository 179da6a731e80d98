#include "repainterfactory.h"

#include "repdfpainter.h"
#include "rexlsxpainter.h"

QStringList REPainterFactory::formats()
{
    return {QStringLiteral("xlsx"), QStringLiteral("pdf")};
}

bool REPainterFactory::painterInfo(const QString& format, QString* description, QString* suffix)
{
    if (format == QLatin1String("xlsx")) {
        *description = QStringLiteral("Книга Excel");
        *suffix = QStringLiteral(".xlsx");
    } else if (format == QLatin1String("pdf")) {
        *description = QStringLiteral("Документ PDF");
        *suffix = QStringLiteral(".pdf");
    } else {
        return false;
    }
    return true;
}

REAbstractPainter* REPainterFactory::create(const QString& format, const QString& fileName)
{
    if (format == QLatin1String("xlsx"))
        return new REXlsxPainter(fileName);
    if (format == QLatin1String("pdf"))
        return new REPdfPainter(fileName);
    return nullptr;
}
