#pragma once

#include "ovreport_export.h"

#include "reabstractpainter.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QPrinter;
class REPageLayout;

/// Prints a report on the document's paper and orientation. Without a printer name it asks with
/// the system print dialog; where the system has no printer at all it writes a PDF instead, to
/// "<title>.pdf" in the documents folder (" (2)" and on rather than overwriting a file), and
/// writtenFileName() says where, so the caller can open it and tell the user.
class OVREPORT_EXPORT REPrinterPainter : public REAbstractPainter
{
public:
    enum class DialogAnswer { Show, Accept, Reject };

    explicit REPrinterPainter(QWidget* dialogParent = nullptr);

    bool paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                       const QString& printerName) override;

    /// The PDF written for want of a printer; empty when the report went to a printer.
    QString writtenFileName() const { return m_writtenFileName; }
    /// True when the user closed the print dialog without printing.
    bool isCancelled() const { return m_cancelled; }

    /// Where a PDF goes for want of a printer; the documents folder by default.
    void setFallbackFolder(const QString& folder) { m_fallbackFolder = folder; }
    /// A file name in folder for title that names no existing file.
    static QString freeFileName(const QString& folder, const QString& title);

    /// Tests answer the print dialog this way instead of showing it, so they never block.
    static void setDialogAnswerForTests(DialogAnswer answer);

private:
    bool writeFallbackPdf(const REDocument& document, int fromPage, int toPage);
    bool askPrinter(QPrinter* printer, const REPageLayout& layout, int* first, int* last);

    QPointer<QWidget> m_dialogParent;
    QString m_fallbackFolder;
    QString m_writtenFileName;
    bool m_cancelled = false;
};
