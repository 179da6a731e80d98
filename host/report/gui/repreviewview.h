#pragma once

#include "ovreport_export.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QList>

#include <memory>

class REPageLayout;

/// A scrolling column of a report's pages. Only the pages in sight are drawn, each once per zoom
/// into a small cache, so a report of hundreds of pages opens at once.
class OVREPORT_EXPORT REPreviewView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit REPreviewView(QWidget* parent = nullptr);
    ~REPreviewView() override;

    void setPageLayout(std::shared_ptr<const REPageLayout> layout);
    int pageCount() const;
    /// 0-based: the page at the top of the view, or the last one once scrolled to the end.
    int currentPage() const { return m_currentPage; }
    void goToPage(int page);

    /// 1 shows the paper at its real size.
    qreal zoom() const { return m_zoom; }
    void setZoom(qreal zoom);
    void zoomIn();
    void zoomOut();
    /// Makes a page as wide as the view, and keeps it so while the view is resized.
    void fitWidth();
    /// Pages drawn since the layout was set.
    int renderedPageCount() const { return m_renderedPages; }

signals:
    void currentPageChanged(int page);
    void zoomChanged(qreal zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void applyZoom(qreal zoom);
    qreal pixelScale() const;
    QSize pagePixels() const;
    int pageTop(int page) const;
    int pageAtY(int y) const;
    void updateScrollBars();
    void updateCurrentPage();
    void setCurrentPage(int page);
    QImage pageImage(int page);

    std::shared_ptr<const REPageLayout> m_layout;
    qreal m_zoom = 1;
    bool m_fitWidth = true;
    int m_currentPage = 0;
    bool m_navigating = false;
    int m_renderedPages = 0;
    QHash<int, QImage> m_pageCache;
    QList<int> m_cacheOrder;
};
