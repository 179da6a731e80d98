#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "ovtimeedit.h"
#include "planninggridfixture.h"
#include "workerabsencereasonwidget.h"
#include "worktimedayeditdialog.h"
#include "worktimeintervalmodel.h"
#include "worktimerangedialog.h"
#include "worktimeutils.h"

#include <QDir>
#include <QImage>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace orvanta;
using ovtest::OrganisationBuilder;

namespace {

QDate march(int day) { return QDate(2024, 3, day); }
QTime hm(const char* text) { return QTime::fromString(QLatin1String(text), QStringLiteral("hh:mm")); }
const auto record = [](const auto&... args) { return OrganisationBuilder::absenceRecord(args...); };

QString text(const WorkTimeIntervalModel::IntervalList& intervals)
{
    QStringList parts;
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : intervals)
        parts.append(WorkTimeUtils::secondsToTime(interval.start).toString(QStringLiteral("hh:mm")) + QLatin1Char('-')
                     + WorkTimeUtils::secondsToTime(interval.finish).toString(QStringLiteral("hh:mm")));
    return parts.join(QLatin1Char(' '));
}

// A shop whose employees work the five-day schedule's 09:00-13:00, 14:00-18:00 every day, with
// an hour's break from 4 h of shift; a host department that gives half an hour; one employee with
// a personal schedule, one without any, and one on a business trip to the host from 10 to 15 March.
struct Organisation
{
    OrganisationBuilder org;
    TYPE_ID shop, host, regular, personal, unassigned, traveller, dayShift, vacation, sickLeave;
    int fiveDay;
    WorkTimePlanningModel model;

    Organisation()
    {
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        shop = org.department(QStringLiteral("Магазин"), firm);
        host = org.department(QStringLiteral("Склад"), firm);
        regular = org.employee(QStringLiteral("Иванов"), shop);
        personal = org.employee(QStringLiteral("Петров"), shop);
        unassigned = org.employee(QStringLiteral("Сидоров"), shop);
        traveller = org.employee(QStringLiteral("Кузнецов"), shop);
        org.attachedWorker(traveller, host, march(10), march(15));
        org.breakRule(QStringLiteral("Короткая смена"), 0, 4 * 3600, 0, march(1), {shop, host});
        org.breakRule(QStringLiteral("Магазин"), 4 * 3600, 25 * 3600, 3600, march(1), {shop});
        org.breakRule(QStringLiteral("Склад"), 4 * 3600, 25 * 3600, 1800, march(1), {host});
        dayShift = org.shift(QStringLiteral("День"), {{hm("09:00"), hm("13:00")}, {hm("14:00"), hm("18:00")}});
        org.shift(QStringLiteral("Скрытая"), {{hm("10:00"), hm("11:00")}}, true);
        org.shift(QStringLiteral("Вечер"), {{hm("16:00"), hm("23:00")}});
        vacation = org.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"));
        sickLeave = org.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 0,
                                      OrganisationBuilder::CountsAsAbsence, 0, QStringLiteral("#F38300"), false);
        fiveDay = org.cycleSchedule(QStringLiteral("Пятидневка"), march(1), {0},
                                    {{{hm("09:00"), hm("13:00")}, {hm("14:00"), hm("18:00")}}});
        org.personalSchedule(personal, march(1));

        using G = PlanningGridFixture;
        model.refreshModel(march(1), march(31),
                           {G::employee(regular, QStringLiteral("Иванов")),
                            G::employee(personal, QStringLiteral("Петров")),
                            G::employee(unassigned, QStringLiteral("Сидоров"))},
                           {traveller}, {host});
        model.setScheduleHistory({{regular, G::follows(regular, fiveDay)},
                                  {personal, G::follows(personal, fiveDay)},
                                  {traveller, G::follows(traveller, fiveDay)}});
    }
};

template<typename T>
T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Which employee a table row edits.
enum Who { Regular, Personal, Unassigned, Traveller };

struct RangeCase
{
    Who who;
    int day;
    const char* start;
    const char* finish;
    const char* intervals;
    const char* breakTime;
    const char* shiftTime;
    const char* shiftName;
    int changes;
};

struct ShiftCase
{
    Who who;
    const char* entry;
    const char* intervals;
    const char* shiftName;
    int changes;
};

struct AbsenceCase
{
    QDateTime start, end;
    bool timed;
    bool inputsEnabled;
};

