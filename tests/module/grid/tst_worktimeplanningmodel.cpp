#include "authdata.h"
#include "employeeinfo.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "ovicontheme.h"
#include "ovguiglobals.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace orvanta;
using ovtest::OrganisationBuilder;
using Model = WorkTimePlanningModel;

namespace {

QDate july(int day) { return QDate(2024, 7, day); }
QTime hm(int hour, int minute = 0) { return QTime(hour, minute); }
int seconds(int hour, int minute = 0) { return hour * 3600 + minute * 60; }
QDateTime at(int day, const QTime& time = QTime(0, 0)) { return QDateTime(july(day), time); }

WORKER_SYNC_TIME syncOf(TYPE_ID worker)
{
    WORKER_SYNC_TIME sync;
    sync.worker = worker;
    return sync;
}

QVariantMap interval(int start, int finish)
{
    return {{QStringLiteral("time_start"), start}, {QStringLiteral("time_finish"), finish}};
}

EmployeeInfo employeeInfo(TYPE_ID uid, const QString& name, const QDate& start = QDate(),
                          const QDate& finish = QDate())
{
    EmployeeInfo info;
    info.uid = uid;
    info.name = name;
    info.number = QStringLiteral("T-%1").arg(uid);
    info.emplStart = start;
    info.emplContStart = start;
    info.emplFinish = finish;
    return info;
}

WORKER_SCHEDULE_HISTORY_V2 follows(TYPE_ID uid, int schedule)
{
    WORKER_SCHEDULE_HISTORY_V2 history;
    history.uid = uid;
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.id = uid;
    record.schedule = TYPE_ID(schedule);
    history.records.append(record);
    return history;
}

// July 2024 in the shop: Ivanov all month with a vacation on the 3rd and a doctor's visit on the 4th and 7th;
// Petrov employed from the 5th to the 25th; Sidorov on a trip to the warehouse on the 15th-17th; and Visitor
// from the warehouse attached to the shop on the 10th-20th. All follow a week of five 08:00-17:00 days (with
// the lunch hour inside) and two days off, starting on Monday the 1st. The shop's rule gives shifts of 4 h or
// more a 3600 s break.
struct Grid
{
    OrganisationBuilder org;
    TYPE_ID shop = 0, warehouse = 0, ivanov = 0, petrov = 0, sidorov = 0, visitor = 0;
    TYPE_ID vacation = 0, doctor = 0, dayShift = 0;
    int week = 0;
    Model model;

    explicit Grid(bool ivanovHasPersonalSchedule = false)
    {
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        shop = org.department(QStringLiteral("Магазин"), firm);
        warehouse = org.department(QStringLiteral("Склад"), firm);
        const TYPE_ID cashier = org.job(QStringLiteral("Кассир"));
        ivanov = org.employee(QStringLiteral("Иванов"), shop, QStringLiteral("101"), cashier);
        petrov = org.employee(QStringLiteral("Петров"), shop);
        sidorov = org.employee(QStringLiteral("Сидоров"), shop);
        visitor = org.employee(QStringLiteral("Гостев"), warehouse);
        org.attachedWorker(sidorov, warehouse, july(15), july(17));
        org.attachedWorker(visitor, shop, july(10), july(20));
        org.breakRule(QStringLiteral("Обед"), seconds(4), seconds(24), 3600, QDate(2024, 1, 1), {shop});
        vacation = org.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"), 3, OrganisationBuilder::CountsAsAbsence,
                                     0, QStringLiteral("#AA0000"));
        doctor = org.absenceReason(QStringLiteral("Врач"), QStringLiteral("Д"), 1, OrganisationBuilder::CountsAsWork, 0,
                                   QStringLiteral("#00AA00"));
        dayShift = org.shift(QStringLiteral("Утро"), {{hm(8), hm(14)}});
        week = org.cycleSchedule(QStringLiteral("Пятидневка"), july(1), {0, 0, 0, 0, 0, -1, -1},
                                 {{{hm(8), hm(12)}, {hm(13), hm(17)}}});
        if (ivanovHasPersonalSchedule)
            org.personalSchedule(ivanov, july(1));

        model.refreshModel(july(1), july(31),
                           {employeeInfo(ivanov, QStringLiteral(" Иванов Иван ")),
                            employeeInfo(petrov, QStringLiteral("Петров"), july(5), july(25)),
                            employeeInfo(sidorov, QStringLiteral("Сидоров"))},
                           {visitor}, {shop});
        Model::ScheduleHistoryHash histories;
        for (TYPE_ID uid : {ivanov, petrov, sidorov, visitor})
            histories.insert(uid, follows(uid, week));
        model.setScheduleHistory(histories);

        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = ivanov;
        reasons.records = {OrganisationBuilder::absenceRecord(vacation, at(3), at(3), false, 1),
                           OrganisationBuilder::absenceRecord(doctor, at(4, hm(14)), at(4, hm(18)), true, 2),
                           OrganisationBuilder::absenceRecord(doctor, at(7, hm(10)), at(7, hm(12)), true, 3)};
        model.setAbsenceReasons({{ivanov, reasons}});
    }

