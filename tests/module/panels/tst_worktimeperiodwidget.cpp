#include "fatalwarnings.h"
#include "worktimeperiodwidget.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>

using W = WorkTimePeriodWidget;

namespace {

// A widget whose "now" is fixed, so ready periods do not depend on the test's date.
std::unique_ptr<W> widgetAt(const QDateTime& now, W::Mode mode)
{
    auto widget = std::make_unique<W>();
    widget->setClock([now] { return now; });
    widget->setMode(mode);
    return widget;
}

QStringList itemTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

} // namespace

class tst_WorkTimePeriodWidget : public QObject
{
    Q_OBJECT

private slots:
    void itemsPerMode_data();
    void itemsPerMode();
    void readyPeriods_data();
    void readyPeriods();
    void editingSwitchesToCustom_data();
    void editingSwitchesToCustom();
    void unknownPeriodChangesNothing();
    void modeChangeKeepsPeriodWhenOffered();
    void startFinishRestoresCustomMonth();
    void hiddenTimesUseDayBounds();
    void utcWallSeconds();
};

void tst_WorkTimePeriodWidget::itemsPerMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("page");
    QTest::addRow("period") << int(W::ModePeriod)
                            << QStringList{"Текущий месяц", "Предыдущий месяц", "Сегодня", "Вчера", "Произвольный период"}
                            << QList<int>{0, 1, 3, 4, 2} << "periodPage";
    QTest::addRow("date-time") << int(W::ModeDateTime) << QStringList{"Сейчас", "Произвольное время"}
                               << QList<int>{5, 2} << "datetimePage";
    QTest::addRow("date") << int(W::ModeDate) << QStringList{"Сегодня", "Вчера", "Произвольная дата"}
                          << QList<int>{3, 4, 2} << "datePage";
    QTest::addRow("month") << int(W::ModeMonth)
                           << QStringList{"Текущий месяц", "Предыдущий месяц", "Произвольный месяц"}
                           << QList<int>{0, 1, 2} << "monthPage";
}

void tst_WorkTimePeriodWidget::itemsPerMode()
{
    QFETCH(int, mode);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, values);
    QFETCH(QString, page);
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::Mode(mode));
    const auto* combo = widget->findChild<QComboBox*>(QStringLiteral("cbPeriod"));
    QCOMPARE(itemTexts(combo), texts);
    QList<int> actual;
    for (int i = 0; i < combo->count(); ++i)
        actual.append(combo->itemData(i).toInt());
    QCOMPARE(actual, values);
    QVERIFY(widget->findChild<QWidget*>(page)->isVisibleTo(widget.get()));
}

void tst_WorkTimePeriodWidget::readyPeriods_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("period");
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QDateTime>("finish");
    const QDateTime december(QDate(2026, 12, 5), QTime(14, 37, 12));
    const QDateTime january(QDate(2027, 1, 1), QTime(9, 5));
    QTest::addRow("period: current month")
        << december << int(W::ModePeriod) << int(W::CurrentMonth) << QDateTime(QDate(2026, 12, 1), QTime(0, 0))
        << QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59));
    QTest::addRow("period: previous month in January")
        << january << int(W::ModePeriod) << int(W::PreviousMonth) << QDateTime(QDate(2026, 12, 1), QTime(0, 0))
        << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
    QTest::addRow("period: yesterday over a year end")
        << january << int(W::ModePeriod) << int(W::Yesterday) << QDateTime(QDate(2026, 12, 31), QTime(0, 0))
        << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
    QTest::addRow("date: today") << december << int(W::ModeDate) << int(W::Today)
                                 << QDateTime(QDate(2026, 12, 5), QTime(0, 0))
                                 << QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59));
    QTest::addRow("date-time: now drops seconds")
        << december << int(W::ModeDateTime) << int(W::Now) << QDateTime(QDate(2026, 12, 5), QTime(14, 37))
        << QDateTime(QDate(2026, 12, 5), QTime(14, 37));
    QTest::addRow("month: current, finish is the last day at 00:00")
        << december << int(W::ModeMonth) << int(W::CurrentMonth) << QDateTime(QDate(2026, 12, 1), QTime(0, 0))
        << QDateTime(QDate(2026, 12, 31), QTime(0, 0));
    QTest::addRow("month: previous in January")
        << january << int(W::ModeMonth) << int(W::PreviousMonth) << QDateTime(QDate(2026, 12, 1), QTime(0, 0))
        << QDateTime(QDate(2026, 12, 31), QTime(0, 0));
}

void tst_WorkTimePeriodWidget::readyPeriods()
{
    QFETCH(QDateTime, now);
    QFETCH(int, mode);
    QFETCH(int, period);
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, finish);
    auto widget = widgetAt(now, W::Mode(mode));
    widget->setPeriod(W::Custom);
    QSignalSpy reported(widget.get(), &W::reportPeriodChanged);
    QSignalSpy settings(widget.get(), &W::settingsChanged);
    widget->setPeriod(W::Period(period));
    QCOMPARE(widget->period(), W::Period(period));
    QCOMPARE(widget->dateStart(), start);
    QCOMPARE(widget->dateFinish(), finish);
    QCOMPARE(reported.count(), 1);
    QCOMPARE(reported.first().at(0).toDate(), start.date());
    QCOMPARE(reported.first().at(1).toDate(), finish.date());
    QCOMPARE(settings.count(), 1);
}

