#include "rexmlnames.h"

#include <utility>

namespace {

const std::pair<QPageSize::PageSizeId, const char*> PageSizes[] = {
    {QPageSize::A3, "A3"}, {QPageSize::A4, "A4"}, {QPageSize::A5, "A5"}, {QPageSize::Letter, "Letter"}};

const std::pair<Qt::Alignment, const char*> Horizontal[] = {
    {Qt::AlignLeft, "left"}, {Qt::AlignHCenter, "center"}, {Qt::AlignRight, "right"}};

const std::pair<Qt::Alignment, const char*> Vertical[] = {
    {Qt::AlignTop, "top"}, {Qt::AlignVCenter, "middle"}, {Qt::AlignBottom, "bottom"}};

template <typename Key, size_t N>
QString nameOf(const std::pair<Key, const char*> (&table)[N], Key key, const char* fallback)
{
    for (const auto& entry : table) {
        if (entry.first == key)
            return QLatin1String(entry.second);
    }
    return QLatin1String(fallback);
}

template <typename Key, size_t N>
bool keyOf(const std::pair<Key, const char*> (&table)[N], const QString& name, Key* key)
{
    for (const auto& entry : table) {
        if (name == QLatin1String(entry.second)) {
            *key = entry.first;
            return true;
        }
    }
    return false;
}

} // namespace

QString REXmlNames::pageSizeName(QPageSize::PageSizeId id)
{
    return nameOf(PageSizes, id, "A4");
}

bool REXmlNames::pageSizeFromName(const QString& name, QPageSize::PageSizeId* id)
{
    return keyOf(PageSizes, name, id);
}

QString REXmlNames::orientationName(QPageLayout::Orientation orientation)
{
    return orientation == QPageLayout::Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait");
}

bool REXmlNames::orientationFromName(const QString& name, QPageLayout::Orientation* orientation)
{
    if (name == QLatin1String("landscape"))
        *orientation = QPageLayout::Landscape;
    else if (name == QLatin1String("portrait"))
        *orientation = QPageLayout::Portrait;
    else
        return false;
    return true;
}

QString REXmlNames::horizontalName(Qt::Alignment alignment)
{
    return nameOf(Horizontal, Qt::Alignment(alignment & Qt::AlignHorizontal_Mask), "left");
}

QString REXmlNames::verticalName(Qt::Alignment alignment)
{
    return nameOf(Vertical, Qt::Alignment(alignment & Qt::AlignVertical_Mask), "middle");
}

bool REXmlNames::alignmentFromNames(const QString& horizontal, const QString& vertical, Qt::Alignment* alignment)
{
    Qt::Alignment h = Qt::AlignLeft;
    Qt::Alignment v = Qt::AlignVCenter;
    if ((!horizontal.isEmpty() && !keyOf(Horizontal, horizontal, &h))
        || (!vertical.isEmpty() && !keyOf(Vertical, vertical, &v)))
        return false;
    *alignment = h | v;
    return true;
}
