#pragma once

#include "ovserver_export.h"
#include "workerabsencereason.h"
#include "workerschedulehistory.h"

#include <QDate>
#include <QList>

/// The dates a replacement of an employee's records really changes, for the date-restriction
/// check: a history or absence list sent whole may repeat old records the user may not touch.
/// An invalid first or last date is an open end.
class OVSERVER_EXPORT ChangeSpan
{
public:
    bool changed = false;
    QDate first;
    QDate last;

    /// Days on which the schedule in effect differs between the two histories (state-1 records).
    static ChangeSpan ofHistories(const QList<orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2>& before,
                                  const QList<orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2>& after);
    /// Days of the absence records added, removed or changed (matched by id).
    static ChangeSpan ofAbsences(const QList<orvanta::_WORKER_ABSENCE_REASON_RECORD>& before,
                                 const QList<orvanta::_WORKER_ABSENCE_REASON_RECORD>& after);

    /// Both spans together.
    ChangeSpan united(const ChangeSpan& other) const;

private:
    void include(const QDate& from, const QDate& to);
};