void tst_WorkTimePeriodWidget::editingSwitchesToCustom_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("editor");
    QTest::addRow("month: year") << int(W::ModeMonth) << "yearEdit";
    QTest::addRow("month: month") << int(W::ModeMonth) << "monthSelector";
    QTest::addRow("period: start date") << int(W::ModePeriod) << "deBeg";
    QTest::addRow("period: finish time") << int(W::ModePeriod) << "teEnd";
    QTest::addRow("date: date") << int(W::ModeDate) << "dateEdit";
    QTest::addRow("date-time: time") << int(W::ModeDateTime) << "timePartEdit";
}

void tst_WorkTimePeriodWidget::editingSwitchesToCustom()
{
    QFETCH(int, mode);
    QFETCH(QString, editor);
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::Mode(mode));
    QVERIFY(widget->period() != W::Custom);
    QSignalSpy reported(widget.get(), &W::reportPeriodChanged);
    QWidget* edit = widget->findChild<QWidget*>(editor);
    QVERIFY(edit);
    if (auto* spin = qobject_cast<QSpinBox*>(edit))
        spin->setValue(spin->value() - 1);
    else if (auto* combo = qobject_cast<QComboBox*>(edit))
        combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
    else if (auto* time = qobject_cast<QTimeEdit*>(edit))
        time->setTime(time->time().addSecs(-60));
    else if (auto* date = qobject_cast<QDateEdit*>(edit))
        date->setDate(date->date().addDays(-1));
    QCOMPARE(widget->period(), W::Custom);
    QCOMPARE(reported.count(), 1);
}

void tst_WorkTimePeriodWidget::unknownPeriodChangesNothing()
{
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::ModeMonth);
    widget->setPeriod(W::PreviousMonth);
    QSignalSpy reported(widget.get(), &W::reportPeriodChanged);
    widget->setPeriod(W::Now);
    QCOMPARE(widget->period(), W::PreviousMonth);
    QCOMPARE(widget->dateStart().date(), QDate(2026, 11, 1));
    QCOMPARE(reported.count(), 0);
}

void tst_WorkTimePeriodWidget::modeChangeKeepsPeriodWhenOffered()
{
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::ModeMonth);
    widget->setPeriod(W::PreviousMonth);
    widget->setMode(W::ModePeriod);
    QCOMPARE(widget->period(), W::PreviousMonth);
    QCOMPARE(widget->dateFinish().date(), QDate(2026, 11, 30));
    widget->setMode(W::ModeDateTime);
    QCOMPARE(widget->period(), W::Now);
}

void tst_WorkTimePeriodWidget::startFinishRestoresCustomMonth()
{
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::ModeMonth);
    widget->setPeriod(W::Custom);
    widget->setStartFinish(QDateTime(QDate(2025, 3, 1), QTime(0, 0)), QDateTime(QDate(2025, 3, 31), QTime(0, 0)));
    QCOMPARE(widget->findChild<QSpinBox*>(QStringLiteral("yearEdit"))->value(), 2025);
    QCOMPARE(widget->findChild<QComboBox*>(QStringLiteral("monthSelector"))->currentIndex(), 2);
    QCOMPARE(widget->dateFinish().date(), QDate(2025, 3, 31));
    QCOMPARE(widget->period(), W::Custom);
}

void tst_WorkTimePeriodWidget::hiddenTimesUseDayBounds()
{
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::ModePeriod);
    widget->setPeriod(W::Custom);
    widget->setStartFinish(QDateTime(QDate(2026, 12, 2), QTime(8, 30)), QDateTime(QDate(2026, 12, 3), QTime(17, 0)));
    // Every period choice of this layout resets the times to the bounds of the days.
    QCOMPARE(widget->dateStart(), QDateTime(QDate(2026, 12, 2), QTime(0, 0)));
    widget->findChild<QTimeEdit*>(QStringLiteral("teBeg"))->setTime(QTime(8, 30));
    QCOMPARE(widget->dateStart().time(), QTime(8, 30));
    widget->setStartTimeVisible(false);
    widget->setFinishTimeVisible(false);
    QVERIFY(!widget->isStartTimeVisible());
    QCOMPARE(widget->dateStart(), QDateTime(QDate(2026, 12, 2), QTime(0, 0)));
    QCOMPARE(widget->dateFinish(), QDateTime(QDate(2026, 12, 3), QTime(23, 59, 59)));
}

void tst_WorkTimePeriodWidget::utcWallSeconds()
{
    auto widget = widgetAt(QDateTime(QDate(2026, 12, 5), QTime(10, 0)), W::ModeMonth);
    widget->setPeriod(W::CurrentMonth);
    // 2026-12-01 00:00 and 2026-12-31 00:00 as UTC wall time.
    QCOMPARE(widget->time_tStart(), Q_INT64_C(1796083200));
    QCOMPARE(widget->time_tFinish(), Q_INT64_C(1796083200) + 30 * 86400);
}

OV_TEST_WIDGETS_MAIN(tst_WorkTimePeriodWidget)
#include "tst_worktimeperiodwidget.moc"
