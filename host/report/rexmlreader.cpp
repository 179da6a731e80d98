#include "rexmlreader.h"

#include "redocument.h"
#include "reportlogging.h"
#include "retablegrid.h"
#include "rexmlnames.h"

#include <QXmlStreamReader>

#include <initializer_list>
#include <limits>

namespace {

constexpr qreal MaxSizeMM = 10000;
constexpr qreal MaxMarginMM = 1000;
constexpr qreal MaxFontSize = 400;
constexpr qreal MinBodyMM = 10;
constexpr int QuotedValueLength = 40;

// One function per level of the fixed structure report > page?, body > (text | table > columns >
// column+, row > cell)*: an element nested deeper than the format allows is an unknown element at
// the first level that does not expect it, so nesting is refused at once and without recursion.
class ReportParser
{
public:
    explicit ReportParser(const QString& xml)
        : m_xml(xml)
    {
        m_xml.setNamespaceProcessing(false);
    }

    bool parse(REDocument* document);
    QString error() const { return m_error; }

private:
    bool fail(const QString& message);
    bool failXml();
    bool nextChild();
    bool noChildren();
    bool expect(const char* name);
    bool takeAttributes(std::initializer_list<const char*> allowed);
    bool has(const char* name) const { return m_attributes.hasAttribute(QLatin1String(name)); }
    QString value(const char* name) const { return m_attributes.value(QLatin1String(name)).toString(); }
    bool badValue(const char* name);
    bool countText(qint64 length);
    bool readString(const char* name, QString* text);
    bool readDouble(const char* name, qreal min, qreal max, bool zeroAllowed, qreal* number);
    bool readInt(const char* name, int min, int max, int* number);
    bool readBool(const char* name, bool* flag);
    bool readColor(const char* name, QColor* color);
    bool readStyle(RECellStyle* style);
    bool readContent(QString* text);

    bool readReport(REDocument* document);
    bool readPage(REPageSetup* page);
    bool readBody(REDocument* document);
    bool readTextBlock(REDocument* document);
    bool readTable(REDocument* document);
    bool readColumns(RETable* table);
    bool readRow(RETable* table, RETableGrid* grid);
    bool readCell(RETable* table, RETableGrid* grid, QList<RECell>* row);
    bool readEnd();

    QXmlStreamReader m_xml;
    QXmlStreamAttributes m_attributes;
    QString m_error;
    bool m_failed = false;
    int m_blocks = 0;
    int m_rows = 0;
    int m_cells = 0;
    qint64 m_gridCells = 0;
    qint64 m_textLength = 0;
};

bool ReportParser::fail(const QString& message)
{
    if (!m_failed) {
        m_failed = true;
        m_error = QStringLiteral("Отчет не принят (строка %1): %2.").arg(m_xml.lineNumber()).arg(message);
    }
    return false;
}

bool ReportParser::failXml()
{
    qCDebug(lcReport) << Q_FUNC_INFO << "xml error" << m_xml.errorString();
    if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return fail(QStringLiteral("текст отчета оборван, документ не закончен"));
    return fail(QStringLiteral("текст отчета не является правильным XML"));
}

// Moves to the next child element of the current one: true on its start, false at the end of
// the current element or on a failure. Only white space may stand between elements.
bool ReportParser::nextChild()
{
    while (!m_failed) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::Characters:
            if (!m_xml.isWhitespace())
                return fail(QStringLiteral("текст вне абзаца или ячейки"));
            break;
        case QXmlStreamReader::DTD:
            return fail(QStringLiteral("объявления DTD и сущностей не допускаются"));
        case QXmlStreamReader::EntityReference:
            return fail(QStringLiteral("ссылки на сущности не допускаются"));
        case QXmlStreamReader::Invalid:
            return failXml();
        default:
            break;
        }
    }
    return false;
}

bool ReportParser::noChildren()
{
    if (nextChild())
        return fail(QStringLiteral("неизвестный элемент «%1»").arg(m_xml.qualifiedName().left(QuotedValueLength)));
    return !m_failed;
}

