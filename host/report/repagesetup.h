#pragma once

#include "ovreportcore_export.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>

/// Paper, orientation, margins (millimetres), the body font and the footer of a report.
/// The footer's "{page}" and "{pages}" become the page number and the page count.
struct OVREPORTCORE_EXPORT REPageSetup
{
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};
    QString fontFamily = QStringLiteral("DejaVu Sans");
    qreal fontSize = 8;
    QString footer = QStringLiteral("Страница {page} из {pages}");

    /// The page's size in millimetres with the orientation applied.
    QSizeF paperSizeMM() const;
    /// The printable width in millimetres (paper minus the side margins).
    qreal bodyWidthMM() const;

    bool operator==(const REPageSetup& other) const;
};
