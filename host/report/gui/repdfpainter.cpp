#include "repdfpainter.h"

#include "redocument.h"
#include "repagelayout.h"
#include "repainter.h"
#include "reportlogging.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

REPdfPainter::REPdfPainter(const QString& fileName)
    : m_fileName(fileName)
{
}

bool REPdfPainter::paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                                 const QString& printerName)
{
    m_error.clear();
    const REPageLayout layout(document);
    int first = 0;
    int last = 0;
    if (!layout.pageRange(fromPage, toPage, &first, &last, &m_error))
        return false;
    // QPdfWriter says nothing of a file it cannot create; opening it first tells why.
    QFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("Не удалось записать файл «%1»: %2").arg(m_fileName, file.errorString());
        qCWarning(lcReport) << Q_FUNC_INFO << "cannot write" << m_fileName << file.errorString();
        return false;
    }
    QPdfWriter writer(&file);
    const REPageSetup& setup = document.pageSetup();
    writer.setPageLayout(QPageLayout(QPageSize(setup.pageSize), setup.orientation, QMarginsF()));
    writer.setResolution(layout.dpi());
    writer.setTitle(document.title());
    writer.setCreator(QStringLiteral("Orvanta"));
    if (!paintPages(layout, &writer, first, last)) {
        m_error = QStringLiteral("Не удалось записать файл «%1».").arg(m_fileName);
        return false;
    }
    return true;
}

bool REPdfPainter::paintPages(const REPageLayout& layout, QPagedPaintDevice* device, int first, int last, int passes)
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    const qreal scale = qreal(device->logicalDpiX()) / layout.dpi();
    painter.scale(scale, scale);
    const REPainter pagePainter(layout);
    for (int pass = 0; pass < passes; ++pass) {
        for (int page = first; page <= last; ++page) {
            if ((pass > 0 || page > first) && !device->newPage())
                return false;
            pagePainter.paintPage(&painter, page);
        }
    }
    return painter.end();
}
