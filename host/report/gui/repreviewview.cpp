#include "repreviewview.h"

#include "repagelayout.h"
#include "repainter.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <limits>

namespace {

constexpr int PageGap = 16;
constexpr int CachedPages = 8;
constexpr qreal ZoomStep = 1.25;
constexpr qreal MinZoom = 0.1;
constexpr qreal MaxZoom = 8;

} // namespace

REPreviewView::REPreviewView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

REPreviewView::~REPreviewView() = default;

void REPreviewView::setPageLayout(std::shared_ptr<const REPageLayout> layout)
{
    m_layout = std::move(layout);
    m_pageCache.clear();
    m_cacheOrder.clear();
    m_renderedPages = 0;
    m_currentPage = 0;
    if (m_fitWidth)
        fitWidth();
    else
        applyZoom(m_zoom);
    emit currentPageChanged(0);
}

int REPreviewView::pageCount() const
{
    return m_layout ? m_layout->pageCount() : 0;
}

qreal REPreviewView::pixelScale() const
{
    return m_layout ? m_zoom * logicalDpiX() / m_layout->dpi() : 1;
}

QSize REPreviewView::pagePixels() const
{
    if (!m_layout)
        return QSize();
    return (m_layout->pageSize() * pixelScale()).toSize().expandedTo(QSize(1, 1));
}

int REPreviewView::pageTop(int page) const
{
    return PageGap + page * (pagePixels().height() + PageGap);
}

int REPreviewView::pageAtY(int y) const
{
    const int step = pagePixels().height() + PageGap;
    return qBound(0, (y - PageGap / 2) / qMax(1, step), qMax(0, pageCount() - 1));
}

void REPreviewView::setZoom(qreal zoom)
{
    m_fitWidth = false;
    applyZoom(zoom);
}

void REPreviewView::zoomIn()
{
    setZoom(m_zoom * ZoomStep);
}

void REPreviewView::zoomOut()
{
    setZoom(m_zoom / ZoomStep);
}

void REPreviewView::fitWidth()
{
    m_fitWidth = true;
    if (!m_layout)
        return;
    const qreal paperPixels = m_layout->pageSize().width() * logicalDpiX() / m_layout->dpi();
    applyZoom((viewport()->width() - 2 * PageGap) / qMax<qreal>(1, paperPixels));
}

// The column of pages must stay within a scroll bar's int range, so a very long report caps the
// zoom.
void REPreviewView::applyZoom(qreal zoom)
{
    qreal bounded = qBound(MinZoom, zoom, MaxZoom);
    if (m_layout) {
        const qreal columnAtOne = qreal(pageCount()) * (m_layout->pageSize().height() * logicalDpiY() / m_layout->dpi() + PageGap);
        bounded = qMin(bounded, (std::numeric_limits<int>::max() / 2) / qMax<qreal>(1, columnAtOne));
    }
    const int page = m_currentPage;
    if (!qFuzzyCompare(bounded, m_zoom)) {
        m_zoom = bounded;
        m_pageCache.clear();
        m_cacheOrder.clear();
        emit zoomChanged(m_zoom);
    }
    updateScrollBars();
    goToPage(page);
    viewport()->update();
}

void REPreviewView::updateScrollBars()
{
    const QSize page = pagePixels();
    const int columnHeight = pageTop(pageCount());
    verticalScrollBar()->setRange(0, qMax(0, columnHeight - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setRange(0, qMax(0, page.width() + 2 * PageGap - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void REPreviewView::goToPage(int page)
{
    const int bounded = qBound(0, page, qMax(0, pageCount() - 1));
    m_navigating = true;
    verticalScrollBar()->setValue(pageTop(bounded) - PageGap / 2);
    m_navigating = false;
    setCurrentPage(bounded);
}

void REPreviewView::setCurrentPage(int page)
{
    if (page == m_currentPage)
        return;
    m_currentPage = page;
    emit currentPageChanged(page);
}

void REPreviewView::updateCurrentPage()
{
    const QScrollBar* bar = verticalScrollBar();
    if (bar->value() >= bar->maximum() && bar->maximum() > 0)
        setCurrentPage(pageCount() - 1);
    else
        setCurrentPage(pageAtY(bar->value() + PageGap));
}

void REPreviewView::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx)
    Q_UNUSED(dy)
    if (!m_navigating)
        updateCurrentPage();
    viewport()->update();
}

void REPreviewView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitWidth)
        fitWidth();
    else
        updateScrollBars();
}

void REPreviewView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    if (event->angleDelta().y() > 0)
        zoomIn();
    else if (event->angleDelta().y() < 0)
        zoomOut();
    event->accept();
}

QImage REPreviewView::pageImage(int page)
{
    auto cached = m_pageCache.constFind(page);
    if (cached != m_pageCache.constEnd())
        return *cached;
    const qreal ratio = devicePixelRatioF();
    QImage image(pagePixels() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(pixelScale(), pixelScale());
    REPainter(*m_layout).paintPage(&painter, page);
    painter.end();
    ++m_renderedPages;
    m_pageCache.insert(page, image);
    m_cacheOrder.append(page);
    if (m_cacheOrder.size() > CachedPages)
        m_pageCache.remove(m_cacheOrder.takeFirst());
    return image;
}

void REPreviewView::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    if (!m_layout)
        return;
    QPainter painter(viewport());
    const QSize size = pagePixels();
    const int top = verticalScrollBar()->value();
    const int left = qMax(PageGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    const int last = pageAtY(top + viewport()->height());
    for (int page = pageAtY(top); page <= last; ++page) {
        const QRect frame(QPoint(left, pageTop(page) - top), size);
        if (!frame.intersects(viewport()->rect()))
            continue;
        painter.fillRect(frame.translated(3, 3), palette().shadow());
        painter.drawImage(frame.topLeft(), pageImage(page));
    }
}
