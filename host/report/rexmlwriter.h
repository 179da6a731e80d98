#pragma once

#include <QString>

class REDocument;

/// Writes a report document as the XML that report.xsd describes; only values that differ from
/// the defaults are written, so a month of 2,000 employees stays a few megabytes.
class REXmlWriter
{
public:
    REXmlWriter() = delete;

    static QString write(const REDocument& document);
};
