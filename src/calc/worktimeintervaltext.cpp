#include "worktimeintervaltext.h"

#include <QStringList>

namespace {

constexpr int lastHour = 23;
constexpr int lastMinute = 59;
const QLatin1Char colon(':');
const QLatin1Char dash('-');
const QLatin1Char zero('0');

// One end's digits as typed, before their ranges are checked.
struct End
{
    QString hours;
    QString minutes;
};

// Spaces dropped, a dot read as the colon, the dashes a text editor makes read as the minus.
QString normalised(QString text)
{
    text.remove(QLatin1Char(' '));
    text.replace(QLatin1Char('.'), colon);
    text.replace(QChar(0x2013), dash);
    text.replace(QChar(0x2014), dash);
    return text;
}

std::optional<End> split(const QString& text)
{
    End end;
    const int separator = text.indexOf(colon);
    if (separator >= 0) {
        end.hours = text.left(separator);
        end.minutes = text.mid(separator + 1);
        if (end.hours.isEmpty() || end.hours.size() > 2)
            return std::nullopt;
    } else {
        if (text.size() > 4)
            return std::nullopt;
        // Without a separator the last two of three or four digits are the minutes: "800", "0800".
        const int hourDigits = text.size() > 2 ? text.size() - 2 : text.size();
        end.hours = text.left(hourDigits);
        end.minutes = text.mid(hourDigits);
    }
    if (end.minutes.size() > 2)
        return std::nullopt;
    const QString digits = end.hours + end.minutes;
    for (const QChar digit : digits) {
        if (digit < zero || digit > QLatin1Char('9'))
            return std::nullopt;
    }
    return end;
}

std::optional<int> seconds(const std::optional<End>& end)
{
    if (!end || end->hours.isEmpty())
        return std::nullopt;
    const int hours = end->hours.toInt();
    const int minutes = end->minutes.toInt();
    if (hours > lastHour || minutes > lastMinute)
        return std::nullopt;
    return hours * 3600 + minutes * 60;
}

QString laidOut(const QString& text, const End& end)
{
    // Digits that are no time yet are on their way to a longer one: "83" to "830", "080" to "0800".
    if (!text.isEmpty() && text.size() <= 3 && !text.contains(colon) && !seconds(end)) {
        const int hourDigits = text.at(0) > QLatin1Char('2') ? 1 : 2;
        return text.left(hourDigits).rightJustified(2, zero) + colon + text.mid(hourDigits).leftJustified(2, zero);
    }
    return end.hours.rightJustified(2, zero) + colon + end.minutes.rightJustified(2, zero);
}

} // namespace

std::optional<WorkTimeIntervalText::Interval> WorkTimeIntervalText::parse(const QString& text)
{
    const QStringList ends = normalised(text).split(dash);
    if (ends.size() != 2)
        return std::nullopt;
    const std::optional<int> start = seconds(split(ends.first()));
    const std::optional<int> finish = seconds(split(ends.last()));
    if (!start || !finish)
        return std::nullopt;
    return Interval{*start, *finish};
}

std::optional<WorkTimeIntervalText::Layout> WorkTimeIntervalText::layout(const QString& typed)
{
    const QStringList ends = normalised(typed).split(dash);
    if (ends.size() > 2 || (ends.size() == 2 && ends.first().isEmpty()))
        return std::nullopt;
    Layout result;
    for (int index = 0; index < 2; ++index) {
        const QString text = ends.value(index);
        const std::optional<End> end = split(text);
        if (!end)
            return std::nullopt;
        result.text += (index ? QString(dash) : QString()) + laidOut(text, *end);
        if (index == ends.size() - 1)
            result.cursor = 6 * index + (text.isEmpty() ? 0 : text.contains(colon) || text.size() > 2 ? 5 : 3);
    }
    return result;
}
