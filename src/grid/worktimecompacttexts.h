#pragma once

#include <QString>
#include <QtGlobal>

/// The short texts of the grid's compact mode and of columns narrowed by the planner: "9-18" for
/// 09:00-18:00, "7.5" hours, "Иванов И.П." for a full name.
class WorkTimeCompactTexts
{
public:
    WorkTimeCompactTexts() = delete;

    /// Hours without ":00" minutes and without a leading zero; a finish below the start ends next day.
    static QString interval(int start, int finish);
    /// Hours of seconds with at most two decimals and no trailing zeros: "8", "7.5", "7.25".
    static QString hours(qint64 seconds);
    /// "176.00 / 184.00" as "176/184": the hours and balance columns' pairs of figures.
    static QString figures(const QString& text);
    /// The surname and the initials of the other names; initials and numbers stay as they are.
    static QString name(const QString& fullName);
    /// A sales plan in at most maxDigits digits: whole thousands with "т" beyond them.
    static QString amount(qint64 value, int maxDigits);
};
