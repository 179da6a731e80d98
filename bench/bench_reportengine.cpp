// The report engine on a planning-shaped month: 2,000 employees by 31 days on A3 landscape.
// Prints the XML's size and times for reading it, laying it out, drawing preview pages, and
// writing the xlsx and the PDF. `--png FILE` also saves the first preview page.

#include "redocument.h"
#include "repagelayout.h"
#include "repainter.h"
#include "repdfpainter.h"
#include "rexlsxpainter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Employees = 2000;
constexpr int Days = 31;

RETable monthTable()
{
    RETable table;
    table.headerRows = 2;
    table.columnWidths = {45, 16, 30};
    for (int day = 0; day < Days; ++day)
        table.columnWidths.append(10);
    table.columnWidths += {14, 14, 14};
    RECellStyle head;
    head.bold = true;
    head.fill = QColor(0xe0, 0xe8, 0xf0);
    head.alignment = Qt::AlignCenter;
    QList<RECell> titles;
    for (const char* title : {"Сотрудник", "Таб. №", "Должность"}) {
        titles.append(RECell::textCell(QString::fromUtf8(title), head));
        titles.last().rowSpan = 2;
    }
    titles.append(RECell::textCell(QStringLiteral("Дни месяца"), head));
    titles.last().columnSpan = Days;
    for (const char* title : {"Норма", "План", "Баланс"}) {
        titles.append(RECell::textCell(QString::fromUtf8(title), head));
        titles.last().rowSpan = 2;
    }
    QList<RECell> days;
    for (int day = 1; day <= Days; ++day)
        days.append(RECell::textCell(QString::number(day), head));
    table.rows = {titles, days};
    RECellStyle dayStyle;
    dayStyle.alignment = Qt::AlignCenter;
    dayStyle.fontSize = 6;
    RECellStyle number;
    number.alignment = Qt::AlignRight | Qt::AlignVCenter;
    for (int employee = 1; employee <= Employees; ++employee) {
        QList<RECell> row{RECell::textCell(QStringLiteral("Сотрудникова Анна %1").arg(employee)),
                          RECell::textCell(QString::number(100000 + employee)),
                          RECell::textCell(QStringLiteral("Продавец-консультант"))};
        for (int day = 1; day <= Days; ++day) {
            const bool off = (day + employee) % 7 < 2;
            row.append(RECell::textCell(off ? QStringLiteral("В") : QStringLiteral("09:00-18:00\n8.00"), dayStyle));
        }
        row += {RECell::numberCell(168, QStringLiteral("168.00"), number),
                RECell::numberCell(176, QStringLiteral("176.00"), number),
                RECell::numberCell(-8, QStringLiteral("-8.00"), number)};
        table.rows.append(row);
    }
    return table;
}

REDocument monthReport()
{
    REDocument document;
    document.setTitle(QStringLiteral("План работы на май"));
    REPageSetup page;
    page.pageSize = QPageSize::A3;
    page.orientation = QPageLayout::Landscape;
    page.fontSize = 7;
    document.setPageSetup(page);
    RECellStyle heading;
    heading.bold = true;
    heading.fontSize = 12;
    document.addText({QStringLiteral("План работы на май 2026 года"), heading});
    document.addTable(monthTable());
    return document;
}

QImage previewPage(const REPageLayout& layout, int page, qreal scale)
{
    QImage image((layout.pageSize() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    REPainter(layout).paintPage(&painter, page);
    return image;
}

void figure(const char* what, qint64 ms, qint64 limit)
{
    std::printf("%-44s %6lld ms  (limit %lld ms) %s\n", what, static_cast<long long>(ms),
                static_cast<long long>(limit), ms <= limit ? "ok" : "OVER");
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int pngAt = arguments.indexOf(QStringLiteral("--png"));
    QTemporaryDir dir;
    QElapsedTimer timer;

    const QString xml = monthReport().toXML();
    std::printf("report XML: %.1f MiB for %d employees x %d days\n", xml.toUtf8().size() / 1048576.0, Employees, Days);
    REDocument document;
    timer.start();
    if (!document.loadXML(xml)) {
        std::printf("refused: %s\n", qPrintable(document.errorString()));
        return 1;
    }
    figure("loadXML", timer.elapsed(), 1000);

    timer.start();
    const REPageLayout layout(document);
    figure(qPrintable(QStringLiteral("layout (%1 pages)").arg(layout.pageCount())), timer.elapsed(), 1000);

    // The preview's page at 100 % on a 96 dpi screen; each page drawn anew, as the cache is cold.
    const qreal scale = 96.0 / layout.dpi();
    qint64 slowest = 0;
    for (int page : {0, 1, layout.pageCount() / 2, layout.pageCount() - 1}) {
        timer.start();
        const QImage image = previewPage(layout, page, scale);
        slowest = qMax(slowest, timer.elapsed());
        if (page == 0 && pngAt > 0 && pngAt + 1 < arguments.size())
            image.save(arguments.at(pngAt + 1));
    }
    figure("preview page at 100 % (slowest of 4)", slowest, 50);

    timer.start();
    REXlsxPainter xlsx(dir.filePath(QStringLiteral("month.xlsx")));
    if (!document.paint(&xlsx))
        std::printf("xlsx failed: %s\n", qPrintable(xlsx.errorString()));
    figure("xlsx written", timer.elapsed(), 3000);

    timer.start();
    REPdfPainter pdf(dir.filePath(QStringLiteral("month.pdf")));
    if (!document.paint(&pdf))
        std::printf("pdf failed: %s\n", qPrintable(pdf.errorString()));
    figure("PDF written (every page)", timer.elapsed(), 20000);
    return 0;
}
