#include "reprinterpainter.h"

#include "redocument.h"
#include "repagelayout.h"
#include "repdfpainter.h"
#include "reportlogging.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

REPrinterPainter::DialogAnswer dialogAnswer = REPrinterPainter::DialogAnswer::Show;

} // namespace

REPrinterPainter::REPrinterPainter(QWidget* dialogParent)
    : m_dialogParent(dialogParent)
    , m_fallbackFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
{
}

void REPrinterPainter::setDialogAnswerForTests(DialogAnswer answer)
{
    dialogAnswer = answer;
}

QString REPrinterPainter::freeFileName(const QString& folder, const QString& title)
{
    QString base = title.simplified();
    base.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    if (base.isEmpty() || base.startsWith(QLatin1Char('.')))
        base.prepend(QStringLiteral("Отчет"));
    const QDir dir(folder);
    QString candidate = dir.filePath(base + QStringLiteral(".pdf"));
    for (int copy = 2; QFileInfo::exists(candidate); ++copy)
        candidate = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(base).arg(copy));
    return candidate;
}

bool REPrinterPainter::paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                                     const QString& printerName)
{
    m_error.clear();
    m_writtenFileName.clear();
    m_cancelled = false;
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    if (printers.isEmpty())
        return writeFallbackPdf(document, fromPage, toPage);
    if (!printerName.isEmpty() && !printers.contains(printerName)) {
        m_error = QStringLiteral("Принтер «%1» не найден.").arg(printerName);
        return false;
    }
    const REPageLayout layout(document);
    int first = 0;
    int last = 0;
    if (!layout.pageRange(fromPage, toPage, &first, &last, &m_error))
        return false;
    QPrinter printer(QPrinter::HighResolution);
    const REPageSetup& setup = document.pageSetup();
    printer.setPageLayout(QPageLayout(QPageSize(setup.pageSize), setup.orientation, QMarginsF()));
    printer.setFullPage(true);
    printer.setDocName(document.title());
    printer.setCopyCount(copies);
    if (fromPage > 0 || toPage > 0)
        printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(first + 1, last + 1);
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    else if (!askPrinter(&printer, layout, &first, &last))
        return false;
    const int passes = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    if (REPdfPainter::paintPages(layout, &printer, first, last, passes))
        return true;
    m_error = QStringLiteral("Не удалось напечатать отчет на принтере «%1».").arg(printer.printerName());
    qCWarning(lcReport) << Q_FUNC_INFO << "printing failed" << printer.printerName();
    return false;
}

// The dialog may change the printer, the copies and the pages; first and last follow its range.
bool REPrinterPainter::askPrinter(QPrinter* printer, const REPageLayout& layout, int* first, int* last)
{
    DialogAnswer answer = dialogAnswer;
    if (answer == DialogAnswer::Show) {
        QPrintDialog dialog(printer, m_dialogParent);
        dialog.setMinMax(1, layout.pageCount());
        answer = dialog.exec() == QDialog::Accepted ? DialogAnswer::Accept : DialogAnswer::Reject;
    }
    if (answer != DialogAnswer::Accept) {
        m_cancelled = true;
        m_error = QStringLiteral("Печать отменена.");
        return false;
    }
    const bool ranged = printer->printRange() == QPrinter::PageRange;
    return layout.pageRange(ranged ? printer->fromPage() : -1, ranged ? printer->toPage() : -1, first, last, &m_error);
}

bool REPrinterPainter::writeFallbackPdf(const REDocument& document, int fromPage, int toPage)
{
    if (!QDir().mkpath(m_fallbackFolder)) {
        m_error = QStringLiteral("Принтер не найден, а папку «%1» для PDF создать не удалось.").arg(m_fallbackFolder);
        return false;
    }
    const QString fileName = freeFileName(m_fallbackFolder, document.title());
    REPdfPainter pdf(fileName);
    if (!pdf.paintDocument(document, fromPage, toPage, 1, QString())) {
        m_error = QStringLiteral("Принтер не найден. %1").arg(pdf.errorString());
        return false;
    }
    qCInfo(lcReport) << Q_FUNC_INFO << "no printer, wrote" << fileName;
    m_writtenFileName = fileName;
    return true;
}