// Interval edits: "set ROW COLUMN hh:mm", "add", "delete ROW", "up ROW".
struct IntervalCase
{
    QStringList edits;
    const char* intervals;
    const char* start;
    const char* finish;
    const char* breakTime;
    const char* shiftTime;
};

constexpr int created = WorkTimeData::CreatePersonalSchedule | WorkTimeData::CalendarDaysChanged;

} // namespace

Q_DECLARE_METATYPE(RangeCase)
Q_DECLARE_METATYPE(ShiftCase)
Q_DECLARE_METATYPE(AbsenceCase)
Q_DECLARE_METATYPE(IntervalCase)

class tst_WorkTimeDayEditDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<Organisation> m_org;
    std::unique_ptr<WorkTimeDayEditDialog> m_dialog;

    TYPE_ID uidOf(Who who) const
    {
        return QVector<TYPE_ID>{m_org->regular, m_org->personal, m_org->unassigned, m_org->traveller}.at(who);
    }

    void open(Who who, int day, bool readOnly = false)
    {
        m_dialog = std::make_unique<WorkTimeDayEditDialog>();
        m_dialog->setReadOnly(readOnly);
        m_dialog->setData(&m_org->model, uidOf(who), march(day));
    }

    template<typename T>
    T* part(const char* name) const
    {
        return child<T>(m_dialog.get(), name);
    }

    QString field(const char* name) const { return part<OVTimeEdit>(name)->time().toString(QStringLiteral("hh:mm")); }

    QPushButton* button(QDialogButtonBox::StandardButton which) const
    {
        return part<QDialogButtonBox>("buttonBox")->button(which);
    }

    QPushButton* okButton() const { return button(QDialogButtonBox::Ok); }

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }

    void init() { m_org = std::make_unique<Organisation>(); }
    void cleanup()
    {
        m_dialog.reset();
        m_org.reset();
    }

    void opensWithTheDayOfTheModel_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<QString>("schedule");
        QTest::addColumn<QString>("shiftName");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("shiftTime");
        QTest::newRow("five-day schedule") << int(Regular) << "Пятидневка" << "Смена графика" << "09:00" << "08:00";
        QTest::newRow("personal schedule") << int(Personal) << "Индивидуальный" << "Выходной" << "00:00" << "00:00";
        QTest::newRow("no schedule") << int(Unassigned) << "Не назначен" << "Выходной" << "00:00" << "00:00";
    }

    void opensWithTheDayOfTheModel()
    {
        QFETCH(int, who);
        QFETCH(QString, schedule);
        QFETCH(QString, shiftName);
        QFETCH(QString, start);
        QFETCH(QString, shiftTime);
        open(Who(who), 5);
        QCOMPARE(part<QLabel>("lbScheduleName")->text(), schedule);
        QCOMPARE(part<QLabel>("lbShiftName")->text(), shiftName);
        QCOMPARE(field("teStart"), start);
        QCOMPARE(field("teShiftTime"), shiftTime);
        QVERIFY(part<QLabel>("lbScheduleWarning")->isHidden());
        QVERIFY(!okButton()->isEnabled());
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Редактирование"));
    }

    void startFinishRecalculation_data()
    {
        QTest::addColumn<RangeCase>("row");
        QTest::newRow("day 08:00-17:00")
            << RangeCase{Regular, 5, "08:00", "17:00", "08:00-12:00 13:00-17:00", "01:00", "08:00", "Смена графика",
                         created};
        QTest::newRow("overnight 22:00-06:00: all night, no break")
            << RangeCase{Regular, 5, "22:00", "06:00", "22:00-06:00", "00:00", "08:00", "Смена графика", created};
        QTest::newRow("start equal to finish: a day off")
            << RangeCase{Regular, 5, "10:00", "10:00", "", "00:00", "00:00", "Выходной", created};
        QTest::newRow("personal schedule keeps its days")
            << RangeCase{Personal, 5, "08:00", "17:00", "08:00-12:00 13:00-17:00", "01:00", "08:00", "Смена графика",
                         WorkTimeData::CalendarDaysChanged};
        QTest::newRow("no schedule still recalculates")
            << RangeCase{Unassigned, 5, "08:00", "17:00", "08:00-12:00 13:00-17:00", "01:00", "08:00", "", created};
        QTest::newRow("on a trip the host's rule applies")
            << RangeCase{Traveller, 12, "08:00", "17:00", "08:00-12:15 12:45-17:00", "00:30", "08:30",
                         "Смена графика", created};
        QTest::newRow("attached row outside its trip keeps the employee's rule")
            << RangeCase{Traveller, 20, "08:00", "17:00", "08:00-12:00 13:00-17:00", "01:00", "08:00",
                         "Смена графика", created};
    }

    void startFinishRecalculation()
    {
        QFETCH(RangeCase, row);
        open(row.who, row.day);
        part<OVTimeEdit>("teStart")->setTime(hm(row.start));
        part<OVTimeEdit>("teFinish")->setTime(hm(row.finish));

        const WorkTimeData::Day day = m_dialog->day();
        QCOMPARE(text(day.intervals), QLatin1String(row.intervals));
        QCOMPARE(text(m_dialog->findChild<WorkTimeIntervalModel*>()->intervals()), QLatin1String(row.intervals));
        QCOMPARE(field("teBreakTime"), QLatin1String(row.breakTime));
        QCOMPARE(field("teShiftTime"), QLatin1String(row.shiftTime));
        QCOMPARE(part<QLabel>("lbShiftName")->text(), QString::fromUtf8(row.shiftName));
        QCOMPARE(day.shift, 0u);
        QVERIFY(day.changed);
        QCOMPARE(m_dialog->workTimeData().changes(), row.changes);
        QCOMPARE(part<QLabel>("lbScheduleWarning")->isHidden(), row.who == Personal);
        QVERIFY(okButton()->isEnabled());
    }

    void pendingDeletionIsDroppedByAnEdit()
    {
        WorkTimeData data = m_org->model.workTimeData(m_org->regular);
        data.setChanged(WorkTimeData::DeletePersonalSchedule | WorkTimeData::AbsenceReasonsChanged);
        m_org->model.setWorkTimeData(m_org->regular, data);
        open(Regular, 5);
        part<OVTimeEdit>("teFinish")->setTime(hm("19:00"));
        QCOMPARE(m_dialog->workTimeData().changes(), created | WorkTimeData::AbsenceReasonsChanged);
    }

    void intervalListRecalculation_data()
    {
        QTest::addColumn<IntervalCase>("row");
        QTest::newRow("later finish of the last interval")
            << IntervalCase{{"set 1 1 19:00"}, "09:00-13:00 14:00-19:00", "09:00", "19:00", "01:00", "09:00"};
        QTest::newRow("overnight last interval 23:00-01:00")
            << IntervalCase{{"set 1 0 23:00", "set 1 1 01:00"}, "09:00-13:00 23:00-01:00", "09:00", "01:00", "10:00",
                            "06:00"};
        QTest::newRow("second interval deleted")
            << IntervalCase{{"delete 1"}, "09:00-13:00", "09:00", "13:00", "00:00", "04:00"};
        QTest::newRow("every interval deleted") << IntervalCase{{"delete 1", "delete 0"}, "", "00:00", "00:00",
                                                                "00:00", "00:00"};
        QTest::newRow("interval added after the last one")
            << IntervalCase{{"add"}, "09:00-13:00 14:00-18:00 18:00-18:00", "09:00", "18:00", "01:00", "08:00"};
        QTest::newRow("interval added to an empty day")
            << IntervalCase{{"delete 1", "delete 0", "add"}, "00:00-00:00", "00:00", "00:00", "00:00", "00:00"};
        QTest::newRow("second moved up")
            << IntervalCase{{"up 1"}, "14:00-18:00 09:00-13:00", "14:00", "13:00", "15:00", "08:00"};
    }

    void intervalListRecalculation()
    {
        QFETCH(IntervalCase, row);
        open(Regular, 5);
        auto* view = part<QTableView>("intervalView");
        auto* model = qobject_cast<WorkTimeIntervalModel*>(view->model());
        QVERIFY(model);
        for (const QString& edit : qAsConst(row.edits)) {
            const QStringList words = edit.split(QLatin1Char(' '));
            const int first = words.value(1).toInt();
            if (words.first() == QLatin1String("set")) {
                const int seconds = WorkTimeUtils::timeToSeconds(hm(qPrintable(words.at(3))));
                QVERIFY(model->setData(model->index(first, words.at(2).toInt()), seconds));
                continue;
            }
            const QHash<QString, const char*> buttons{
                {"add", "tbAddInterval"}, {"delete", "tbDelInterval"}, {"up", "tbMoveUpInterval"}};
            view->setCurrentIndex(model->index(first, 0));
            part<QToolButton>(buttons.value(words.first()))->click();
        }
        // The list stays as edited: its change never runs the start/finish recalculation.
        QCOMPARE(text(m_dialog->day().intervals), QLatin1String(row.intervals));
        QCOMPARE(field("teStart"), QLatin1String(row.start));
        QCOMPARE(field("teFinish"), QLatin1String(row.finish));
        QCOMPARE(field("teBreakTime"), QLatin1String(row.breakTime));
        QCOMPARE(field("teShiftTime"), QLatin1String(row.shiftTime));
        QCOMPARE(m_dialog->workTimeData().changes(), created);
        QVERIFY(okButton()->isEnabled());
    }

    void movedIntervalStaysCurrent_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("finish of row 1 up") << 1 << 1;
        QTest::newRow("start of row 0 down") << 0 << 0;
    }

    void movedIntervalStaysCurrent()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        open(Regular, 5);
        auto* view = part<QTableView>("intervalView");
        view->setCurrentIndex(view->model()->index(row, column));
        row == 1 ? m_dialog->moveUpInterval() : m_dialog->moveDownInterval();
        QCOMPARE(view->currentIndex().row(), 1 - row);
        QCOMPARE(view->currentIndex().column(), column);
        QVERIFY(view->selectionModel()->isSelected(view->currentIndex()));
        const auto intervals = m_dialog->findChild<WorkTimeIntervalModel*>()->intervals();
        QCOMPARE(intervals.at(0).order, 0);
        QCOMPARE(intervals.at(1).order, 1);
    }

    void intervalButtons_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::newRow("no current row") << -1 << false << false;
        QTest::newRow("first row") << 0 << false << true;
        QTest::newRow("last row") << 1 << true << false;
    }

    void intervalButtons()
    {
        QFETCH(int, current);
        QFETCH(bool, up);
        QFETCH(bool, down);
        open(Regular, 5);
        auto* view = part<QTableView>("intervalView");
        view->setCurrentIndex(view->model()->index(current, 1));
        QVERIFY(part<QToolButton>("tbAddInterval")->isEnabled());
        QCOMPARE(part<QToolButton>("tbDelInterval")->isEnabled(), current >= 0);
        QCOMPARE(part<QToolButton>("tbMoveUpInterval")->isEnabled(), up);
        QCOMPARE(part<QToolButton>("tbMoveDownInterval")->isEnabled(), down);

        // Called anyway, an impossible move only logs.
        if (!up) {
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("wrong index")));
            m_dialog->moveUpInterval();
            QVERIFY(!okButton()->isEnabled());
        }
    }

    void shiftChoice_data()
    {
        QTest::addColumn<ShiftCase>("row");
        QTest::newRow("day shift")
            << ShiftCase{Regular, "День (09:00-18:00)", "09:00-13:00 14:00-18:00", "День", created};
        QTest::newRow("day off") << ShiftCase{Regular, "Выходной", "", "Выходной", created};
        QTest::newRow("personal schedule")
            << ShiftCase{Personal, "Вечер (16:00-23:00)", "16:00-23:00", "Вечер", WorkTimeData::CalendarDaysChanged};
    }

    void shiftChoice()
    {
        QFETCH(ShiftCase, row);
        open(row.who, 5);
        QMenu* menu = part<QToolButton>("tbChangeShift")->menu();
        QVERIFY(menu);
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == QString::fromUtf8(row.entry))
                chosen = action;
        }
        QVERIFY(chosen);
        chosen->trigger();

        const WorkTimeData::Day day = m_dialog->day();
        QCOMPARE(text(day.intervals), QLatin1String(row.intervals));
        QCOMPARE(text(m_dialog->findChild<WorkTimeIntervalModel*>()->intervals()), QLatin1String(row.intervals));
        QCOMPARE(day.shift, chosen->data().toUInt());
        QCOMPARE(part<QLabel>("lbShiftName")->text(), QString::fromUtf8(row.shiftName));
        QCOMPARE(field("teStart"), WorkTimeUtils::secondsToTime(day.start()).toString(QStringLiteral("hh:mm")));
        QCOMPARE(m_dialog->workTimeData().changes(), row.changes);
        QVERIFY(okButton()->isEnabled());
    }

    void shiftMenuEntries()
    {
        open(Regular, 5);
        QStringList entries;
        for (const QAction* action : part<QToolButton>("tbChangeShift")->menu()->actions())
            entries.append(action->isSeparator() ? QStringLiteral("|") : action->text());
        QCOMPARE(entries, QStringList({QStringLiteral("Выходной"), QStringLiteral("|"),
                                       QStringLiteral("Вечер (16:00-23:00)"), QStringLiteral("День (09:00-18:00)")}));
    }

    void absenceDisablesInputs_data()
    {
        QTest::addColumn<AbsenceCase>("row");
        const auto at = [](int day, const char* time) { return QDateTime(march(day), hm(time)); };
        QTest::newRow("untimed record on the date") << AbsenceCase{at(5, "00:00"), at(5, "23:59"), false, false};
        QTest::newRow("untimed record around the date") << AbsenceCase{at(3, "00:00"), at(8, "23:59"), false, false};
        QTest::newRow("timed record around the date") << AbsenceCase{at(4, "10:00"), at(6, "12:00"), true, false};
        QTest::newRow("timed record starting on the date") << AbsenceCase{at(5, "10:00"), at(7, "12:00"), true, true};
        QTest::newRow("timed record ending on the date") << AbsenceCase{at(3, "10:00"), at(5, "12:00"), true, true};
        QTest::newRow("untimed record the day before") << AbsenceCase{at(4, "00:00"), at(4, "23:59"), false, true};
    }

    void absenceDisablesInputs()
    {
        QFETCH(AbsenceCase, row);
        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = m_org->regular;
        reasons.records.append(record(m_org->vacation, row.start, row.end, row.timed));
        m_org->model.setAbsenceReasons({{m_org->regular, reasons}});
        open(Regular, 5);
        QCOMPARE(part<OVTimeEdit>("teStart")->isEnabled(), row.inputsEnabled);
        QCOMPARE(part<OVTimeEdit>("teFinish")->isEnabled(), row.inputsEnabled);
        QCOMPARE(part<QToolButton>("tbChangeShift")->isEnabled(), row.inputsEnabled);
        auto* tabs = part<QTabWidget>("tabWidget");
        QCOMPARE(tabs->isTabEnabled(1), row.inputsEnabled);
        QCOMPARE(field("teShiftTime"), row.inputsEnabled ? QStringLiteral("08:00") : QStringLiteral("00:00"));
        QVERIFY(!okButton()->isEnabled());
    }

    void reasonEditEnablesOkAndInputs()
    {
        open(Regular, 5);
        auto* reasons = part<WorkerAbsenceReasonWidget>("reasonWidget");
        QCOMPARE(reasons->offeredReasons(), QList<TYPE_ID>{m_org->vacation});
        reasons->addReason();
        QVERIFY(okButton()->isEnabled());
        // A whole-day record on the date was added: the day is absent now.
        QVERIFY(!part<OVTimeEdit>("teStart")->isEnabled());
        QCOMPARE(field("teShiftTime"), QStringLiteral("00:00"));
        reasons->removeReason();
        QVERIFY(part<OVTimeEdit>("teStart")->isEnabled());
    }

    void readOnly()
    {
        open(Regular, 5, true);
        QVERIFY(m_dialog->isReadOnly());
        for (const char* name : {"teStart", "teFinish", "teShiftTime", "teBreakTime"})
            QVERIFY2(part<OVTimeEdit>(name)->isReadOnly(), name);
        QVERIFY(!part<QToolButton>("tbChangeShift")->isEnabled());
        QVERIFY(!part<WorkerAbsenceReasonWidget>("reasonWidget")->isEnabled());
        QVERIFY(!part<QTabWidget>("tabWidget")->isTabEnabled(1));
        m_dialog->shiftActionTriggered(part<QToolButton>("tbChangeShift")->menu()->actions().first());
        QVERIFY(!okButton()->isEnabled());
        m_dialog->accept();
        QVERIFY(!m_org->model.hasChanges());
    }

    void closingHandsOverOnlyOnOk_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("addReason");
        QTest::newRow("cancel after a time edit") << false << false;
        QTest::newRow("cancel after a reason edit") << false << true;
        QTest::newRow("ok after a time edit") << true << false;
        QTest::newRow("ok after a reason edit") << true << true;
    }

    void closingHandsOverOnlyOnOk()
    {
        QFETCH(bool, accept);
        QFETCH(bool, addReason);
        const WorkTimeData before = m_org->model.workTimeData(m_org->regular);
        QSignalSpy edited(&m_org->model, &WorkTimePlanningModel::workTimeEdited);
        open(Regular, 5);
        if (addReason)
            part<WorkerAbsenceReasonWidget>("reasonWidget")->addReason();
        else
            part<OVTimeEdit>("teFinish")->setTime(hm("19:00"));
        QVERIFY(okButton()->isEnabled());
        button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        QCOMPARE(m_dialog->result(), accept ? int(QDialog::Accepted) : int(QDialog::Rejected));

        const WorkTimeData after = m_org->model.workTimeData(m_org->regular);
        if (!accept) {
            QCOMPARE(edited.count(), 0);
            QVERIFY(!after.hasChanges());
            QCOMPARE(text(after.day(march(5)).intervals), text(before.day(march(5)).intervals));
            QCOMPARE(after.absenceReasons(), before.absenceReasons());
            return;
        }
        QVERIFY(edited.count() > 0);
        if (addReason) {
            QVERIFY(after.changes() & WorkTimeData::AbsenceReasonsChanged);
            QCOMPARE(after.absenceReasons().records.size(), 1);
            QVERIFY(after.absenceReasons().records.first().isNew());
        } else {
            QCOMPARE(after.changes(), created);
            QCOMPARE(text(after.day(march(5)).intervals), QStringLiteral("09:00-13:30 14:30-19:00"));
            QVERIFY(after.absenceReasons().records.isEmpty());
        }
    }

    // Without a font offscreen windows render no text at all, silently; OV_SCREENSHOT_DIR keeps the pictures.
    void rendersText()
    {
        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = m_org->regular;
        reasons.records.append(
            record(m_org->vacation, QDateTime(march(5), hm("14:00")), QDateTime(march(5), hm("18:00")), true));
        m_org->model.setAbsenceReasons({{m_org->regular, reasons}});
        open(Regular, 5);
        m_dialog->setWindowTitle(QStringLiteral("05.03.2024 - Иванов"));
        part<OVTimeEdit>("teFinish")->setTime(hm("19:00"));
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        const QImage label = part<QLabel>("lbScheduleWarning")->grab().toImage();
        QVERIFY(!label.isNull());
        int dark = 0;
        for (int y = 0; y < label.height(); ++y)
            for (int x = 0; x < label.width(); ++x)
                dark += qGray(label.pixel(x, y)) < 128;
        QVERIFY2(dark > 0, "the warning label has no text pixels");
        const QString directory = qEnvironmentVariable("OV_SCREENSHOT_DIR");
        for (int tab = 0; tab < 2 && !directory.isEmpty(); ++tab) {
            part<QTabWidget>("tabWidget")->setCurrentIndex(tab);
            QVERIFY(m_dialog->grab().save(QDir(directory).filePath(QStringLiteral("dayedit-%1.png").arg(tab))));
        }
    }

    // The grid passes the earliest start and the latest finish of the selected cells, here an overnight one.
    void rangeDialog()
    {
        WorkTimeRangeDialog dialog;
        dialog.setStart(WorkTimeUtils::secondsToTime(8 * 3600));
        dialog.setFinish(WorkTimeUtils::secondsToTime(21600 + 86400));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Редактирование"));
        auto* buttons = child<QDialogButtonBox>(&dialog, "buttonBox");
        QVERIFY(buttons->button(QDialogButtonBox::Ok)->isDefault());

        QCOMPARE(child<OVTimeEdit>(&dialog, "teStart")->time(), hm("08:00"));
        QCOMPARE(child<OVTimeEdit>(&dialog, "teFinish")->time(), hm("06:00"));

        QWidget* focused = nullptr;
        QTimer::singleShot(0, &dialog, [&] {
            focused = dialog.focusWidget();
            child<OVTimeEdit>(&dialog, "teFinish")->setTime(hm("07:30"));
            buttons->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(focused, child<OVTimeEdit>(&dialog, "teStart"));
        QCOMPARE(dialog.start(), hm("08:00"));
        QCOMPARE(dialog.finish(), hm("07:30"));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeDayEditDialog)

#include "tst_worktimedayeditdialog.moc"
