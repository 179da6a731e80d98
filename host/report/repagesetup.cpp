#include "repagesetup.h"

QSizeF REPageSetup::paperSizeMM() const
{
    const QSizeF portrait = QPageSize(pageSize).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

qreal REPageSetup::bodyWidthMM() const
{
    return paperSizeMM().width() - margins.left() - margins.right();
}

bool REPageSetup::operator==(const REPageSetup& other) const
{
    return pageSize == other.pageSize && orientation == other.orientation && margins == other.margins
           && fontFamily == other.fontFamily && qFuzzyCompare(fontSize, other.fontSize) && footer == other.footer;
}
