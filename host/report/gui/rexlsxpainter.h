#pragma once

#include "ovreport_export.h"

#include "reabstractpainter.h"

#include <QString>

/// Writes a report as an xlsx workbook of one sheet: text blocks as rows merged across the
/// columns, tables one under another with merged cells for spans, numbers as numbers, the
/// document's fills, fonts, borders and alignment, and its paper, orientation and repeated header
/// rows for printing from the spreadsheet.
class OVREPORT_EXPORT REXlsxPainter : public REAbstractPainter
{
public:
    explicit REXlsxPainter(const QString& fileName);

    /// Writes the whole document: a sheet has no pages, so the range, copies and printer are not
    /// used.
    bool paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                       const QString& printerName) override;

private:
    QString m_fileName;
};
