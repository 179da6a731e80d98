#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "ovtimeedit.h"
#include "planninggridfixture.h"
#include "workerabsencereasonwidget.h"
#include "worktimedayeditdialog.h"
#include "worktimeintervalmodel.h"
#include "worktimeutils.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace orvanta;
using Fixture = PlanningGridFixture;

namespace {

// "08:00-12:00 13:00-17:00"; an interval whose order is not its place gets "#order".
QString text(const WorkTimeIntervalModel::IntervalList& intervals)
{
    QStringList parts;
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : intervals)
        parts.append(WorkTimeUtils::secondsToTime(interval.start).toString(QStringLiteral("hh:mm-"))
                     + WorkTimeUtils::secondsToTime(interval.finish).toString(QStringLiteral("hh:mm"))
                     + (interval.order != parts.size() ? QStringLiteral("#%1").arg(interval.order) : QString()));
    return parts.join(QLatin1Char(' '));
}

} // namespace

// The July grid of the planning window, with two more break rules: none for shifts under 4 h, and the warehouse's
// half an hour from 4 h (the shop gives an hour). Gostev from the warehouse is attached to the shop on 10-20 July.
class tst_WorkTimeDayEditDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<Fixture> m_grid;
    std::unique_ptr<WorkTimeDayEditDialog> m_dialog;

    // Opens the day of a cell "who:day".
    void open(const QString& cell, bool readOnly = false)
    {
        m_dialog = std::make_unique<WorkTimeDayEditDialog>();
        m_dialog->setReadOnly(readOnly);
        m_dialog->setData(&m_grid->model, m_grid->byName(cell.section(QLatin1Char(':'), 0, 0)),
                          Fixture::july(cell.section(QLatin1Char(':'), 1).toInt()));
    }

    template<typename T>
    T* part(const char* name) const { return m_dialog->findChild<T*>(QLatin1String(name)); }

    QString field(const char* name) const { return part<OVTimeEdit>(name)->time().toString(QStringLiteral("hh:mm")); }

    // "Schedule: start-finish break/shift [intervals] shift name {changes}", then "ok" when it may be accepted,
    // "warning" when a personal schedule is to be created, "@row" for the current interval.
    QString state() const
    {
        QStringList changes;
        const QStringList bits{"reasons", "history", "create", "days", "delete"};
        for (int bit = 0; bit < bits.size(); ++bit) {
            if (m_dialog->workTimeData().changes() & (1 << bit))
                changes.append(bits.at(bit));
        }
        const QModelIndex current = part<QTableView>("intervalView")->currentIndex();
        return part<QLabel>("lbScheduleName")->text() + QStringLiteral(": ") + field("teStart") + QLatin1Char('-')
            + field("teFinish") + QLatin1Char(' ') + field("teBreakTime") + QLatin1Char('/') + field("teShiftTime")
            + QStringLiteral(" [") + text(m_dialog->day().intervals) + QStringLiteral("] ")
            + part<QLabel>("lbShiftName")->text() + QStringLiteral(" {") + changes.join(QLatin1Char(' '))
            + QLatin1Char('}') + (okButton()->isEnabled() ? " ok" : "")
            + (part<QLabel>("lbScheduleWarning")->isHidden() ? "" : " warning")
            + (current.isValid() ? QStringLiteral(" @%1").arg(current.row()) : QString());
    }

    // Types "hh:mm" into a time field from its hour on, as the user does.
    void type(const char* name, const QString& time)
    {
        part<OVTimeEdit>(name)->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClicks(part<OVTimeEdit>(name), time);
    }

    QPushButton* okButton() const { return part<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Ok); }

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void init()
    {
        m_grid = std::make_unique<Fixture>();
        m_grid->org.breakRule(QStringLiteral("Короткая смена"), 0, 4 * 3600, 0, QDate(2024, 1, 1),
                              {m_grid->shop, m_grid->warehouse});
        m_grid->org.breakRule(QStringLiteral("Склад"), 4 * 3600, 24 * 3600, 1800, QDate(2024, 1, 1),
                              {m_grid->warehouse});
    }

    void cleanup()
    {
        m_dialog.reset();
        m_grid.reset();
    }

    // Edits of a day, then state(). Edits: "start hh:mm", "finish hh:mm" typed; "shift NAME" from the menu; in the
    // list of intervals "set ROW COLUMN hh:mm", and "add", "delete ROW", "up ROW", "down ROW" on a current row.
    // Ivanov works 08:00-12:00 13:00-17:00 on 2 July, Pavlov's personal schedule has no days yet.
    void edits_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("state");
        const QStringList day{"start 09:00", "finish 18:00"};
        const QString unchanged = "Пятидневка: 08:00-17:00 01:00/08:00 [08:00-12:00 13:00-17:00] Смена графика {}";
        QTest::addRow("typed day: the shop's hour of break in the middle") << "ivanov:2" << day
            << "Пятидневка: 09:00-18:00 01:00/08:00 [09:00-13:00 14:00-18:00] Смена графика {create days} ok warning";
        QTest::addRow("typed short day: no break under 4 h") << "ivanov:2" << QStringList{"start 09:00", "finish 12:00"}
            << "Пятидневка: 09:00-12:00 00:00/03:00 [09:00-12:00] Смена графика {create days} ok warning";
        QTest::addRow("typed overnight 22:00-06:00: all night, no break")
            << "ivanov:2" << QStringList{"start 22:00", "finish 06:00"}
            << "Пятидневка: 22:00-06:00 00:00/08:00 [22:00-06:00] Смена графика {create days} ok warning";
        QTest::addRow("typed start equal to finish: a day off") << "ivanov:2" << QStringList{"start 10:00", "finish 10:00"}
            << "Пятидневка: 10:00-10:00 00:00/00:00 [] Выходной {create days} ok warning";
        QTest::addRow("typed in a personal schedule: it keeps its days") << "pavlov:2" << day
            << "Индивидуальный: 09:00-18:00 01:00/08:00 [09:00-13:00 14:00-18:00] Смена графика {days} ok";
        QTest::addRow("typed on an attached row's trip: the host's rule") << "gostev:12" << day
            << "Пятидневка: 09:00-18:00 01:00/08:00 [09:00-13:00 14:00-18:00] Смена графика {create days} ok warning";
        QTest::addRow("typed on an attached row outside its trip: the employee's rule") << "gostev:22" << day
            << "Пятидневка: 09:00-18:00 00:30/08:30 [09:00-13:15 13:45-18:00] Смена графика {create days} ok warning";
        QTest::addRow("overnight last interval") << "ivanov:2" << QStringList{"set 1 0 23:00", "set 1 1 01:00"}
            << "Пятидневка: 08:00-01:00 11:00/06:00 [08:00-12:00 23:00-01:00] Смена графика {create days} ok warning";
        QTest::addRow("every interval deleted") << "ivanov:2" << QStringList{"delete 1", "delete 0"}
            << "Пятидневка: 00:00-00:00 00:00/00:00 [] Выходной {create days} ok warning";
        QTest::addRow("interval added after the last one") << "ivanov:2" << QStringList{"add"}
            << "Пятидневка: 08:00-17:00 01:00/08:00 [08:00-12:00 13:00-17:00 17:00-17:00] Смена графика {create days} ok "
               "warning @2";
        QTest::addRow("second moved up") << "ivanov:2" << QStringList{"up 1"}
            << "Пятидневка: 13:00-12:00 15:00/08:00 [13:00-17:00 08:00-12:00] Смена графика {create days} ok warning @0";
        QTest::addRow("first moved down") << "ivanov:2" << QStringList{"down 0"}
            << "Пятидневка: 13:00-12:00 15:00/08:00 [13:00-17:00 08:00-12:00] Смена графика {create days} ok warning @1";
        QTest::addRow("the first cannot move up") << "ivanov:2" << QStringList{"up 0"} << unchanged + " @0";
        QTest::addRow("nothing to delete without a current row") << "ivanov:2" << QStringList{"delete -1"} << unchanged;
        QTest::addRow("morning shift") << "ivanov:2" << QStringList{"shift Утро (08:00-14:00)"}
            << "Пятидневка: 08:00-14:00 00:00/06:00 [08:00-14:00] Утро {create days} ok warning";
        QTest::addRow("day off") << "ivanov:2" << QStringList{"shift Выходной"}
            << "Пятидневка: 00:00-00:00 00:00/00:00 [] Выходной {create days} ok warning";
        QTest::addRow("night shift in a personal schedule") << "pavlov:2" << QStringList{"shift Ночь (22:00-06:00)"}
            << "Индивидуальный: 22:00-06:00 01:00/07:00 [22:00-02:00 03:00-06:00] Ночь {days} ok";
    }

    void edits()
    {
        QFETCH(QString, cell);
        QFETCH(QStringList, edits);
        QFETCH(QString, state);
        open(cell);
        auto* view = part<QTableView>("intervalView");
        auto* intervals = qobject_cast<WorkTimeIntervalModel*>(view->model());
        QAbstractItemModelTester tester(intervals, QAbstractItemModelTester::FailureReportingMode::QtTest);
        // The day off first, then the shifts by name, the hidden one left out.
        QMenu* shifts = part<QToolButton>("tbChangeShift")->menu();
        QStringList entries;
        for (const QAction* action : shifts->actions())
            entries.append(action->isSeparator() ? QStringLiteral("|") : action->text());
        QCOMPARE(entries, QStringList({"Выходной", "|", "Ночь (22:00-06:00)", "Утро (08:00-14:00)"}));
        const QHash<QString, const char*> buttons{{"add", "tbAddInterval"}, {"delete", "tbDelInterval"},
                                                  {"up", "tbMoveUpInterval"}, {"down", "tbMoveDownInterval"}};
        for (const QString& edit : qAsConst(edits)) {
            const QStringList words = edit.split(QLatin1Char(' '));
            if (words.first() == QLatin1String("start") || words.first() == QLatin1String("finish")) {
                type(words.first() == QLatin1String("start") ? "teStart" : "teFinish", words.at(1));
            } else if (words.first() == QLatin1String("shift")) {
                shifts->actions().at(entries.indexOf(edit.section(QLatin1Char(' '), 1)))->trigger();
            } else if (words.first() == QLatin1String("set")) {
                const QTime time = QTime::fromString(words.at(3), QStringLiteral("hh:mm"));
                QVERIFY(intervals->setData(intervals->index(words.at(1).toInt(), words.at(2).toInt()),
                                           WorkTimeUtils::timeToSeconds(time)));
            } else {
                view->setCurrentIndex(intervals->index(words.value(1).toInt(), 0));
                part<QToolButton>(buttons.value(words.first()))->click();
            }
        }
        QCOMPARE(text(intervals->intervals()), text(m_dialog->day().intervals));
        QCOMPARE(this->state(), state);
    }

    // A record that takes the whole 3 July leaves nothing to plan on it; the reason tab stays usable.
    void absenceDisablesInputs_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<bool>("timed");
        QTest::addColumn<bool>("inputsEnabled");
        const auto at = [](int day, int hour) { return QDateTime(Fixture::july(day), QTime(hour, 0)); };
        QTest::newRow("untimed record on the date") << at(3, 0) << at(3, 0) << false << false;
        QTest::newRow("timed record around the date") << at(2, 10) << at(4, 12) << true << false;
        QTest::newRow("timed record starting on the date") << at(3, 10) << at(5, 12) << true << true;
        QTest::newRow("timed record ending on the date") << at(1, 10) << at(3, 12) << true << true;
        QTest::newRow("untimed record the day before") << at(2, 0) << at(2, 0) << false << true;
    }

    void absenceDisablesInputs()
    {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(bool, timed);
        QFETCH(bool, inputsEnabled);
        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = m_grid->ivanov;
        reasons.records.append(ovtest::OrganisationBuilder::absenceRecord(m_grid->vacation, start, end, timed));
        m_grid->model.setAbsenceReasons({{m_grid->ivanov, reasons}});
        open(QStringLiteral("ivanov:3"));
        for (const char* name : {"teStart", "teFinish", "tbChangeShift"})
            QVERIFY2(part<QWidget>(name)->isEnabled() == inputsEnabled, name);
        QCOMPARE(part<QTabWidget>("tabWidget")->isTabEnabled(1), inputsEnabled);
        QCOMPARE(field("teShiftTime"), inputsEnabled ? QStringLiteral("08:00") : QStringLiteral("00:00"));
        QVERIFY(!okButton()->isEnabled());
    }

    void reasonEditEnablesOkAndInputs()
    {
        open(QStringLiteral("ivanov:2"));
        auto* reasons = part<WorkerAbsenceReasonWidget>("reasonWidget");
        QCOMPARE(reasons->offeredReasons().size(), 2);
        QVERIFY(!reasons->offeredReasons().contains(m_grid->sickLeave));
        reasons->addReason();
        QVERIFY(okButton()->isEnabled());
        // A whole-day record on the date was added: the day is absent now.
        QVERIFY(!part<OVTimeEdit>("teStart")->isEnabled());
        QCOMPARE(field("teShiftTime"), QStringLiteral("00:00"));
        reasons->removeReason();
        QVERIFY(part<OVTimeEdit>("teStart")->isEnabled());
    }

    // The edges of the list of intervals, on 09:00-13:00 14:00-18:00: "set ROW COLUMN hh:mm|text", "insert ROW",
    // "remove ROW", "update ROW" with 20:00-22:00; then the intervals and the hours of the last row.
    void intervalListEdges_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("expected");
        const QString unchanged = "09:00-13:00 14:00-18:00 =4";
        QTest::newRow("finish after midnight") << "set 1 1 01:00" << true << "09:00-13:00 14:00-01:00 =11";
        QTest::newRow("finish equal to the start") << "set 1 1 14:00" << true << "09:00-13:00 14:00-14:00 =0";
        QTest::newRow("hours column refused") << "set 1 2 02:00" << false << unchanged;
        QTest::newRow("not a number refused") << "set 1 0 утро" << false << unchanged;
        QTest::newRow("insert past the end appended") << "insert 9" << true << "09:00-13:00 14:00-18:00 20:00-22:00 =2";
        QTest::newRow("insert before the start prepended")
            << "insert -3" << true << "20:00-22:00 09:00-13:00#0 14:00-18:00#1 =4";
        QTest::newRow("remove past the end") << "remove 2" << false << unchanged;
        QTest::newRow("update the first") << "update 0" << true << "20:00-22:00 14:00-18:00 =4";
        QTest::newRow("update past the end") << "update 2" << false << unchanged;
    }

    void intervalListEdges()
    {
        QFETCH(QString, edit);
        QFETCH(bool, accepted);
        QFETCH(QString, expected);
        WorkTimeIntervalModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto interval = [](int start, int finish, int order) {
            return ovtest::OrganisationBuilder::interval(QTime(start, 0), QTime(finish, 0), order);
        };
        model.setIntervals({interval(9, 13, 0), interval(14, 18, 1)});
        QSignalSpy intervalChanged(&model, &WorkTimeIntervalModel::intervalChanged);
        const QStringList words = edit.split(QLatin1Char(' '));
        const int row = words.at(1).toInt();
        bool result = false;
        if (words.first() == QLatin1String("set")) {
            const QTime time = QTime::fromString(words.at(3), QStringLiteral("hh:mm"));
            if (!time.isValid())
                ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("wrong value")));
            const QVariant seconds = WorkTimeUtils::timeToSeconds(time);
            result = model.setData(model.index(row, words.at(2).toInt()), time.isValid() ? seconds : words.at(3));
        } else if (words.first() == QLatin1String("remove")) {
            result = model.removeInterval(row);
        } else {
            result = words.first() == QLatin1String("insert") ? model.insertInterval(row, interval(20, 22, 3))
                                                              : model.updateInterval(row, interval(20, 22, 3));
        }
        QCOMPARE(result, accepted);
        const int hours = model.index(model.rowCount() - 1, WorkTimeIntervalModel::HoursColumn).data().toInt() / 3600;
        QCOMPARE(text(model.intervals()) + QStringLiteral(" =%1").arg(hours), expected);
        QCOMPARE(intervalChanged.count(), int(accepted));
    }

    void readOnly()
    {
        open(QStringLiteral("ivanov:2"), true);
        QVERIFY(part<OVTimeEdit>("teStart")->isReadOnly() && !part<QToolButton>("tbChangeShift")->isEnabled());
        QVERIFY(!part<QTabWidget>("tabWidget")->isTabEnabled(1));
        m_dialog->shiftActionTriggered(part<QToolButton>("tbChangeShift")->menu()->actions().first());
        m_dialog->accept();
        QVERIFY(!m_grid->model.hasChanges());
    }

    // OK hands the edited day and the reasons over to the model together; an edit drops a pending deletion of the
    // personal schedule.
    void okHandsOverTheDayAndTheReasons()
    {
        WorkTimeData data = m_grid->model.workTimeData(m_grid->ivanov);
        data.setChanged(WorkTimeData::DeletePersonalSchedule);
        m_grid->model.setWorkTimeData(m_grid->ivanov, data);
        QSignalSpy edited(&m_grid->model, &WorkTimePlanningModel::workTimeEdited);
        open(QStringLiteral("ivanov:2"));
        type("teFinish", QStringLiteral("19:00"));
        part<WorkerAbsenceReasonWidget>("reasonWidget")->addReason();
        okButton()->click();
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QVERIFY(!edited.isEmpty());
        const WorkTimeData after = m_grid->model.workTimeData(m_grid->ivanov);
        QCOMPARE(after.changes(), WorkTimeData::CreatePersonalSchedule | WorkTimeData::CalendarDaysChanged
                                      | WorkTimeData::AbsenceReasonsChanged);
        QCOMPARE(text(after.day(Fixture::july(2)).intervals), QStringLiteral("08:00-13:00 14:00-19:00"));
        QCOMPARE(after.absenceReasons().records.size(), 1);
        QVERIFY(after.absenceReasons().records.first().isNew());
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeDayEditDialog)

#include "tst_worktimedayeditdialog.moc"
