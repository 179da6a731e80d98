#include "fatalwarnings.h"
#include "workerschedulehistory.h"
#include "workerschedulehistorybase.h"

#include <QStringList>
#include <QTest>

using Record = orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2;
using Records = QList<Record>;

namespace {

const QDate dayZero(2024, 2, 29);

// "id schedule from..to [state]" records separated by ", "; a day is its number counted from
// March 1st 2024 (32 is April 1st), an empty side is an open date.
Records parse(const QString& text)
{
    Records records;
    for (const QString& part : text.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QStringList f = part.split(QLatin1Char(' '));
        const QStringList days = f.at(2).split(QStringLiteral(".."));
        const auto day = [](const QString& n) { return n.isEmpty() ? QDate() : dayZero.addDays(n.toInt()); };
        records.append({f.at(0).toUInt(), f.at(1).toUInt(), day(days.at(0)), day(days.at(1)),
                        f.value(3, QStringLiteral("1")).toInt(), {}});
    }
    return records;
}

QString describe(const Records& records)
{
    QStringList parts;
    const auto day = [](const QDate& d) { return d.isValid() ? QString::number(dayZero.daysTo(d)) : QString(); };
    for (const Record& r : records)
        parts.append(QStringLiteral("%1 %2 %3..%4").arg(r.id).arg(r.schedule).arg(day(r.from), day(r.to))
                     + (r.state == 1 ? QString() : QStringLiteral(" %1").arg(r.state)));
    return parts.join(QStringLiteral(", "));
}

} // namespace

class tst_ScheduleHistory : public QObject
{
    Q_OBJECT

private slots:
    void addRecord_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("expected");

        QTest::addRow("new range inside splits the record")
            << "1 5 1..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 0 5 21..31";
        QTest::addRow("no schedule only clears its range") << "1 5 1..31" << "7 0 10..20" << "1 5 1..9, 0 5 21..31";
        QTest::addRow("no schedule with open end clears the tail") << "1 5 1..9, 2 5 10..31" << "0 0 5.." << "1 5 1..4";
        QTest::addRow("state other than 1 changes nothing") << "1 5 1..31" << "7 6 10..20 2" << "1 5 1..31";
        QTest::addRow("record wholly inside is removed")
            << "1 5 1..9, 2 5 12..15, 3 5 25..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 3 5 25..31";
        QTest::addRow("record with the same range is replaced") << "1 5 10..20" << "7 6 10..20" << "7 6 10..20";
        QTest::addRow("only start inside moves from past the new end")
            << "1 5 15..31" << "7 6 10..20" << "7 6 10..20, 1 5 21..31";
        QTest::addRow("only end inside moves to before the new start")
            << "1 5 1..15" << "7 6 10..20" << "1 5 1..9, 7 6 10..20";
        QTest::addRow("several records overlapped at once")
            << "1 5 1..12, 2 5 13..15, 3 5 16..18, 4 5 19..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 4 5 21..31";
        QTest::addRow("one shared day on each side is cut")
            << "1 5 1..10, 2 5 20..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 2 5 21..31";
        QTest::addRow("adjacent ranges are untouched")
            << "1 5 1..9, 2 5 21..31" << "7 6 10..20" << "1 5 1..9, 7 6 10..20, 2 5 21..31";
        QTest::addRow("split across a month end") << "1 5 1..40" << "7 6 20..31" << "1 5 1..19, 7 6 20..31, 0 5 32..40";

        QTest::addRow("new open start") << "1 5 1..9, 2 5 10..31" << "7 6 ..15" << "7 6 ..15, 2 5 16..31";
        QTest::addRow("new open end") << "1 5 1..9, 2 5 10..31" << "7 6 5.." << "1 5 1..4, 7 6 5..";
        QTest::addRow("new open on both sides replaces everything") << "1 5 ..9, 2 5 10.." << "7 6 .." << "7 6 ..";
        QTest::addRow("existing open on both sides is split")
            << "1 5 .." << "7 6 10..20" << "1 5 ..9, 7 6 10..20, 0 5 21..";
        QTest::addRow("existing open start keeps its start") << "1 5 ..15" << "7 6 10..20" << "1 5 ..9, 7 6 10..20";
        QTest::addRow("existing open end keeps its end") << "1 5 15.." << "7 6 10..20" << "7 6 10..20, 1 5 21..";

        QTest::addRow("inserted before the first later record")
            << "1 5 1..5, 2 5 25..31, 3 5 35..40" << "7 6 10..20" << "1 5 1..5, 7 6 10..20, 2 5 25..31, 3 5 35..40";
        QTest::addRow("open-start record goes before a later one")
            << "1 5 25..31" << "7 6 ..5" << "7 6 ..5, 1 5 25..31";
        QTest::addRow("appended after the last record") << "1 5 1..5" << "7 6 10..20" << "1 5 1..5, 7 6 10..20";
        QTest::addRow("into an empty history") << "" << "7 6 10..20" << "7 6 10..20";
    }

    void addRecord()
    {
        QFETCH(QString, existing);
        QFETCH(QString, added);
        QFETCH(QString, expected);
        Records records = parse(existing);
        _WORKER_SCHEDULE_HISTORY_BASE::addRecord(records, parse(added).constFirst());
        QCOMPARE(describe(records), expected);
    }
};

OV_TEST_GUILESS_MAIN(tst_ScheduleHistory)
#include "tst_schedulehistory.moc"
