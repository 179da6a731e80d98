#include "fatalwarnings.h"
#include "worktimestatisticwidget.h"
#include "worktimetotalwidget.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

// The labels of the totals, name by name: "hoursBudget=1000 fact=840 ...".
QString labels(const QWidget& widget)
{
    QStringList texts;
    for (const char* name : {"hoursBudget", "fact", "diff", "salesPlan", "perf", "attached"})
        texts.append(QLatin1String(name) + QLatin1Char('=')
                     + widget.findChild<QLabel*>(QLatin1String(name) + QLatin1String("Label"))->text());
    return texts.join(QLatin1Char(' '));
}

} // namespace

class tst_WorkTimeStatisticWidget : public QObject
{
    Q_OBJECT

private slots:
    // Budget, planned hours, absence hours and sales plan, set in the order the view uses.
    void totals_data()
    {
        QTest::addColumn<QList<qint64>>("values");
        QTest::addColumn<QString>("shown");
        QTest::addRow("ordinary month") << QList<qint64>{1000, 800, 40, 2400000}
                                        << "hoursBudget=1000 fact=840 diff=200 salesPlan=2400000 perf=3000 attached=12";
        QTest::addRow("no planned hours: productivity 0")
            << QList<qint64>{100, 0, 16, 50000} << "hoursBudget=100 fact=16 diff=100 salesPlan=50000 perf=0 attached=12";
        QTest::addRow("more planned than budgeted")
            << QList<qint64>{500, 620, 0, 1000} << "hoursBudget=500 fact=620 diff=-120 salesPlan=1000 perf=1 attached=12";
    }

    void totals()
    {
        QFETCH(QList<qint64>, values);
        QFETCH(QString, shown);
        WorkTimeStatisticWidget panel;
        // The coverage chart is not shown; its date is set quietly.
        QVERIFY(panel.findChild<QWidget*>(QStringLiteral("widget"))->isHidden());
        QSignalSpy dateChanged(&panel, &WorkTimeStatisticWidget::dateChanged);
        panel.setChartDate(QDate(2026, 12, 1));
        QCOMPARE(dateChanged.count(), 0);
        WorkTimeTotalWidget& totals = *panel.totalWidget();
        totals.setAttachedValue(12);
        totals.setHoursBudget(values.at(0));
        totals.setFactValue(values.at(1));
        totals.setReasonValue(values.at(2));
        totals.setSalesPlanValue(values.at(3));
        QCOMPARE(labels(totals), shown);
        // Clearing hides the warning of an unapproved schedule and empties the figures of the period, not the trips.
        panel.setConfirmMessageVisible(true);
        panel.clear();
        QVERIFY(!panel.isConfirmMessageVisible());
        QCOMPARE(labels(totals), QStringLiteral("hoursBudget=0 fact=0 diff=0 salesPlan=0 perf=0 attached=12"));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeStatisticWidget)
#include "tst_worktimestatisticwidget.moc"
