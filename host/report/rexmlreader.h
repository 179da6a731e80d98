#pragma once

#include "ovreportcore_export.h"

#include <QString>

class REDocument;

/// Reads the report XML that report.xsd describes into a document, refusing anything else with a
/// Russian message: text that is not well formed, unknown elements or values, documents past the
/// limits (nesting, spans, counts, sizes) that would make painting hang or run out of memory.
class OVREPORTCORE_EXPORT REXmlReader
{
public:
    REXmlReader() = delete;

    /// Rows of all tables together; a month of 2,000 employees has about 2,000.
    static constexpr int MaxRows = 500000;
    static constexpr int MaxColumns = 1000;
    static constexpr int MaxCells = 2000000;
    /// Rows times columns of all tables: bounds the work of placing cells on their grid.
    static constexpr qint64 MaxGridCells = 20000000;
    static constexpr int MaxBlocks = 100000;
    /// Characters of the title, the footer, texts and cells together (64 Mi).
    static constexpr qint64 MaxTextLength = 64 * 1024 * 1024;

    static bool read(const QString& xml, REDocument* document, QString* error);
};