bool ReportParser::expect(const char* name)
{
    if (m_xml.qualifiedName() == QLatin1String(name))
        return true;
    return fail(QStringLiteral("неизвестный элемент «%1», ожидался «%2»")
                    .arg(m_xml.qualifiedName().left(QuotedValueLength), QLatin1String(name)));
}

bool ReportParser::takeAttributes(std::initializer_list<const char*> allowed)
{
    m_attributes = m_xml.attributes();
    for (const QXmlStreamAttribute& attribute : qAsConst(m_attributes)) {
        bool known = false;
        for (const char* name : allowed)
            known = known || attribute.qualifiedName() == QLatin1String(name);
        if (!known) {
            return fail(QStringLiteral("неизвестный атрибут «%1» элемента «%2»")
                            .arg(attribute.qualifiedName().left(QuotedValueLength), m_xml.qualifiedName()));
        }
    }
    return true;
}

bool ReportParser::badValue(const char* name)
{
    return fail(QStringLiteral("недопустимое значение «%1» атрибута «%2»")
                    .arg(value(name).left(QuotedValueLength), QLatin1String(name)));
}

bool ReportParser::countText(qint64 length)
{
    m_textLength += length;
    if (m_textLength <= REXmlReader::MaxTextLength)
        return true;
    return fail(QStringLiteral("текста больше %1 символов").arg(REXmlReader::MaxTextLength));
}

bool ReportParser::readString(const char* name, QString* text)
{
    if (!has(name))
        return true;
    *text = value(name);
    return countText(text->size());
}

// zeroAllowed: margins may be 0; sizes must be positive. NaN fails every comparison, so it is
// refused with the infinities.
bool ReportParser::readDouble(const char* name, qreal min, qreal max, bool zeroAllowed, qreal* number)
{
    if (!has(name))
        return true;
    bool ok = false;
    const qreal parsed = m_attributes.value(QLatin1String(name)).toDouble(&ok);
    if (!ok || !(parsed >= min && parsed <= max) || (!zeroAllowed && parsed <= 0))
        return badValue(name);
    *number = parsed;
    return true;
}

bool ReportParser::readInt(const char* name, int min, int max, int* number)
{
    if (!has(name))
        return true;
    bool ok = false;
    const int parsed = m_attributes.value(QLatin1String(name)).toInt(&ok);
    if (!ok || parsed < min || parsed > max)
        return badValue(name);
    *number = parsed;
    return true;
}

bool ReportParser::readBool(const char* name, bool* flag)
{
    if (!has(name))
        return true;
    const QStringRef text = m_attributes.value(QLatin1String(name));
    if (text == QLatin1String("1") || text == QLatin1String("true"))
        *flag = true;
    else if (text == QLatin1String("0") || text == QLatin1String("false"))
        *flag = false;
    else
        return badValue(name);
    return true;
}

bool ReportParser::readColor(const char* name, QColor* color)
{
    if (!has(name))
        return true;
    const QStringRef text = m_attributes.value(QLatin1String(name));
    bool hex = text.size() == 7 && text.at(0) == QLatin1Char('#');
    for (int i = 1; hex && i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }
    if (!hex)
        return badValue(name);
    *color = QColor(text.toString());
    return true;
}

bool ReportParser::readStyle(RECellStyle* style)
{
    if (!readDouble("font-size", 0, MaxFontSize, false, &style->fontSize) || !readBool("bold", &style->bold)
        || !readBool("italic", &style->italic) || !readBool("border", &style->border)
        || !readColor("fill", &style->fill) || !readColor("color", &style->color))
        return false;
    for (const char* name : {"align", "valign"}) {
        if (has(name) && value(name).isEmpty())
            return badValue(name);
    }
    if (!REXmlNames::alignmentFromNames(value("align"), value("valign"), &style->alignment))
        return badValue(has("align") ? "align" : "valign");
    return true;
}

