#include "authdata.h"
#include "fatalwarnings.h"
#include "ovguiglobals.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "vocabulary.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace orvanta;
using ovtest::OrganisationBuilder;
using Model = WorkTimePlanningModel;

namespace {

QDate july(int day) { return QDate(2024, 7, day); }
QTime hm(int hour) { return QTime(hour, 0); }
int seconds(int hour) { return hour * 3600; }
QDateTime when(int day, int hour = 0) { return QDateTime(july(day), hm(hour)); }
QString hoursText(qint64 seconds) { return QString::number(double(seconds) / 3600.0, 'f', 2); }

const auto record = [](const auto&... args) { return OrganisationBuilder::absenceRecord(args...); };
_WORKER_ABSENCE_REASON absences(const QList<_WORKER_ABSENCE_REASON_RECORD>& records) { return {0, records}; }

// The shared grid of July 2024 with Ivanov's absences.
struct Grid : PlanningGridFixture
{
    Grid() { addAbsences(); }
    /// The model's own cell of the employee on a July day; day 0 is the name.
    QModelIndex at(TYPE_ID uid, int day) const { return proxy.mapToSource(cell(uid, day)); }
    QString text(TYPE_ID uid, int day) const { return at(uid, day).data().toString(); }
    bool edit(TYPE_ID uid, int day, int start, int finish)
    {
        return model.setData(at(uid, day), interval(start, finish), Model::IntervalRole);
    }
    qint64 dateTotal(int day) const
    {
        return model.headerData(model.dateToColumn(july(day)), Qt::Horizontal, Model::DayTimeRole).toLongLong();
    }
};

using GridStep = std::function<void(Grid&)>;
using UidStep = std::function<void(Grid&, TYPE_ID)>;

struct DayCase
{
    const char* who;
    int day;
    QString display;
    QVariant marks;
    int dayTime;
    bool editableRole;
    bool editable;
    QVariant color;
    bool yellow;
    QString toolTip = {};
    /// What is done to the grid first.
    QString setup = {};
};

} // namespace

Q_DECLARE_METATYPE(DayCase)
Q_DECLARE_METATYPE(GridStep)
Q_DECLARE_METATYPE(UidStep)

