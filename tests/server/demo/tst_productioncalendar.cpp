#include "fatalwarnings.h"
#include "productioncalendar.h"

#include <QTest>

class tst_ProductionCalendar : public QObject
{
    Q_OBJECT

private slots:
    void normSeconds_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("norm");
        QTest::addRow("2026: ordinary Tuesday") << 2026 << QDate(2026, 3, 3) << 28800;
        QTest::addRow("2026: 9 Jan, decreed day off") << 2026 << QDate(2026, 1, 9) << 0;
        QTest::addRow("2026: 8 May, before 9 May") << 2026 << QDate(2026, 5, 8) << 25200;
        QTest::addRow("2026: 31 Dec, decreed day off") << 2026 << QDate(2026, 12, 31) << 0;
        // Other years follow the rule the 2026 decree fits: the first moved January day to the first working day
        // after 8 January, the second to the last working day of December.
        QTest::addRow("2027: Monday 11 Jan, first working day after the holidays") << 2027 << QDate(2027, 1, 11) << 0;
        QTest::addRow("2027: Friday 31 Dec, moved day off") << 2027 << QDate(2027, 12, 31) << 0;
        QTest::addRow("2027: 30 Dec before a moved day off is full") << 2027 << QDate(2027, 12, 30) << 28800;
        QTest::addRow("2028: 31 Dec on Sunday moves to Friday 29 Dec") << 2028 << QDate(2028, 12, 29) << 0;
        QTest::addRow("2027: 1 May on Saturday moves to Monday") << 2027 << QDate(2027, 5, 3) << 0;
        QTest::addRow("2027: 30 Apr right before Saturday 1 May is short") << 2027 << QDate(2027, 4, 30) << 25200;
        QTest::addRow("2027: 7 May, two days before 9 May, is full") << 2027 << QDate(2027, 5, 7) << 28800;
        QTest::addRow("2026 date asked of 2027") << 2027 << QDate(2026, 3, 3) << 0;
        QTest::addRow("invalid date") << 2027 << QDate() << 0;
    }

    void normSeconds()
    {
        QFETCH(int, year);
        QFETCH(QDate, date);
        QFETCH(int, norm);
        QCOMPARE(ProductionCalendar(year).normSeconds(date), norm);
    }

    void workingDaysOfYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("workingDays");
        QTest::addColumn<int>("shortenedDays");
        QTest::addRow("2026, as decreed") << 2026 << 247 << 4;
        QTest::addRow("2027") << 2027 << 247 << 4;
        QTest::addRow("2028, three January holidays on a weekend") << 2028 << 247 << 4;
    }

    void workingDaysOfYear()
    {
        QFETCH(int, year);
        QFETCH(int, workingDays);
        QFETCH(int, shortenedDays);
        const ProductionCalendar calendar(year);
        int working = 0, shortened = 0;
        for (QDate date(year, 1, 1); date.year() == year; date = date.addDays(1)) {
            working += calendar.isWorkingDay(date) ? 1 : 0;
            shortened += calendar.isShortened(date) ? 1 : 0;
        }
        QCOMPARE(working, workingDays);
        QCOMPARE(shortened, shortenedDays);
    }
};

OV_TEST_GUILESS_MAIN(tst_ProductionCalendar)

#include "tst_productioncalendar.moc"
