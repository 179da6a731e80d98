#include "demoorganisationgenerator.h"

#include "demonames.h"
#include "demorandom.h"
#include "productioncalendar.h"
#include "serverlogging.h"
#include "vocabulary.h"

#include <QPair>
#include <QTime>

#include <cmath>

using namespace orvanta;

namespace {

// Uid ranges per kind, wide enough that no size makes two kinds meet.
constexpr TYPE_ID FirmUid = 1000; // the departments follow it
constexpr TYPE_ID FirstJobUid = 2000;
constexpr TYPE_ID FirstReasonUid = 3000;
constexpr TYPE_ID FirstShiftUid = 4000;
constexpr TYPE_ID FirstShiftIntervalUid = 4100;
constexpr TYPE_ID ReportUid = 5000;
constexpr TYPE_ID FirstBreakRuleUid = 6000;
constexpr TYPE_ID FirstEmployeeUid = 100000;
constexpr TYPE_ID FirstWorkerHistoryUid = 1000000;
constexpr TYPE_ID FirstAttachedWorkerUid = 2000000;

enum ScheduleId {
    FiveDaySchedule = 1,
    MorningTwoTwoSchedule,
    EveningTwoTwoSchedule,
    NightTwoTwoSchedule,
    WarehouseMorningSchedule,
    ShopCalendarSchedule,
    FirstPersonalScheduleId = 1001
};

enum ShiftKind { DayShift, MorningShift, EveningShift, NightShift, ShiftKindCount };

// Every twentieth employee tells the same story, so every size from 20 up shows all of them.
enum Slot {
    VacationFromLastMonth = 1,
    DaysOff = 2,
    TransferredThisYear = 3,
    ScheduleChanged = 5,
    SickIntoNextMonth = 6,
    StartsThisMonth = 7,
    OwnBreakRule = 8,
    PersonalSchedule = 9,
    MedicalCheck = 10,
    TransferredThisMonth = 11,
    StudyLeave = 12,
    LeavesThisMonth = 13,
    BusinessTrip = 14,
    AttachedElsewhere = 15,
    LastMonthUnsynced = 16,
    PlanningDisabled = 17,
    CivicDuty = 18,
    Truancy = 19,
    SlotCount = 20
};

// Employment dates of an employee or a worker history; the vocabulary names them per object kind.
constexpr char DateBegin[] = "PT_DATE_BEGIN";
constexpr char DateEnd[] = "PT_DATE_END";
constexpr char ReportType[] = "OT_REPORT";
constexpr char PlanningReportName[] = "REPORT_PLANNING_SCHEDULE";

enum class Site { Shop, Warehouse, Office };

struct Department
{
    TYPE_ID uid = 0;
    QString name;
    QString number;
    Site site = Site::Shop;
    /// Share of the staff; a job named twice is given twice as often.
    int weight = 0;
    QStringList jobs;
    QList<int> schedules;
    int staff = 0;
};

struct Employee
{
    TYPE_ID uid = 0;
    int slot = 0;
    int department = 0;
    /// The department of a worker history before a transfer, -1 without one.
    int previousDepartment = -1;
    DemoNames::Person person;
    QString number;
    TYPE_ID job = 0;
    TYPE_ID previousJob = 0;
    /// First day in the firm, first day in the current department, last day (invalid: employed).
    QDate hired;
    QDate begin;
    QDate end;
    int schedule = 0;
    /// The schedule followed before scheduleFrom, 0 when the employee always had one.
    int previousSchedule = 0;
    QDate scheduleFrom;
};

struct Draft
{
    Draft(const QDate& today, quint32 seed)
        : random(seed),
          monthStart(today.year(), today.month(), 1),
          monthEnd(monthStart.addMonths(1).addDays(-1)),
          yearStart(today.year(), 1, 1),
          yearEnd(today.year(), 12, 31),
          calendar(today.year())
    {
    }

