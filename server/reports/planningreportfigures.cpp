#include "planningreportfigures.h"

#include "scheduleexpander.h"

#include <QStringList>

#include <algorithm>

using namespace orvanta;

namespace {

constexpr int SecondsPerDay = 86400;

int secondsOfDay(const QTime& time)
{
    return time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0;
}

QString hhmm(int seconds)
{
    const int ofDay = ((seconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
    return QStringLiteral("%1:%2").arg(ofDay / 3600, 2, 10, QLatin1Char('0')).arg(ofDay % 3600 / 60, 2, 10, QLatin1Char('0'));
}

// The first and last days of a timed record are partial; the days between and every day of an untimed one are full.
bool isFullDay(const QDate& date, const _WORKER_ABSENCE_REASON_RECORD& record)
{
    const QDate first = record.start.date();
    const QDate last = record.end.date();
    if (last < date || first > date)
        return false;
    if (!record.timed)
        return true;
    return first.daysTo(last) > 1 && date >= first.addDays(1) && date <= last.addDays(-1);
}

} // namespace

PlanningReportFigures::PlanningReportFigures(const PlanningReportData& data, const PlanningReportData::Row& row)
    : m_data(data), m_row(row), m_absences(row.absences)
{
    sortAbsences();
    compute();
}

// The higher order first, then the earlier start, then the later record.
void PlanningReportFigures::sortAbsences()
{
    std::stable_sort(m_absences.begin(), m_absences.end(),
                     [this](const _WORKER_ABSENCE_REASON_RECORD& a, const _WORKER_ABSENCE_REASON_RECORD& b) {
                         const int orderA = reason(a.reason).order;
                         const int orderB = reason(b.reason).order;
                         if (orderA != orderB)
                             return orderA > orderB;
                         return a.start != b.start ? a.start < b.start : a.id > b.id;
                     });
}

QString PlanningReportFigures::hoursText(qint64 seconds)
{
    return QString::number(double(seconds) / 3600.0, 'f', 2);
}

// One walk over the month gives every figure. The planned hours count only the days the row shows (a trip's
// days count in the department where they are worked); the balance counts the whole plan from the continuous
// start of the employment, in the grid's double arithmetic.
void PlanningReportFigures::compute()
{
    const qint64 normContinuous = totalNorm(true);
    m_norm = totalNorm(false);
    double spentContinuous = 0;
    const int count = int(m_data.start.daysTo(m_data.finish)) + 1;
    m_days.resize(count);
    for (int i = 0; i < count; ++i) {
        const QDate date = m_data.start.addDays(i);
        const bool fullDay = hasFullDayReason(date);
        const int counted = fullDay ? 0 : dayTime(date);
        const int part = partDayReasonTime(date);
        const int full = fullDay ? fullDayReasonTime(date) : 0;
        const bool shown = isValidDate(date, false) && isWorkedHere(date);
        m_days[i].seconds = shown ? counted + part + full : 0;
        m_days[i].text = dayText(date, m_days[i].seconds);
        m_planned += m_days[i].seconds;
        if (isValidDate(date, true))
            spentContinuous += double(counted) + double(part) + double(full);
    }
    const PLANNING_BALANCE brought = m_data.brought.value(m_row.uid);
    m_balance = qint64(brought.norm) - brought.time + int(double(normContinuous) - spentContinuous);
}

bool PlanningReportFigures::withinEmployment(const QDate& date, bool continuous) const
{
    const QDate& start = continuous ? m_row.emplContStart : m_row.emplStart;
    if (start.isValid() && start > date)
        return false;
    return !(m_row.emplFinish.isValid() && m_row.emplFinish < date);
}

bool PlanningReportFigures::isValidDate(const QDate& date, bool continuous) const
{
    return withinEmployment(date, continuous) && m_data.start <= date && date <= m_data.finish;
}

bool PlanningReportFigures::onTrip(const QDate& date) const
{
    for (const QPair<QDate, QDate>& trip : m_row.trips) {
        if (trip.first.isValid() && trip.second.isValid() && trip.first <= date && date <= trip.second)
            return true;
    }
    return false;
}

bool PlanningReportFigures::isWorkedHere(const QDate& date) const
{
    return (m_row.kind == PlanningReportData::Row::Trip) == onTrip(date);
}

const PlanningReportData::Reason& PlanningReportFigures::reason(TYPE_ID id) const
{
    static const PlanningReportData::Reason unknown;
    const auto found = m_data.reasons.constFind(id);
    return found == m_data.reasons.cend() ? unknown : found.value();
}

bool PlanningReportFigures::hasFullDayReason(const QDate& date) const
{
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absences) {
        if (isFullDay(date, record))
            return true;
    }
    return false;
}

int PlanningReportFigures::dayTime(const QDate& date) const
{
    const int index = int(m_data.start.daysTo(date));
    if (index < 0 || index >= m_row.days.size())
        return 0;
    return ScheduleExpander::intervalSeconds(m_row.days.at(index));
}

int PlanningReportFigures::partDayReasonTime(const QDate& date) const
{
    if (!isValidDate(date, false))
        return 0;
    int total = 0;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absences) {
        const bool startsToday = record.start.date() == date;
        const bool endsToday = record.end.date() == date;
        if (!record.timed || (!startsToday && !endsToday))
            continue;
        const int from = startsToday ? secondsOfDay(record.start.time()) : 0;
        const int to = endsToday ? secondsOfDay(record.end.time()) : SecondsPerDay;
        total += qMax(0, to - from);
    }
    return total;
}

