#include "fatalwarnings.h"
#include "workerschedulehistory.h"
#include "workerschedulehistorybase.h"

#include <QStringList>
#include <QTest>

using Record = orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2;
using Records = QList<Record>;
Q_DECLARE_METATYPE(Record)

namespace {

constexpr int open = 0;

// Day n of March 2024, running on into April past 31; open is an invalid date.
QDate day(int n)
{
    return n == open ? QDate() : QDate(2024, 3, 1).addDays(n - 1);
}

Record record(orvanta::TYPE_ID id, orvanta::TYPE_ID schedule, int from, int to, int state = 1)
{
    Record result;
    result.id = id;
    result.schedule = schedule;
    result.from = day(from);
    result.to = day(to);
    result.state = state;
    return result;
}

QString describe(const Records& records)
{
    QStringList parts;
    for (const Record& r : records) {
        parts.append(QStringLiteral("id %1 schedule %2 [%3..%4]")
                         .arg(r.id)
                         .arg(r.schedule)
                         .arg(r.from.isValid() ? r.from.toString(Qt::ISODate) : QStringLiteral("open"),
                              r.to.isValid() ? r.to.toString(Qt::ISODate) : QStringLiteral("open")));
    }
    return parts.join(QStringLiteral("; "));
}

} // namespace

class tst_ScheduleHistory : public QObject
{
    Q_OBJECT

private slots:
    void addRecord_data();
    void addRecord();
};

void tst_ScheduleHistory::addRecord_data()
{
    QTest::addColumn<Records>("existing");
    QTest::addColumn<Record>("added");
    QTest::addColumn<Records>("expected");

    const Record inside = record(7, 6, 10, 20);

    QTest::addRow("new range inside splits the record")
        << Records{record(1, 5, 1, 31)} << inside
        << Records{record(1, 5, 1, 9), inside, record(0, 5, 21, 31)};
    QTest::addRow("no schedule only clears its range")
        << Records{record(1, 5, 1, 31)} << record(7, 0, 10, 20)
        << Records{record(1, 5, 1, 9), record(0, 5, 21, 31)};
    QTest::addRow("no schedule with open end clears the tail")
        << Records{record(1, 5, 1, 9), record(2, 5, 10, 31)} << record(0, 0, 5, open)
        << Records{record(1, 5, 1, 4)};
    QTest::addRow("state other than 1 changes nothing")
        << Records{record(1, 5, 1, 31)} << record(7, 6, 10, 20, 2) << Records{record(1, 5, 1, 31)};
    QTest::addRow("record wholly inside is removed")
        << Records{record(1, 5, 1, 9), record(2, 5, 12, 15), record(3, 5, 25, 31)} << inside
        << Records{record(1, 5, 1, 9), inside, record(3, 5, 25, 31)};
    QTest::addRow("record with the same range is replaced")
        << Records{record(1, 5, 10, 20)} << inside << Records{inside};
    QTest::addRow("only start inside moves from past the new end")
        << Records{record(1, 5, 15, 31)} << inside << Records{inside, record(1, 5, 21, 31)};
    QTest::addRow("only end inside moves to before the new start")
        << Records{record(1, 5, 1, 15)} << inside << Records{record(1, 5, 1, 9), inside};
    QTest::addRow("several records overlapped at once")
        << Records{record(1, 5, 1, 12), record(2, 5, 13, 15), record(3, 5, 16, 18), record(4, 5, 19, 31)} << inside
        << Records{record(1, 5, 1, 9), inside, record(4, 5, 21, 31)};
    QTest::addRow("adjacent ranges are untouched")
        << Records{record(1, 5, 1, 9), record(2, 5, 21, 31)} << inside
        << Records{record(1, 5, 1, 9), inside, record(2, 5, 21, 31)};
    QTest::addRow("split across a month end")
        << Records{record(1, 5, 1, 40)} << record(7, 6, 20, 31)
        << Records{record(1, 5, 1, 19), record(7, 6, 20, 31), record(0, 5, 32, 40)};

    QTest::addRow("new open start")
        << Records{record(1, 5, 1, 9), record(2, 5, 10, 31)} << record(7, 6, open, 15)
        << Records{record(7, 6, open, 15), record(2, 5, 16, 31)};
    QTest::addRow("new open end")
        << Records{record(1, 5, 1, 9), record(2, 5, 10, 31)} << record(7, 6, 5, open)
        << Records{record(1, 5, 1, 4), record(7, 6, 5, open)};
    QTest::addRow("new open on both sides replaces everything")
        << Records{record(1, 5, open, 9), record(2, 5, 10, open)} << record(7, 6, open, open)
        << Records{record(7, 6, open, open)};
    QTest::addRow("existing open on both sides is split")
        << Records{record(1, 5, open, open)} << inside
        << Records{record(1, 5, open, 9), inside, record(0, 5, 21, open)};
    QTest::addRow("existing open start keeps its start")
        << Records{record(1, 5, open, 15)} << inside << Records{record(1, 5, open, 9), inside};
    QTest::addRow("existing open end keeps its end")
        << Records{record(1, 5, 15, open)} << inside << Records{inside, record(1, 5, 21, open)};

    QTest::addRow("inserted before the first later record")
        << Records{record(1, 5, 1, 5), record(2, 5, 25, 31), record(3, 5, 35, 40)} << inside
        << Records{record(1, 5, 1, 5), inside, record(2, 5, 25, 31), record(3, 5, 35, 40)};
    QTest::addRow("open-start record goes before a later one")
        << Records{record(1, 5, 25, 31)} << record(7, 6, open, 5)
        << Records{record(7, 6, open, 5), record(1, 5, 25, 31)};
    QTest::addRow("appended after the last record")
        << Records{record(1, 5, 1, 5)} << inside << Records{record(1, 5, 1, 5), inside};
    QTest::addRow("into an empty history") << Records{} << inside << Records{inside};
}

void tst_ScheduleHistory::addRecord()
{
    QFETCH(Records, existing);
    QFETCH(Record, added);
    QFETCH(Records, expected);

    _WORKER_SCHEDULE_HISTORY_BASE::addRecord(existing, added);
    QCOMPARE(describe(existing), describe(expected));
}

OV_TEST_GUILESS_MAIN(tst_ScheduleHistory)
#include "tst_schedulehistory.moc"
