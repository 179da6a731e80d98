#pragma once

#include <QString>

class REDocument;

/// Reads the report XML that report.xsd describes into a document, refusing anything else with a
/// Russian message: text that is not well formed, unknown elements or values, documents past the
/// limits (nesting, spans, counts, sizes) that would make painting hang or run out of memory.
class REXmlReader
{
public:
    REXmlReader() = delete;

    static bool read(const QString& xml, REDocument* document, QString* error);
};
