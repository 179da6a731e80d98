#include "worktimerowfigures.h"

#include "worktimedata.h"
#include "worktimerowstore.h"

namespace {

constexpr int anyReason = WorkTimeData::AnyReasonTime;

} // namespace

void WorkTimeRowFigures::followLayout() const
{
    if (m_layoutRevision != m_store.layoutRevision()) {
        m_rows = QVector<Row>(m_store.rowCount());
        m_layoutRevision = m_store.layoutRevision();
    }
}

const WorkTimeRowFigures::Row& WorkTimeRowFigures::row(int row) const
{
    followLayout();
    Row& f = m_rows[row];
    if (f.revision != m_store.rowRevision(row)) {
        compute(m_store.row(row), f);
        f.revision = m_store.rowRevision(row);
    }
    return f;
}

template<typename Figure>
qint64 WorkTimeRowFigures::sumShown(Figure figure) const
{
    const QVector<Row>& all = rows();
    qint64 total = 0;
    for (int row = 0; row < all.size(); ++row) {
        if (m_store.isShown(row))
            total += figure(all.at(row));
    }
    return total;
}

const QVector<WorkTimeRowFigures::Row>& WorkTimeRowFigures::rows() const
{
    // The side panel sums every row several times per date; the checks are made once per change.
    if (m_rowsRevision != m_store.revision()) {
        followLayout();
        for (int r = 0; r < m_store.rowCount(); ++r)
            row(r);
        m_rowsRevision = m_store.revision();
    }
    return m_rows;
}

qint64 WorkTimeRowFigures::dateTotal(int day) const
{
    // The header asks for every date on every paint; the sums change only with the rows.
    const int days = m_store.daysCount();
    if (m_dateTotalsRevision != m_store.revision() || m_dateTotals.size() != days) {
        m_dateTotals.fill(0, days);
        const QVector<Row>& all = rows();
        for (int row = 0; row < all.size(); ++row) {
            for (int i = 0; m_store.isShown(row) && i < days; ++i)
                m_dateTotals[i] += all.at(row).dayTime.at(i) + all.at(row).dayWorkReason.at(i);
        }
        m_dateTotalsRevision = m_store.revision();
    }
    return m_dateTotals.at(day);
}

// One walk over the days gives every sum of the row. The period's figures (hours column, header, side panel)
// count only the days the row shows: an hour of a trip is counted once, in the department where it is worked,
// though both rows keep the schedule's intervals for it. The continuous figures behind the balance count the
// employee's whole plan, wherever he works.
void WorkTimeRowFigures::compute(const WorkTimeData& r, Row& f) const
{
    const int days = m_store.daysCount();
    f = Row();
    f.dayTime.resize(days);
    f.dayWorkReason.resize(days);
    f.plan = r.totalPlan(false);
    f.planContinuous = r.totalPlan(true);
    const bool trips = !r.attached().isEmpty();
    int fullReason = 0;
    int fullReasonContinuous = 0;
    int partReason = 0;
    int partReasonContinuous = 0;
    QDate date = m_store.dateStart();
    for (int i = 0; i < days; ++i, date = date.addDays(1)) {
        const bool valid = r.isValidDate(date, false);
        const bool validContinuous = r.isValidDate(date, true);
        const bool fullDay = r.hasFullDayReason(date, anyReason);
        const int time = i < r.days().size() ? r.days().at(i).time() : 0;
        const int counted = fullDay ? 0 : time;
        const bool shown = valid && r.isWorkedHere(date);
        f.time += shown ? counted : 0;
        f.timeContinuous += validContinuous ? counted : 0;
        f.dayTime[i] = shown ? counted : 0;

        const int part = r.partDayReasonTime(date, anyReason);
        const int full = fullDay ? r.fullDayReasonTime(date, anyReason) : 0;
        partReason += shown ? part : 0;
        partReasonContinuous += validContinuous ? part : 0;
        fullReason += shown ? full : 0;
        fullReasonContinuous += validContinuous ? full : 0;
        const int workReason = shown && !fullDay ? r.partDayReasonTime(date, WorkTimeData::WorkTime) : 0;
        f.dayWorkReason[i] = workReason;
        f.workReasonTime += workReason;

        if (trips && r.inAttachedRange(date)) {
            if (r.isAttached())
                f.attachedTime += counted;
            else if (valid)
                f.detachedTime += counted;
        }
    }
    f.reasonTime = fullReason + partReason;
    f.reasonTimeContinuous = fullReasonContinuous + partReasonContinuous;
    // planningBalance over the period from the sums above, in the same double arithmetic.
    f.balance = int(double(f.planContinuous)
                    - (double(f.timeContinuous) + double(partReasonContinuous) + double(fullReasonContinuous)));
}

qint64 WorkTimeRowFigures::totalTimeForDate(const QDate& date) const
{
    const int day = m_store.dayIndexByDate(date);
    qint64 total = 0;
    if (day < 0)
        return total;
    return sumShown([day](const Row& f) { return qint64(f.dayTime.at(day)); });
}

qint64 WorkTimeRowFigures::totalReasonForDate(const QDate& date, int mask) const
{
    qint64 total = 0;
    if (mask == WorkTimeData::WorkTime) {
        const int day = m_store.dayIndexByDate(date);
        if (day < 0)
            return total;
        return sumShown([day](const Row& f) { return qint64(f.dayWorkReason.at(day)); });
    }
    for (int row = 0; row < m_store.rowCount(); ++row) {
        const WorkTimeData& r = m_store.row(row);
        if (m_store.isShown(row) && r.isWorkedHere(date))
            total += r.partDayReasonTime(date, mask);
    }
    return total;
}

qint64 WorkTimeRowFigures::totalTime() const
{
    return sumShown([](const Row& f) { return qint64(f.time); });
}

qint64 WorkTimeRowFigures::totalPlannedTime() const
{
    return sumShown([](const Row& f) { return qint64(f.time) + f.reasonTime; });
}

qint64 WorkTimeRowFigures::totalReasonWorkTime() const
{
    return sumShown([](const Row& f) { return qint64(f.workReasonTime); });
}

qint64 WorkTimeRowFigures::totalAttachedTime() const
{
    return sumShown([](const Row& f) { return qint64(f.attachedTime); });
}

qint64 WorkTimeRowFigures::totalDetachedTime() const
{
    return sumShown([](const Row& f) { return qint64(f.detachedTime); });
}
