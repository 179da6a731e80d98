#include "fatalwarnings.h"
#include "organisationbuilder.h"
#include "worktimeintervalmodel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

namespace {

QTime hm(const QString& text) { return QTime::fromString(text, QStringLiteral("hh:mm")); }

// Rows as "start-finish=hours", with "#n" when the stored order is not the row.
QString rows(const WorkTimeIntervalModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto cell = [&model, row](int column) { return model.index(row, column).data().toInt(); };
        const int order = model.intervals().at(row).order;
        result.append(QTime(0, 0).addSecs(cell(0)).toString(QStringLiteral("hh:mm-"))
                      + QTime(0, 0).addSecs(cell(1)).toString(QStringLiteral("hh:mm="))
                      + QString::number(cell(2) / 3600) + (order != row ? QStringLiteral("#%1").arg(order) : QString()));
    }
    return result.join(QLatin1Char(' '));
}

} // namespace

// The day's dialog drives the usual edits of the list; these are its edges.
class tst_WorkTimeIntervalModel : public QObject
{
    Q_OBJECT

private slots:
    // On 09:00-13:00 14:00-18:00: "set ROW COLUMN hh:mm|text", "insert ROW", "remove ROW", "update ROW" with
    // 20:00-22:00.
    void edits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("expected");
        const QString unchanged = "09:00-13:00=4 14:00-18:00=4";
        QTest::newRow("finish after midnight") << "set 1 1 01:00" << true << "09:00-13:00=4 14:00-01:00=11";
        QTest::newRow("finish equal to the start") << "set 1 1 14:00" << true << "09:00-13:00=4 14:00-14:00=0";
        QTest::newRow("hours column refused") << "set 1 2 02:00" << false << unchanged;
        QTest::newRow("not a number refused") << "set 1 0 утро" << false << unchanged;
        QTest::newRow("insert past the end appended") << "insert 9" << true << unchanged + " 20:00-22:00=2";
        QTest::newRow("insert before the start prepended")
            << "insert -3" << true << "20:00-22:00=2 09:00-13:00=4#0 14:00-18:00=4#1";
        QTest::newRow("remove past the end") << "remove 2" << false << unchanged;
        QTest::newRow("update the first") << "update 0" << true << "20:00-22:00=2 14:00-18:00=4";
        QTest::newRow("update past the end") << "update 2" << false << unchanged;
    }

    void edits()
    {
        QFETCH(QString, edit);
        QFETCH(bool, accepted);
        QFETCH(QString, expected);
        WorkTimeIntervalModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto interval = [](const char* start, const char* finish, int order) {
            return ovtest::OrganisationBuilder::interval(hm(QLatin1String(start)), hm(QLatin1String(finish)), order);
        };
        model.setIntervals({interval("09:00", "13:00", 0), interval("14:00", "18:00", 1)});
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy intervalChanged(&model, &WorkTimeIntervalModel::intervalChanged);
        const QStringList words = edit.split(QLatin1Char(' '));
        const int row = words.at(1).toInt();
        bool result = false;
        if (words.first() == QLatin1String("set")) {
            const QTime time = hm(words.at(3));
            if (!time.isValid())
                ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("wrong value")));
            const QVariant seconds = time.msecsSinceStartOfDay() / 1000;
            result = model.setData(model.index(row, words.at(2).toInt()), time.isValid() ? seconds : words.at(3));
            // The hours follow every edit.
            if (result)
                QCOMPARE(changed.first().at(1).toModelIndex(), model.index(row, WorkTimeIntervalModel::HoursColumn));
        } else if (words.first() == QLatin1String("remove")) {
            result = model.removeInterval(row);
        } else {
            const auto added = interval("20:00", "22:00", 3);
            result = words.first() == QLatin1String("insert") ? model.insertInterval(row, added)
                                                              : model.updateInterval(row, added);
        }
        QCOMPARE(result, accepted);
        QCOMPARE(rows(model), expected);
        QCOMPARE(intervalChanged.count(), int(accepted));
        // A new list is no edit.
        model.setIntervals({});
        QCOMPARE(intervalChanged.count(), int(accepted));
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeIntervalModel)

#include "tst_worktimeintervalmodel.moc"
