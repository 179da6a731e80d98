#pragma once

#include "ovreport_export.h"

#include "reabstractpainter.h"

#include <QString>

class QPagedPaintDevice;
class REPageLayout;

/// Writes a report's pages to a PDF file with the document's paper and orientation.
class OVREPORT_EXPORT REPdfPainter : public REAbstractPainter
{
public:
    explicit REPdfPainter(const QString& fileName);

    /// A PDF is one copy whatever copies asks; printerName is not used.
    bool paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                       const QString& printerName) override;

    /// Paints layout's pages first..last (0-based) passes times on device, one device page each,
    /// scaling the layout to the device's resolution. Shared with the printer.
    static bool paintPages(const REPageLayout& layout, QPagedPaintDevice* device, int first, int last, int passes = 1);

private:
    QString m_fileName;
};
