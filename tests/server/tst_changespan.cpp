#include "changespan.h"
#include "fatalwarnings.h"

#include <QTest>

using namespace orvanta;

using HistoryRecords = QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2>;
using AbsenceRecords = QList<_WORKER_ABSENCE_REASON_RECORD>;
Q_DECLARE_METATYPE(ChangeSpan)

namespace {

const QDate Open;

_WORKER_SCHEDULE_HISTORY_RECORD_V2 record(TYPE_ID schedule, const QDate& from, const QDate& to, int state = 1,
                                          TYPE_ID id = 0)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 result;
    result.id = id;
    result.schedule = schedule;
    result.from = from;
    result.to = to;
    result.state = state;
    return result;
}

_WORKER_ABSENCE_REASON_RECORD absence(TYPE_ID id, const QDate& from, const QDate& to,
                                      const QString& comment = QString())
{
    _WORKER_ABSENCE_REASON_RECORD result;
    result.id = id;
    result.reason = 7;
    result.start = from.startOfDay();
    result.end = to.startOfDay();
    result.comment = comment;
    return result;
}

QDate march(int day)
{
    return QDate(2026, 3, day);
}

} // namespace

class tst_ChangeSpan : public QObject
{
    Q_OBJECT

private slots:
    void span_data();
    void span();
};

void tst_ChangeSpan::span_data()
{
    QTest::addColumn<ChangeSpan>("span");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    const auto history = [](const char* tag, const HistoryRecords& before, const HistoryRecords& after, bool changed,
                            const QDate& first, const QDate& last) {
        QTest::addRow("history: %s", tag) << ChangeSpan::ofHistories(before, after) << changed << first << last;
    };
    const auto absences = [](const char* tag, const AbsenceRecords& before, const AbsenceRecords& after, bool changed,
                             const QDate& first, const QDate& last) {
        QTest::addRow("absences: %s", tag) << ChangeSpan::ofAbsences(before, after) << changed << first << last;
    };
    const HistoryRecords always1 = {record(1, Open, Open)};
    history("same history", always1, always1, false, Open, Open);
    history("other ids, same effect", {record(1, Open, march(9), 1, 5), record(1, march(10), Open, 1, 6)}, always1,
            false, Open, Open);
    history("inserted inside an open record", always1,
            {record(1, Open, march(9)), record(2, march(10), march(20)), record(1, march(21), Open)}, true, march(10),
            march(20));
    history("changed from a date on", always1, {record(1, Open, march(9)), record(2, march(10), Open)}, true, march(10),
            Open);
    history("everything replaced", always1, {record(2, Open, Open)}, true, Open, Open);
    history("state 0 record added", always1, {record(2, march(1), march(5), 0), record(1, Open, Open)}, false, Open, Open);
    history("cleared range", {record(1, march(1), march(31))},
            {record(1, march(1), march(9)), record(1, march(21), march(31))}, true, march(10), march(20));
    history("two separate changes", {record(1, march(1), march(31))},
            {record(2, march(1), march(1)), record(1, march(2), march(30)), record(2, march(31), march(31))}, true,
            march(1), march(31));
    history("empty to empty", {}, {}, false, Open, Open);

    const TYPE_ID fresh = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
    const QDate from(2026, 1, 10), to(2026, 1, 20);
    const AbsenceRecords january = {absence(3, from, to)};
    AbsenceRecords touched = january;
    touched.first().changeTime = QDateTime(march(1), QTime(12, 0));
    absences("old record sent back", january, january, false, Open, Open);
    absences("only the change time differs", january, touched, false, Open, Open);
    absences("new record next to an old one", january, january + AbsenceRecords{absence(fresh, march(2), march(4))},
             true, march(2), march(4));
    absences("removed", january, {}, true, from, to);
    absences("moved to March", january, {absence(3, march(10), march(12))}, true, from, march(12));
    absences("comment changed", january, {absence(3, from, to, "x")}, true, from, to);
    absences("unknown id counts as new", {}, {absence(9, march(5), march(5))}, true, march(5), march(5));
}

void tst_ChangeSpan::span()
{
    QFETCH(ChangeSpan, span);
    QFETCH(bool, changed);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QCOMPARE(span.changed, changed);
    if (changed) {
        QCOMPARE(span.first, first);
        QCOMPARE(span.last, last);
    }
}

OV_TEST_GUILESS_MAIN(tst_ChangeSpan)
#include "tst_changespan.moc"
