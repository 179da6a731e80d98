#pragma once

#include <QDate>
#include <QList>

/// Edits a schedule history so that the ranges of its records never overlap.
struct _WORKER_SCHEDULE_HISTORY_BASE
{
    /// Inserts record into records, cutting, shrinking or splitting the records it
    /// overlaps. A record with schedule 0 only clears its range; a record whose
    /// state is not 1 changes nothing.
    template<typename Record>
    static void addRecord(QList<Record>& records, const Record& record);

private:
    static QDate lowerBound(const QDate& date) { return date.isValid() ? date : QDate(-4000, 1, 1); }
    static QDate upperBound(const QDate& date) { return date.isValid() ? date : QDate(4000, 1, 1); }
};

template<typename Record>
void _WORKER_SCHEDULE_HISTORY_BASE::addRecord(QList<Record>& records, const Record& record)
{
    if (record.state != 1)
        return;
    const QDate newFrom = lowerBound(record.from);
    const QDate newTo = upperBound(record.to);

    for (int i = 0; i < records.size(); ++i) {
        Record& existing = records[i];
        if (existing.state != 1)
            continue;
        const QDate from = lowerBound(existing.from);
        const QDate to = upperBound(existing.to);
        if (to < newFrom || from > newTo)
            continue;
        const bool startInside = from >= newFrom;
        const bool endInside = to <= newTo;
        if (startInside && endInside) {
            records.removeAt(i--);
        } else if (startInside) {
            existing.from = newTo.addDays(1);
        } else if (endInside) {
            existing.to = newFrom.addDays(-1);
        } else {
            Record tail = existing;
            tail.id = 0;
            tail.from = newTo.addDays(1);
            existing.to = newFrom.addDays(-1);
            records.insert(++i, tail);
        }
    }

    if (record.schedule == 0)
        return;
    for (int i = 0; i < records.size(); ++i) {
        if (lowerBound(records.at(i).from) > newTo) {
            records.insert(i, record);
            return;
        }
    }
    records.append(record);
}
