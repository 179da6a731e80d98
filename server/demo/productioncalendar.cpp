#include "productioncalendar.h"

#include <QList>

#include <algorithm>

namespace {

struct MovedDayOff
{
    int year;
    int month;
    int day;
};

// Days off that government decrees move from the January holidays falling on a weekend. Only
// the years whose decree is known; other years keep the holidays where the calendar puts them.
constexpr MovedDayOff DecreedDaysOff[] = {
    {2026, 1, 9},   // from Saturday 3 January
    {2026, 12, 31}, // from Sunday 4 January
};

bool isWeekend(const QDate& date)
{
    return date.dayOfWeek() >= Qt::Saturday;
}

} // namespace

ProductionCalendar::ProductionCalendar(int year) : m_year(year)
{
    addHolidays();
    addTransfers();
    addShortenedDays();
}

void ProductionCalendar::addHolidays()
{
    for (int day = 1; day <= 8; ++day)
        m_holidays.insert(QDate(m_year, 1, day));
    static constexpr int MonthDays[][2] = {{2, 23}, {3, 8}, {5, 1}, {5, 9}, {6, 12}, {11, 4}};
    for (const auto& monthDay : MonthDays)
        m_holidays.insert(QDate(m_year, monthDay[0], monthDay[1]));
}

void ProductionCalendar::addTransfers()
{
    for (const MovedDayOff& moved : DecreedDaysOff) {
        if (moved.year == m_year)
            m_movedDaysOff.insert(QDate(moved.year, moved.month, moved.day));
    }
    // A holiday on a weekend moves to the next working day by law; the January ones are
    // moved by the yearly decree instead.
    QList<QDate> holidays = m_holidays.values();
    std::sort(holidays.begin(), holidays.end());
    for (const QDate& holiday : qAsConst(holidays)) {
        if (holiday.month() == 1 || !isWeekend(holiday))
            continue;
        QDate dayOff = holiday.addDays(1);
        while (isFreeDay(dayOff))
            dayOff = dayOff.addDays(1);
        m_movedDaysOff.insert(dayOff);
    }
}

void ProductionCalendar::addShortenedDays()
{
    QSet<QDate> holidays = m_holidays;
    holidays.insert(QDate(m_year + 1, 1, 1));
    for (const QDate& holiday : qAsConst(holidays)) {
        const QDate eve = holiday.addDays(-1);
        if (eve.year() == m_year && isWorkingDay(eve))
            m_shortened.insert(eve);
    }
}

bool ProductionCalendar::isFreeDay(const QDate& date) const
{
    return isWeekend(date) || m_holidays.contains(date) || m_movedDaysOff.contains(date);
}

bool ProductionCalendar::isWorkingDay(const QDate& date) const
{
    return date.isValid() && date.year() == m_year && !isFreeDay(date);
}

int ProductionCalendar::normSeconds(const QDate& date) const
{
    if (!isWorkingDay(date))
        return 0;
    return isShortened(date) ? ShortDaySeconds : FullDaySeconds;
}