class tst_WorkTimePlanningModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        qRegisterMetaType<Qt::Orientation>();
    }
    void cleanup() { AuthData::clear(); }

    // The proxy sorts rows with equal values (every state cell is empty) by their names.
    void refreshSortEditsAndClearPassTheTester()
    {
        Grid grid;
        QAbstractItemModelTester tester(&grid.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(&grid.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(grid.model.objList(),
                 (QList<unsigned int>{grid.ivanov, grid.petrov, grid.sidorov, grid.pavlov, grid.gostev}));
        grid.proxy.sort(Model::StateColumn, Qt::AscendingOrder);
        QStringList names;
        for (int row = 0; row < grid.proxy.rowCount(); ++row)
            names.append(grid.proxy.index(row, Model::NameColumn).data().toString());
        QCOMPARE(names.join(QLatin1Char(' ')), QStringLiteral("Гостев Иванов Павлов Петров Сидоров"));
        QVERIFY(grid.model.containsEmployee(grid.petrov) && !grid.model.containsEmployee(grid.gostev));
        QCOMPARE(grid.model.dateToColumn(july(31)), grid.model.columnCount() - 1);
        QVERIFY(!grid.model.columnToDate(Model::BalanceColumn).isValid()
                && !grid.model.columnToDate(grid.model.columnCount()).isValid());
        QVERIFY(grid.edit(grid.ivanov, 2, seconds(9), seconds(18)));
        // The edit is to be saved as a personal schedule.
        QVERIFY(grid.model.isPersonalSchedule(grid.ivanov));
        grid.model.setShiftForDate(grid.petrov, july(8), grid.morning);
        grid.model.resetChanges({grid.ivanov});
        grid.model.resetChanges();
        grid.model.clear();
        QVERIFY(!grid.model.hasData() && !grid.model.containsEmployee(grid.ivanov) && grid.model.objList().isEmpty());
        grid.model.refreshModel(QDate(), july(31), {}, {}, {});
        QCOMPARE(grid.model.columnCount(), int(Model::FirstDateColumn));
    }

    // The figures columns sort by number: as text "72.00" would follow "176.00" and "-8.00" follow "-160.00".
    // Planned: Pavlov 0, Gostev 64, Petrov 152, Sidorov 160, Ivanov 182 hours; no norm.
    void figuresSortAsNumbers_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("names");
        QTest::addRow("hours") << int(Model::HoursColumn) << "Павлов Гостев Петров Сидоров Иванов";
        QTest::addRow("balance, equal figures by name") << int(Model::BalanceColumn)
                                                         << "Гостев Сидоров Иванов Петров Павлов";
    }

    void figuresSortAsNumbers()
    {
        QFETCH(int, column);
        QFETCH(QString, names);
        Grid grid;
        grid.proxy.sort(column);
        QStringList sorted;
        for (int row = 0; row < grid.proxy.rowCount(); ++row)
            sorted.append(grid.proxy.index(row, Model::NameColumn).data().toString());
        QCOMPARE(sorted.join(QLatin1Char(' ')), names);
    }

    void cells_data()
    {
        QTest::addColumn<DayCase>("c");
        const QVariant none;
        const QVariant gray = QColor(QLatin1String(wt::color::LIGHTGRAY));
        const QVariant green = QColor(QStringLiteral("#00AA00"));
        const QString week = QStringLiteral("График работ: Пятидневка");
        const QString locked = week + "<br/>Изменить нельзя: ";
        const QString shift = "<br/>Время начала: 08:00<br/>Время окончания: 17:00<br/>Продолжительность смены: 8.00"
                              "<br/>Время отсутствий: 0.00<br/><b>Всего: 8.00</b>";
        QTest::addRow("work day") << DayCase{"ivanov", 1, "08:00-17:00", none, 28800, true, true, none, true};
        QTest::addRow("day off") << DayCase{"ivanov", 6, "В", "В", 0, true, true, gray, false};
        QTest::addRow("full-day absence without a norm")
            << DayCase{"ivanov", 3, "-", "ОТ", 0, true, false, QColor(QStringLiteral("#AA0000")), false,
                       week + "<br/>ОТ — Отпуск: 0.00<br/>Время отсутствий: 0.00<br/><b>Всего: 0.00</b>"};
        QTest::addRow("part-day absence on a work day")
            << DayCase{"ivanov", 4, "08:00-17:00", "Д", 28800, true, true, green, true,
                       week + "<br/>Время начала: 08:00<br/>Время окончания: 17:00<br/>Продолжительность смены: 8.00"
                              "<br/>Д — Врач: 4.00<br/>Время отсутствий: 4.00<br/><b>Всего: 12.00</b>"};
        QTest::addRow("part-day absence on a day off") << DayCase{"ivanov", 7, "Д", "Д", 0, true, true, green, false};
        // A locked day says why first.
        QTest::addRow("before employment") << DayCase{"petrov", 2, "-", "", 0, false, false, none, false,
                                                      locked + "сотрудник принят на работу 05.07.2024"};
        QTest::addRow("read-only model") << DayCase{"ivanov", 1, "08:00-17:00", none, 28800, false, false, none, true,
                                                    locked + "нет права изменять рабочее время" + shift, "read only"};
        QTest::addRow("date before the editable range")
            << DayCase{"ivanov", 1, "08:00-17:00", none, 28800, false, false, none, true,
                       locked + "роль разрешает планировать не раньше 10.07.2024" + shift, "restricted"};
        QTest::addRow("first day of employment")
            << DayCase{"petrov", 5, "08:00-17:00", none, 28800, true, true, none, true};
        QTest::addRow("on a trip elsewhere")
            << DayCase{"sidorov", 16, "К", "К", 0, false, false, QColor(QLatin1String(wt::color::BLUE)), false,
                       locked + "внутренняя командировка, день планируется в подразделении командировки" + shift};
        QTest::addRow("attached row outside its trip")
            << DayCase{"gostev", 9, "-", "", 0, false, false, none, false,
                       locked + "в этот день сотрудник не в командировке в это подразделение" + shift};
        QTest::addRow("attached row on its trip")
            << DayCase{"gostev", 10, "08:00-17:00", none, 28800, true, true, none, true};
        QTest::addRow("name") << DayCase{"ivanov", 0, "Иванов", none, 0, false, false, none, false,
                                         QStringLiteral("ФИО: Иванов\r\nДолжность: \r\nTaб.№: ")};
        // An attached row has no employee record; its person comes from the attached-worker object.
        QTest::addRow("name of an attached row") << DayCase{"gostev", 0, "Гостев", none, 0, false, false, none, false};
    }

    void cells()
    {
        QFETCH(DayCase, c);
        Grid grid;
        grid.model.setReadOnly(c.setup == QLatin1String("read only"));
        if (c.setup == QLatin1String("restricted")) {
            _ROLE_DATE_RESTRICTIONS restrictions;
            restrictions.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
            restrictions.from = july(10);
            AuthData::setWorkTimePlanningRestrictions(restrictions);
        }
        const TYPE_ID uid = grid.byName(QLatin1String(c.who));
        const QModelIndex index = grid.at(uid, c.day);
        QCOMPARE(index.data().toString(), c.display);
        QCOMPARE(index.data(Model::MarksRole), c.marks);
        QCOMPARE(index.data(Model::DayTimeRole).toInt(), c.dayTime);
        QCOMPARE(index.data(Model::DateEditableRole).toBool(), c.editableRole);
        QCOMPARE(index.data(Qt::BackgroundRole), c.yellow ? QVariant(OVGuiGlobals::lightYellow()) : QVariant());
        QCOMPARE(index.data(Model::DayColorRole).value<QColor>(), c.color.value<QColor>());
        if (!c.toolTip.isEmpty()) {
            // Day tips keep their lines unwrapped.
            const QString expected = c.day == 0 ? c.toolTip : "<p style=\"white-space:pre\">" + c.toolTip + "</p>";
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), expected);
        }
        // Typed interval and chosen shift alike go through exactly where the cell is editable.
        QCOMPARE(bool(index.flags() & Qt::ItemIsEditable), c.editable);
        QVERIFY(!grid.model.setData(index, Grid::interval(seconds(9), seconds(18)), Qt::EditRole));
        QCOMPARE(grid.model.setData(index, Grid::interval(seconds(9), seconds(18)), Model::IntervalRole), c.editable);
        grid.model.resetChanges();
        grid.model.setShiftForDate(uid, index.data(Model::DateRole).toDate(), grid.morning);
        QCOMPARE(grid.model.hasChanges(), c.editable);
    }

    void cellEditCutsAroundBreak_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("finish");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("worked");
        QTest::addRow("08:00-17:00 with the lunch hour") << seconds(8) << seconds(17) << "08:00-17:00" << seconds(8);
        QTest::addRow("short shift below the rule") << seconds(9) << seconds(12) << "09:00-12:00" << seconds(3);
        QTest::addRow("22:00-06:00 ends next day, all night")
            << seconds(22) << seconds(6) << "22:00-06:00" << seconds(8);
    }

    void cellEditCutsAroundBreak()
    {
        QFETCH(int, start);
        QFETCH(int, finish);
        QFETCH(QString, display);
        QFETCH(int, worked);
        Grid grid;
        if ((finish - start + seconds(24)) % seconds(24) < seconds(4))
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("break rule not exists")));
        QCOMPARE(grid.dateTotal(2), qint64(seconds(16)));
        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        QSignalSpy headers(&grid.model, &Model::headerDataChanged);
        QSignalSpy cells(&grid.model, &Model::dataChanged);
        QVERIFY(grid.edit(grid.ivanov, 2, start, finish));
        QCOMPARE(grid.text(grid.ivanov, 2), display);
        QCOMPARE(grid.at(grid.ivanov, 2).data(Model::DayTimeRole).toInt(), worked);
        QCOMPARE(grid.dateTotal(2), qint64(seconds(8) + worked));
        QVERIFY(grid.model.workTimeData(grid.ivanov).day(july(2)).changed);
        QCOMPARE(edited.size(), 1);
        QCOMPARE(headers.size(), 1);
        QVERIFY(std::any_of(cells.cbegin(), cells.cend(), [](const QList<QVariant>& signal) {
            return signal.at(0).toModelIndex().column() == Model::HoursColumn;
        }));
    }

    void changeBitsOfEdits_data()
    {
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("initialBits");
        QTest::addColumn<UidStep>("edit");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("bits");
        const UidStep cell = [](Grid& g, TYPE_ID uid) { QVERIFY(g.edit(uid, 2, seconds(9), seconds(18))); };
        const UidStep shift = [](Grid& g, TYPE_ID uid) { g.model.setShiftForDate(uid, july(2), g.morning); };
        const UidStep absence = [](Grid& g, TYPE_ID uid) {
            g.model.setObjectAbsenceReason(
                uid, record(g.vacation, when(2), when(2), false, _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID));
        };
        const UidStep noAbsences = [](Grid& g, TYPE_ID uid) { g.model.setObjectAbsenceReasons(uid, {}); };
        const UidStep noHistory = [](Grid& g, TYPE_ID uid) { g.model.setObjectScheduleHistory(uid, {}); };
        QTest::addRow("cell edit, no personal schedule") << "ivanov" << 0 << cell << 2 << "09:00-18:00" << 12;
        QTest::addRow("cell edit, personal schedule") << "pavlov" << 0 << cell << 2 << "09:00-18:00" << 8;
        QTest::addRow("cell edit keeps a pending deletion") << "ivanov" << 16 << cell << 2 << "09:00-18:00" << 28;
        QTest::addRow("shift choice drops a pending deletion") << "ivanov" << 16 << shift << 2 << "08:00-14:00" << 12;
        QTest::addRow("shift choice, personal schedule") << "pavlov" << 0 << shift << 2 << "08:00-14:00" << 8;
        QTest::addRow("absence record added") << "ivanov" << 0 << absence << 2 << "-" << 1;
        QTest::addRow("absence records replaced") << "ivanov" << 2 << noAbsences << 3 << "08:00-17:00" << 3;
        QTest::addRow("schedule history replaced") << "ivanov" << 0 << noHistory << 2 << "В" << 2;
    }

    void changeBitsOfEdits()
    {
        QFETCH(QString, who);
        QFETCH(int, initialBits);
        QFETCH(UidStep, edit);
        QFETCH(int, day);
        QFETCH(QString, display);
        QFETCH(int, bits);
        Grid grid;
        const TYPE_ID uid = grid.byName(who);
        WorkTimeData row = grid.model.workTimeData(uid);
        row.setChanged(initialBits);
        grid.model.setWorkTimeData(uid, row);
        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        edit(grid, uid);
        QCOMPARE(grid.text(uid, day), display);
        QCOMPARE(grid.model.workTimeData(uid).changes(), bits);
        QCOMPARE(edited.size(), 1);
        QCOMPARE(grid.model.changedUids(), QList<unsigned int>{uid});
    }

    // Ivanov's typed interval and Petrov's chosen shift stay while server data arrives for them; other rows
    // take it at once. Then the changes are dropped, for one row or all, or accepted after saving.
    void pendingEditsUntilReset_data()
    {
        QTest::addColumn<GridStep>("arrival");
        QTest::addColumn<QString>("other");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("otherText");
        QTest::addColumn<QString>("reset");
        QTest::addColumn<QString>("ivanovText");
        QTest::addColumn<QString>("petrovText");
        QTest::addRow("schedule history") << GridStep([](Grid& g) {
            const int evenings = g.org.cycleSchedule(QStringLiteral("Вечер"), july(1), {0}, {{{hm(14), hm(20)}}});
            g.model.setScheduleHistory({{g.ivanov, g.follows(g.ivanov, evenings)},
                                        {g.petrov, g.follows(g.petrov, evenings)},
                                        {g.sidorov, g.follows(g.sidorov, evenings)}});
        }) << "sidorov" << 8 << "14:00-20:00" << "ivanov" << "14:00-20:00" << "08:00-14:00";
        QTest::addRow("absence reasons") << GridStep([](Grid& g) {
            g.model.setAbsenceReasons(
                {{g.ivanov, absences({record(g.vacation, when(2), when(2), false, 7)})},
                 {g.sidorov, absences({record(g.vacation, when(8), when(8), false, 8)})}});
        }) << "sidorov" << 8 << "-" << "ivanov" << "-" << "08:00-14:00";
        const GridStep nothing = [](Grid&) {};
        QTest::addRow("all changes dropped") << nothing << "" << 0 << "" << "all" << "08:00-17:00" << "08:00-17:00";
        QTest::addRow("working copy accepted")
            << nothing << "" << 0 << "" << "accept" << "09:00-18:00" << "08:00-14:00";
    }

    void pendingEditsUntilReset()
    {
        QFETCH(GridStep, arrival);
        QFETCH(QString, other);
        QFETCH(int, day);
        QFETCH(QString, otherText);
        QFETCH(QString, reset);
        QFETCH(QString, ivanovText);
        QFETCH(QString, petrovText);
        Grid grid;
        QVERIFY(grid.edit(grid.ivanov, 2, seconds(9), seconds(18)));
        grid.model.setShiftForDate(grid.petrov, july(8), grid.morning);
        arrival(grid);
        QCOMPARE(grid.text(grid.ivanov, 2), QStringLiteral("09:00-18:00"));
        QCOMPARE(grid.text(grid.petrov, 8), QStringLiteral("08:00-14:00"));
        if (!other.isEmpty())
            QCOMPARE(grid.text(grid.byName(other), day), otherText);

        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        if (reset == QLatin1String("all"))
            grid.model.resetChanges();
        else if (reset == QLatin1String("accept"))
            grid.model.resetChangeFlag();
        else
            grid.model.resetChanges({grid.ivanov});
        QCOMPARE(grid.text(grid.ivanov, 2), ivanovText);
        QCOMPARE(grid.text(grid.petrov, 8), petrovText);
        QCOMPARE(grid.model.changedUids(), reset == QLatin1String("ivanov") ? QList<unsigned int>{grid.petrov}
                                                                            : QList<unsigned int>());
        QCOMPARE(edited.size(), int(reset == QLatin1String("ivanov")));
        if (reset == QLatin1String("accept"))
            QVERIFY(!grid.model.workTimeData(grid.ivanov).day(july(2)).changed);
    }

    void dateTotalsCountShownDaysOnly_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<bool>("reasonChange");
        QTest::addColumn<int>("hoursBefore");
        QTest::addColumn<int>("hoursAfter");
        QTest::addColumn<int>("absenceHours");
        // Gostev sees the doctor 14:00-16:00, which counts as work time where his day counts; or the doctor's
        // reason is turned into absence time in the local store.
        QTest::addRow("attached row before its trip") << 2 << false << 16 << 16 << 0;
        QTest::addRow("first day of the trip") << 10 << false << 32 << 34 << 2;
        QTest::addRow("last day of the trip, a Saturday") << 20 << false << 0 << 2 << 2;
        QTest::addRow("Sidorov's trip day, shown as К at home") << 15 << false << 24 << 26 << 2;
        QTest::addRow("doctor's visit of an employee") << 4 << false << 20 << 20 << 4;
        QTest::addRow("doctor's visits turned into absence time") << 4 << true << 20 << 16 << 4;
    }

    void dateTotalsCountShownDaysOnly()
    {
        QFETCH(int, day);
        QFETCH(bool, reasonChange);
        QFETCH(int, hoursBefore);
        QFETCH(int, hoursAfter);
        QFETCH(int, absenceHours);
        Grid grid;
        QCOMPARE(grid.dateTotal(day), qint64(seconds(hoursBefore)));
        QSignalSpy cells(&grid.model, &Model::dataChanged);
        QSignalSpy headers(&grid.model, &Model::headerDataChanged);
        if (reasonChange)
            grid.org.setProperty(grid.doctor, QLatin1String(db::reason::WORKTIME), QStringLiteral("0"));
        else
            grid.model.setAbsenceReasons(
                {{grid.gostev, absences({record(grid.doctor, when(day, 14), when(day, 16), true, 9)})}});
        QVERIFY(!cells.isEmpty() && !headers.isEmpty());
        QCOMPARE(grid.dateTotal(day), qint64(seconds(hoursAfter)));
        qint64 shown = 0;
        for (int row = 0; row < grid.model.rowCount(); ++row) {
            const QModelIndex cell = grid.model.index(row, grid.model.dateToColumn(july(day)));
            shown += cell.data(Model::DayTimeRole).toInt() + cell.data(Model::PartDayWorkReasonRole).toInt();
        }
        QCOMPARE(shown, qint64(seconds(hoursAfter)));
        QCOMPARE(grid.model.totalReasonForDate(july(day), WorkTimeData::AnyReasonTime), qint64(seconds(absenceHours)));
    }

    // The figures of every row and the grid's totals after absences, edits, norms, the balance brought in, sales
    // plans and budgets.
    void totalsAfterEveryKindOfData()
    {
        Grid grid;
        // Every figure is read once before the changes, so figures kept from before them would show.
        for (int row = 0; row < grid.model.rowCount(); ++row)
            QVERIFY(grid.model.index(row, Model::BalanceColumn).data().toString().endsWith(QLatin1String(" / ???")));
        QVERIFY(grid.model.totalTime() > 0 && grid.model.totalAttachedTime() > 0);
        const _WORKER_ABSENCE_REASON reasons =
            absences({record(grid.vacation, when(9), when(12), false, 4),
                      record(grid.doctor, when(18, 15), when(22, 10), true, 5)});
        grid.model.setAbsenceReasons({{grid.petrov, reasons}, {grid.gostev, reasons}});
        QVERIFY(grid.edit(grid.sidorov, 2, seconds(22), seconds(7)));
        QVERIFY(grid.edit(grid.gostev, 16, seconds(8), seconds(12)));
        // A later record of a date corrects an earlier one; a norm of someone else is ignored.
        QList<WORKER_NORM_TIME> norms{{0, july(1), grid.ivanov, seconds(9)}, {0, july(1), 4242, seconds(8)}};
        for (TYPE_ID uid : {grid.ivanov, grid.petrov, grid.sidorov, grid.pavlov, grid.gostev}) {
            for (int day = 1; day <= 31; day += 2)
                norms.append(WORKER_NORM_TIME{0, july(day), uid, seconds(8)});
        }
        // Each intake replaces the norms of the one before.
        grid.model.setEmployeeNormTime({{0, july(2), grid.ivanov, seconds(5)}});
        grid.model.setEmployeeNormTime(norms);
        QCOMPARE(grid.model.workTimeData(grid.ivanov).planForDate(july(1)), seconds(8));
        QCOMPARE(grid.model.workTimeData(grid.ivanov).planForDate(july(2)), 0);
        grid.model.setPlanningBalance({{grid.ivanov, PLANNING_BALANCE{seconds(10), seconds(4)}}});
        grid.model.setSalesPlan(
            {SALES_PLAN{1, july(2), 1, 1000}, SALES_PLAN{2, july(2), 2, 500}, SALES_PLAN{3, july(3), 1, 250}});
        grid.model.setHoursBudget({HOURS_BUDGET{1, july(2), 1, 7200}, HOURS_BUDGET{2, july(5), 2, 3600}});

        QStringList figures;
        double plannedColumn = 0;
        for (int row = 0; row < grid.model.rowCount(); ++row) {
            figures << grid.model.index(row, Model::HoursColumn).data().toString() + " | "
                    + grid.model.index(row, Model::BalanceColumn).data().toString();
            plannedColumn += figures.last().section(QLatin1Char(' '), 2, 2).toDouble();
        }
        // The side panel's «Запланировано» adds up the hours column.
        QCOMPARE(hoursText(grid.model.totalPlannedTime()), QString::number(plannedColumn, 'f', 2));
        for (qint64 total : {grid.model.totalTime(), grid.model.totalReasonWorkTime(), grid.model.totalAttachedTime(),
                             grid.model.totalDetachedTime()})
            figures << hoursText(total);
        // Hours and balance of Ivanov (6 h brought in), Petrov, Sidorov (hours without his trip, balance with it),
        // Pavlov and Gostev's attached row (his trip only); then the grid's hours of work, of work-time reasons, of
        // trips here and of trips elsewhere.
        QCOMPARE(figures, (QStringList{"128.00 / 190.00 | -62.00 / -56.00", "112.00 / 163.00 | -51.00 / -51.00",
                                       "128.00 / 160.00 | -56.00 / -56.00", "128.00 / 0.00 | 128.00 / 128.00",
                                       "128.00 / 52.00 | -62.00 / -62.00", "475.00", "34.00", "27.00", "24.00"}));
        // Sales plans of one date (several departments) add up.
        QCOMPARE(grid.model.headerData(grid.model.dateToColumn(july(2)), Qt::Horizontal).toLongLong(), qint64(1500));
        QCOMPARE(grid.model.totalSalesPlan(), qint64(1750));
        QCOMPARE(grid.model.totalHoursBudget(), qint64(10800));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningModel)
#include "tst_worktimeplanningmodel.moc"
