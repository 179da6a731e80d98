#include "rexmlreader.h"

#include "redocument.h"

bool REXmlReader::read(const QString& xml, REDocument* document, QString* error)
{
    Q_UNUSED(xml)
    Q_UNUSED(document)
    *error = QStringLiteral("Чтение отчетов еще не поддерживается");
    return false;
}
