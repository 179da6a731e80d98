#include "rexmlwriter.h"

#include "redocument.h"
#include "rexmlnames.h"

#include <QXmlStreamWriter>

namespace {

QString numberText(qreal value)
{
    return QString::number(value, 'g', 12);
}

void writeStyle(QXmlStreamWriter& xml, const RECellStyle& style)
{
    const RECellStyle plain;
    if (style.fontSize > 0)
        xml.writeAttribute(QStringLiteral("font-size"), numberText(style.fontSize));
    if (style.bold)
        xml.writeAttribute(QStringLiteral("bold"), QStringLiteral("1"));
    if (style.italic)
        xml.writeAttribute(QStringLiteral("italic"), QStringLiteral("1"));
    if ((style.alignment & Qt::AlignHorizontal_Mask) != (plain.alignment & Qt::AlignHorizontal_Mask))
        xml.writeAttribute(QStringLiteral("align"), REXmlNames::horizontalName(style.alignment));
    if ((style.alignment & Qt::AlignVertical_Mask) != (plain.alignment & Qt::AlignVertical_Mask))
        xml.writeAttribute(QStringLiteral("valign"), REXmlNames::verticalName(style.alignment));
    if (style.fill.isValid())
        xml.writeAttribute(QStringLiteral("fill"), style.fill.name());
    if (style.color.isValid())
        xml.writeAttribute(QStringLiteral("color"), style.color.name());
    if (!style.border)
        xml.writeAttribute(QStringLiteral("border"), QStringLiteral("0"));
}

void writePage(QXmlStreamWriter& xml, const REPageSetup& page)
{
    xml.writeStartElement(QStringLiteral("page"));
    xml.writeAttribute(QStringLiteral("size"), REXmlNames::pageSizeName(page.pageSize));
    xml.writeAttribute(QStringLiteral("orientation"), REXmlNames::orientationName(page.orientation));
    xml.writeAttribute(QStringLiteral("margin-left"), numberText(page.margins.left()));
    xml.writeAttribute(QStringLiteral("margin-top"), numberText(page.margins.top()));
    xml.writeAttribute(QStringLiteral("margin-right"), numberText(page.margins.right()));
    xml.writeAttribute(QStringLiteral("margin-bottom"), numberText(page.margins.bottom()));
    xml.writeAttribute(QStringLiteral("font-family"), page.fontFamily);
    xml.writeAttribute(QStringLiteral("font-size"), numberText(page.fontSize));
    xml.writeAttribute(QStringLiteral("footer"), page.footer);
    xml.writeEndElement();
}

void writeCell(QXmlStreamWriter& xml, const RECell& cell)
{
    xml.writeStartElement(QStringLiteral("cell"));
    if (cell.columnSpan != 1)
        xml.writeAttribute(QStringLiteral("colspan"), QString::number(cell.columnSpan));
    if (cell.rowSpan != 1)
        xml.writeAttribute(QStringLiteral("rowspan"), QString::number(cell.rowSpan));
    if (cell.isNumber)
        xml.writeAttribute(QStringLiteral("number"), numberText(cell.number));
    writeStyle(xml, cell.style);
    xml.writeCharacters(cell.text);
    xml.writeEndElement();
}

void writeTable(QXmlStreamWriter& xml, const RETable& table)
{
    xml.writeStartElement(QStringLiteral("table"));
    if (table.headerRows > 0)
        xml.writeAttribute(QStringLiteral("header-rows"), QString::number(table.headerRows));
    xml.writeStartElement(QStringLiteral("columns"));
    for (qreal width : table.columnWidths) {
        xml.writeStartElement(QStringLiteral("column"));
        xml.writeAttribute(QStringLiteral("width"), numberText(width));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    for (const QList<RECell>& row : table.rows) {
        xml.writeStartElement(QStringLiteral("row"));
        for (const RECell& cell : row)
            writeCell(xml, cell);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

QString REXmlWriter::write(const REDocument& document)
{
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("report"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("title"), document.title());
    writePage(xml, document.pageSetup());
    xml.writeStartElement(QStringLiteral("body"));
    for (const REBlock& block : document.blocks()) {
        if (block.kind == REBlock::Table) {
            writeTable(xml, block.table);
            continue;
        }
        xml.writeStartElement(QStringLiteral("text"));
        writeStyle(xml, block.text.style);
        xml.writeCharacters(block.text.text);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}
