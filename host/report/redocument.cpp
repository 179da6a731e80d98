#include "redocument.h"

#include "reabstractpainter.h"
#include "reportlogging.h"
#include "rexmlreader.h"
#include "rexmlwriter.h"

bool REDocument::loadXML(const QString& xml)
{
    clear();
    REDocument loaded;
    if (!REXmlReader::read(xml, &loaded, &m_error)) {
        qCWarning(lcReport) << Q_FUNC_INFO << "report refused" << m_error;
        return false;
    }
    *this = loaded;
    m_error.clear();
    return true;
}

QString REDocument::toXML() const
{
    return REXmlWriter::write(*this);
}

void REDocument::clear()
{
    m_title.clear();
    m_pageSetup = REPageSetup();
    m_blocks.clear();
    m_error.clear();
}

void REDocument::addText(const REText& text)
{
    m_blocks.append(REBlock::fromText(text));
}

void REDocument::addTable(const RETable& table)
{
    m_blocks.append(REBlock::fromTable(table));
}

bool REDocument::paint(REAbstractPainter* painter, int fromPage, int toPage, int copies,
                       const QString& printerName) const
{
    if (!painter || isEmpty()) {
        qCWarning(lcReport) << Q_FUNC_INFO << "nothing to paint" << (painter != nullptr);
        return false;
    }
    return painter->paintDocument(*this, fromPage, toPage, qMax(1, copies), printerName);
}

bool REDocument::operator==(const REDocument& other) const
{
    return m_title == other.m_title && m_pageSetup == other.m_pageSetup && m_blocks == other.m_blocks;
}
