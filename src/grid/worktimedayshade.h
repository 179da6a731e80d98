#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

class QPainter;
class QRect;

/// How the grid marks the days off and public holidays of the production calendar: a tint over the
/// day's column and header section, a red date for a holiday, a line of the day's tool tip.
class WorkTimeDayShade
{
public:
    WorkTimeDayShade() = delete;

    /// A day off or a holiday; false when the kind is not known.
    static bool isNonWorking(const QVariant& kind);
    /// Tints rect when the kind is a day off or a holiday.
    static void paint(QPainter* painter, const QRect& rect, const QVariant& kind);
    /// The date's colour in the header: red for a holiday, otherwise normal.
    static QColor dateColor(const QVariant& kind, const QColor& normal);
    /// "Праздничный день" and the like; empty when the kind is not known.
    static QString describe(const QVariant& kind);
};