    DemoOrganisation org;
    DemoRandom random;
    QDate monthStart;
    QDate monthEnd;
    QDate yearStart;
    QDate yearEnd;
    ProductionCalendar calendar;
    /// Object uid -> its data name and position, to add links to both ends.
    QHash<TYPE_ID, QPair<QString, int>> location;
    QList<Department> departments;
    QHash<QString, TYPE_ID> jobs;
    QHash<QString, TYPE_ID> reasons;
    TYPE_ID shifts[ShiftKindCount] = {};
    QList<SCHEDULE_CALENDAR_INTERVAL> shiftIntervals[ShiftKindCount];
    QList<Employee> employees;
    /// Local-time conversions are slow (each one reads the zone), so midnights and the
    /// confirmation moments of a month and department are made once.
    QHash<QDate, QDateTime> midnights;
    QHash<QPair<QDate, int>, WORKER_SYNC_TIME> confirmations;
    TYPE_ID nextHistoryRecordId = 1;
    TYPE_ID nextAbsenceId = 1;
    qint64 nextSyncKey = 1;
};

QString key(const char* name)
{
    return QLatin1String(name);
}

QString isoDate(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QDateTime midnight(Draft& draft, const QDate& date)
{
    if (!date.isValid())
        return QDateTime();
    const auto found = draft.midnights.constFind(date);
    if (found != draft.midnights.cend())
        return found.value();
    return draft.midnights.insert(date, date.startOfDay()).value();
}

QDateTime at(const QDate& date, int hour, int minute = 0)
{
    return QDateTime(date, QTime(hour, minute));
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

int seconds(int hour, int minute = 0)
{
    return hour * 3600 + minute * 60;
}

ObjectInfo makeObject(TYPE_ID uid, const char* type, TYPE_ID parent, const QString& name)
{
    ObjectInfo object;
    object.uid = uid;
    object.type = key(type);
    object.parent = parent;
    if (!name.isEmpty())
        object.properties.insert(key(db::common::NAME), name);
    return object;
}

void addObject(Draft& draft, const char* dataname, const ObjectInfo& object)
{
    QList<ObjectInfo>& table = draft.org.objects[key(dataname)];
    draft.location.insert(object.uid, qMakePair(key(dataname), table.size()));
    table.append(object);
}

ObjectInfo& objectRef(Draft& draft, TYPE_ID uid)
{
    const QPair<QString, int> place = draft.location.value(uid);
    return draft.org.objects[place.first][place.second];
}

// The store keeps a link three times: in the link table and in the maps of both ends.
void link(Draft& draft, TYPE_ID parent, TYPE_ID child, TYPE_ID refType, const QDate& start = QDate(),
          const QDate& finish = QDate())
{
    _INHERIT_DATA inherit;
    inherit.parent = parent;
    inherit.child = child;
    inherit.refType = int(refType);
    inherit.start = midnight(draft, start);
    inherit.finish = midnight(draft, finish);
    draft.org.links.append(inherit);
    objectRef(draft, parent).children.insert(refType, inherit);
    objectRef(draft, child).parents.insert(refType, inherit);
}

SCHEDULE_CALENDAR_INTERVAL interval(int start, int finish, int order = 0)
{
    SCHEDULE_CALENDAR_INTERVAL result;
    result.start = start;
    result.finish = finish;
    result.order = order;
    return result;
}

int intervalLength(const SCHEDULE_CALENDAR_INTERVAL& interval)
{
    const int length = interval.finish - interval.start;
    return length < 0 ? length + 86400 : length;
}

SCHEDULE_CALENDAR_DAY calendarDay(const QDate& date, TYPE_ID shift, const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals)
{
    SCHEDULE_CALENDAR_DAY day;
    day.date = date;
    day.shift = shift;
    day.intervals = intervals;
    if (!intervals.isEmpty()) {
        day.start = intervals.first().start;
        day.finish = intervals.last().finish;
    }
    for (const SCHEDULE_CALENDAR_INTERVAL& piece : intervals)
        day.time += intervalLength(piece);
    return day;
}


struct DepartmentPlan
{
    const char* name;
    const char* number;
    int parentIndex; // -1: the firm
    Site site;
    int weight;
    const char* jobs;
    QList<int> schedules;
};

QList<DepartmentPlan> departmentPlans()
{
    const char* shopJobs = "Продавец-консультант|Продавец-консультант|Продавец-консультант|Кассир|Кассир|"
                           "Администратор торгового зала";
    const QList<int> shopSchedules{ShopCalendarSchedule, MorningTwoTwoSchedule, EveningTwoTwoSchedule};
    return {
        {"Магазин на Тверской", "01", -1, Site::Shop, 1, "Директор магазина|Администратор торгового зала",
         {FiveDaySchedule}},
        {"Торговый зал", "01.1", 0, Site::Shop, 8,
         "Продавец-консультант|Продавец-консультант|Продавец-консультант|Старший продавец", shopSchedules},
        {"Кассовая зона", "01.2", 0, Site::Shop, 4, "Кассир|Кассир|Кассир|Старший кассир",
         {MorningTwoTwoSchedule, EveningTwoTwoSchedule}},
        {"Магазин на Арбате", "02", -1, Site::Shop, 6, shopJobs, shopSchedules},
        {"Магазин на Пятницкой", "03", -1, Site::Shop, 6, shopJobs, shopSchedules},
        {"Склад", "04", -1, Site::Warehouse, 1, "Начальник склада", {FiveDaySchedule}},
        {"Приёмка товара", "04.1", 5, Site::Warehouse, 4, "Кладовщик|Кладовщик|Грузчик|Водитель погрузчика",
         {WarehouseMorningSchedule, NightTwoTwoSchedule, MorningTwoTwoSchedule}},
        {"Отгрузка", "04.2", 5, Site::Warehouse, 4, "Кладовщик|Комплектовщик|Комплектовщик|Грузчик",
         {NightTwoTwoSchedule, WarehouseMorningSchedule}},
        {"Офис", "05", -1, Site::Office, 1, "Менеджер", {FiveDaySchedule}},
        {"Бухгалтерия", "05.1", 8, Site::Office, 2, "Бухгалтер|Бухгалтер|Главный бухгалтер", {FiveDaySchedule}},
        {"Отдел кадров", "05.2", 8, Site::Office, 1, "Специалист по кадрам", {FiveDaySchedule}},
        {"Отдел закупок", "05.3", 8, Site::Office, 2, "Менеджер по закупкам|Менеджер", {FiveDaySchedule}},
        {"ИТ-отдел", "05.4", 8, Site::Office, 1, "Системный администратор|Программист", {FiveDaySchedule}},
    };
}

void addDepartments(Draft& draft)
{
    addObject(draft, ORGSTRUCTURE_DATANAME,
              makeObject(FirmUid, db::orgstructure::FIRM, 0, QStringLiteral("ООО «Орванта Ритейл»")));
    TYPE_ID nextUid = FirmUid + 1;
    for (const DepartmentPlan& plan : departmentPlans()) {
        Department department;
        department.uid = nextUid++;
        department.name = QString::fromUtf8(plan.name);
        department.number = QString::fromUtf8(plan.number);
        department.site = plan.site;
        department.weight = plan.weight;
        department.jobs = QString::fromUtf8(plan.jobs).split(QLatin1Char('|'));
        department.schedules = plan.schedules;
        const TYPE_ID parent = plan.parentIndex < 0 ? FirmUid : draft.departments.at(plan.parentIndex).uid;
        ObjectInfo object = makeObject(department.uid, db::orgstructure::DEPARTMENT, parent, department.name);
        object.properties.insert(key(db::department::DEPARTNUM), department.number);
        addObject(draft, ORGSTRUCTURE_DATANAME, object);
        draft.departments.append(department);
    }
}

void addJobs(Draft& draft)
{
    TYPE_ID nextUid = FirstJobUid;
    for (const Department& department : qAsConst(draft.departments)) {
        for (const QString& job : department.jobs) {
            if (draft.jobs.contains(job))
                continue;
            draft.jobs.insert(job, nextUid);
            addObject(draft, JOB_DATANAME, makeObject(nextUid++, db::wt::JOB, 0, job));
        }
    }
}


void addShifts(Draft& draft)
{
    struct ShiftPlan
    {
        const char* name;
        int start;
        int finish;
    };
    const ShiftPlan plans[ShiftKindCount] = {
        {"Дневная смена", seconds(9), seconds(18)},
        {"Утренняя смена", seconds(7), seconds(15)},
        {"Вечерняя смена", seconds(14), seconds(23)},
        {"Ночная смена", seconds(22), seconds(7)},
    };
    for (int kind = 0; kind < ShiftKindCount; ++kind) {
        const TYPE_ID uid = FirstShiftUid + TYPE_ID(kind);
        ObjectInfo shift = makeObject(uid, db::wt::SHIFT, 0, QString::fromUtf8(plans[kind].name));
        shift.properties.insert(key(db::shift::HIDDEN), QStringLiteral("0"));
        addObject(draft, SCHEDULE_SHIFT_DATANAME, shift);

        ObjectInfo piece = makeObject(FirstShiftIntervalUid + TYPE_ID(kind), db::wt::SHIFT_INTERVAL, uid, QString());
        piece.properties.insert(key(db::shift_interval::START), QString::number(plans[kind].start));
        piece.properties.insert(key(db::shift_interval::FINISH), QString::number(plans[kind].finish));
        piece.properties.insert(key(db::shift_interval::ORDER), QStringLiteral("0"));
        addObject(draft, SHIFT_INTERVAL_DATANAME, piece);

        draft.shifts[kind] = uid;
        draft.shiftIntervals[kind] = {interval(plans[kind].start, plans[kind].finish)};
    }
}

SCHEDULE_DATA::Shift scheduleShift(const Draft& draft, ShiftKind kind)
{
    SCHEDULE_DATA::Shift shift;
    shift.shiftUid = draft.shifts[kind];
    shift.intervals = draft.shiftIntervals[kind];
    return shift;
}

void addCycleSchedule(Draft& draft, int id, const QString& name, const QString& color, const QDate& base,
                      const QList<int>& cycle, ShiftKind kind)
{
    SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.name = name;
    schedule.kind = SCHEDULE_DATA::KindCycle;
    schedule.color = color;
    schedule.date = base;
    for (int shift : cycle)
        schedule.cycle.append(SCHEDULE_DATA::CycleDay{shift});
    schedule.shifts.append(scheduleShift(draft, kind));
    draft.org.schedules.append(schedule);
}

// The shop's calendar is drawn day by day: two days in three at work, on a shift of the day's choice.
void addShopCalendar(Draft& draft)
{
    SCHEDULE_DATA schedule;
    schedule.id = ShopCalendarSchedule;
    schedule.name = QStringLiteral("График магазина (по календарю)");
    schedule.kind = SCHEDULE_DATA::KindCalendar;
    schedule.color = QStringLiteral("#E91E63");
    draft.org.schedules.append(schedule);

    const QDate first = draft.monthStart.addMonths(-6);
    const QDate last = draft.monthStart.addMonths(7).addDays(-1);
    QList<SCHEDULE_CALENDAR_DAY>& days = draft.org.calendarDays[schedule.id];
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        if (!draft.random.chance(67))
            continue;
        const ShiftKind kind = ShiftKind(draft.random.between(DayShift, EveningShift));
        days.append(calendarDay(date, draft.shifts[kind], draft.shiftIntervals[kind]));
    }
}

void addSchedules(Draft& draft)
{
    const QDate monday = draft.yearStart.addDays(1 - draft.yearStart.dayOfWeek());
    const QList<int> fiveTwo{0, 0, 0, 0, 0, -1, -1};
    const QList<int> twoTwo{0, 0, -1, -1};
    addCycleSchedule(draft, FiveDaySchedule, QStringLiteral("Пятидневка 09:00-18:00"), QStringLiteral("#008DF3"),
                     monday, fiveTwo, DayShift);
    addCycleSchedule(draft, MorningTwoTwoSchedule, QStringLiteral("Сменный 2/2, утро"), QStringLiteral("#22B1A9"),
                     draft.yearStart, twoTwo, MorningShift);
    addCycleSchedule(draft, EveningTwoTwoSchedule, QStringLiteral("Сменный 2/2, вечер"), QStringLiteral("#F38300"),
                     draft.yearStart.addDays(2), twoTwo, EveningShift);
    addCycleSchedule(draft, NightTwoTwoSchedule, QStringLiteral("Склад 2/2, ночь"), QStringLiteral("#6A5ACD"),
                     draft.yearStart.addDays(1), twoTwo, NightShift);
    addCycleSchedule(draft, WarehouseMorningSchedule, QStringLiteral("Склад 5/2, утро"), QStringLiteral("#8BC34A"),
                     monday, fiveTwo, MorningShift);
    addShopCalendar(draft);
}


enum class Counts { AsAbsence, AsWork, TowardsNorm };

void addReason(Draft& draft, const QString& name, const QString& mark, int order, Counts counts, int calcNormMethod,
               const char* color, bool allowPlanning)
{
    const TYPE_ID uid = FirstReasonUid + TYPE_ID(draft.reasons.size());
    ObjectInfo reason = makeObject(uid, db::wt::REASON, 0, name);
    reason.properties.insert(key(db::reason::MARK), mark);
    reason.properties.insert(key(db::reason::ORDER), QString::number(order));
    reason.properties.insert(key(db::reason::WORKTIME), flag(counts == Counts::AsWork));
    reason.properties.insert(key(db::reason::NORMTIME), flag(counts == Counts::TowardsNorm));
    reason.properties.insert(key(db::reason::CALC_NORM_METHOD), QString::number(calcNormMethod));
    reason.properties.insert(key(db::reason::PLANNING_COLOR), key(color));
    reason.properties.insert(key(db::reason::ALLOW_PLANNING), flag(allowPlanning));
    addObject(draft, REASON_DATANAME, reason);
    draft.reasons.insert(mark, uid);
}

// Marks stay clear of the grid's own: "К" (attached elsewhere), "В" (day off) and "-".
void addReasons(Draft& draft)
{
    addReason(draft, QStringLiteral("Ежегодный оплачиваемый отпуск"), QStringLiteral("О"), 50, Counts::AsAbsence, 0,
              "#22B1A9", true);
    addReason(draft, QStringLiteral("Больничный"), QStringLiteral("Б"), 60, Counts::AsAbsence, 1, "#E53935", true);
    addReason(draft, QStringLiteral("Командировка"), QStringLiteral("КМ"), 40, Counts::AsWork, 0, "#008DF3", true);
    addReason(draft, QStringLiteral("Учебный отпуск"), QStringLiteral("У"), 45, Counts::AsAbsence, 0, "#8E24AA", true);
    addReason(draft, QStringLiteral("Отпуск без сохранения заработной платы"), QStringLiteral("ДО"), 30,
              Counts::AsAbsence, 0, "#9E9E9E", true);
    addReason(draft, QStringLiteral("Отгул"), QStringLiteral("ОГ"), 20, Counts::TowardsNorm, 0, "#F38300", true);
    addReason(draft, QStringLiteral("Медицинский осмотр"), QStringLiteral("МО"), 10, Counts::AsWork, 0, "#26A69A",
              true);
    addReason(draft, QStringLiteral("Выполнение государственных обязанностей"), QStringLiteral("Г"), 35,
              Counts::TowardsNorm, 0, "#5C6BC0", true);
    addReason(draft, QStringLiteral("Прогул"), QStringLiteral("ПР"), 70, Counts::AsAbsence, 0, "#000000", false);
    addReason(draft, QStringLiteral("Отпуск по уходу за ребёнком"), QStringLiteral("ОЖ"), 55, Counts::AsAbsence, 0,
              "#AB47BC", false);
}


int pickDepartment(Draft& draft)
{
    int total = 0;
    for (const Department& department : qAsConst(draft.departments))
        total += department.weight;
    int ticket = draft.random.between(1, total);
    for (int index = 0; index < draft.departments.size(); ++index) {
        ticket -= draft.departments.at(index).weight;
        if (ticket <= 0)
            return index;
    }
    return 0;
}

int pickOtherDepartment(Draft& draft, int department)
{
    const int other = draft.random.index(draft.departments.size() - 1);
    return other >= department ? other + 1 : other;
}

TYPE_ID pickJob(Draft& draft, const Department& department)
{
    return draft.jobs.value(department.jobs.at(draft.random.index(department.jobs.size())));
}

int pickSchedule(Draft& draft, const Department& department, int unlike = 0)
{
    QList<int> choices = department.schedules;
    choices.removeAll(unlike);
    if (choices.isEmpty())
        choices = {FiveDaySchedule, MorningTwoTwoSchedule, EveningTwoTwoSchedule, WarehouseMorningSchedule};
    choices.removeAll(unlike);
    return choices.at(draft.random.index(choices.size()));
}

QDate earlierThisYear(Draft& draft)
{
    const int monthsBack = draft.random.between(1, qMax(1, draft.monthStart.month() - 1));
    return draft.monthStart.addMonths(-monthsBack).addDays(draft.random.between(0, 20));
}

void planDates(Draft& draft, Employee& employee)
{
    employee.hired = draft.monthStart.addDays(-draft.random.between(90, 8 * 365));
    employee.begin = employee.hired;
    employee.scheduleFrom = employee.hired;
    switch (employee.slot) {
    case StartsThisMonth:
        employee.hired = employee.begin = employee.scheduleFrom = draft.monthStart.addDays(draft.random.between(1, 19));
        break;
    case LeavesThisMonth:
        employee.end = draft.monthStart.addDays(draft.random.between(9, draft.monthEnd.day() - 1));
        break;
    case TransferredThisYear:
        employee.begin = employee.scheduleFrom = earlierThisYear(draft);
        break;
    case TransferredThisMonth:
        employee.begin = employee.scheduleFrom = draft.monthStart.addDays(draft.random.between(5, 20));
        break;
    case ScheduleChanged:
        employee.scheduleFrom = draft.monthStart.addMonths(-draft.random.between(1, 5));
        break;
    }
    // Whoever changed something did so well after being hired.
    if (employee.scheduleFrom.addDays(-60) < employee.hired && employee.slot != StartsThisMonth)
        employee.hired = employee.scheduleFrom.addDays(-draft.random.between(60, 400));
}

Employee planEmployee(Draft& draft, int index)
{
    Employee employee;
    employee.uid = FirstEmployeeUid + TYPE_ID(index);
    employee.slot = index % SlotCount;
    employee.number = QStringLiteral("%1").arg(index + 1, 5, 10, QLatin1Char('0'));
    employee.person = DemoNames::person(draft.random);
    employee.department = pickDepartment(draft);
    const Department& department = draft.departments.at(employee.department);
    employee.job = pickJob(draft, department);
    employee.schedule = pickSchedule(draft, department);
    planDates(draft, employee);
    if (employee.slot == TransferredThisYear || employee.slot == TransferredThisMonth) {
        employee.previousDepartment = pickOtherDepartment(draft, employee.department);
        const Department& previous = draft.departments.at(employee.previousDepartment);
        employee.previousJob = pickJob(draft, previous);
        employee.previousSchedule = pickSchedule(draft, previous);
    } else if (employee.slot == ScheduleChanged) {
        employee.previousSchedule = pickSchedule(draft, department, employee.schedule);
    }
    return employee;
}

void addEmployeeObject(Draft& draft, const Employee& employee)
{
    const Department& department = draft.departments.at(employee.department);
    ObjectInfo object = makeObject(employee.uid, db::orgstructure::WORKER, department.uid, employee.person.fullName());
    object.properties.insert(key(db::subject::LASTNAME), employee.person.lastName);
    object.properties.insert(key(db::subject::FIRSTNAME), employee.person.firstName);
    object.properties.insert(key(db::subject::MIDDLENAME), employee.person.middleName);
    object.properties.insert(key(db::subject::WORKERNUM), employee.number);
    object.properties.insert(key(db::subject::JOBLINK), QString::number(employee.job));
    object.properties.insert(key(DateBegin), isoDate(employee.begin));
    if (employee.end.isValid())
        object.properties.insert(key(DateEnd), isoDate(employee.end));
    object.properties.insert(key(db::subject::DISABLE_PLANNING), flag(employee.slot == PlanningDisabled));
    addObject(draft, SUBJECT_DATANAME, object);
    link(draft, department.uid, employee.uid, INHERIT_PARENT_CHILD, employee.begin, employee.end);
}

// The time in the department before a transfer, as the client finds it from both ends.
void addWorkerHistory(Draft& draft, const Employee& employee, TYPE_ID uid)
{
    const Department& previous = draft.departments.at(employee.previousDepartment);
    const QDate last = employee.begin.addDays(-1);
    ObjectInfo history = makeObject(uid, db::wt::WORKER_HISTORY, previous.uid, employee.person.fullName());
    history.properties.insert(key(db::worker_history::DATE_BEGIN), isoDate(employee.hired));
    history.properties.insert(key(db::worker_history::DATE_END), isoDate(last));
    history.properties.insert(key(db::worker_history::JOBLINK), QString::number(employee.previousJob));
    addObject(draft, WORKER_HISTORY_DATANAME, history);
    link(draft, previous.uid, uid, INHERIT_WORKER_HISTORY_DEPARTMENT, employee.hired, last);
    link(draft, employee.uid, uid, INHERIT_WORKER_HISTORY, employee.hired, last);
}

_WORKER_SCHEDULE_HISTORY_RECORD_V2 historyRecord(Draft& draft, int schedule, const QDate& from, const QDate& to)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.id = draft.nextHistoryRecordId++;
    record.schedule = TYPE_ID(schedule);
    record.from = from;
    record.to = to;
    record.state = 1;
    record.date = from;
    return record;
}

void addScheduleHistory(Draft& draft, const Employee& employee)
{
    WORKER_SCHEDULE_HISTORY_V2 history;
    history.uid = employee.uid;
    if (employee.previousSchedule != 0)
        history.records.append(
            historyRecord(draft, employee.previousSchedule, employee.hired, employee.scheduleFrom.addDays(-1)));
    history.records.append(historyRecord(draft, employee.schedule, employee.scheduleFrom, employee.end));
    draft.org.scheduleHistories.insert(employee.uid, history);
}

bool employedOn(const Employee& employee, const QDate& date)
{
    return employee.hired <= date && (!employee.end.isValid() || date <= employee.end);
}

void addNormTime(Draft& draft, const Employee& employee, const QList<QPair<QDate, int>>& workingDays)
{
    for (const QPair<QDate, int>& day : workingDays) {
        if (!employedOn(employee, day.first))
            continue;
        WORKER_NORM_TIME norm;
        norm.id = draft.org.normTime.size() + 1;
        norm.date = day.first;
        norm.worker = employee.uid;
        norm.time = day.second;
        draft.org.normTime.append(norm);
    }
}

// A month is confirmed for a whole department at once, a few days after its end, and synchronised
// soon after; the norm was calculated just before the month began.
WORKER_SYNC_TIME confirmation(Draft& draft, const QDate& month, int department)
{
    const QPair<QDate, int> key = qMakePair(month, department);
    auto found = draft.confirmations.constFind(key);
    if (found != draft.confirmations.cend())
        return found.value();
    const QDate last = month.addMonths(1).addDays(-1);
    WORKER_SYNC_TIME sync;
    sync.date = month;
    sync.sync = true;
    sync.saveTime = at(last.addDays(draft.random.between(1, 3)), draft.random.between(9, 17),
                       draft.random.between(0, 59));
    sync.syncTime = sync.saveTime.addSecs(draft.random.between(600, 7200));
    sync.normCalcTime = at(month.addDays(-3), 21);
    return draft.confirmations.insert(key, sync).value();
}

void addSyncTime(Draft& draft, const Employee& employee)
{
    for (QDate month = draft.yearStart; month < draft.monthStart; month = month.addMonths(1)) {
        const QDate last = month.addMonths(1).addDays(-1);
        if (employee.hired > last || (employee.end.isValid() && employee.end < month))
            continue;
        const int department = employee.begin <= last ? employee.department : employee.previousDepartment;
        WORKER_SYNC_TIME sync = confirmation(draft, month, department);
        sync.key = draft.nextSyncKey++;
        sync.worker = employee.uid;
        if (employee.slot == LastMonthUnsynced && month.addMonths(1) == draft.monthStart) {
            sync.sync = false;
            sync.syncTime = QDateTime();
        }
        draft.org.syncTime.append(sync);
    }
}

QList<QPair<QDate, int>> workingDaysOfYear(const Draft& draft)
{
    QList<QPair<QDate, int>> days;
    for (QDate date = draft.yearStart; date <= draft.yearEnd; date = date.addDays(1)) {
        const int norm = draft.calendar.normSeconds(date);
        if (norm > 0)
            days.append(qMakePair(date, norm));
    }
    return days;
}

void addEmployees(Draft& draft, int count)
{
    const QList<QPair<QDate, int>> workingDays = workingDaysOfYear(draft);
    TYPE_ID nextHistoryUid = FirstWorkerHistoryUid;
    for (int index = 0; index < count; ++index) {
        const Employee employee = planEmployee(draft, index);
        addEmployeeObject(draft, employee);
        if (employee.previousDepartment >= 0)
            addWorkerHistory(draft, employee, nextHistoryUid++);
        addScheduleHistory(draft, employee);
        addNormTime(draft, employee, workingDays);
        addSyncTime(draft, employee);
        ++draft.departments[employee.department].staff;
        draft.employees.append(employee);
    }
}


_WORKER_ABSENCE_REASON_RECORD absence(Draft& draft, const QString& mark, const QDateTime& start, const QDateTime& end,
                                      bool timed, const QString& comment)
{
    _WORKER_ABSENCE_REASON_RECORD record;
    record.id = draft.nextAbsenceId++;
    record.reason = draft.reasons.value(mark);
    record.start = start;
    record.end = end;
    record.timed = timed;
    record.comment = comment;
    record.changeTime = at(start.date().addDays(-draft.random.between(3, 30)), draft.random.between(9, 17),
                           draft.random.between(0, 59));
    return record;
}

_WORKER_ABSENCE_REASON_RECORD fullDays(Draft& draft, const QString& mark, const QDate& first, const QDate& last,
                                       const QString& comment = QString())
{
    return absence(draft, mark, midnight(draft, first), midnight(draft, last), false, comment);
}

QDate dayOfMonth(Draft& draft, int low, int high)
{
    return draft.monthStart.addDays(draft.random.between(low, high));
}

QList<_WORKER_ABSENCE_REASON_RECORD> absencesOf(Draft& draft, const Employee& employee)
{
    switch (employee.slot) {
    case VacationFromLastMonth: {
        const QDate first = draft.monthStart.addDays(-draft.random.between(3, 8));
        return {fullDays(draft, QStringLiteral("О"), first, first.addDays(draft.random.between(9, 13)),
                         QStringLiteral("По графику отпусков"))};
    }
    case SickIntoNextMonth: {
        const QDate first = draft.monthEnd.addDays(-draft.random.between(1, 4));
        _WORKER_ABSENCE_REASON_RECORD sick = fullDays(draft, QStringLiteral("Б"), first,
                                                      first.addDays(draft.random.between(5, 9)),
                                                      QStringLiteral("Листок нетрудоспособности"));
        sick.changeTime = at(first, 9, 30);
        return {sick};
    }
    case DaysOff: {
        const QDate dayOff = dayOfMonth(draft, 2, 12);
        const QDate unpaid = dayOff.addDays(draft.random.between(4, 8));
        return {fullDays(draft, QStringLiteral("ОГ"), dayOff, dayOff),
                fullDays(draft, QStringLiteral("ДО"), unpaid, unpaid.addDays(1),
                         QStringLiteral("Семейные обстоятельства"))};
    }
    case MedicalCheck: {
        const QDate day = dayOfMonth(draft, 1, 25);
        return {absence(draft, QStringLiteral("МО"), at(day, 9), at(day, 12), true,
                        QStringLiteral("Периодический медосмотр"))};
    }
    case StudyLeave: {
        const QDate first = dayOfMonth(draft, 3, 10);
        return {fullDays(draft, QStringLiteral("У"), first, first.addDays(draft.random.between(2, 6)),
                         QStringLiteral("Сессия"))};
    }
    case BusinessTrip: {
        const QDate first = dayOfMonth(draft, 5, 15);
        return {fullDays(draft, QStringLiteral("КМ"), first, first.addDays(draft.random.between(2, 4)),
                         QStringLiteral("Инвентаризация в филиале"))};
    }
    case CivicDuty: {
        const QDate first = dayOfMonth(draft, 2, 20);
        return {absence(draft, QStringLiteral("Г"), at(first, 14), at(first.addDays(2), 12), true,
                        QStringLiteral("Повестка"))};
    }
    case Truancy: {
        const QDate day = dayOfMonth(draft, 1, 25);
        return {fullDays(draft, QStringLiteral("ПР"), day, day)};
    }
    default:
        return {};
    }
}

void addAbsences(Draft& draft)
{
    for (const Employee& employee : qAsConst(draft.employees)) {
        const QList<_WORKER_ABSENCE_REASON_RECORD> records = absencesOf(draft, employee);
        if (records.isEmpty())
            continue;
        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = employee.uid;
        reasons.records = records;
        draft.org.absences.insert(employee.uid, reasons);
    }
}


// Weekdays at work, half of them on the day shift and half on split hours of the employee's own.
void addPersonalSchedule(Draft& draft, const Employee& employee, int id)
{
    SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.name = QStringLiteral("Личный график: %1").arg(employee.person.shortName());
    schedule.kind = SCHEDULE_DATA::KindPersonal;
    schedule.color = QStringLiteral("#22B1A9");
    schedule.date = draft.monthStart;
    schedule.worker = employee.uid;
    draft.org.schedules.append(schedule);

    const QList<SCHEDULE_CALENDAR_INTERVAL> splitHours{interval(seconds(10), seconds(14), 0),
                                                        interval(seconds(15), seconds(19), 1)};
    QList<SCHEDULE_CALENDAR_DAY>& days = draft.org.calendarDays[id];
    for (QDate date = draft.monthStart; date <= draft.monthEnd; date = date.addDays(1)) {
        if (date.dayOfWeek() >= Qt::Saturday)
            continue;
        if (draft.random.chance(50))
            days.append(calendarDay(date, draft.shifts[DayShift], draft.shiftIntervals[DayShift]));
        else
            days.append(calendarDay(date, 0, splitHours));
    }
}

int pickHostDepartment(Draft& draft, const Employee& employee)
{
    const Site site = draft.departments.at(employee.department).site;
    QList<int> hosts;
    for (int index = 0; index < draft.departments.size(); ++index) {
        if (index != employee.department && draft.departments.at(index).site == site)
            hosts.append(index);
    }
    if (hosts.isEmpty())
        return pickOtherDepartment(draft, employee.department);
    return hosts.at(draft.random.index(hosts.size()));
}

void addAttachedWorker(Draft& draft, const Employee& employee, TYPE_ID uid)
{
    const Department& host = draft.departments.at(pickHostDepartment(draft, employee));
    const QDate begin = dayOfMonth(draft, 3, 15);
    const QDate end = begin.addDays(draft.random.between(2, 6));
    ObjectInfo trip = makeObject(uid, db::wt::ATTACHED_WORKER, host.uid, employee.person.fullName());
    trip.properties.insert(key(db::attached_worker::DATE_BEGIN), isoDate(begin));
    trip.properties.insert(key(db::attached_worker::DATE_END), isoDate(end));
    trip.properties.insert(key(db::attached_worker::WORKERNUM), employee.number);
    trip.properties.insert(key(db::attached_worker::JOBLINK), QString::number(employee.job));
    trip.properties.insert(key(db::attached_worker::DEPARTNAME), host.name);
    trip.properties.insert(key(db::attached_worker::DEPARTNUM), host.number);
    trip.properties.insert(key(db::attached_worker::CREATOR), QStringLiteral("planner"));
    addObject(draft, ATTACHED_WORKER_DATANAME, trip);
    link(draft, uid, employee.uid, INHERIT_ATTACHED_WORKER, begin, end);
    link(draft, uid, host.uid, INHERIT_ATTACHED_WORKER_DEPARTMENT, begin, end);
}

void addPersonalSchedulesAndTrips(Draft& draft)
{
    int nextScheduleId = FirstPersonalScheduleId;
    TYPE_ID nextTripUid = FirstAttachedWorkerUid;
    for (const Employee& employee : qAsConst(draft.employees)) {
        if (employee.slot == PersonalSchedule)
            addPersonalSchedule(draft, employee, nextScheduleId++);
        else if (employee.slot == AttachedElsewhere)
            addAttachedWorker(draft, employee, nextTripUid++);
    }
}


void addBreakRule(Draft& draft, TYPE_ID uid, const QString& name, int type, int from, int to, int breakTime,
                  const QDate& date, const QList<TYPE_ID>& targets)
{
    ObjectInfo rule = makeObject(uid, db::wt::BREAK_RULE, 0, name);
    rule.properties.insert(key(db::break_rule::TYPE), QString::number(type));
    rule.properties.insert(key(db::break_rule::TIME_FROM), QString::number(from));
    rule.properties.insert(key(db::break_rule::TIME_TO), QString::number(to));
    rule.properties.insert(key(db::break_rule::BREAK_TIME), QString::number(breakTime));
    rule.properties.insert(key(db::break_rule::DATE), isoDate(date));
    addObject(draft, BREAK_RULE_DATANAME, rule);
    for (TYPE_ID target : targets)
        link(draft, uid, target, INHERIT_BREAK_RULE_OBJECT);
}

// Firm-wide rules sit on the top departments; the warehouse got a longer lunch lately, and a
// few employees keep a short break of their own.
void addBreakRules(Draft& draft)
{
    QList<TYPE_ID> topDepartments;
    TYPE_ID warehouse = 0;
    for (const Department& department : qAsConst(draft.departments)) {
        if (!department.number.contains(QLatin1Char('.')))
            topDepartments.append(department.uid);
        if (department.site == Site::Warehouse && !warehouse)
            warehouse = department.uid;
    }
    const QDate longAgo(draft.yearStart.year() - 1, 1, 1);
    // The register shows the bounds as times of day, where a full 24 h would read "0:00".
    const int longestShift = seconds(23, 59);
    const int types = db::break_rule::TYPE_DEPARTMENTS;
    addBreakRule(draft, FirstBreakRuleUid, QStringLiteral("Перерыв 30 минут (смены 4-8 ч)"), types, seconds(4),
                 seconds(8), 1800, longAgo, topDepartments);
    addBreakRule(draft, FirstBreakRuleUid + 1, QStringLiteral("Обед 60 минут (смены от 8 ч)"), types, seconds(8),
                 longestShift, 3600, longAgo, topDepartments);
    addBreakRule(draft, FirstBreakRuleUid + 2, QStringLiteral("Склад: обед 45 минут"), types, seconds(8), longestShift,
                 2700, draft.monthStart.addMonths(-2), {warehouse});

    QList<TYPE_ID> ownRule;
    for (const Employee& employee : qAsConst(draft.employees)) {
        if (employee.slot == OwnBreakRule && ownRule.size() < 5)
            ownRule.append(employee.uid);
    }
    if (!ownRule.isEmpty())
        addBreakRule(draft, FirstBreakRuleUid + 3, QStringLiteral("Индивидуальный перерыв 20 минут"),
                     db::break_rule::TYPE_EMPLOYEES, seconds(4), longestShift, 1200, draft.monthStart.addMonths(-1),
                     ownRule);
}


qint64 salesPlan(Draft& draft, const Department& department, const QDate& date)
{
    const double base = department.number.contains(QLatin1Char('.')) ? 180000.0 : 420000.0;
    const bool weekend = date.dayOfWeek() >= Qt::Saturday || draft.calendar.isHoliday(date);
    const double factor = (weekend ? 1.4 : 1.0) * draft.random.between(8500, 11500) / 10000.0;
    return qint64(std::round(base * factor / 100.0)) * 100;
}

int hoursBudget(Draft& draft, const Department& department, const QDate& date)
{
    const bool working = draft.calendar.isWorkingDay(date);
    const bool weekend = date.dayOfWeek() >= Qt::Saturday || draft.calendar.isHoliday(date);
    const int staff = qMax(1, department.staff);
    switch (department.site) {
    case Site::Shop:
        return staff * (weekend ? 7 : 5) + draft.random.between(0, 4);
    case Site::Warehouse:
        return staff * (working ? 6 : 3) + draft.random.between(0, 2);
    case Site::Office:
        return working ? staff * 8 : 0;
    }
    return 0;
}

void addBudgets(Draft& draft)
{
    for (const Department& department : qAsConst(draft.departments)) {
        for (QDate date = draft.yearStart; date <= draft.yearEnd; date = date.addDays(1)) {
            if (department.site == Site::Shop) {
                SALES_PLAN plan;
                plan.id = draft.org.salesPlan.size() + 1;
                plan.date = date;
                plan.department = department.uid;
                plan.value = salesPlan(draft, department, date);
                draft.org.salesPlan.append(plan);
            }
            const int hours = hoursBudget(draft, department, date);
            if (hours <= 0)
                continue;
            HOURS_BUDGET budget;
            budget.id = draft.org.hoursBudget.size() + 1;
            budget.date = date;
            budget.department = department.uid;
            // The budget travels in seconds, like every other time figure of the plan.
            budget.value = hours * 3600;
            draft.org.hoursBudget.append(budget);
        }
    }
}


void addReport(Draft& draft)
{
    addObject(draft, REPORT_DATANAME, makeObject(ReportUid, ReportType, 0, key(PlanningReportName)));
}

QStringList roles(const char* area, const QStringList& actions)
{
    QStringList result;
    for (const QString& action : actions)
        result.append(QStringLiteral("RL_WTPLANNINGVIEW_%1_%2").arg(key(area), action));
    return result;
}

DemoUser user(const QString& login, const QString& fullName, const QStringList& roleList)
{
    DemoUser result;
    result.login = login;
    result.password = login + QStringLiteral("2026");
    result.fullName = fullName;
    result.roles = roleList;
    return result;
}

void addUsers(Draft& draft)
{
    const QStringList registerActions{QStringLiteral("SHOW"), QStringLiteral("CREATE"), QStringLiteral("UPDATE"),
                                      QStringLiteral("DELETE")};
    const QStringList registers = roles("BREAKRULE", registerActions) + roles("ATTACHED", registerActions);
    const QStringList workTime =
        roles("WORKTIME", {QStringLiteral("SHOW"), QStringLiteral("SET"), QStringLiteral("APPROVE")});
    const QStringList shows{QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"),
                            QStringLiteral("RL_WTPLANNINGVIEW_BREAKRULE_SHOW"),
                            QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_SHOW")};
    draft.org.users = {
        user(QStringLiteral("planner"), QStringLiteral("Планировщик графиков"), workTime + registers),
        user(QStringLiteral("viewer"), QStringLiteral("Наблюдатель"), shows),
        user(QStringLiteral("hr"), QStringLiteral("Специалист отдела кадров"), registers),
    };
}

} // namespace

DemoOrganisation DemoOrganisationGenerator::generate(int employees, const QDate& today, quint32 seed)
{
    if (!today.isValid()) {
        qCWarning(lcServerCore) << Q_FUNC_INFO << "invalid date, no demo organisation";
        return DemoOrganisation();
    }
    Draft draft(today, seed);
    addDepartments(draft);
    addJobs(draft);
    addShifts(draft);
    addSchedules(draft);
    addReasons(draft);
    addEmployees(draft, qMax(0, employees));
    addAbsences(draft);
    addPersonalSchedulesAndTrips(draft);
    addBreakRules(draft);
    addBudgets(draft);
    addReport(draft);
    addUsers(draft);
    return draft.org;
}
