#include "worktimedayshade.h"

#include "vocabulary.h"

#include <QPainter>

namespace {

// Translucent, so a worked day keeps its yellow under it and a selection is not painted over.
const QColor nonWorkingTint(214, 64, 64, 30);
const QColor holidayDate(176, 32, 32);

} // namespace

bool WorkTimeDayShade::isNonWorking(const QVariant& kind)
{
    if (!kind.isValid())
        return false;
    const int value = kind.toInt();
    return value == orvanta::wt::DayOff || value == orvanta::wt::Holiday;
}

void WorkTimeDayShade::paint(QPainter* painter, const QRect& rect, const QVariant& kind)
{
    if (isNonWorking(kind))
        painter->fillRect(rect, nonWorkingTint);
}

QColor WorkTimeDayShade::dateColor(const QVariant& kind, const QColor& normal)
{
    return kind.isValid() && kind.toInt() == orvanta::wt::Holiday ? holidayDate : normal;
}

QString WorkTimeDayShade::describe(const QVariant& kind)
{
    if (!kind.isValid())
        return QString();
    switch (kind.toInt()) {
    case orvanta::wt::WorkingDay:
        return QStringLiteral("Рабочий день");
    case orvanta::wt::ShortenedDay:
        return QStringLiteral("Предпраздничный день, на час короче");
    case orvanta::wt::DayOff:
        return QStringLiteral("Выходной день");
    case orvanta::wt::Holiday:
        return QStringLiteral("Праздничный день");
    default:
        return QString();
    }
}
