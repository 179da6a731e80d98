#include "rexlsxpainter.h"

#include "redocument.h"
#include "reportlogging.h"
#include "retablegrid.h"

#include <QFile>
#include <QHash>

#include <xlsxwriter.h>

namespace {

constexpr int MaxCellText = 32767;
constexpr double PointsPerLine = 1.3;

uint8_t paperCode(QPageSize::PageSizeId size)
{
    switch (size) {
    case QPageSize::A3:
        return 8;
    case QPageSize::A5:
        return 11;
    case QPageSize::Letter:
        return 1;
    default:
        return 9;
    }
}

// Excel measures columns in widths of the default font's digit: 7 pixels plus 5 of padding at
// 96 dpi.
double columnWidth(qreal millimetres)
{
    const double pixels = millimetres * 96 / 25.4;
    return qBound(0.5, (pixels - 5) / 7, 255.0);
}

lxw_color_t rgb(const QColor& color)
{
    return lxw_color_t(color.rgb() & 0xffffff);
}

// One sheet being written: formats are made once per distinct style, since a workbook holds a
// limited number and a month repeats a handful.
class SheetWriter
{
public:
    SheetWriter(lxw_workbook* workbook, const REDocument& document)
        : m_workbook(workbook)
        , m_sheet(workbook_add_worksheet(workbook, nullptr))
        , m_document(document)
    {
    }

    bool write();

private:
    lxw_format* format(const RECellStyle& style, bool number);
    void setupPage();
    void writeText(const REText& text);
    bool writeTable(const RETable& table);
    void writeValue(lxw_row_t row, lxw_col_t column, const RECell& cell, lxw_format* cellFormat);
    void fitRow(lxw_row_t row, const QList<RECell>& cells);

    lxw_workbook* m_workbook;
    lxw_worksheet* m_sheet;
    const REDocument& m_document;
    QHash<QString, lxw_format*> m_formats;
    lxw_row_t m_row = 0;
    int m_columns = 1;
    bool m_headerRepeated = false;
};

lxw_format* SheetWriter::format(const RECellStyle& style, bool number)
{
    const qreal size = style.fontSize > 0 ? style.fontSize : m_document.pageSetup().fontSize;
    const QString key = QString::number(size) % QLatin1Char('|') % QString::number(int(style.alignment))
                        % QLatin1Char('|') % QString::number(style.fill.isValid() ? style.fill.rgb() : 0, 16)
                        % QLatin1Char('|') % QString::number(style.color.isValid() ? style.color.rgb() : 0, 16)
                        % QLatin1Char(style.bold ? 'b' : '-') % QLatin1Char(style.italic ? 'i' : '-')
                        % QLatin1Char(style.border ? 'f' : '-') % QLatin1Char(number ? 'n' : '-');
    lxw_format*& made = m_formats[key];
    if (made)
        return made;
    made = workbook_add_format(m_workbook);
    format_set_font_size(made, size);
    if (style.bold)
        format_set_bold(made);
    if (style.italic)
        format_set_italic(made);
    if (style.color.isValid())
        format_set_font_color(made, rgb(style.color));
    if (style.fill.isValid()) {
        format_set_pattern(made, LXW_PATTERN_SOLID);
        format_set_bg_color(made, rgb(style.fill));
    }
    if (style.border)
        format_set_border(made, LXW_BORDER_THIN);
    const Qt::Alignment h = style.alignment & Qt::AlignHorizontal_Mask;
    format_set_align(made, h == Qt::AlignHCenter ? LXW_ALIGN_CENTER : h == Qt::AlignRight ? LXW_ALIGN_RIGHT : LXW_ALIGN_LEFT);
    const Qt::Alignment v = style.alignment & Qt::AlignVertical_Mask;
    format_set_align(made, v == Qt::AlignTop      ? LXW_ALIGN_VERTICAL_TOP
                           : v == Qt::AlignBottom ? LXW_ALIGN_VERTICAL_BOTTOM
                                                  : LXW_ALIGN_VERTICAL_CENTER);
    format_set_text_wrap(made);
    if (number)
        format_set_num_format(made, "0.00");
    return made;
}

void SheetWriter::setupPage()
{
    const REPageSetup& setup = m_document.pageSetup();
    worksheet_set_paper(m_sheet, paperCode(setup.pageSize));
    if (setup.orientation == QPageLayout::Landscape)
        worksheet_set_landscape(m_sheet);
    const QMarginsF inches = setup.margins / 25.4;
    worksheet_set_margins(m_sheet, inches.left(), inches.right(), inches.top(), inches.bottom());
    worksheet_fit_to_pages(m_sheet, 1, 0);
    QList<qreal> widths;
    for (const REBlock& block : m_document.blocks()) {
        if (block.kind != REBlock::Table)
            continue;
        const QList<qreal>& columns = block.table.columnWidths;
        for (int column = 0; column < columns.size(); ++column) {
            if (column == widths.size())
                widths.append(columns.at(column));
            else
                widths[column] = qMax(widths.at(column), columns.at(column));
        }
    }
    m_columns = qMax(1, widths.size());
    for (int column = 0; column < widths.size(); ++column)
        worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), columnWidth(widths.at(column)), nullptr);
}

