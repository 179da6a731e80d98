#pragma once

#include "ovreport_export.h"

#include <QtGlobal>

class QPainter;
class QRectF;
class REPageLayout;
class RETableLayout;
struct RECell;
struct REPageItem;
struct RETable;

/// Paints one laid-out page with a QPainter whose coordinates are the layout's units (the caller
/// scales to its device): texts, table cells with their fills, borders, fonts and alignment,
/// spans, and the footer. Printer, PDF and preview all paint through it.
class OVREPORT_EXPORT REPainter
{
public:
    explicit REPainter(const REPageLayout& layout);

    /// page is 0-based.
    void paintPage(QPainter* painter, int page) const;

private:
    void paintText(QPainter* painter, const REPageItem& item) const;
    void paintTable(QPainter* painter, const REPageItem& item) const;
    void paintRows(QPainter* painter, const RETable& table, const RETableLayout& geometry, int first, int count,
                   qreal top) const;
    void paintCell(QPainter* painter, const RECell& cell, const QRectF& rect) const;

    const REPageLayout& m_layout;
};
