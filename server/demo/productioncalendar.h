#pragma once

#include "ovserver_export.h"

#include <QDate>
#include <QSet>

/// The Russian production calendar of one year for a five-day week: public holidays, days off
/// moved by law or decree, and shortened pre-holiday days.
class OVSERVER_EXPORT ProductionCalendar
{
public:
    static constexpr int FullDaySeconds = 8 * 3600;
    static constexpr int ShortDaySeconds = 7 * 3600;

    explicit ProductionCalendar(int year);

    int year() const { return m_year; }
    bool isHoliday(const QDate& date) const { return m_holidays.contains(date); }
    /// Dates of other years are never working days of this calendar.
    bool isWorkingDay(const QDate& date) const;
    /// A working day right before a public holiday, one hour shorter.
    bool isShortened(const QDate& date) const { return m_shortened.contains(date); }
    /// The norm of a five-day week: 8 h, 7 h on a shortened day, 0 on a day off.
    int normSeconds(const QDate& date) const;

private:
    void addHolidays();
    void addTransfers();
    void addJanuaryTransfers();
    void addShortenedDays();
    bool isFreeDay(const QDate& date) const;

    int m_year;
    QSet<QDate> m_holidays;
    /// Weekdays that are days off because a holiday or a weekend moved onto them.
    QSet<QDate> m_movedDaysOff;
    QSet<QDate> m_shortened;
};
