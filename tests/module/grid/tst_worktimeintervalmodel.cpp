#include "fatalwarnings.h"
#include "organisationbuilder.h"
#include "worktimeintervalmodel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

using orvanta::SCHEDULE_CALENDAR_INTERVAL;
using ovtest::OrganisationBuilder;

namespace {

SCHEDULE_CALENDAR_INTERVAL interval(const char* start, const char* finish)
{
    return OrganisationBuilder::interval(QTime::fromString(QLatin1String(start), QStringLiteral("hh:mm")),
                                         QTime::fromString(QLatin1String(finish), QStringLiteral("hh:mm")), 7);
}

int hours(int value) { return value * 3600; }

} // namespace

class tst_WorkTimeIntervalModel : public QObject
{
    Q_OBJECT

private slots:
    void hoursColumn_data()
    {
        QTest::addColumn<SCHEDULE_CALENDAR_INTERVAL>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("day 08:00-17:00") << interval("08:00", "17:00") << hours(9);
        QTest::newRow("overnight 23:00-01:00") << interval("23:00", "01:00") << hours(2);
        QTest::newRow("ends at midnight 22:00-00:00") << interval("22:00", "00:00") << hours(2);
        QTest::newRow("empty 10:00-10:00") << interval("10:00", "10:00") << 0;
    }

    void hoursColumn()
    {
        QFETCH(SCHEDULE_CALENDAR_INTERVAL, value);
        QFETCH(int, expected);
        WorkTimeIntervalModel model;
        model.setIntervals({value});
        QCOMPARE(model.index(0, WorkTimeIntervalModel::StartColumn).data().toInt(), value.start);
        QCOMPARE(model.index(0, WorkTimeIntervalModel::FinishColumn).data().toInt(), value.finish);
        QCOMPARE(model.index(0, WorkTimeIntervalModel::HoursColumn).data().toInt(), expected);
        // Only the display role carries data.
        QVERIFY(!model.index(0, WorkTimeIntervalModel::HoursColumn).data(Qt::EditRole).isValid());
    }