    int row(TYPE_ID uid) const { return model.objectIdToRow(uid); }
    QModelIndex cell(TYPE_ID uid, int day) const { return model.index(row(uid), model.dateToColumn(july(day))); }
    QModelIndex cell(TYPE_ID uid, int day, bool attachedRow) const
    {
        for (int r = 0; r < model.rowCount(); ++r) {
            const QModelIndex index = model.index(r, model.dateToColumn(july(day)));
            if (index.data(Model::UidRole).toUInt() == uid && index.data(Model::AttachedRole).toBool() == attachedRow)
                return index;
        }
        return QModelIndex();
    }
    TYPE_ID byName(const QString& name) const
    {
        return name == QLatin1String("ivanov") ? ivanov
            : name == QLatin1String("petrov")  ? petrov
            : name == QLatin1String("sidorov") ? sidorov
                                               : visitor;
    }
};

struct DayCase
{
    const char* who;
    int day;
    QString display;
    QVariant marks;
    int dayTime;
    bool editableRole;
    bool editableFlag;
    QVariant color;
    bool yellow;
};

struct ChangeCase
{
    int initialBits;
    bool personal;
    const char* edit;
    int expectedBits;
};

} // namespace

Q_DECLARE_METATYPE(DayCase)
Q_DECLARE_METATYPE(ChangeCase)

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

    void passesModelTester()
    {
        Grid grid;
        QAbstractItemModelTester tester(&grid.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(grid.model.setData(grid.cell(grid.ivanov, 2), interval(seconds(9), seconds(18)), Model::IntervalRole));
        grid.model.setShiftForDate(grid.petrov, july(8), grid.dayShift);
        grid.model.resetChanges({grid.ivanov});
        grid.model.resetChanges();
        grid.model.clear();
        QCOMPARE(grid.model.columnCount(), 5);
    }

    void columnCountFollowsPeriod_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("finish");
        QTest::addColumn<int>("columns");
        QTest::addRow("one day") << july(1) << july(1) << 6;
        QTest::addRow("month") << july(1) << july(31) << 36;
        QTest::addRow("invalid start") << QDate() << july(31) << 5;
        QTest::addRow("start after finish") << july(2) << july(1) << 5;
    }

    void columnCountFollowsPeriod()
    {
        QFETCH(QDate, start);
        QFETCH(QDate, finish);
        QFETCH(int, columns);
        OrganisationBuilder org;
        Model model;
        model.refreshModel(start, finish, {}, {}, {});
        QCOMPARE(model.columnCount(), columns);
        QCOMPARE(model.daysCount(), columns - 5);
        QVERIFY(!model.columnToDate(columns).isValid());
        QVERIFY(!model.columnToDate(4).isValid());
        QCOMPARE(model.headerData(columns, Qt::Horizontal), QVariant());
    }

    void dateCells_data()
    {
        QTest::addColumn<DayCase>("c");
        const QVariant none;
        const QVariant gray = QColor(QLatin1String(wt::color::LIGHTGRAY));
        const QVariant blue = QColor(QLatin1String(wt::color::BLUE));
        const QVariant red = QColor(QStringLiteral("#AA0000"));
        const QVariant green = QColor(QStringLiteral("#00AA00"));
        QTest::addRow("work day") << DayCase{"ivanov", 1, "08:00-17:00", none, 28800, true, true, none, true};
        QTest::addRow("day off") << DayCase{"ivanov", 6, "В", "В", 0, true, true, gray, false};
        QTest::addRow("full-day absence")
            << DayCase{"ivanov", 3, "-", "ОТ", 0, true, false, red, false};
        QTest::addRow("part-day absence on a work day")
            << DayCase{"ivanov", 4, "08:00-17:00", "Д", 28800, true, true, green, true};
        QTest::addRow("part-day absence on a day off") << DayCase{"ivanov", 7, "Д", "Д", 0, true, true, green, false};
        QTest::addRow("before employment") << DayCase{"petrov", 2, "-", "", 0, false, false, none, false};
        QTest::addRow("after employment") << DayCase{"petrov", 26, "-", "", 0, false, false, none, false};
        QTest::addRow("first day of employment")
            << DayCase{"petrov", 5, "08:00-17:00", none, 28800, true, true, none, true};
        QTest::addRow("on a trip elsewhere") << DayCase{"sidorov", 16, "К", "К", 0, false, false, blue, false};
        QTest::addRow("attached row outside its trip")
            << DayCase{"visitor", 9, "-", "", 0, false, false, none, false};
        QTest::addRow("attached row on its trip")
            << DayCase{"visitor", 10, "08:00-17:00", none, 28800, true, true, none, true};
    }

    void dateCells()
    {
        QFETCH(DayCase, c);
        Grid grid;
        const TYPE_ID uid = grid.byName(QLatin1String(c.who));
        const QModelIndex index = grid.cell(uid, c.day, uid == grid.visitor);
        QVERIFY(index.isValid());
        QCOMPARE(index.data().toString(), c.display);
        QCOMPARE(index.data(Model::MarksRole), c.marks);
        QCOMPARE(index.data(Model::DayTimeRole).toInt(), c.dayTime);
        QCOMPARE(index.data(Model::DateEditableRole).toBool(), c.editableRole);
        QCOMPARE(bool(index.flags() & Qt::ItemIsEditable), c.editableFlag);
        QCOMPARE(index.data(Model::DateRole).toDate(), july(c.day));
        QCOMPARE(index.data(Qt::BackgroundRole).isValid(), c.yellow);
        if (c.yellow)
            QCOMPARE(index.data(Qt::BackgroundRole).value<QColor>(), OVGuiGlobals::lightYellow());
        QCOMPARE(index.data(Model::DayColorRole).isValid(), c.color.isValid());
        if (c.color.isValid())
            QCOMPARE(index.data(Model::DayColorRole).value<QColor>(), c.color.value<QColor>());
    }

    void dateToolTips_data()
    {
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("toolTip");
        QTest::addRow("work day") << "ivanov" << 1
                                  << "График работ: Пятидневка<br/>Время начала: 08:00<br/>Время окончания: 17:00<br/>"
                                     "Продолжительность смены: 8.00<br/>Время отсутствий: 0.00<br/><b>Всего: 8.00</b>";
        QTest::addRow("part-day absence") << "ivanov" << 4
                                          << "График работ: Пятидневка<br/>Время начала: 08:00<br/>Время окончания: 17:00<br/>"
                                             "Продолжительность смены: 8.00<br/>Время отсутствий: 4.00<br/><b>Всего: 12.00</b>";
        QTest::addRow("full-day absence without a norm")
            << "ivanov" << 3 << "График работ: Пятидневка<br/>Время отсутствий: 0.00<br/><b>Всего: 0.00</b>";
        QTest::addRow("before employment") << "petrov" << 2 << "График работ: Пятидневка";
    }

    void dateToolTips()
    {
        QFETCH(QString, who);
        QFETCH(int, day);
        QFETCH(QString, toolTip);
        Grid grid;
        QCOMPARE(grid.cell(grid.byName(who), day).data(Qt::ToolTipRole).toString(), toolTip);
    }

    void fixedColumns()
    {
        Grid grid;
        const int row = grid.row(grid.ivanov);
        QCOMPARE(grid.model.index(row, Model::NameColumn).data().toString(), QStringLiteral("Иванов Иван"));
        QCOMPARE(grid.model.index(row, Model::NameColumn).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("ФИО: Иванов Иван\r\nДолжность: \r\nTaб.№: T-%1").arg(grid.ivanov));
        QCOMPARE(grid.model.index(row, Model::NameColumn).data(Qt::TextAlignmentRole).toInt(), 0x81);
        QCOMPARE(grid.model.index(row, Model::HoursColumn).data(Qt::TextAlignmentRole).toInt(), 0x84);
        QCOMPARE(grid.model.index(grid.row(grid.visitor), Model::NameColumn).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::darkGray));
        // An attached row has no employee record; its person comes from the attached-worker object.
        QCOMPARE(grid.model.index(grid.row(grid.visitor), Model::NameColumn).data().toString(), QStringLiteral("Гостев"));
        QVERIFY(!grid.model.index(row, Model::NameColumn).data(Qt::ForegroundRole).isValid());
        QCOMPARE(grid.model.index(row, Model::NameColumn).flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }

    void hoursAndBalance_data()
    {
        QTest::addColumn<bool>("withBalance");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("balance");
        // Norm 15 h (the later of two records for the 1st wins), 31 days of 4 h planned.
        QTest::addRow("no carried balance") << false << "15.00 / 124.00" << "-109.00 / ???";
        QTest::addRow("carried balance") << true << "15.00 / 124.00" << "-109.00 / -103.00";
    }

    void hoursAndBalance()
    {
        QFETCH(bool, withBalance);
        QFETCH(QString, hours);
        QFETCH(QString, balance);
        OrganisationBuilder org;
        const TYPE_ID uid = org.employee(QStringLiteral("Иванов"), org.department(QStringLiteral("Магазин"), 0));
        const int daily = org.cycleSchedule(QStringLiteral("Утро"), july(1), {0}, {{{hm(8), hm(12)}}});
        Model model;
        model.refreshModel(july(1), july(31), {employeeInfo(uid, QStringLiteral("Иванов"))}, {}, {});
        model.setScheduleHistory({{uid, follows(uid, daily)}});
        WORKER_NORM_TIME first{1, july(1), uid, seconds(8)};
        WORKER_NORM_TIME corrected{2, july(1), uid, seconds(7)};
        WORKER_NORM_TIME second{3, july(2), uid, seconds(8)};
        WORKER_NORM_TIME stranger{4, july(2), uid + 100, seconds(8)};
        model.setEmployeeNormTime({first, corrected, second, stranger});
        if (withBalance)
            model.setPlanningBalance({{uid, PLANNING_BALANCE{seconds(10), seconds(4)}}});
        QCOMPARE(model.index(0, Model::HoursColumn).data().toString(), hours);
        QCOMPARE(model.index(0, Model::BalanceColumn).data().toString(), balance);
        QCOMPARE(model.index(0, Model::BalanceColumn).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("<html>Норма по графику 1С: 15.00<br/>Запланировано: 124.00<br/>Часов отсутствий: 0.00"
                                "<br/><b>Баланс: -109.00</b></html>"));
    }

    void stateColumn_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QDateTime>("saved");
        QTest::addColumn<bool>("synced");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("toolTip");
        const QDateTime saved(july(1), hm(10));
        const QDateTime syncedAt(july(2), hm(11));
        const QString savedText = QLocale().toString(saved, QLocale::ShortFormat);
        const QString syncedText = QLocale().toString(syncedAt, QLocale::ShortFormat);
        QTest::addRow("unsaved changes") << true << saved << false << "action-edit" << "График работы не сохранен";
        QTest::addRow("saved, not confirmed") << false << QDateTime() << false << "common-save" << "График работы сохранен";
        QTest::addRow("confirmed") << false << saved << false << "common-online"
                                   << QStringLiteral("График работы утвержден: %1").arg(savedText);
        QTest::addRow("confirmed and synchronised")
            << false << saved << true << "common-online"
            << QStringLiteral("График работы утвержден: %1\nГрафик работы синхронизирован: %2").arg(savedText, syncedText);
    }

    void stateColumn()
    {
        QFETCH(bool, changed);
        QFETCH(QDateTime, saved);
        QFETCH(bool, synced);
        QFETCH(QString, icon);
        QFETCH(QString, toolTip);
        Grid grid;
        WORKER_SYNC_TIME sync;
        sync.worker = grid.ivanov;
        sync.saveTime = saved;
        sync.sync = synced;
        sync.syncTime = QDateTime(july(2), hm(11));
        grid.model.setEmployeeSyncTime({sync});
        if (changed)
            grid.model.setShiftForDate(grid.ivanov, july(2), grid.dayShift);
        const QModelIndex index = grid.model.index(grid.row(grid.ivanov), Model::StateColumn);
        QCOMPARE(index.data(Qt::DecorationRole).value<QIcon>().name(), icon);
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), toolTip);
        QCOMPARE(grid.model.employeesForConfirm().contains(grid.ivanov), !saved.isValid());
        QVERIFY(grid.model.isConfirmEnabled());
    }

    void cellEditCutsAroundBreak_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("finish");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("worked");
        QTest::addColumn<int>("intervals");
        QTest::addColumn<bool>("ruleApplies");
        QTest::addRow("08:00-17:00 with the lunch hour")
            << seconds(8) << seconds(17) << "08:00-17:00" << seconds(8) << 2 << true;
        QTest::addRow("short shift below the rule")
            << seconds(9) << seconds(12) << "09:00-12:00" << seconds(3) << 1 << false;
        QTest::addRow("22:00-06:00 ends next day, all night")
            << seconds(22) << seconds(6) << "22:00-06:00" << seconds(8) << 1 << true;
        QTest::addRow("20:00-06:00, break in the evening")
            << seconds(20) << seconds(6) << "20:00-06:00" << seconds(9) << 2 << true;
    }

    void cellEditCutsAroundBreak()
    {
        QFETCH(int, start);
        QFETCH(int, finish);
        QFETCH(QString, display);
        QFETCH(int, worked);
        QFETCH(int, intervals);
        QFETCH(bool, ruleApplies);
        Grid grid;
        if (!ruleApplies)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("break rule not exists")));
        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        QSignalSpy headers(&grid.model, &Model::headerDataChanged);
        const QModelIndex cell = grid.cell(grid.ivanov, 2);
        QVERIFY(grid.model.setData(cell, interval(start, finish), Model::IntervalRole));
        QCOMPARE(cell.data().toString(), display);
        QCOMPARE(cell.data(Model::DayTimeRole).toInt(), worked);
        const WorkTimeData row = grid.model.workTimeData(grid.ivanov);
        const WorkTimeData::Day day = row.day(july(2));
        QCOMPARE(day.intervals.size(), intervals);
        QVERIFY(day.changed);
        QCOMPARE(day.shift, TYPE_ID(0));
        QCOMPARE(edited.size(), 1);
        QCOMPARE(headers.size(), 1);
        QCOMPARE(headers.first().at(1).toInt(), cell.column());
    }

    void lunchHourSplitsTheDay()
    {
        Grid grid;
        QVERIFY(grid.model.setData(grid.cell(grid.ivanov, 2), interval(seconds(8), seconds(17)), Model::IntervalRole));
        const QList<SCHEDULE_CALENDAR_INTERVAL> intervals = grid.model.workTimeData(grid.ivanov).day(july(2)).intervals;
        QCOMPARE(intervals.size(), 2);
        QCOMPARE((QPair<int, int>(intervals.at(0).start, intervals.at(0).finish)), qMakePair(seconds(8), seconds(12)));
        QCOMPARE((QPair<int, int>(intervals.at(1).start, intervals.at(1).finish)), qMakePair(seconds(13), seconds(17)));
    }

    void setDataRefusals_data()
    {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("editableFlag");
        QTest::addRow("read-only model") << "read only" << false;
        QTest::addRow("date before the editable range") << "restricted" << false;
        QTest::addRow("full-day absence") << "full day" << false;
        QTest::addRow("edit role instead of the interval role") << "wrong role" << true;
        QTest::addRow("fixed column") << "fixed column" << false;
        QTest::addRow("day on a trip elsewhere") << "trip" << false;
        QTest::addRow("attached row outside its trip") << "outside trip" << false;
    }

    void setDataRefusals()
    {
        QFETCH(QString, refusal);
        QFETCH(bool, editableFlag);
        Grid grid;
        QModelIndex cell = grid.cell(grid.ivanov, 2);
        int role = Model::IntervalRole;
        if (refusal == QLatin1String("read only")) {
            grid.model.setReadOnly(true);
        } else if (refusal == QLatin1String("restricted")) {
            _ROLE_DATE_RESTRICTIONS restrictions;
            restrictions.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
            restrictions.from = july(10);
            AuthData::setWorkTimePlanningRestrictions(restrictions);
        } else if (refusal == QLatin1String("full day")) {
            cell = grid.cell(grid.ivanov, 3);
        } else if (refusal == QLatin1String("wrong role")) {
            role = Qt::EditRole;
        } else if (refusal == QLatin1String("fixed column")) {
            cell = grid.model.index(grid.row(grid.ivanov), Model::HoursColumn);
        } else if (refusal == QLatin1String("trip")) {
            cell = grid.cell(grid.sidorov, 16);
        } else {
            cell = grid.cell(grid.visitor, 5, true);
        }
        const QString before = cell.data().toString();
        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        QVERIFY(!grid.model.setData(cell, interval(seconds(9), seconds(18)), role));
        QCOMPARE(cell.data().toString(), before);
        QVERIFY(!grid.model.hasChanges());
        QCOMPARE(edited.size(), 0);
        QCOMPARE(bool(cell.flags() & Qt::ItemIsEditable), editableFlag);
    }

    void changeBitsOfEdits_data()
    {
        QTest::addColumn<ChangeCase>("c");
        QTest::addRow("cell edit, no personal schedule") << ChangeCase{0, false, "cell", 12};
        QTest::addRow("cell edit, personal schedule") << ChangeCase{0, true, "cell", 8};
        QTest::addRow("cell edit keeps a pending deletion") << ChangeCase{16, false, "cell", 28};
        QTest::addRow("cell edit, personal schedule being deleted") << ChangeCase{16, true, "cell", 28};
        QTest::addRow("shift choice drops a pending deletion") << ChangeCase{16, false, "shift", 12};
        QTest::addRow("shift choice, personal schedule") << ChangeCase{0, true, "shift", 8};
        QTest::addRow("absence record added") << ChangeCase{0, false, "absence", 1};
        QTest::addRow("absence records replaced") << ChangeCase{2, false, "absences", 3};
        QTest::addRow("schedule history replaced") << ChangeCase{0, false, "history", 2};
    }

    void changeBitsOfEdits()
    {
        QFETCH(ChangeCase, c);
        Grid grid(c.personal);
        if (c.initialBits) {
            WorkTimeData row = grid.model.workTimeData(grid.ivanov);
            row.setChanged(c.initialBits);
            grid.model.setWorkTimeData(grid.ivanov, row);
        }
        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        const QByteArray edit(c.edit);
        if (edit == "cell") {
            QVERIFY(grid.model.setData(grid.cell(grid.ivanov, 2), interval(seconds(9), seconds(18)), Model::IntervalRole));
        } else if (edit == "shift") {
            grid.model.setShiftForDate(grid.ivanov, july(2), grid.dayShift);
            const WorkTimeData::Day day = grid.model.workTimeData(grid.ivanov).day(july(2));
            QCOMPARE(day.shift, grid.dayShift);
            QVERIFY(day.changed);
            QCOMPARE(grid.cell(grid.ivanov, 2).data().toString(), QStringLiteral("08:00-14:00"));
        } else if (edit == "absence") {
            grid.model.setObjectAbsenceReason(grid.ivanov,
                                              OrganisationBuilder::absenceRecord(grid.vacation, at(2), at(2), false,
                                                                                 _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID));
            QCOMPARE(grid.model.objectAbsenceReasons(grid.ivanov).records.size(), 4);
            QCOMPARE(grid.cell(grid.ivanov, 2).data(Model::MarksRole).toString(), QStringLiteral("ОТ"));
        } else if (edit == "absences") {
            grid.model.setObjectAbsenceReasons(grid.ivanov, _WORKER_ABSENCE_REASON());
            QCOMPARE(grid.cell(grid.ivanov, 3).data().toString(), QStringLiteral("08:00-17:00"));
        } else {
            grid.model.setObjectScheduleHistory(grid.ivanov, WORKER_SCHEDULE_HISTORY_V2());
            QCOMPARE(grid.cell(grid.ivanov, 2).data().toString(), QStringLiteral("В"));
        }
        QCOMPARE(grid.model.workTimeData(grid.ivanov).changes(), c.expectedBits);
        QCOMPARE(edited.size(), 1);
        QVERIFY(grid.model.hasChanges(grid.ivanov));
        QCOMPARE(grid.model.changedUids(), QList<unsigned int>{grid.ivanov});
        QVERIFY(grid.model.index(grid.row(grid.ivanov), Model::NameColumn).data(Qt::FontRole).value<QFont>().bold());
    }

    void shiftChoiceSkipsClosedDays_data()
    {
        QTest::addColumn<int>("day");
        QTest::addRow("full-day absence") << 3;
        QTest::addRow("before the editable range") << 2;
    }

    void shiftChoiceSkipsClosedDays()
    {
        QFETCH(int, day);
        Grid grid;
        _ROLE_DATE_RESTRICTIONS restrictions;
        restrictions.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
        restrictions.from = july(10);
        AuthData::setWorkTimePlanningRestrictions(restrictions);
        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        grid.model.setShiftForDate(grid.ivanov, july(day), grid.dayShift);
        QCOMPARE(edited.size(), 0);
        QVERIFY(!grid.model.hasChanges());
    }

    void serverDataForChangedRowWaitsForReset_data()
    {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("afterReset");
        QTest::addRow("schedule history") << "history" << "08:00-14:00";
        QTest::addRow("absence reasons") << "absences" << "-";
    }

    void serverDataForChangedRowWaitsForReset()
    {
        QFETCH(QString, data);
        QFETCH(QString, afterReset);
        Grid grid;
        const int mornings = grid.org.cycleSchedule(QStringLiteral("Утро"), july(1), {0}, {{{hm(8), hm(14)}}});
        QVERIFY(grid.model.setData(grid.cell(grid.ivanov, 2), interval(seconds(9), seconds(18)), Model::IntervalRole));

        if (data == QLatin1String("history")) {
            grid.model.setScheduleHistory(
                {{grid.ivanov, follows(grid.ivanov, mornings)}, {grid.petrov, follows(grid.petrov, mornings)}});
        } else {
            _WORKER_ABSENCE_REASON ivanovReasons;
            ivanovReasons.records = {OrganisationBuilder::absenceRecord(grid.vacation, at(2), at(2), false, 7)};
            _WORKER_ABSENCE_REASON petrovReasons;
            petrovReasons.records = {OrganisationBuilder::absenceRecord(grid.vacation, at(8), at(8), false, 8)};
            grid.model.setAbsenceReasons({{grid.ivanov, ivanovReasons}, {grid.petrov, petrovReasons}});
        }
        QCOMPARE(grid.cell(grid.ivanov, 2).data().toString(), QStringLiteral("09:00-18:00"));
        QVERIFY(grid.model.hasChanges(grid.ivanov));
        QCOMPARE(grid.cell(grid.petrov, 8).data().toString(), afterReset);

        QSignalSpy edited(&grid.model, &Model::workTimeEdited);
        grid.model.resetChanges({grid.ivanov});
        QCOMPARE(grid.cell(grid.ivanov, 2).data().toString(), afterReset);
        QVERIFY(!grid.model.hasChanges());
        QCOMPARE(edited.size(), 1);
    }

    void calendarDaysRebuildTheirRows()
    {
        Grid grid;
        const int calendar = grid.org.calendarSchedule(QStringLiteral("Календарь"));
        grid.model.setScheduleHistory(
            {{grid.sidorov, follows(grid.sidorov, calendar)}, {grid.petrov, follows(grid.petrov, calendar)}});
        QVERIFY(grid.model.setData(grid.cell(grid.petrov, 8), interval(seconds(9), seconds(18)), Model::IntervalRole));
        QCOMPARE(grid.cell(grid.sidorov, 8).data().toString(), QStringLiteral("В"));

        SCHEDULE_CALENDAR_DAY day;
        day.date = july(8);
        day.intervals = {OrganisationBuilder::interval(hm(10), hm(19))};
        grid.model.setCalendarDays({{calendar, {day}}});
        QCOMPARE(grid.cell(grid.sidorov, 8).data().toString(), QStringLiteral("10:00-19:00"));
        QCOMPARE(grid.cell(grid.petrov, 8).data().toString(), QStringLiteral("09:00-18:00"));
        grid.model.resetChanges({grid.petrov});
        QCOMPARE(grid.cell(grid.petrov, 8).data().toString(), QStringLiteral("10:00-19:00"));
    }

    void personalScheduleDaysReachTheirOwner()
    {
        Grid grid(true);
        const int personal = LocalStorage::instance()->personalSchedules(grid.ivanov).value(0);
        QVERIFY(personal != 0);
        QVERIFY(grid.model.isPersonalSchedule(grid.ivanov));
        SCHEDULE_CALENDAR_DAY day;
        day.date = july(9);
        day.shift = grid.dayShift;
        grid.model.setCalendarDays({{personal, {day}}});
        QCOMPARE(grid.cell(grid.ivanov, 9).data().toString(), QStringLiteral("08:00-14:00"));
        QCOMPARE(grid.model.workTimeData(grid.ivanov).day(july(9)).shift, grid.dayShift);
    }

    void totalsFollowEdits()
    {
        Grid grid;
        const QDate date = july(2);
        const int column = grid.model.dateToColumn(date);
        const qint64 headerBefore = grid.model.headerData(column, Qt::Horizontal, Model::DayTimeRole).toLongLong();
        // Ivanov and Sidorov work 8 h; Petrov is not employed yet and Visitor is not on his trip.
        QCOMPARE(headerBefore, qint64(2 * seconds(8)));
        const qint64 timeBefore = grid.model.totalTime();
        const qint64 attachedBefore = grid.model.totalAttachedTime();
        const qint64 detachedBefore = grid.model.totalDetachedTime();
        QCOMPARE(attachedBefore, qint64(8 * seconds(8)));
        QCOMPARE(detachedBefore, qint64(3 * seconds(8)));

        QVERIFY(grid.model.setData(grid.cell(grid.ivanov, 2), interval(seconds(8), seconds(12)), Model::IntervalRole));
        QVERIFY(grid.model.setData(grid.cell(grid.visitor, 11, true), interval(seconds(8), seconds(12)),
                                   Model::IntervalRole));
        QCOMPARE(grid.model.headerData(column, Qt::Horizontal, Model::DayTimeRole).toLongLong(),
                 headerBefore - seconds(5));
        QCOMPARE(grid.model.totalTime(), timeBefore - seconds(5));
        QCOMPARE(grid.model.totalAttachedTime(), attachedBefore - seconds(5));
        QCOMPARE(grid.model.totalTimeForDate(date), qint64(seconds(8) + seconds(3)));
        // The doctor's visit on the 4th counts as work time (14:00-18:00).
        QCOMPARE(grid.model.totalReasonWorkTime(), qint64(seconds(4) + seconds(2)));
        QCOMPARE(grid.model.totalReasonForDate(july(4), WorkTimeData::WorkTime), qint64(seconds(4)));
    }

    void dateTotalsCountShownDaysOnly_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("hoursWithVisitorAbsence");
        QTest::addColumn<int>("absenceHours");
        // Then Visitor sees the doctor 14:00-16:00, which counts as work time where his day counts.
        QTest::addRow("attached row before its trip") << 2 << 16 << 16 << 0;
        QTest::addRow("first day of the trip") << 10 << 32 << 34 << 2;
        QTest::addRow("last day of the trip") << 19 << 32 << 34 << 2;
        QTest::addRow("attached row after its trip") << 22 << 24 << 24 << 0;
        QTest::addRow("day off") << 6 << 0 << 0 << 0;
        QTest::addRow("doctor's visit of an employee") << 4 << 20 << 20 << 4;
    }

    void dateTotalsCountShownDaysOnly()
    {
        QFETCH(int, day);
        QFETCH(int, hours);
        QFETCH(int, hoursWithVisitorAbsence);
        QFETCH(int, absenceHours);
        Grid grid;
        const int column = grid.model.dateToColumn(july(day));
        QCOMPARE(grid.model.headerData(column, Qt::Horizontal, Model::DayTimeRole).toLongLong(), qint64(seconds(hours)));
        qint64 shown = 0;
        for (int row = 0; row < grid.model.rowCount(); ++row)
            shown += grid.model.index(row, column).data(Model::DayTimeRole).toInt()
                + grid.model.index(row, column).data(Model::PartDayWorkReasonRole).toInt();
        QCOMPARE(shown, qint64(seconds(hours)));

        _WORKER_ABSENCE_REASON reasons;
        reasons.records = {OrganisationBuilder::absenceRecord(grid.doctor, at(day, hm(14)), at(day, hm(16)), true, 9)};
        grid.model.setAbsenceReasons({{grid.visitor, reasons}});
        QCOMPARE(grid.model.headerData(column, Qt::Horizontal, Model::DayTimeRole).toLongLong(),
                 qint64(seconds(hoursWithVisitorAbsence)));
        QCOMPARE(grid.model.totalReasonForDate(july(day), WorkTimeData::AnyReasonTime),
                 qint64(seconds(absenceHours)));
    }

    // The grid sums every row in one walk over its days; the rows' own totals are the reference.
    void totalsAgreeWithTheRows()
    {
        Grid grid;
        _WORKER_ABSENCE_REASON reasons;
        reasons.records = {OrganisationBuilder::absenceRecord(grid.vacation, at(9), at(12), false, 4),
                           OrganisationBuilder::absenceRecord(grid.doctor, at(18, hm(15)), at(22, hm(10)), true, 5)};
        grid.model.setAbsenceReasons({{grid.petrov, reasons}, {grid.visitor, reasons}});
        QVERIFY(grid.model.setData(grid.cell(grid.sidorov, 2), interval(seconds(22), seconds(7)), Model::IntervalRole));
        QList<WORKER_NORM_TIME> norms;
        for (TYPE_ID uid : {grid.ivanov, grid.petrov, grid.sidorov, grid.visitor}) {
            for (int day = 1; day <= 31; day += 2)
                norms.append(WORKER_NORM_TIME{0, july(day), uid, seconds(8)});
        }
        grid.model.setEmployeeNormTime(norms);

        qint64 time = 0, workReason = 0, attached = 0, detached = 0;
        QHash<QDate, qint64> perDate;
        for (int row = 0; row < grid.model.rowCount(); ++row) {
            const QModelIndex name = grid.model.index(row, Model::NameColumn);
            const TYPE_ID uid = name.data(Model::UidRole).toUInt();
            const WorkTimeData data = grid.model.workTimeData(uid);
            QCOMPARE(data.isAttached(), name.data(Model::AttachedRole).toBool());
            if (!data.isAttached()) {
                time += data.totalTime(false);
                workReason += data.totalPartDayReasonTime(july(1), july(31), WorkTimeData::WorkTime, false);
            }
            attached += data.attachedTime();
            detached += data.detachedTime(false);
            for (int day = 1; day <= 31; ++day) {
                if (!data.isAttached() || data.inAttachedRange(july(day)))
                    perDate[july(day)] += data.timeForDate(july(day), true)
                        + data.partDayReasonTime(july(day), WorkTimeData::WorkTime);
            }
            const QString hours = QString::number(data.totalPlan(false) / 3600.0, 'f', 2) + QStringLiteral(" / ")
                + QString::number((data.totalTime(false)
                                   + data.totalFullDayReasonTime(july(1), july(31), WorkTimeData::AnyReasonTime, false)
                                   + data.totalPartDayReasonTime(july(1), july(31), WorkTimeData::AnyReasonTime, false))
                                      / 3600.0,
                                  'f', 2);
            QCOMPARE(grid.model.index(row, Model::HoursColumn).data().toString(), hours);
            QCOMPARE(grid.model.index(row, Model::BalanceColumn).data().toString(),
                     QString::number(data.planningBalance(july(1), july(31)) / 3600.0, 'f', 2) + QStringLiteral(" / ???"));
        }
        QCOMPARE(grid.model.totalTime(), time);
        QCOMPARE(grid.model.totalReasonWorkTime(), workReason);
        QCOMPARE(grid.model.totalAttachedTime(), attached);
        QCOMPARE(grid.model.totalDetachedTime(), detached);
        for (int day = 1; day <= 31; ++day) {
            const int column = grid.model.dateToColumn(july(day));
            QCOMPARE(grid.model.headerData(column, Qt::Horizontal, Model::DayTimeRole).toLongLong(), perDate.value(july(day)));
        }
    }

    void salesPlanAndBudgetSumPerDate()
    {
        Grid grid;
        QSignalSpy headers(&grid.model, &Model::headerDataChanged);
        grid.model.setSalesPlan({SALES_PLAN{1, july(2), 1, 1000}, SALES_PLAN{2, july(2), 2, 500},
                                 SALES_PLAN{3, july(3), 1, 250}});
        grid.model.setHoursBudget({HOURS_BUDGET{1, july(2), 1, 7200}, HOURS_BUDGET{2, july(5), 2, 3600}});
        const int column = grid.model.dateToColumn(july(2));
        QCOMPARE(grid.model.headerData(column, Qt::Horizontal, Model::SalesPlanRole).toLongLong(), qint64(1500));
        QCOMPARE(grid.model.headerData(column, Qt::Horizontal).toLongLong(), qint64(1500));
        QCOMPARE(grid.model.headerData(column + 5, Qt::Horizontal).toLongLong(), qint64(0));
        QCOMPARE(grid.model.totalSalesPlan(), qint64(1750));
        QCOMPARE(grid.model.totalHoursBudget(), qint64(10800));
        QCOMPARE(headers.size(), 1);
        QCOMPARE(grid.model.headerData(Model::HoursColumn, Qt::Horizontal).toString(), QStringLiteral("Кол-во часов"));
        QCOMPARE(grid.model.headerData(column, Qt::Vertical), QVariant());
    }

    void resetChangeFlagAcceptsTheWorkingCopy()
    {
        Grid grid;
        QVERIFY(grid.model.setData(grid.cell(grid.ivanov, 2), interval(seconds(9), seconds(18)), Model::IntervalRole));
        grid.model.resetChangeFlag();
        QVERIFY(!grid.model.hasChanges());
        QVERIFY(!grid.model.workTimeData(grid.ivanov).day(july(2)).changed);
        QCOMPARE(grid.cell(grid.ivanov, 2).data().toString(), QStringLiteral("09:00-18:00"));
    }

    void unknownEmployeeIsLogged_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("phrase");
        QTest::addRow("row copy") << "workTimeData" << "employee not found";
        QTest::addRow("changes of one") << "hasChanges" << "unknown employee";
        QTest::addRow("shift choice") << "setShiftForDate" << "employee not found";
        QTest::addRow("rebuild by uid") << "rebuildSelected" << "employee not exists";
        QTest::addRow("sync record") << "setEmployeeSyncTime" << "employee not found";
        QTest::addRow("rebuild by row") << "rebuild" << "wrong row";
        QTest::addRow("editable date") << "isDateEditable" << "employee not found";
    }

    void unknownEmployeeIsLogged()
    {
        QFETCH(QString, call);
        QFETCH(QString, phrase);
        Grid grid;
        const unsigned int stranger = 99999;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(phrase) + " 99999"));
        if (call == QLatin1String("workTimeData"))
            QCOMPARE(grid.model.workTimeData(stranger).uid(), TYPE_ID(0));
        else if (call == QLatin1String("hasChanges"))
            QVERIFY(!grid.model.hasChanges(stranger));
        else if (call == QLatin1String("setShiftForDate"))
            grid.model.setShiftForDate(stranger, july(2), grid.dayShift);
        else if (call == QLatin1String("rebuildSelected"))
            grid.model.rebuildSelected({stranger});
        else if (call == QLatin1String("setEmployeeSyncTime"))
            grid.model.setEmployeeSyncTime({syncOf(stranger)});
        else if (call == QLatin1String("rebuild"))
            grid.model.rebuild(int(stranger), july(1), july(31));
        else
            QVERIFY(!grid.model.isDateEditable(stranger, july(2)));
        QVERIFY(!grid.model.hasChanges());
    }

    void clearEmptiesTheGrid()
    {
        Grid grid;
        grid.model.clear();
        QCOMPARE(grid.model.rowCount(), 0);
        QCOMPARE(grid.model.columnCount(), 5);
        QVERIFY(!grid.model.hasData());
        QVERIFY(!grid.model.containsEmployee(grid.ivanov));
        QVERIFY(!grid.model.dateStart().isValid());
    }

    void refreshKeepsMembership()
    {
        Grid grid;
        QCOMPARE(grid.model.objList(), (QList<unsigned int>{grid.ivanov, grid.petrov, grid.sidorov, grid.visitor}));
        QVERIFY(grid.model.containsEmployee(grid.petrov));
        QVERIFY(!grid.model.containsEmployee(grid.visitor));
        QVERIFY(grid.model.containsDepartment(grid.shop));
        QVERIFY(grid.model.isAttached(grid.visitor));
        QVERIFY(grid.model.inAttachedRange(grid.sidorov, july(15)));
        QCOMPARE(grid.model.attachedWorkers(grid.visitor, july(1), july(31)).size(), 1);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningModel)
#include "tst_worktimeplanningmodel.moc"
