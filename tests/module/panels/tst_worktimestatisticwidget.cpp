#include "fatalwarnings.h"
#include "worktimestatisticwidget.h"
#include "worktimetotalwidget.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

QString labelText(const QWidget* widget, const char* name)
{
    const auto* label = widget->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

class tst_WorkTimeStatisticWidget : public QObject
{
    Q_OBJECT

private slots:
    void totals_data();
    void totals();
    void clearKeepsBusinessTrips();
    void statisticPanel();
};

void tst_WorkTimeStatisticWidget::totals_data()
{
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<qint64>("fact");
    QTest::addColumn<qint64>("reason");
    QTest::addColumn<qint64>("salesPlan");
    QTest::addColumn<QString>("planned");
    QTest::addColumn<QString>("discrepancy");
    QTest::addColumn<QString>("productivity");
    QTest::addRow("ordinary month") << qint64(1000) << qint64(800) << qint64(40) << qint64(2400000)
                                    << "840" << "200" << "3000";
    QTest::addRow("no planned hours: productivity 0") << qint64(100) << qint64(0) << qint64(16) << qint64(50000)
                                                      << "16" << "100" << "0";
    QTest::addRow("more planned than budgeted") << qint64(500) << qint64(620) << qint64(0) << qint64(1000)
                                                << "620" << "-120" << "1";
}

void tst_WorkTimeStatisticWidget::totals()
{
    QFETCH(qint64, budget);
    QFETCH(qint64, fact);
    QFETCH(qint64, reason);
    QFETCH(qint64, salesPlan);
    QFETCH(QString, planned);
    QFETCH(QString, discrepancy);
    QFETCH(QString, productivity);
    WorkTimeTotalWidget widget;
    // The order the view uses: budget first, sales plan after the hours.
    widget.setHoursBudget(budget);
    widget.setFactValue(fact);
    widget.setReasonValue(reason);
    widget.setSalesPlanValue(salesPlan);
    QCOMPARE(labelText(&widget, "hoursBudgetLabel"), QString::number(budget));
    QCOMPARE(labelText(&widget, "factLabel"), planned);
    QCOMPARE(labelText(&widget, "diffLabel"), discrepancy);
    QCOMPARE(labelText(&widget, "salesPlanLabel"), QString::number(salesPlan));
    QCOMPARE(labelText(&widget, "perfLabel"), productivity);
    QCOMPARE(widget.hoursBudget(), budget);
    QCOMPARE(widget.salesPlanValue(), salesPlan);
}

void tst_WorkTimeStatisticWidget::clearKeepsBusinessTrips()
{
    WorkTimeTotalWidget widget;
    widget.setHoursBudget(7199 / 3600);
    widget.setFactValue(10);
    widget.setSalesPlanValue(90);
    widget.setAttachedValue(12);
    QCOMPARE(labelText(&widget, "hoursBudgetLabel"), QStringLiteral("1"));
    widget.clear();
    for (const char* name : {"hoursBudgetLabel", "factLabel", "diffLabel", "salesPlanLabel", "perfLabel"})
        QCOMPARE(labelText(&widget, name), QStringLiteral("0"));
    QCOMPARE(labelText(&widget, "attachedLabel"), QStringLiteral("12"));
    QCOMPARE(widget.attachedValue(), qint64(12));
}

void tst_WorkTimeStatisticWidget::statisticPanel()
{
    WorkTimeStatisticWidget widget;
    QVERIFY(!widget.isConfirmMessageVisible());
    QVERIFY(widget.findChild<QWidget*>(QStringLiteral("widget"))->isHidden());
    widget.setConfirmMessageVisible(true);
    QVERIFY(widget.isConfirmMessageVisible());
    widget.setMonthTitle(QStringLiteral("Декабрь 2026"));
    QCOMPARE(widget.monthTitle(), QStringLiteral("Декабрь 2026"));

    QSignalSpy dateChanged(&widget, &WorkTimeStatisticWidget::dateChanged);
    widget.setChartDate(QDate(2026, 12, 1));
    QCOMPARE(widget.chartDate(), QDate(2026, 12, 1));
    QCOMPARE(dateChanged.count(), 0);

    widget.totalWidget()->setFactValue(5);
    widget.clear();
    QVERIFY(!widget.isConfirmMessageVisible());
    QCOMPARE(widget.totalWidget()->factValue(), qint64(0));
}

OV_TEST_WIDGETS_MAIN(tst_WorkTimeStatisticWidget)
#include "tst_worktimestatisticwidget.moc"