// The character data of a text block or a cell, up to its end tag; no child elements.
bool ReportParser::readContent(QString* text)
{
    while (!m_failed) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters:
            if (!countText(m_xml.text().size()))
                return false;
            text->append(m_xml.text());
            break;
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::StartElement:
            return fail(QStringLiteral("неизвестный элемент «%1» внутри текста")
                            .arg(m_xml.qualifiedName().left(QuotedValueLength)));
        case QXmlStreamReader::EntityReference:
            return fail(QStringLiteral("ссылки на сущности не допускаются"));
        case QXmlStreamReader::Invalid:
            return failXml();
        default:
            break;
        }
    }
    return false;
}

bool ReportParser::parse(REDocument* document)
{
    if (!nextChild()) {
        return m_failed ? false : fail(QStringLiteral("в тексте нет элемента «report»"));
    }
    return expect("report") && readReport(document) && readEnd();
}

bool ReportParser::readEnd()
{
    while (!m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::Invalid)
            return failXml();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::StartElement)
            return fail(QStringLiteral("лишнее содержимое после элемента «report»"));
    }
    return true;
}

bool ReportParser::readReport(REDocument* document)
{
    if (!takeAttributes({"version", "title"}))
        return false;
    if (value("version") != QLatin1String("1"))
        return fail(QStringLiteral("неподдерживаемая версия отчета «%1»").arg(value("version").left(QuotedValueLength)));
    QString title;
    if (!readString("title", &title))
        return false;
    document->setTitle(title);
    if (!nextChild())
        return m_failed ? false : fail(QStringLiteral("в отчете нет элемента «body»"));
    if (m_xml.qualifiedName() == QLatin1String("page")) {
        REPageSetup page;
        if (!readPage(&page))
            return false;
        document->setPageSetup(page);
        if (!nextChild())
            return m_failed ? false : fail(QStringLiteral("в отчете нет элемента «body»"));
    }
    return expect("body") && readBody(document) && noChildren();
}

bool ReportParser::readPage(REPageSetup* page)
{
    if (!takeAttributes({"size", "orientation", "margin-left", "margin-top", "margin-right", "margin-bottom",
                         "font-family", "font-size", "footer"}))
        return false;
    if (has("size") && !REXmlNames::pageSizeFromName(value("size"), &page->pageSize))
        return badValue("size");
    if (has("orientation") && !REXmlNames::orientationFromName(value("orientation"), &page->orientation))
        return badValue("orientation");
    qreal left = page->margins.left(), top = page->margins.top();
    qreal right = page->margins.right(), bottom = page->margins.bottom();
    if (!readDouble("margin-left", 0, MaxMarginMM, true, &left) || !readDouble("margin-top", 0, MaxMarginMM, true, &top)
        || !readDouble("margin-right", 0, MaxMarginMM, true, &right)
        || !readDouble("margin-bottom", 0, MaxMarginMM, true, &bottom)
        || !readDouble("font-size", 0, MaxFontSize, false, &page->fontSize)
        || !readString("font-family", &page->fontFamily) || !readString("footer", &page->footer))
        return false;
    page->margins = QMarginsF(left, top, right, bottom);
    const QSizeF paper = page->paperSizeMM();
    if (paper.width() - left - right < MinBodyMM || paper.height() - top - bottom < MinBodyMM)
        return fail(QStringLiteral("поля страницы не оставляют места для текста"));
    return noChildren();
}

bool ReportParser::readBody(REDocument* document)
{
    if (!takeAttributes({}))
        return false;
    while (nextChild()) {
        if (++m_blocks > REXmlReader::MaxBlocks)
            return fail(QStringLiteral("блоков больше %1").arg(REXmlReader::MaxBlocks));
        const QStringRef name = m_xml.qualifiedName();
        if (name == QLatin1String("text")) {
            if (!readTextBlock(document))
                return false;
        } else if (!expect("table") || !readTable(document)) {
            return false;
        }
    }
    return !m_failed;
}

bool ReportParser::readTextBlock(REDocument* document)
{
    REText text;
    if (!takeAttributes({"font-size", "bold", "italic", "align", "valign", "fill", "color", "border"})
        || !readStyle(&text.style) || !readContent(&text.text))
        return false;
    document->addText(text);
    return true;
}

