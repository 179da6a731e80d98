#include "fatalwarnings.h"
#include "worktimeperiodwidget.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimeEdit>

using W = WorkTimePeriodWidget;

namespace {

const QDateTime december(QDate(2026, 12, 5), QTime(14, 37, 12));
const QDateTime january(QDate(2027, 1, 1), QTime(9, 5));

// A widget whose "now" is fixed, so ready periods do not depend on the test's date.
std::unique_ptr<W> widgetAt(const QDateTime& now, W::Mode mode)
{
    auto widget = std::make_unique<W>();
    widget->setClock([now] { return now; });
    widget->setMode(mode);
    return widget;
}

QString shown(const W& widget)
{
    return widget.dateStart().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss - "))
        + widget.dateFinish().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

struct ReadyCase { QDateTime now; W::Mode mode; W::Period period; const char* range; };

} // namespace

Q_DECLARE_METATYPE(ReadyCase)

class tst_WorkTimePeriodWidget : public QObject
{
    Q_OBJECT

private slots:
    // The page shown and the items as "text=period"; a key pressed in any editor of the page makes the period a
    // custom one.
    void layouts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("items");
        QTest::addColumn<QStringList>("editors");
        QTest::addRow("period") << int(W::ModePeriod)
                                << "periodPage Текущий месяц=0 Следующий месяц=6 Предыдущий месяц=1 Сегодня=3 Вчера=4 Произвольный период=2"
                                << QStringList{"deBeg", "teBeg", "deEnd", "teEnd"};
        QTest::addRow("date-time") << int(W::ModeDateTime) << "datetimePage Сейчас=5 Произвольное время=2"
                                   << QStringList{"datePartEdit", "timePartEdit"};
        QTest::addRow("date") << int(W::ModeDate) << "datePage Сегодня=3 Вчера=4 Произвольная дата=2"
                              << QStringList{"dateEdit"};
        QTest::addRow("month") << int(W::ModeMonth)
                               << "monthPage Текущий месяц=0 Следующий месяц=6 Предыдущий месяц=1 Произвольный месяц=2"
                               << QStringList{"monthSelector", "yearEdit"};
    }

    void layouts()
    {
        QFETCH(int, mode);
        QFETCH(QString, items);
        QFETCH(QStringList, editors);
        auto widget = widgetAt(december, W::Mode(mode));
        const auto* combo = widget->findChild<QComboBox*>(QStringLiteral("cbPeriod"));
        QStringList actual{widget->findChild<QStackedWidget*>()->currentWidget()->objectName()};
        for (int i = 0; i < combo->count(); ++i)
            actual.append(combo->itemText(i) + QLatin1Char('=') + combo->itemData(i).toString());
        QCOMPARE(actual.join(QLatin1Char(' ')), items);
        for (const QString& editor : editors) {
            widget->setPeriod(W::Period(combo->itemData(0).toInt()));
            QSignalSpy reported(widget.get(), &W::reportPeriodChanged);
            // Down on the finish time, which stands at the day's last second.
            const Qt::Key key = editor == QLatin1String("teEnd") ? Qt::Key_Down : Qt::Key_Up;
            QTest::keyClick(widget->findChild<QWidget*>(editor), key);
            QVERIFY2(widget->period() == W::Custom, qPrintable(editor));
            QCOMPARE(reported.count(), 1);
        }
    }

    void readyPeriods_data()
    {
        QTest::addColumn<ReadyCase>("row");
        QTest::newRow("period: current month up to today")
            << ReadyCase{december, W::ModePeriod, W::CurrentMonth, "01.12.2026 00:00:00 - 05.12.2026 23:59:59"};
        QTest::newRow("period: previous month in January")
            << ReadyCase{january, W::ModePeriod, W::PreviousMonth, "01.12.2026 00:00:00 - 31.12.2026 23:59:59"};
        QTest::newRow("period: yesterday over a year end")
            << ReadyCase{january, W::ModePeriod, W::Yesterday, "31.12.2026 00:00:00 - 31.12.2026 23:59:59"};
        QTest::newRow("date: today") << ReadyCase{december, W::ModeDate, W::Today, "05.12.2026 00:00:00 - 05.12.2026 23:59:59"};
        QTest::newRow("date-time: now drops seconds")
            << ReadyCase{december, W::ModeDateTime, W::Now, "05.12.2026 14:37:00 - 05.12.2026 14:37:00"};
        QTest::newRow("month: previous in January, finish is the last day at 00:00")
            << ReadyCase{january, W::ModeMonth, W::PreviousMonth, "01.12.2026 00:00:00 - 31.12.2026 00:00:00"};
        QTest::newRow("month: next in December is January")
            << ReadyCase{december, W::ModeMonth, W::NextMonth, "01.01.2027 00:00:00 - 31.01.2027 00:00:00"};
        QTest::newRow("period: next month, whole")
            << ReadyCase{january, W::ModePeriod, W::NextMonth, "01.02.2027 00:00:00 - 28.02.2027 23:59:59"};
    }

    void readyPeriods()
    {
        QFETCH(ReadyCase, row);
        auto widget = widgetAt(row.now, row.mode);
        widget->setPeriod(W::Custom);
        QSignalSpy reported(widget.get(), &W::reportPeriodChanged);
        QSignalSpy settings(widget.get(), &W::settingsChanged);
        widget->setPeriod(row.period);
        QCOMPARE(widget->period(), row.period);
        QCOMPARE(shown(*widget), QLatin1String(row.range));
        QCOMPARE(reported.count(), 1);
        QCOMPARE(reported.first(), (QList<QVariant>{widget->dateStart().date(), widget->dateFinish().date()}));
        QCOMPARE(settings.count(), 1);
    }

    // What the view stores and restores: the range, also as seconds of UTC wall time.
    void storedValues()
    {
        auto widget = widgetAt(december, W::ModeMonth);
        QCOMPARE(widget->time_tStart(), Q_INT64_C(1796083200));
        QCOMPARE(widget->time_tFinish(), Q_INT64_C(1796083200) + 30 * 86400);
        widget->setPeriod(W::Custom);
        widget->setStartFinish(QDateTime(QDate(2025, 3, 1), QTime(0, 0)), QDateTime(QDate(2025, 3, 31), QTime(0, 0)));
        QCOMPARE(shown(*widget), QStringLiteral("01.03.2025 00:00:00 - 31.03.2025 00:00:00"));
        QCOMPARE(widget->period(), W::Custom);

        // Every choice of the free range resets the times to the bounds of the days; hidden times count as such.
        widget->setMode(W::ModePeriod);
        widget->setStartFinish(QDateTime(QDate(2026, 12, 2), QTime(8, 30)), QDateTime(QDate(2026, 12, 3), QTime(17, 0)));
        QCOMPARE(shown(*widget), QStringLiteral("02.12.2026 00:00:00 - 03.12.2026 23:59:59"));
        auto* startTime = widget->findChild<QTimeEdit*>(QStringLiteral("teBeg"));
        startTime->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClicks(startTime, QStringLiteral("08:30"));
        QCOMPARE(shown(*widget), QStringLiteral("02.12.2026 08:30:00 - 03.12.2026 23:59:59"));
        widget->setStartTimeVisible(false);
        widget->setFinishTimeVisible(false);
        QCOMPARE(shown(*widget), QStringLiteral("02.12.2026 00:00:00 - 03.12.2026 23:59:59"));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePeriodWidget)
#include "tst_worktimeperiodwidget.moc"
