#include "changespan.h"

#include <QHash>

#include <algorithm>

using namespace orvanta;

namespace {

using HistoryRecords = QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2>;

TYPE_ID scheduleOn(const HistoryRecords& records, const QDate& date)
{
    for (const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record : records) {
        if (record.state == 1 && (!record.from.isValid() || record.from <= date)
            && (!record.to.isValid() || date <= record.to))
            return record.schedule;
    }
    return 0;
}

// The dates on which the schedule in effect may start to differ.
QList<QDate> breakpoints(const HistoryRecords& before, const HistoryRecords& after)
{
    QList<QDate> dates;
    for (const HistoryRecords* records : {&before, &after}) {
        for (const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record : *records) {
            if (record.from.isValid())
                dates.append(record.from);
            if (record.to.isValid())
                dates.append(record.to.addDays(1));
        }
    }
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    return dates;
}

} // namespace

ChangeSpan ChangeSpan::ofHistories(const HistoryRecords& before, const HistoryRecords& after)
{
    ChangeSpan span;
    const QList<QDate> dates = breakpoints(before, after);
    // Segment i runs from dates[i-1] (open before the first) to dates[i] - 1 (open after the last);
    // within a segment neither history changes, so one date of it decides.
    for (int i = 0; i <= dates.size(); ++i) {
        const QDate from = i > 0 ? dates.at(i - 1) : QDate();
        const QDate to = i < dates.size() ? dates.at(i).addDays(-1) : QDate();
        const QDate probe = from.isValid() ? from : to.isValid() ? to : QDate(2000, 1, 1);
        if (scheduleOn(before, probe) != scheduleOn(after, probe))
            span.include(from, to);
    }
    return span;
}

ChangeSpan ChangeSpan::ofAbsences(const QList<_WORKER_ABSENCE_REASON_RECORD>& before,
                                  const QList<_WORKER_ABSENCE_REASON_RECORD>& after)
{
    ChangeSpan span;
    QHash<TYPE_ID, _WORKER_ABSENCE_REASON_RECORD> previous;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : before)
        previous.insert(record.id, record);
    const auto sameRecord = [](_WORKER_ABSENCE_REASON_RECORD a, _WORKER_ABSENCE_REASON_RECORD b) {
        // The change time is the server's to set, not a change of the user's.
        a.changeTime = b.changeTime = QDateTime();
        return a == b;
    };
    for (const _WORKER_ABSENCE_REASON_RECORD& record : after) {
        const auto old = previous.constFind(record.id);
        if (record.isNew() || old == previous.constEnd()) {
            span.include(record.start.date(), record.end.date());
            continue;
        }
        if (!sameRecord(old.value(), record)) {
            span.include(old->start.date(), old->end.date());
            span.include(record.start.date(), record.end.date());
        }
        previous.remove(record.id);
    }
    for (const _WORKER_ABSENCE_REASON_RECORD& removed : qAsConst(previous))
        span.include(removed.start.date(), removed.end.date());
    return span;
}

ChangeSpan ChangeSpan::united(const ChangeSpan& other) const
{
    ChangeSpan result = *this;
    if (other.changed)
        result.include(other.first, other.last);
    return result;
}

void ChangeSpan::include(const QDate& from, const QDate& to)
{
    if (!changed) {
        changed = true;
        first = from;
        last = to;
        return;
    }
    // An invalid date is an open end and stays open.
    if (first.isValid())
        first = from.isValid() ? std::min(first, from) : QDate();
    if (last.isValid())
        last = to.isValid() ? std::max(last, to) : QDate();
}
