#include "productioncalendar.h"

#include <QList>

#include <algorithm>

namespace {

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
    addJanuaryTransfers();
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

// Two of the January holidays always fall on a weekend, and the yearly decree moves two days off for them;
// its choice differs from year to year, so one rule stands for it, the one that gives the 2026 decree: the
// first to the first working day after the holidays, the second to 31 December (the working day before it
// when that is a weekend).
void ProductionCalendar::addJanuaryTransfers()
{
    QDate first(m_year, 1, 9);
    while (isFreeDay(first))
        first = first.addDays(1);
    m_movedDaysOff.insert(first);
    QDate second(m_year, 12, 31);
    while (isFreeDay(second))
        second = second.addDays(-1);
    m_movedDaysOff.insert(second);
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