bool SheetWriter::write()
{
    if (!m_sheet)
        return false;
    setupPage();
    for (const REBlock& block : m_document.blocks()) {
        if (block.kind == REBlock::Text)
            writeText(block.text);
        else if (!writeTable(block.table))
            return false;
    }
    return true;
}

void SheetWriter::writeText(const REText& text)
{
    RECellStyle style = text.style;
    style.border = false;
    lxw_format* textFormat = format(style, false);
    const QByteArray utf8 = text.text.left(MaxCellText).toUtf8();
    if (m_columns > 1)
        worksheet_merge_range(m_sheet, m_row, 0, m_row, lxw_col_t(m_columns - 1), utf8.constData(), textFormat);
    else
        worksheet_write_string(m_sheet, m_row, 0, utf8.constData(), textFormat);
    fitRow(m_row, {RECell::textCell(text.text, style)});
    ++m_row;
}

bool SheetWriter::writeTable(const RETable& table)
{
    QVector<QVector<int>> columns;
    QString error;
    if (!RETableGrid::cellColumns(table, &columns, &error)) {
        qCWarning(lcReport) << Q_FUNC_INFO << "table not written" << error;
        return true;
    }
    const int headerRows = qMin(table.headerRows, table.rows.size());
    if (headerRows > 0 && !m_headerRepeated) {
        worksheet_repeat_rows(m_sheet, m_row, m_row + lxw_row_t(headerRows) - 1);
        m_headerRepeated = true;
    }
    for (int row = 0; row < table.rows.size(); ++row) {
        const QList<RECell>& cells = table.rows.at(row);
        const lxw_row_t sheetRow = m_row + lxw_row_t(row);
        for (int index = 0; index < cells.size(); ++index) {
            const RECell& cell = cells.at(index);
            const auto column = lxw_col_t(columns.at(row).at(index));
            lxw_format* cellFormat = format(cell.style, cell.isNumber);
            if (cell.columnSpan > 1 || cell.rowSpan > 1) {
                const lxw_error merged = worksheet_merge_range(m_sheet, sheetRow, column, sheetRow + lxw_row_t(cell.rowSpan) - 1,
                                                              lxw_col_t(column + cell.columnSpan - 1), "", cellFormat);
                if (merged != LXW_NO_ERROR)
                    return false;
            }
            writeValue(sheetRow, column, cell, cellFormat);
        }
        fitRow(sheetRow, cells);
    }
    m_row += lxw_row_t(table.rows.size()) + 1;
    return true;
}

void SheetWriter::writeValue(lxw_row_t row, lxw_col_t column, const RECell& cell, lxw_format* cellFormat)
{
    if (cell.isNumber) {
        worksheet_write_number(m_sheet, row, column, cell.number, cellFormat);
    } else if (cell.text.isEmpty()) {
        worksheet_write_blank(m_sheet, row, column, cellFormat);
    } else {
        const QByteArray utf8 = cell.text.left(MaxCellText).toUtf8();
        worksheet_write_string(m_sheet, row, column, utf8.constData(), cellFormat);
    }
}

// A sheet does not grow rows for wrapped text by itself: rows with line breaks get the height of
// their lines.
void SheetWriter::fitRow(lxw_row_t row, const QList<RECell>& cells)
{
    double height = 0;
    for (const RECell& cell : cells) {
        const int lines = cell.text.count(QLatin1Char('\n')) + 1;
        if (lines > 1 && cell.rowSpan == 1) {
            const qreal size = cell.style.fontSize > 0 ? cell.style.fontSize : m_document.pageSetup().fontSize;
            height = qMax(height, lines * size * PointsPerLine + 3);
        }
    }
    if (height > 0)
        worksheet_set_row(m_sheet, row, qMin(height, 409.0), nullptr);
}

} // namespace

REXlsxPainter::REXlsxPainter(const QString& fileName)
    : m_fileName(fileName)
{
}

bool REXlsxPainter::paintDocument(const REDocument& document, int fromPage, int toPage, int copies,
                                  const QString& printerName)
{
    m_error.clear();
    // libxlsxwriter only says why on stderr; opening the file first gives the user a reason.
    QFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("Не удалось записать файл «%1»: %2").arg(m_fileName, file.errorString());
        qCWarning(lcReport) << Q_FUNC_INFO << "cannot write" << m_fileName << file.errorString();
        return false;
    }
    file.close();
    const QByteArray path = QFile::encodeName(m_fileName);
    lxw_workbook* workbook = workbook_new(path.constData());
    bool written = false;
    if (workbook) {
        written = SheetWriter(workbook, document).write();
        const lxw_error closed = workbook_close(workbook);
        written = written && closed == LXW_NO_ERROR;
        if (closed != LXW_NO_ERROR)
            qCWarning(lcReport) << Q_FUNC_INFO << "workbook not written" << lxw_strerror(closed);
    }
    if (!written) {
        QFile::remove(m_fileName);
        m_error = QStringLiteral("Не удалось записать книгу Excel «%1».").arg(m_fileName);
    }
    return written;
}
