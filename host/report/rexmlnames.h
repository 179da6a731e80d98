#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>

/// The names the report XML uses for paper sizes, orientations and alignments, shared by its
/// writer and its reader so the two never drift apart.
class REXmlNames
{
public:
    REXmlNames() = delete;

    static QString pageSizeName(QPageSize::PageSizeId id);
    /// False for a size the format does not know.
    static bool pageSizeFromName(const QString& name, QPageSize::PageSizeId* id);

    static QString orientationName(QPageLayout::Orientation orientation);
    static bool orientationFromName(const QString& name, QPageLayout::Orientation* orientation);

    /// "left", "center", "right"; the vertical part is written apart as "top", "middle", "bottom".
    static QString horizontalName(Qt::Alignment alignment);
    static QString verticalName(Qt::Alignment alignment);
    static bool alignmentFromNames(const QString& horizontal, const QString& vertical, Qt::Alignment* alignment);
};
