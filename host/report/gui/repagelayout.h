#pragma once

#include "ovreport_export.h"

#include "redocument.h"
#include "repageitem.h"
#include "retablelayout.h"
#include "retextmetrics.h"

#include <QRectF>
#include <QSizeF>
#include <QVector>

#include <memory>
#include <vector>

/// A report broken into pages at a layout resolution: texts wrap to the body width, table rows
/// are as high as their wrapped text, header rows repeat on every page a table runs over, rows
/// tied by a row span stay together, and each page keeps room for the footer line. Needs a
/// QGuiApplication for the fonts. The page count is known before anything is painted.
class OVREPORT_EXPORT REPageLayout
{
public:
    /// Painters lay out at this resolution (a tenth of a point) and scale to their device.
    static constexpr int DefaultDpi = 720;

    explicit REPageLayout(const REDocument& document, int dpi = DefaultDpi);
    ~REPageLayout();

    const REDocument& document() const { return m_document; }
    int dpi() const { return m_metrics.dpi(); }
    RETextMetrics* metrics() const { return &m_metrics; }

    QSizeF pageSize() const { return m_pageSize; }
    /// Where blocks go on a page, the footer's room excluded.
    QRectF bodyRect() const { return m_body; }
    QRectF footerRect() const { return m_footer; }
    int pageCount() const { return m_pages.size(); }
    const QVector<REPageItem>& pageItems(int page) const { return m_pages.at(page); }
    /// The footer of page (0-based) with its number and the page count filled in.
    QString footerText(int page) const;
    /// Null for a text block.
    const RETableLayout* tableLayout(int block) const { return m_tables.at(size_t(block)).get(); }

    /// Pages fromPage..toPage (1-based, -1 for the first or the last) as a 0-based range; false
    /// with a Russian error when the range holds no page.
    bool pageRange(int fromPage, int toPage, int* first, int* last, QString* error) const;

private:
    void layoutText(int block, const REText& text);
    void layoutTable(int block, const RETableLayout& table);
    void addItem(const REPageItem& item);
    void newPage();

    REDocument m_document;
    mutable RETextMetrics m_metrics;
    QSizeF m_pageSize;
    QRectF m_body;
    QRectF m_footer;
    QVector<QVector<REPageItem>> m_pages;
    std::vector<std::unique_ptr<RETableLayout>> m_tables;
    qreal m_y = 0;
};
