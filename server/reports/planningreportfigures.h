#pragma once

#include "ovserver_export.h"
#include "planningreportdata.h"

#include <QString>
#include <QVector>

/// The hours of one report row counted by the planning grid's rules (its row record, row figures
/// and cell looks), so the report shows what the grid shows: per day what the cell adds to the
/// row's planned hours and its text, the norm, the planned hours (worked plus absences of the days
/// the row shows) and the balance carried from the start of the year.
class OVSERVER_EXPORT PlanningReportFigures
{
public:
    struct Day
    {
        /// Worked plus absence seconds the day adds to the row's planned hours.
        int seconds = 0;
        /// "09:00-18:00\n8.00", the reasons' marks and hours, "К" while away on a trip, "-" outside the
        /// employment, empty for a day off.
        QString text;
    };

    PlanningReportFigures(const PlanningReportData& data, const PlanningReportData::Row& row);

    const QVector<Day>& days() const { return m_days; }
    qint64 norm() const { return m_norm; }
    qint64 planned() const { return m_planned; }
    qint64 balance() const { return m_balance; }

    /// Seconds as hours with two decimals ("8.00"), as the grid prints them.
    static QString hoursText(qint64 seconds);

private:
    void sortAbsences();
    void compute();
    bool withinEmployment(const QDate& date, bool continuous) const;
    bool isValidDate(const QDate& date, bool continuous) const;
    bool onTrip(const QDate& date) const;
    bool isWorkedHere(const QDate& date) const;
    const PlanningReportData::Reason& reason(orvanta::TYPE_ID id) const;
    bool hasFullDayReason(const QDate& date) const;
    /// The seconds of the day's intervals, employed or not.
    int dayTime(const QDate& date) const;
    int partDayReasonTime(const QDate& date) const;
    int fullDayReasonTime(const QDate& date) const;
    qint64 totalNorm(bool continuous) const;
    QString dayText(const QDate& date, int seconds) const;
    QString reasonMarks(const QDate& date, bool fullDay) const;

    const PlanningReportData& m_data;
    const PlanningReportData::Row& m_row;
    /// The row's absences in the grid's order: the record that decides a date comes first.
    QList<orvanta::_WORKER_ABSENCE_REASON_RECORD> m_absences;
    QVector<Day> m_days;
    qint64 m_norm = 0;
    qint64 m_planned = 0;
    qint64 m_balance = 0;
};
