#include "repagelayout.h"

#include <QTextLayout>

namespace {

constexpr qreal BlockGapMM = 2;
constexpr qreal FooterGapMM = 2;

} // namespace

REPageLayout::REPageLayout(const REDocument& document, int dpi)
    : m_document(document)
    , m_metrics(document.pageSetup(), dpi)
{
    const REPageSetup& setup = document.pageSetup();
    const QSizeF paper = setup.paperSizeMM();
    m_pageSize = QSizeF(m_metrics.fromMM(paper.width()), m_metrics.fromMM(paper.height()));
    const QMarginsF& margins = setup.margins;
    m_body = QRectF(QPointF(m_metrics.fromMM(margins.left()), m_metrics.fromMM(margins.top())),
                    QPointF(m_pageSize.width() - m_metrics.fromMM(margins.right()),
                            m_pageSize.height() - m_metrics.fromMM(margins.bottom())));
    if (!setup.footer.isEmpty()) {
        const qreal footerHeight = m_metrics.lineHeight(RECellStyle());
        m_footer = QRectF(m_body.left(), m_body.bottom() - footerHeight, m_body.width(), footerHeight);
        m_body.setBottom(m_footer.top() - m_metrics.fromMM(FooterGapMM));
    }
    newPage();
    const QList<REBlock>& blocks = document.blocks();
    m_tables.resize(size_t(blocks.size()));
    for (int block = 0; block < blocks.size(); ++block) {
        if (m_y > m_body.top())
            m_y += m_metrics.fromMM(BlockGapMM);
        if (blocks.at(block).kind == REBlock::Text) {
            layoutText(block, blocks.at(block).text);
            continue;
        }
        m_tables[size_t(block)] = std::make_unique<RETableLayout>(blocks.at(block).table, &m_metrics, m_body.width());
        if (m_tables[size_t(block)]->isValid())
            layoutTable(block, *m_tables[size_t(block)]);
    }
}

REPageLayout::~REPageLayout() = default;

void REPageLayout::newPage()
{
    m_pages.append(QVector<REPageItem>());
    m_y = m_body.top();
}

void REPageLayout::addItem(const REPageItem& item)
{
    m_pages.last().append(item);
}

void REPageLayout::layoutText(int block, const REText& text)
{
    QTextLayout lines;
    m_metrics.layoutText(&lines, text.text, text.style, m_body.width());
    REPageItem item{REPageItem::TextLines, block, QPointF(m_body.left(), m_y), 0, 0};
    for (int index = 0; index < lines.lineCount(); ++index) {
        const qreal height = lines.lineAt(index).height();
        if (m_y + height > m_body.bottom() && m_y > m_body.top()) {
            if (item.count > 0)
                addItem(item);
            newPage();
            item = REPageItem{REPageItem::TextLines, block, QPointF(m_body.left(), m_y), index, 0};
        }
        ++item.count;
        m_y += height;
    }
    if (item.count > 0)
        addItem(item);
}

// Row groups never split; a group taller than a whole page gets a page of its own and is cut
// at its bottom rather than breaking the rows a span ties together.
void REPageLayout::layoutTable(int block, const RETableLayout& table)
{
    const int headerRows = table.headerRows();
    const qreal scale = table.scale();
    const qreal header = table.rowTop(headerRows) * scale;
    const int rows = table.rowCount();
    auto groupHeight = [&](int row) { return (table.rowTop(table.groupEnd(row)) - table.rowTop(row)) * scale; };
    const qreal firstGroup = headerRows < rows ? groupHeight(headerRows) : 0;
    if (m_y + header + firstGroup > m_body.bottom() && m_y > m_body.top())
        newPage();
    REPageItem item{REPageItem::TableRows, block, QPointF(m_body.left(), m_y), headerRows, 0};
    m_y += header;
    for (int row = headerRows; row < rows; row = table.groupEnd(row)) {
        const qreal height = groupHeight(row);
        if (m_y + height > m_body.bottom() && item.count > 0) {
            addItem(item);
            newPage();
            item = REPageItem{REPageItem::TableRows, block, QPointF(m_body.left(), m_y), row, 0};
            m_y += header;
        }
        item.count += table.groupEnd(row) - row;
        m_y += height;
    }
    if (item.count > 0 || headerRows > 0)
        addItem(item);
}

QString REPageLayout::footerText(int page) const
{
    QString text = m_document.pageSetup().footer;
    text.replace(QLatin1String("{page}"), QString::number(page + 1));
    text.replace(QLatin1String("{pages}"), QString::number(pageCount()));
    return text;
}

bool REPageLayout::pageRange(int fromPage, int toPage, int* first, int* last, QString* error) const
{
    *first = fromPage < 1 ? 0 : fromPage - 1;
    *last = toPage < 1 ? pageCount() - 1 : qMin(toPage, pageCount()) - 1;
    if (*first <= *last)
        return true;
    *error = QStringLiteral("В отчете всего %1 стр.; страниц с %2 по %3 нет").arg(pageCount()).arg(fromPage).arg(toPage);
    return false;
}
