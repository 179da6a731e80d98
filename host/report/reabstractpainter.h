#pragma once

#include "ovreportcore_export.h"

#include <QString>

class REDocument;

/// Where a report document goes: a printer, a PDF file, a spreadsheet. REDocument::paint hands
/// itself to one; a painter that fails says why in errorString().
class OVREPORTCORE_EXPORT REAbstractPainter
{
public:
    virtual ~REAbstractPainter() = default;

    /// Pages fromPage..toPage are 1-based, -1 meaning the first or the last page; a painter with
    /// no pages (a spreadsheet) writes the whole document.
    virtual bool paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                               const QString& printerName) = 0;
    virtual QString errorString() const { return m_error; }

protected:
    QString m_error;
};