// The first full-day record decides the day. A sick leave entered after the norm was calculated
// (calculation method 1) counts the planned time of the day, any other the norm.
int PlanningReportFigures::fullDayReasonTime(const QDate& date) const
{
    QDateTime earliestChange;
    const _WORKER_ABSENCE_REASON_RECORD* deciding = nullptr;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absences) {
        if (!isFullDay(date, record))
            continue;
        if (record.changeTime.isValid() && (!earliestChange.isValid() || record.changeTime < earliestChange))
            earliestChange = record.changeTime;
        if (!deciding)
            deciding = &record;
    }
    if (!deciding)
        return 0;
    const QDateTime& normCalcTime = m_row.sync.normCalcTime;
    if (reason(deciding->reason).calcNormMethod == 1 && normCalcTime.isValid() && earliestChange.isValid()
        && !(earliestChange < normCalcTime))
        return isValidDate(date, false) ? dayTime(date) : 0;
    return m_row.norm.value(date, 0);
}

qint64 PlanningReportFigures::totalNorm(bool continuous) const
{
    qint64 total = 0;
    for (auto it = m_row.norm.cbegin(); it != m_row.norm.cend(); ++it) {
        if (withinEmployment(it.key(), continuous))
            total += it.value();
    }
    return total;
}

QString PlanningReportFigures::dayText(const QDate& date, int seconds) const
{
    const bool trip = m_row.kind == PlanningReportData::Row::Trip;
    const bool outside = trip ? !onTrip(date) : !withinEmployment(date, false);
    if (outside)
        return QStringLiteral("-");
    if (!trip && onTrip(date))
        return QStringLiteral("К");
    const bool fullDay = hasFullDayReason(date);
    const QList<SCHEDULE_CALENDAR_INTERVAL> intervals = m_row.days.value(int(m_data.start.daysTo(date)));
    QString first = reasonMarks(date, fullDay);
    if (!fullDay && ScheduleExpander::intervalSeconds(intervals) > 0)
        first = hhmm(intervals.constFirst().start) % QLatin1Char('-') % hhmm(intervals.constLast().finish);
    if (seconds <= 0)
        return first;
    return first.isEmpty() ? hoursText(seconds) : first % QLatin1Char('\n') % hoursText(seconds);
}

// The distinct marks of the day's full-day reasons, or of its part-day ones; a reason without a mark shows none.
QString PlanningReportFigures::reasonMarks(const QDate& date, bool fullDay) const
{
    QStringList marks;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absences) {
        // A record ending at midnight leaves nothing of that day.
        const bool partOfDay = record.timed
            && (record.start.date() == date || (record.end.date() == date && record.end.time() > QTime(0, 0)));
        if (!(fullDay ? isFullDay(date, record) : partOfDay))
            continue;
        const QString& mark = reason(record.reason).mark;
        if (!mark.isEmpty() && !marks.contains(mark))
            marks.append(mark);
    }
    return marks.join(QLatin1Char('/'));
}
