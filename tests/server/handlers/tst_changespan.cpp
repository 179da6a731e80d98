#include "changespan.h"
#include "fatalwarnings.h"
#include "servertestrecords.h"

#include <QTest>

using namespace orvanta;
using namespace servertest;

Q_DECLARE_METATYPE(ChangeSpan)

namespace {

const QDate Open;

_WORKER_ABSENCE_REASON_RECORD absenceOf(TYPE_ID id, const QDate& from, const QDate& to, const QString& comment = {})
{
    return absence(7, from.startOfDay(), to.startOfDay(), comment, id);
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
    void span_data()
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
        const HistoryRecords always1 = {historyRecord(1, Open, Open)};
        history("same history", always1, always1, false, Open, Open);
        history("other ids, same effect", {historyRecord(1, Open, march(9), 1, 5), historyRecord(1, march(10), Open, 1, 6)},
                always1, false, Open, Open);
        history("inserted inside an open record", always1,
                {historyRecord(1, Open, march(9)), historyRecord(2, march(10), march(20)), historyRecord(1, march(21), Open)},
                true, march(10), march(20));
        history("changed from a date on", always1, {historyRecord(1, Open, march(9)), historyRecord(2, march(10), Open)}, true,
                march(10), Open);
        history("everything replaced", always1, {historyRecord(2, Open, Open)}, true, Open, Open);
        history("state 0 record added", always1, {historyRecord(2, march(1), march(5), 0), historyRecord(1, Open, Open)},
                false, Open, Open);
        history("cleared range", {historyRecord(1, march(1), march(31))},
                {historyRecord(1, march(1), march(9)), historyRecord(1, march(21), march(31))}, true, march(10), march(20));
        history("two separate changes", {historyRecord(1, march(1), march(31))},
                {historyRecord(2, march(1), march(1)), historyRecord(1, march(2), march(30)), historyRecord(2, march(31), march(31))},
                true, march(1), march(31));

        const TYPE_ID fresh = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        const QDate from(2026, 1, 10), to(2026, 1, 20);
        const AbsenceRecords january = {absenceOf(3, from, to)};
        AbsenceRecords touched = january;
        touched.first().changeTime = QDateTime(march(1), QTime(12, 0));
        absences("old record sent back", january, january, false, Open, Open);
        absences("only the change time differs", january, touched, false, Open, Open);
        absences("new record next to an old one", january, january + AbsenceRecords{absenceOf(fresh, march(2), march(4))},
                 true, march(2), march(4));
        absences("removed", january, {}, true, from, to);
        absences("moved to March", january, {absenceOf(3, march(10), march(12))}, true, from, march(12));
        absences("comment changed", january, {absenceOf(3, from, to, "x")}, true, from, to);
        absences("unknown id counts as new", {}, {absenceOf(9, march(5), march(5))}, true, march(5), march(5));
    }

    void span()
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
};

OV_TEST_GUILESS_MAIN(tst_ChangeSpan)
#include "tst_changespan.moc"
