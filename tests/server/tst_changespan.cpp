#include "changespan.h"
#include "fatalwarnings.h"

#include <QTest>

using namespace orvanta;

using HistoryRecords = QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2>;
using AbsenceRecords = QList<_WORKER_ABSENCE_REASON_RECORD>;
Q_DECLARE_METATYPE(HistoryRecords)
Q_DECLARE_METATYPE(AbsenceRecords)

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
    void histories_data();
    void histories();
    void absences_data();
    void absences();
};

void tst_ChangeSpan::histories_data()
{
    QTest::addColumn<HistoryRecords>("before");
    QTest::addColumn<HistoryRecords>("after");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");

    const HistoryRecords always1 = {record(1, Open, Open)};
    QTest::addRow("same history") << always1 << always1 << false << Open << Open;
    QTest::addRow("other ids, same effect") << HistoryRecords{record(1, Open, march(9), 1, 5), record(1, march(10), Open, 1, 6)}
                                            << always1 << false << Open << Open;
    QTest::addRow("inserted inside an open record")
        << always1 << HistoryRecords{record(1, Open, march(9)), record(2, march(10), march(20)), record(1, march(21), Open)}
        << true << march(10) << march(20);
    QTest::addRow("changed from a date on") << always1 << HistoryRecords{record(1, Open, march(9)), record(2, march(10), Open)}
                                            << true << march(10) << Open;
    QTest::addRow("everything replaced") << always1 << HistoryRecords{record(2, Open, Open)} << true << Open << Open;
    QTest::addRow("state 0 record added") << always1 << HistoryRecords{record(2, march(1), march(5), 0), record(1, Open, Open)}
                                          << false << Open << Open;
    QTest::addRow("cleared range") << HistoryRecords{record(1, march(1), march(31))}
                                   << HistoryRecords{record(1, march(1), march(9)), record(1, march(21), march(31))}
                                   << true << march(10) << march(20);
    QTest::addRow("two separate changes") << HistoryRecords{record(1, march(1), march(31))}
                                          << HistoryRecords{record(2, march(1), march(1)), record(1, march(2), march(30)),
                                                            record(2, march(31), march(31))}
                                          << true << march(1) << march(31);
    QTest::addRow("empty to empty") << HistoryRecords() << HistoryRecords() << false << Open << Open;
}

void tst_ChangeSpan::histories()
{
    QFETCH(HistoryRecords, before);
    QFETCH(HistoryRecords, after);
    QFETCH(bool, changed);
    QFETCH(QDate, first);
    QFETCH(QDate, last);

    const ChangeSpan span = ChangeSpan::ofHistories(before, after);
    QCOMPARE(span.changed, changed);
    if (changed) {
        QCOMPARE(span.first, first);
        QCOMPARE(span.last, last);
    }
}

void tst_ChangeSpan::absences_data()
{
    QTest::addColumn<AbsenceRecords>("before");
    QTest::addColumn<AbsenceRecords>("after");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");

    const TYPE_ID fresh = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
    const AbsenceRecords january = {absence(3, QDate(2026, 1, 10), QDate(2026, 1, 20))};
    AbsenceRecords touched = january;
    touched.first().changeTime = QDateTime(march(1), QTime(12, 0));
    QTest::addRow("old record sent back") << january << january << false << QDate() << QDate();
    QTest::addRow("only the change time differs") << january << touched << false << QDate() << QDate();
    QTest::addRow("new record next to an old one") << january << (january + AbsenceRecords{absence(fresh, march(2), march(4))})
                                                   << true << march(2) << march(4);
    QTest::addRow("removed") << january << AbsenceRecords() << true << QDate(2026, 1, 10) << QDate(2026, 1, 20);
    QTest::addRow("moved to March") << january << AbsenceRecords{absence(3, march(10), march(12))} << true
                                    << QDate(2026, 1, 10) << march(12);
    QTest::addRow("comment changed") << january << AbsenceRecords{absence(3, QDate(2026, 1, 10), QDate(2026, 1, 20), "x")}
                                     << true << QDate(2026, 1, 10) << QDate(2026, 1, 20);
    QTest::addRow("unknown id counts as new") << AbsenceRecords() << AbsenceRecords{absence(9, march(5), march(5))} << true
                                              << march(5) << march(5);
}

void tst_ChangeSpan::absences()
{
    QFETCH(AbsenceRecords, before);
    QFETCH(AbsenceRecords, after);
    QFETCH(bool, changed);
    QFETCH(QDate, first);
    QFETCH(QDate, last);

    const ChangeSpan span = ChangeSpan::ofAbsences(before, after);
    QCOMPARE(span.changed, changed);
    if (changed) {
        QCOMPARE(span.first, first);
        QCOMPARE(span.last, last);
    }
}

OV_TEST_GUILESS_MAIN(tst_ChangeSpan)
#include "tst_changespan.moc"
