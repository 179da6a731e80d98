#pragma once

#include "ovreportcore_export.h"
#include "reblock.h"
#include "repagesetup.h"

#include <QList>
#include <QString>

class REAbstractPainter;

/// A paged report: page setup, a title and blocks of text and tables. The server builds one and
/// sends toXML(); the client loads it with loadXML() and paints it to paper, PDF, a preview or a
/// spreadsheet. The XML is described by report.xsd next to this header.
class OVREPORTCORE_EXPORT REDocument
{
public:
    REDocument() = default;

    /// Replaces the document with the one xml describes. A document that is not well formed, does
    /// not follow the schema or exceeds the limits (nesting, spans, sizes) is refused: false, the
    /// document left empty and errorString() saying why in Russian.
    bool loadXML(const QString& xml);
    QString errorString() const { return m_error; }
    QString toXML() const;

    void clear();
    bool isEmpty() const { return m_blocks.isEmpty(); }

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    const REPageSetup& pageSetup() const { return m_pageSetup; }
    void setPageSetup(const REPageSetup& setup) { m_pageSetup = setup; }

    const QList<REBlock>& blocks() const { return m_blocks; }
    void addText(const REText& text);
    void addTable(const RETable& table);

    /// Paints pages fromPage..toPage (1-based; -1 for the first and the last) copies times into
    /// painter. False when the document is empty or the painter fails; the painter tells why.
    bool paint(REAbstractPainter* painter, int fromPage = -1, int toPage = -1, int copies = 1,
               const QString& printerName = QString()) const;

    bool operator==(const REDocument& other) const;

private:
    QString m_title;
    REPageSetup m_pageSetup;
    QList<REBlock> m_blocks;
    QString m_error;
};