bool ReportParser::readTable(REDocument* document)
{
    RETable table;
    if (!takeAttributes({"header-rows"}) || !readInt("header-rows", 0, REXmlReader::MaxRows, &table.headerRows))
        return false;
    if (!nextChild())
        return m_failed ? false : fail(QStringLiteral("у таблицы нет элемента «columns»"));
    if (!expect("columns") || !readColumns(&table))
        return false;
    RETableGrid grid(table.columnWidths.size());
    while (nextChild()) {
        if (!expect("row") || !readRow(&table, &grid))
            return false;
    }
    QString gridError;
    if (m_failed)
        return false;
    if (!grid.finish(table.rows.size(), &gridError))
        return fail(gridError);
    if (table.headerRows > table.rows.size()) {
        return fail(QStringLiteral("строк заголовка (%1) больше, чем строк таблицы (%2)")
                        .arg(table.headerRows).arg(table.rows.size()));
    }
    document->addTable(table);
    return true;
}

bool ReportParser::readColumns(RETable* table)
{
    if (!takeAttributes({}))
        return false;
    while (nextChild()) {
        if (table->columnWidths.size() >= REXmlReader::MaxColumns)
            return fail(QStringLiteral("столбцов больше %1").arg(REXmlReader::MaxColumns));
        qreal width = 0;
        if (!expect("column") || !takeAttributes({"width"}))
            return false;
        if (!has("width"))
            return fail(QStringLiteral("у столбца нет ширины"));
        if (!readDouble("width", 0, MaxSizeMM, false, &width) || !noChildren())
            return false;
        table->columnWidths.append(width);
    }
    if (!m_failed && table->columnWidths.isEmpty())
        return fail(QStringLiteral("у таблицы нет столбцов"));
    return !m_failed;
}

bool ReportParser::readRow(RETable* table, RETableGrid* grid)
{
    if (!takeAttributes({}))
        return false;
    if (++m_rows > REXmlReader::MaxRows)
        return fail(QStringLiteral("строк больше %1").arg(REXmlReader::MaxRows));
    m_gridCells += table->columnWidths.size();
    if (m_gridCells > REXmlReader::MaxGridCells)
        return fail(QStringLiteral("таблицы больше %1 клеток").arg(REXmlReader::MaxGridCells));
    grid->startRow();
    QList<RECell> row;
    while (nextChild()) {
        if (!expect("cell") || !readCell(table, grid, &row))
            return false;
    }
    table->rows.append(row);
    return !m_failed;
}

bool ReportParser::readCell(RETable* table, RETableGrid* grid, QList<RECell>* row)
{
    if (++m_cells > REXmlReader::MaxCells)
        return fail(QStringLiteral("ячеек больше %1").arg(REXmlReader::MaxCells));
    RECell cell;
    const qreal anyNumber = std::numeric_limits<qreal>::max();
    if (!takeAttributes({"colspan", "rowspan", "number", "font-size", "bold", "italic", "align", "valign", "fill",
                         "color", "border"})
        || !readInt("colspan", 1, REXmlReader::MaxColumns, &cell.columnSpan)
        || !readInt("rowspan", 1, REXmlReader::MaxRows, &cell.rowSpan)
        || !readDouble("number", -anyNumber, anyNumber, true, &cell.number) || !readStyle(&cell.style))
        return false;
    cell.isNumber = has("number");
    QString gridError;
    if (grid->placeCell(cell.columnSpan, cell.rowSpan, &gridError) < 0)
        return fail(gridError);
    const int rowIndex = table->rows.size();
    if (rowIndex < table->headerRows && rowIndex + cell.rowSpan > table->headerRows)
        return fail(QStringLiteral("объединение ячеек заголовка выходит за строки заголовка"));
    if (!readContent(&cell.text))
        return false;
    row->append(cell);
    return true;
}

} // namespace

bool REXmlReader::read(const QString& xml, REDocument* document, QString* error)
{
    ReportParser parser(xml);
    REDocument parsed;
    if (!parser.parse(&parsed)) {
        *error = parser.error();
        return false;
    }
    *document = parsed;
    error->clear();
    return true;
}