    void structure()
    {
        WorkTimeIntervalModel model;
        model.setIntervals({interval("09:00", "13:00"), interval("14:00", "18:00")});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 3);
        QStringList headers;
        for (int column = 0; column < model.columnCount(); ++column)
            headers.append(model.headerData(column, Qt::Horizontal).toString());
        QCOMPARE(headers, QStringList({QStringLiteral("Начало"), QStringLiteral("Окончание"), QStringLiteral("Часы")}));
        QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
        QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
        QVERIFY(!(model.flags(model.index(0, 2)) & Qt::ItemIsEditable));
        QVERIFY(model.flags(model.index(0, 2)) & Qt::ItemIsSelectable);
    }

    void setData_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start") << 1 << 0 << int(Qt::EditRole) << QVariant(hours(15)) << true << "15:00-18:00";
        QTest::newRow("finish after midnight") << 1 << 1 << int(Qt::EditRole) << QVariant(hours(1)) << true
                                               << "14:00-01:00";
        QTest::newRow("number as text") << 1 << 1 << int(Qt::EditRole) << QVariant(QStringLiteral("61200")) << true
                                        << "14:00-17:00";
        QTest::newRow("hours column") << 1 << 2 << int(Qt::EditRole) << QVariant(hours(2)) << false << "14:00-18:00";
        QTest::newRow("display role") << 1 << 0 << int(Qt::DisplayRole) << QVariant(hours(2)) << false
                                      << "14:00-18:00";
        QTest::newRow("not a number") << 1 << 0 << int(Qt::EditRole) << QVariant(QStringLiteral("утро")) << false
                                      << "14:00-18:00";
    }

    void setData()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, role);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        QFETCH(QString, expected);
        WorkTimeIntervalModel model;
        model.setIntervals({interval("09:00", "13:00"), interval("14:00", "18:00")});
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy intervalChanged(&model, &WorkTimeIntervalModel::intervalChanged);
        if (QTest::currentDataTag() == QByteArray("not a number"))
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("wrong value")));

        QCOMPARE(model.setData(model.index(row, column), value, role), accepted);
        const SCHEDULE_CALENDAR_INTERVAL result = model.intervals().at(row);
        const QString text = QTime(0, 0).addSecs(result.start).toString(QStringLiteral("hh:mm")) + QLatin1Char('-')
                             + QTime(0, 0).addSecs(result.finish).toString(QStringLiteral("hh:mm"));
        QCOMPARE(text, expected);
        QCOMPARE(intervalChanged.count(), accepted ? 1 : 0);
        QCOMPARE(changed.count(), accepted ? 1 : 0);
        if (accepted) {
            // The hours follow every edit.
            QCOMPARE(changed.first().at(0).toModelIndex(), model.index(row, column));
            QCOMPARE(changed.first().at(1).toModelIndex(), model.index(row, WorkTimeIntervalModel::HoursColumn));
        }
    }

    void listOperations_data()
    {
        // Operation, row, result starts (hours), whether the call is accepted.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("starts");
        QTest::addColumn<int>("storedOrderRow");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("insert first") << "insert" << 0 << QList<int>{20, 9, 14} << 0 << true;
        QTest::newRow("insert in the middle") << "insert" << 1 << QList<int>{9, 20, 14} << 1 << true;
        QTest::newRow("insert past the end is appended") << "insert" << 9 << QList<int>{9, 14, 20} << 2 << true;
        QTest::newRow("insert before the start is prepended") << "insert" << -3 << QList<int>{20, 9, 14} << 0 << true;
        QTest::newRow("remove last") << "remove" << 1 << QList<int>{9} << -1 << true;
        QTest::newRow("remove past the end") << "remove" << 2 << QList<int>{9, 14} << -1 << false;
        QTest::newRow("remove negative") << "remove" << -1 << QList<int>{9, 14} << -1 << false;
        QTest::newRow("update first") << "update" << 0 << QList<int>{20, 14} << 0 << true;
        QTest::newRow("update past the end") << "update" << 2 << QList<int>{9, 14} << -1 << false;
    }

    void listOperations()
    {
        QFETCH(QString, operation);
        QFETCH(int, row);
        QFETCH(QList<int>, starts);
        QFETCH(int, storedOrderRow);
        QFETCH(bool, accepted);
        WorkTimeIntervalModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setIntervals({interval("09:00", "13:00"), interval("14:00", "18:00")});
        QSignalSpy intervalChanged(&model, &WorkTimeIntervalModel::intervalChanged);

        const SCHEDULE_CALENDAR_INTERVAL added = interval("20:00", "22:00");
        bool result = false;
        if (operation == QLatin1String("insert"))
            result = model.insertInterval(row, added);
        else if (operation == QLatin1String("remove"))
            result = model.removeInterval(row);
        else
            result = model.updateInterval(row, added);

        QCOMPARE(result, accepted);
        QCOMPARE(intervalChanged.count(), accepted ? 1 : 0);
        QList<int> actual;
        for (const SCHEDULE_CALENDAR_INTERVAL& value : model.intervals())
            actual.append(value.start / 3600);
        QCOMPARE(actual, starts);
        QCOMPARE(model.rowCount(), starts.size());
        if (storedOrderRow >= 0)
            QCOMPARE(model.intervals().at(storedOrderRow).order, storedOrderRow);
    }

    void setIntervalsIsSilent()
    {
        WorkTimeIntervalModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy intervalChanged(&model, &WorkTimeIntervalModel::intervalChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setIntervals({interval("09:00", "13:00")});
        model.setIntervals({});
        QCOMPARE(reset.count(), 2);
        QCOMPARE(intervalChanged.count(), 0);
        QCOMPARE(model.rowCount(), 0);
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeIntervalModel)

#include "tst_worktimeintervalmodel.moc"
