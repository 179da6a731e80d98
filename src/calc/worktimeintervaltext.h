#pragma once

#include <QString>

#include <optional>

/// Reads a day's work interval the way planners type it: "8:00-17:00", "8-17", "9.30-18", "0800-1700", "22-6".
class WorkTimeIntervalText
{
public:
    /// Seconds from midnight; a finish below the start ends after midnight.
    struct Interval
    {
        int start = 0;
        int finish = 0;
    };

    /// Typed text laid into "hh:mm-hh:mm" (digits not typed yet are '0'), and where typing goes on.
    struct Layout
    {
        QString text;
        int cursor = 0;
    };

    WorkTimeIntervalText() = delete;

    /// Both ends, hours 0-23 and minutes 0-59; one-digit minutes after a separator count as such ("8:5" is 08:05).
    static std::optional<Interval> parse(const QString& text);
    /// Nothing when no more typing can make an interval of the text (a letter, a second dash, five digits).
    static std::optional<Layout> layout(const QString& typed);
};
