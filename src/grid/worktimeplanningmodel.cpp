#include "worktimeplanningmodel.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "ovguiglobals.h"
#include "vocabulary.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QVariantMap>

#include <algorithm>

using namespace orvanta;

namespace {

constexpr int secondsPerDay = 86400;
constexpr int anyReason = WorkTimeData::AnyReasonTime;
const char timeStartKey[] = "time_start";
const char timeFinishKey[] = "time_finish";

QString key(const char* name)
{
    return QLatin1String(name);
}

// Same text as QTime(0, 0).addSecs(seconds).toString("hh:mm"), without the parsing of a
// format on every cell.
QString hhmm(int seconds)
{
    const int ofDay = ((seconds % secondsPerDay) + secondsPerDay) % secondsPerDay;
    const int hours = ofDay / 3600;
    const int minutes = ofDay % 3600 / 60;
    const QChar text[5] = {QLatin1Char(char('0' + hours / 10)), QLatin1Char(char('0' + hours % 10)),
                           QLatin1Char(':'), QLatin1Char(char('0' + minutes / 10)),
                           QLatin1Char(char('0' + minutes % 10))};
    return QString(text, 5);
}

// Same text as QString::number(seconds / 3600.0, 'f', 2) in integers: a hundredth of an hour is 36 s. The
// exact halves (and negative values) keep the double formatting, so the rounding stays the same.
QString hours(qint64 seconds)
{
    if (seconds < 0 || seconds % 36 == 18)
        return QString::number(double(seconds) / 3600.0, 'f', 2);
    const qint64 hundredths = (seconds + 18) / 36;
    return QString::number(hundredths / 100) % QLatin1Char('.') % QLatin1Char(char('0' + hundredths % 100 / 10))
        % QLatin1Char(char('0' + hundredths % 10));
}

const QColor& paletteColor(const char* name)
{
    // QColor parses its name on every construction.
    static QHash<const char*, QColor> colors;
    auto known = colors.find(name);
    if (known == colors.end())
        known = colors.insert(name, QColor(QLatin1String(name)));
    return known.value();
}

QString jobName(TYPE_ID jobUid)
{
    return OVGlobals::objectName(LocalStorage::instance()->constObject(jobUid, key(JOB_DATANAME)));
}

QVariant intervalMap(int start, int finish)
{
    QVariantMap map;
    map.insert(key(timeStartKey), start);
    map.insert(key(timeFinishKey), finish);
    return map;
}

bool outsideEmployment(const WorkTimeData& row, const QDate& date)
{
    return (row.emplStart().isValid() && date < row.emplStart())
        || (row.emplFinish().isValid() && date > row.emplFinish());
}

template<typename T>
void appendDistinct(QList<T>& list, const T& value)
{
    if (!list.contains(value))
        list.append(value);
}

} // namespace

WorkTimePlanningModel::WorkTimePlanningModel(QObject* parent) : QAbstractItemModel(parent)
{
    LocalStorage* store = LocalStorage::instance();
    connect(store, &LocalStorage::dataChanged, this, &WorkTimePlanningModel::forgetReasons);
    connect(store, &LocalStorage::dataRemoved, this, &WorkTimePlanningModel::forgetReasons);
    connect(store, &LocalStorage::cleared, this, [this] {
        m_reasonLooks.clear();
        forgetDayLooks();
    });
    // The tool tips name the schedules.
    connect(store, &LocalStorage::scheduleChanged, this, &WorkTimePlanningModel::forgetDayLooks);
    connect(store, &LocalStorage::scheduleRemoved, this, &WorkTimePlanningModel::forgetDayLooks);
}

WorkTimePlanningModel::~WorkTimePlanningModel() = default;

QModelIndex WorkTimePlanningModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= m_rows.size() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex WorkTimePlanningModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

int WorkTimePlanningModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int WorkTimePlanningModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return FirstDateColumn + daysCount();
}

int WorkTimePlanningModel::daysCount() const
{
    if (!m_dateStart.isValid() || !m_dateFinish.isValid() || m_dateStart > m_dateFinish)
        return 0;
    return int(m_dateStart.daysTo(m_dateFinish)) + 1;
}

int WorkTimePlanningModel::dateToColumn(const QDate& date) const
{
    const int day = dayIndexByDate(date);
    return day < 0 ? -1 : day + FirstDateColumn;
}

QDate WorkTimePlanningModel::columnToDate(int column) const
{
    if (!isVariableColumn(column))
        return QDate();
    return m_dateStart.addDays(column - FirstDateColumn);
}

int WorkTimePlanningModel::dayIndexByDate(const QDate& date) const
{
    if (!date.isValid() || daysCount() == 0 || date < m_dateStart || date > m_dateFinish)
        return -1;
    return int(m_dateStart.daysTo(date));
}

int WorkTimePlanningModel::objectIdToRow(unsigned int uid) const
{
    return m_rowByUid.value(uid, -1);
}

bool WorkTimePlanningModel::isVariableColumn(int column) const
{
    return column >= FirstDateColumn && column < columnCount();
}

const WorkTimeData* WorkTimePlanningModel::rowForUid(unsigned int uid, const char* function,
                                                     const char* phrase) const
{
    const int row = objectIdToRow(uid);
    if (row < 0) {
        qCWarning(lcWtPlanning) << function << phrase << uid;
        return nullptr;
    }
    return &m_rows.at(row);
}

int WorkTimePlanningModel::rowIndexForUid(unsigned int uid, const char* function) const
{
    const int row = objectIdToRow(uid);
    if (row < 0)
        qCWarning(lcWtPlanning) << function << "employee not found" << uid;
    return row;
}

WorkTimeData& WorkTimePlanningModel::editRow(int row)
{
    m_figures[row].valid = false;
    m_dayLooks[row].clear();
    m_dateTotals.clear();
    return m_rows[row];
}

void WorkTimePlanningModel::forgetFigures()
{
    m_figures = QVector<RowFigures>(m_rows.size());
    m_dayLooks = QVector<QVector<DayLook>>(m_rows.size());
    m_dateTotals.clear();
}

void WorkTimePlanningModel::forgetDayLooks()
{
    for (QVector<DayLook>& looks : m_dayLooks)
        looks.clear();
}

const QVector<qint64>& WorkTimePlanningModel::dateTotals() const
{
    // The header asks for every date on every paint; the sums change only with the rows.
    const int days = daysCount();
    if (m_dateTotals.size() == days)
        return m_dateTotals;
    m_dateTotals.fill(0, days);
    for (int row = 0; row < m_rows.size(); ++row) {
        const RowFigures& f = figures(row);
        for (int day = 0; day < days; ++day)
            m_dateTotals[day] += f.dayTime.at(day) + f.dayWorkReason.at(day);
    }
    return m_dateTotals;
}

const WorkTimePlanningModel::RowFigures& WorkTimePlanningModel::figures(int row) const
{
    RowFigures& f = m_figures[row];
    if (!f.valid)
        computeFigures(m_rows.at(row), f);
    return f;
}

// An attached row stands for the worker in this department only during the trip: on other dates his
// hours belong to his own department (where they are counted) and his cell shows "-". The days keep the
// schedule's intervals all the same, because a personal schedule created from the row writes every day.
bool WorkTimePlanningModel::countsInDateTotals(const WorkTimeData& row, const QDate& date)
{
    return !row.isAttached() || row.inAttachedRange(date);
}

// One walk over the days gives every sum of the row. Each day counts as WorkTimeData's
// own totals count it (totalTime, timeForDate, the reason totals, attached and detached
// time); the tests hold the two to the same results.
void WorkTimePlanningModel::computeFigures(const WorkTimeData& r, RowFigures& f) const
{
    const int days = daysCount();
    f = RowFigures();
    f.dayTime.resize(days);
    f.dayWorkReason.resize(days);
    f.plan = r.totalPlan(false);
    f.planContinuous = r.totalPlan(true);
    const bool trips = !r.attached().isEmpty();
    int fullReason = 0;
    int fullReasonContinuous = 0;
    int partReason = 0;
    int partReasonContinuous = 0;
    QDate date = m_dateStart;
    for (int i = 0; i < days; ++i, date = date.addDays(1)) {
        const bool valid = r.isValidDate(date, false);
        const bool validContinuous = r.isValidDate(date, true);
        const bool fullDay = r.hasFullDayReason(date, anyReason);
        const int time = i < r.days().size() ? r.days().at(i).time() : 0;
        const int counted = fullDay ? 0 : time;
        f.time += valid ? counted : 0;
        f.timeContinuous += validContinuous ? counted : 0;
        const bool inDateTotals = countsInDateTotals(r, date);
        f.dayTime[i] = valid && inDateTotals ? counted : 0;

        const int part = r.partDayReasonTime(date, anyReason);
        const int full = fullDay ? r.fullDayReasonTime(date, anyReason) : 0;
        partReason += valid ? part : 0;
        partReasonContinuous += validContinuous ? part : 0;
        fullReason += valid ? full : 0;
        fullReasonContinuous += validContinuous ? full : 0;
        const int workReason = r.partDayReasonTime(date, WorkTimeData::WorkTime);
        f.dayWorkReason[i] = inDateTotals ? workReason : 0;
        f.workReasonTime += valid ? workReason : 0;

        if (trips && r.inAttachedRange(date)) {
            if (r.isAttached())
                f.attachedTime += time;
            else if (valid)
                f.detachedTime += time;
        }
    }
    f.reasonTime = fullReason + partReason;
    f.reasonTimeContinuous = fullReasonContinuous + partReasonContinuous;
    // planningBalance over the period from the sums above, in the same double arithmetic.
    f.balance = int(double(f.planContinuous)
                    - (double(f.timeContinuous) + double(partReasonContinuous) + double(fullReasonContinuous)));
    f.valid = true;
}

WorkTimeData WorkTimePlanningModel::workTimeData(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? *row : WorkTimeData();
}

WORKER_SCHEDULE_HISTORY_V2 WorkTimePlanningModel::objectScheduleHistory(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? row->scheduleHistory() : WORKER_SCHEDULE_HISTORY_V2();
}

_WORKER_ABSENCE_REASON WorkTimePlanningModel::objectAbsenceReasons(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? row->absenceReasons() : _WORKER_ABSENCE_REASON();
}

bool WorkTimePlanningModel::isAttached(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row && row->isAttached();
}

bool WorkTimePlanningModel::inAttachedRange(unsigned int uid, const QDate& date) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row && row->inAttachedRange(date);
}

bool WorkTimePlanningModel::isPersonalSchedule(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    if (!row)
        return false;
    QDate base;
    const int schedule = WorkTimeUtils::scheduleIdByDate(uid, m_dateStart, row->scheduleHistory(), base);
    const bool personal = LocalStorage::instance()->schedules().constValue(schedule).kind == SCHEDULE_DATA::KindPersonal;
    if (personal && !(row->changes() & WorkTimeData::DeletePersonalSchedule))
        return true;
    return row->changes() & WorkTimeData::CreatePersonalSchedule;
}

bool WorkTimePlanningModel::isDateEditable(unsigned int uid, const QDate& date) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row && dateEditable(*row, date);
}

bool WorkTimePlanningModel::dateEditable(const WorkTimeData& row, const QDate& date) const
{
    if (!row.isValidDate(date, false))
        return false;
    if (row.isAttached() ? !row.inAttachedRange(date) : row.inAttachedRange(date))
        return false;
    if (dayIndexByDate(date) < 0)
        return false;
    const QPair<QDate, QDate> editable = WorkTimeUtils::editableRange();
    if (date < editable.first || date > editable.second)
        return false;
    return !m_readOnly;
}

bool WorkTimePlanningModel::hasChanges() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [](const WorkTimeData& row) { return row.hasChanges(); });
}

bool WorkTimePlanningModel::hasChanges(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "unknown employee");
    return row && row->hasChanges();
}

QList<unsigned int> WorkTimePlanningModel::changedUids() const
{
    QList<unsigned int> uids;
    for (const WorkTimeData& row : m_rows) {
        if (row.hasChanges())
            uids.append(row.uid());
    }
    return uids;
}

QSet<unsigned int> WorkTimePlanningModel::changedUidSet() const
{
    QSet<unsigned int> uids;
    for (const WorkTimeData& row : m_rows) {
        if (row.hasChanges())
            uids.insert(row.uid());
    }
    return uids;
}

bool WorkTimePlanningModel::isConfirmEnabled() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(),
                       [](const WorkTimeData& row) { return !row.saveTime().isValid(); });
}

QList<unsigned int> WorkTimePlanningModel::employeesForConfirm() const
{
    QList<unsigned int> uids;
    for (const WorkTimeData& row : m_rows) {
        if (!row.saveTime().isValid())
            uids.append(row.uid());
    }
    return uids;
}

QList<TYPE_ID> WorkTimePlanningModel::fullDayReasons(int row, const QDate& date) const
{
    QList<TYPE_ID> reasons;
    if (row < 0 || row >= m_rows.size())
        return reasons;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_rows.at(row).absenceReasons().records) {
        if (WorkTimeUtils::isFullDayAbsenceReason(date, record))
            appendDistinct(reasons, record.reason);
    }
    return reasons;
}

QList<TYPE_ID> WorkTimePlanningModel::partDayReasons(int row, const QDate& date) const
{
    QList<TYPE_ID> reasons;
    if (row < 0 || row >= m_rows.size())
        return reasons;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_rows.at(row).absenceReasons().records) {
        if (!record.timed)
            continue;
        // A record ending at midnight leaves nothing of that day.
        const bool endsInDay = record.end.date() == date && record.end.time() > QTime(0, 0);
        if (record.start.date() == date || endsInDay)
            appendDistinct(reasons, record.reason);
    }
    return reasons;
}

bool WorkTimePlanningModel::hasFullDayReason(int row, const QDate& date) const
{
    return row >= 0 && row < m_rows.size() && m_rows.at(row).hasFullDayReason(date, anyReason);
}

bool WorkTimePlanningModel::hasPartDayReason(int row, const QDate& date) const
{
    return !partDayReasons(row, date).isEmpty();
}

QStringList WorkTimePlanningModel::fullDayReasonMarks(int row, const QDate& date) const
{
    return reasonMarks(fullDayReasons(row, date));
}

QStringList WorkTimePlanningModel::partDayReasonMarks(int row, const QDate& date) const
{
    return reasonMarks(partDayReasons(row, date));
}

QColor WorkTimePlanningModel::fullDayReasonColor(int row, const QDate& date) const
{
    return reasonColor(fullDayReasons(row, date));
}

QColor WorkTimePlanningModel::partDayReasonColor(int row, const QDate& date) const
{
    return reasonColor(partDayReasons(row, date));
}

const WorkTimePlanningModel::ReasonLook& WorkTimePlanningModel::reasonLook(TYPE_ID reason) const
{
    auto cached = m_reasonLooks.find(reason);
    if (cached == m_reasonLooks.end()) {
        const ObjectInfo object = LocalStorage::instance()->constObject(reason, key(REASON_DATANAME));
        const ReasonLook look{object.property(key(db::reason::MARK)),
                              object.property(key(db::reason::PLANNING_COLOR))};
        cached = m_reasonLooks.insert(reason, look);
    }
    return cached.value();
}

QStringList WorkTimePlanningModel::reasonMarks(const QList<TYPE_ID>& reasons) const
{
    QStringList marks;
    for (TYPE_ID reason : reasons) {
        const QString& mark = reasonLook(reason).mark;
        // A reason without a mark has nothing to show; the day falls back to its time.
        if (!mark.isEmpty() && !marks.contains(mark))
            marks.append(mark);
    }
    return marks;
}

QColor WorkTimePlanningModel::reasonColor(const QList<TYPE_ID>& reasons) const
{
    if (!reasons.isEmpty()) {
        const QString& color = reasonLook(reasons.first()).color;
        if (!color.isEmpty())
            return QColor(color);
    }
    return paletteColor(wt::color::ORANGE);
}

void WorkTimePlanningModel::forgetReasons(const QString& dataname)
{
    if (dataname == QLatin1String(REASON_DATANAME)) {
        m_reasonLooks.clear();
        forgetDayLooks();
    }
}

qint64 WorkTimePlanningModel::totalTimeForDate(const QDate& date) const
{
    const int day = dayIndexByDate(date);
    qint64 total = 0;
    for (int row = 0; day >= 0 && row < m_rows.size(); ++row)
        total += figures(row).dayTime.at(day);
    return total;
}

qint64 WorkTimePlanningModel::totalReasonForDate(const QDate& date, int mask) const
{
    qint64 total = 0;
    if (mask == WorkTimeData::WorkTime) {
        const int day = dayIndexByDate(date);
        for (int row = 0; day >= 0 && row < m_rows.size(); ++row)
            total += figures(row).dayWorkReason.at(day);
        return total;
    }
    for (const WorkTimeData& row : m_rows) {
        if (countsInDateTotals(row, date))
            total += row.partDayReasonTime(date, mask);
    }
    return total;
}

qint64 WorkTimePlanningModel::totalTime() const
{
    qint64 total = 0;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (!m_rows.at(row).isAttached())
            total += figures(row).time;
    }
    return total;
}

qint64 WorkTimePlanningModel::totalReasonWorkTime() const
{
    qint64 total = 0;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (!m_rows.at(row).isAttached())
            total += figures(row).workReasonTime;
    }
    return total;
}

qint64 WorkTimePlanningModel::totalAttachedTime() const
{
    qint64 total = 0;
    for (int row = 0; row < m_rows.size(); ++row)
        total += figures(row).attachedTime;
    return total;
}

qint64 WorkTimePlanningModel::totalDetachedTime() const
{
    qint64 total = 0;
    for (int row = 0; row < m_rows.size(); ++row)
        total += figures(row).detachedTime;
    return total;
}

qint64 WorkTimePlanningModel::totalSalesPlan() const
{
    qint64 total = 0;
    for (qint64 value : m_salesPlan)
        total += value;
    return total;
}

qint64 WorkTimePlanningModel::totalHoursBudget() const
{
    qint64 total = 0;
    for (qint64 value : m_hoursBudget)
        total += value;
    return total;
}

WorkTimePlanningModel::DayState WorkTimePlanningModel::dayState(const WorkTimeData& row, const QDate& date) const
{
    DayState state;
    if (row.isAttached()) {
        state.outside = !row.inAttachedRange(date);
    } else {
        state.outside = outsideEmployment(row, date);
        state.attachedElsewhere = !state.outside && row.inAttachedRange(date);
    }
    state.fullDay = row.hasFullDayReason(date, anyReason);
    return state;
}

const WorkTimeData::Day* WorkTimePlanningModel::dayAt(const WorkTimeData& row, const QDate& date) const
{
    const int index = dayIndexByDate(date);
    return index >= 0 && index < row.days().size() ? &row.days().at(index) : nullptr;
}

QVariant WorkTimePlanningModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const WorkTimeData& row = m_rows.at(index.row());
    switch (role) {
    case UidRole:
        return row.uid();
    case AttachedRole:
        return row.isAttached();
    case HasChangesRole:
        return row.hasChanges();
    case DateRole:
        return columnToDate(index.column());
    default:
        break;
    }
    if (isFixedColumn(index.column()))
        return fixedColumnData(row, index.row(), index.column(), role);
    const QDate date = columnToDate(index.column());
    if (!date.isValid())
        return QVariant();
    return dateColumnData(row, index.row(), date, role);
}

QVariant WorkTimePlanningModel::fixedColumnData(const WorkTimeData& row, int rowIndex, int column, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case NameColumn:
            return row.name().trimmed();
        case JobColumn:
            return jobName(row.jobUid());
        case HoursColumn:
            return hoursDisplay(rowIndex);
        case BalanceColumn:
            return balanceDisplay(row, rowIndex);
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        if (column == StateColumn) {
            const char* icon = row.hasChanges() ? "action-edit"
                : !row.saveTime().isValid()     ? "common-save"
                                                : "common-online";
            return QIcon::fromTheme(QLatin1String(icon));
        }
        if (column == NameColumn)
            return QIcon::fromTheme(QStringLiteral("object-OT_WORKER"));
        return QVariant();
    case Qt::ToolTipRole:
        if (column == StateColumn)
            return stateToolTip(row);
        if (column == NameColumn)
            return nameToolTip(row);
        if (column == BalanceColumn)
            return balanceToolTip(rowIndex);
        return QVariant();
    case Qt::FontRole:
        if (column == NameColumn && row.hasChanges()) {
            QFont font;
            font.setWeight(QFont::Bold);
            return font;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (column == NameColumn || column == JobColumn)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        if (column == HoursColumn)
            return int(Qt::AlignCenter);
        return QVariant();
    case Qt::ForegroundRole:
        if (column == NameColumn && row.isAttached())
            return QColor(Qt::darkGray);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant WorkTimePlanningModel::dateColumnData(const WorkTimeData& row, int rowIndex, const QDate& date,
                                               int role) const
{
    const DayLook& look = dayLook(rowIndex, dayIndexByDate(date));
    const bool counted = look.state.shown() && !look.state.fullDay;
    switch (role) {
    case Qt::DisplayRole:
        return look.display;
    case Qt::ToolTipRole:
        return dayToolTip(row, look, date);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        return counted && look.time > 0 ? QVariant(OVGuiGlobals::lightYellow()) : QVariant();
    case DayStartRole:
        return look.start;
    case DayFinishRole:
        return look.finish;
    case DayTimeRole:
        return counted ? look.time : 0;
    case PartDayWorkReasonRole:
        return counted ? look.workReason : 0;
    case IntervalRole:
        return intervalMap(look.start, look.finish);
    case DateEditableRole:
        return dateEditable(row, date);
    case MarksRole:
        return dayMarks(look);
    case DayColorRole:
        return dayColor(look);
    default:
        return QVariant();
    }
}

const WorkTimePlanningModel::DayLook& WorkTimePlanningModel::dayLook(int rowIndex, int dayIndex) const
{
    QVector<DayLook>& looks = m_dayLooks[rowIndex];
    if (looks.isEmpty())
        computeDayLooks(rowIndex, looks);
    return looks.at(dayIndex);
}

// Every role of a cell asks the same questions of the row (state, reasons, marks, time); a row's days are
// answered together when the row is first shown and kept until the row changes.
void WorkTimePlanningModel::computeDayLooks(int rowIndex, QVector<DayLook>& looks) const
{
    const WorkTimeData& row = m_rows.at(rowIndex);
    looks.resize(daysCount());
    QDate date = m_dateStart;
    for (int i = 0; i < looks.size(); ++i, date = date.addDays(1)) {
        DayLook& look = looks[i];
        look.state = dayState(row, date);
        look.validDate = row.isValidDate(date, false);
        if (const WorkTimeData::Day* day = dayAt(row, date)) {
            look.time = day->time();
            look.start = day->start();
            look.finish = day->finish();
        }
        const QList<TYPE_ID> fullReasons = fullDayReasons(rowIndex, date);
        const QList<TYPE_ID> partReasons = partDayReasons(rowIndex, date);
        look.partDay = !partReasons.isEmpty();
        look.fullMarks = reasonMarks(fullReasons).join(QLatin1Char('/'));
        look.partMarks = reasonMarks(partReasons).join(QLatin1Char('/'));
        look.fullColor = reasonColor(fullReasons);
        look.partColor = reasonColor(partReasons);
        look.workReason = row.partDayReasonTime(date, WorkTimeData::WorkTime);
        look.absence = row.fullDayReasonTime(date, anyReason) + row.partDayReasonTime(date, anyReason);
        look.display = dayDisplay(look);
    }
}

QString WorkTimePlanningModel::dayDisplay(const DayLook& look)
{
    if (look.state.outside)
        return QStringLiteral("-");
    if (look.state.attachedElsewhere)
        return QStringLiteral("К");
    if (look.state.fullDay)
        return QStringLiteral("-");
    if (!look.fullMarks.isEmpty())
        return look.fullMarks;
    if (look.time < 1)
        return look.partMarks.isEmpty() ? QStringLiteral("В") : look.partMarks;
    return hhmm(look.start) % QLatin1Char('-') % hhmm(look.finish);
}

QVariant WorkTimePlanningModel::dayMarks(const DayLook& look)
{
    if (look.state.outside)
        return QString();
    if (look.state.attachedElsewhere)
        return QStringLiteral("К");
    if (!look.fullMarks.isEmpty())
        return look.fullMarks;
    if (!look.partMarks.isEmpty())
        return look.partMarks;
    if (look.time == 0)
        return QStringLiteral("В");
    return QVariant();
}

QVariant WorkTimePlanningModel::dayColor(const DayLook& look)
{
    if (look.state.attachedElsewhere)
        return paletteColor(wt::color::BLUE);
    if (look.state.fullDay)
        return look.fullColor;
    if (look.time == 0)
        return look.partDay ? look.partColor : paletteColor(wt::color::LIGHTGRAY);
    return look.partDay ? QVariant(look.partColor) : QVariant();
}

QString WorkTimePlanningModel::dayToolTip(const WorkTimeData& row, const DayLook& look, const QDate& date) const
{
    if (!look.scheduleLooked) {
        static const WORKER_SCHEDULE_HISTORY_V2 noHistory;
        const auto history = m_scheduleHistory.constFind(row.uid());
        QDate base;
        const int schedule = WorkTimeUtils::scheduleIdByDate(
            row.uid(), date, history != m_scheduleHistory.constEnd() ? *history : noHistory, base);
        const SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
        const auto known = schedules.constFind(schedule);
        look.scheduleKnown = known != schedules.constEnd();
        look.scheduleName = look.scheduleKnown ? known->name : QString();
        look.scheduleLooked = true;
    }
    const QLatin1String lineBreak("<br/>");
    QString text;
    if (look.scheduleKnown)
        text = QStringLiteral("График работ: ") % look.scheduleName;
    if (!look.validDate)
        return text;
    if (!text.isEmpty())
        text += lineBreak;
    int shiftTime = 0;
    if (look.time >= 1 && !look.state.fullDay) {
        shiftTime = look.time;
        text += QStringLiteral("Время начала: ") % hhmm(look.start) % lineBreak % QStringLiteral("Время окончания: ")
            % hhmm(look.finish) % lineBreak % QStringLiteral("Продолжительность смены: ") % hours(shiftTime)
            % lineBreak;
    }
    text += QStringLiteral("Время отсутствий: ") % hours(look.absence) % lineBreak % QStringLiteral("<b>Всего: ")
        % hours(shiftTime + look.absence) % QLatin1String("</b>");
    return text;
}

QString WorkTimePlanningModel::stateToolTip(const WorkTimeData& row) const
{
    if (row.hasChanges())
        return QStringLiteral("График работы не сохранен");
    if (!row.saveTime().isValid())
        return QStringLiteral("График работы сохранен");
    const QLocale locale;
    const QString approved =
        QStringLiteral("График работы утвержден: %1").arg(locale.toString(row.saveTime(), QLocale::ShortFormat));
    if (!row.isSync())
        return approved;
    return approved
        + QStringLiteral("\nГрафик работы синхронизирован: %1").arg(locale.toString(row.syncTime(), QLocale::ShortFormat));
}

QString WorkTimePlanningModel::nameToolTip(const WorkTimeData& row) const
{
    // "Ta" of the last label is Latin, as the users have always seen it.
    return QStringList{QStringLiteral("ФИО: ") + row.name().trimmed(),
                       QStringLiteral("Должность: ") + jobName(row.jobUid()),
                       QStringLiteral("Taб.№: ") + row.number()}
        .join(QStringLiteral("\r\n"));
}

QString WorkTimePlanningModel::balanceToolTip(int rowIndex) const
{
    const RowFigures& f = figures(rowIndex);
    const qint64 balance = qint64(f.planContinuous) - (qint64(f.timeContinuous) + f.reasonTimeContinuous);
    return QStringLiteral("<html>Норма по графику 1С: %1<br/>Запланировано: %2<br/>Часов отсутствий: %3<br/>"
                          "<b>Баланс: %4</b></html>")
        .arg(hours(f.planContinuous), hours(f.timeContinuous), hours(f.reasonTimeContinuous), hours(balance));
}

QString WorkTimePlanningModel::hoursDisplay(int rowIndex) const
{
    const RowFigures& f = figures(rowIndex);
    return hours(f.plan) % QLatin1String(" / ") % hours(qint64(f.time) + f.reasonTime);
}

QString WorkTimePlanningModel::balanceDisplay(const WorkTimeData& row, int rowIndex) const
{
    const RowFigures& f = figures(rowIndex);
    QString carried = QStringLiteral("???");
    if (!m_planningBalance.isEmpty()) {
        const PLANNING_BALANCE brought = m_planningBalance.value(row.uid());
        carried = hours(qint64(brought.norm) - brought.time + f.balance);
    }
    return hours(f.balance) % QLatin1String(" / ") % carried;
}

QVariant WorkTimePlanningModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QVariant();
    const QDate date = columnToDate(section);
    switch (role) {
    case Qt::DisplayRole:
        switch (section) {
        case NameColumn:
            return QStringLiteral("ФИО");
        case JobColumn:
            return QStringLiteral("Должность");
        case HoursColumn:
            return QStringLiteral("Кол-во часов");
        case BalanceColumn:
            return QStringLiteral("Баланс часов");
        default:
            return date.isValid() ? QVariant(m_salesPlan.value(date, 0)) : QVariant();
        }
    case Qt::ToolTipRole:
        if (section == HoursColumn)
            return QStringLiteral("Норма по графику 1С / Запланировано часов");
        if (section == BalanceColumn)
            return QStringLiteral("Баланс часов / Баланс нарастающим итогом");
        return date.isValid() ? QVariant(date) : QVariant();
    case DayTimeRole:
        return date.isValid() ? QVariant(dateTotals().at(dayIndexByDate(date))) : QVariant();
    case DateRole:
        return date.isValid() ? QVariant(date) : QVariant();
    case SalesPlanRole:
        return date.isValid() ? QVariant(m_salesPlan.value(date, 0)) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags WorkTimePlanningModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return Qt::NoItemFlags;
    if (isFixedColumn(index.column()))
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const QDate date = columnToDate(index.column());
    if (!date.isValid())
        return Qt::ItemIsEnabled;
    const WorkTimeData& row = m_rows.at(index.row());
    if (row.isAttached() && !row.inAttachedRange(date))
        return Qt::ItemIsEnabled;
    if (!dateEditable(row, date) || row.hasFullDayReason(date, anyReason))
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;
}

bool WorkTimePlanningModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const QDate date = columnToDate(index.column());
    if (!index.isValid() || !date.isValid() || index.row() >= m_rows.size() || m_readOnly || role != IntervalRole)
        return false;
    const unsigned int uid = m_rows.at(index.row()).uid();
    // A full-day absence leaves nothing to plan on that day.
    if (!dateEditable(m_rows.at(index.row()), date) || m_rows.at(index.row()).hasFullDayReason(date, anyReason))
        return false;

    TYPE_ID owner = uid;
    bool attached = m_rows.at(index.row()).isAttached();
    if (attached) {
        const QList<ObjectInfo> trips = m_rows.at(index.row()).attachedWorkers(date, date);
        if (trips.isEmpty())
            attached = false;
        else
            owner = trips.first().uid;
    }

    const QVariantMap map = value.toMap();
    const int start = map.value(key(timeStartKey)).toInt();
    int finish = map.value(key(timeFinishKey)).toInt();
    if (finish < start)
        finish += secondsPerDay;

    const QDateTime midnight = date.startOfDay();
    const QDateTime shiftStart = midnight.addSecs(start);
    const QDateTime shiftFinish = midnight.addSecs(finish);
    const int night = WorkTimeUtils::nightTime(uid, shiftStart, shiftFinish);
    const int span = finish - start;
    // The break never exceeds the daytime part of the shift.
    const int breakTime = qMin(WorkTimeUtils::getBreakTime(owner, attached, date, span), span - night);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "shift_time" << hhmm(span) << "night_time" << hhmm(night)
                          << "break_time" << hhmm(breakTime);

    const int dayIndex = dayIndexByDate(date);
    if (dayIndex >= m_rows.at(index.row()).days().size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << uid << date;
        return false;
    }
    const bool personal = isPersonalSchedule(uid);
    WorkTimeData& row = editRow(index.row());
    row.setChanged(dayEditChanges(personal, row.changes(), false));
    QList<WorkTimeData::Day> days = row.days();
    WorkTimeData::Day& day = days[dayIndex];
    WorkTimeUtils::splitTimeToIntervals(owner, shiftStart, shiftFinish, qMax(0, span - breakTime), day.intervals);
    day.shift = 0;
    day.changed = true;
    row.setDays(days);

    emit dataChanged(index, index);
    emit dataChanged(this->index(index.row(), HoursColumn), this->index(index.row(), HoursColumn));
    emit dataChanged(this->index(index.row(), NameColumn), this->index(index.row(), NameColumn));
    emit headerDataChanged(Qt::Horizontal, index.column(), index.column());
    emit workTimeEdited();
    return true;
}

int WorkTimePlanningModel::dayEditChanges(bool personal, int changes, bool dropPendingDeletion)
{
    if (personal)
        return changes | WorkTimeData::CalendarDaysChanged;
    if (dropPendingDeletion)
        changes &= ~WorkTimeData::DeletePersonalSchedule;
    return changes | WorkTimeData::CreatePersonalSchedule | WorkTimeData::CalendarDaysChanged;
}

void WorkTimePlanningModel::refreshModel(const QDate& start, const QDate& finish,
                                         const QList<EmployeeInfo>& employees, const QList<unsigned int>& attached,
                                         const QList<unsigned int>& departments)
{
    beginResetModel();
    m_rows.clear();
    m_dateStart = start;
    m_dateFinish = finish;
    m_attachedUids = attached;
    m_departments = departments;
    m_objList.clear();
    m_emplSet.clear();
    m_reportUids.clear();
    m_planningBalance.clear();

    for (const EmployeeInfo& info : employees) {
        m_objList.append(info.uid);
        m_emplSet.insert(info.uid);
        m_reportUids.insert(info.reportUid != 0 ? info.reportUid : info.uid);
    }
    m_objList.append(attached);

    const QList<WorkTimeData::Day> emptyDays = QVector<WorkTimeData::Day>(daysCount()).toList();
    m_rows.reserve(employees.size() + attached.size());
    for (const EmployeeInfo& info : employees) {
        WorkTimeData row;
        row.setPeriodRange(start, finish);
        row.setEmpoyeeInfo(info);
        row.setDays(emptyDays);
        m_rows.append(row);
    }
    for (unsigned int uid : attached) {
        WorkTimeData row;
        row.setPeriodRange(start, finish);
        row.setAttachedUid(uid, departments);
        row.setDays(emptyDays);
        m_rows.append(row);
    }

    m_rowByUid.clear();
    m_rowByUid.reserve(m_rows.size());
    for (int row = m_rows.size() - 1; row >= 0; --row)
        m_rowByUid.insert(m_rows.at(row).uid(), row);
    forgetFigures();
    endResetModel();
}

void WorkTimePlanningModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rowByUid.clear();
    forgetFigures();
    m_dateStart = QDate();
    m_dateFinish = QDate();
    m_scheduleHistory.clear();
    m_absenceReasons.clear();
    m_calendarDays.clear();
    // Nothing is shown any more, so nothing is a member of the grid either.
    m_objList.clear();
    m_emplSet.clear();
    m_reportUids.clear();
    m_attachedUids.clear();
    m_departments.clear();
    m_planningBalance.clear();
    m_salesPlan.clear();
    m_hoursBudget.clear();
    endResetModel();
}

void WorkTimePlanningModel::setScheduleHistory(const ScheduleHistoryHash& histories)
{
    const QSet<unsigned int> changed = changedUidSet();
    QList<unsigned int> rebuilt;
    for (auto it = histories.constBegin(); it != histories.constEnd(); ++it) {
        m_scheduleHistory.insert(it.key(), it.value());
        if (!changed.contains(it.key()))
            rebuilt.append(it.key());
        // A changed row keeps its days, but its tool tips name the schedules of the server's history.
        const int row = objectIdToRow(it.key());
        if (row >= 0)
            m_dayLooks[row].clear();
    }
    rebuildSelected(rebuilt);
}

void WorkTimePlanningModel::setAbsenceReasons(const AbsenceReasonHash& reasons)
{
    const QSet<unsigned int> changed = changedUidSet();
    QList<unsigned int> rebuilt;
    for (auto it = reasons.constBegin(); it != reasons.constEnd(); ++it) {
        m_absenceReasons.insert(it.key(), it.value());
        if (!changed.contains(it.key()))
            rebuilt.append(it.key());
    }
    rebuildSelected(rebuilt);
}

void WorkTimePlanningModel::setCalendarDays(const CalendarDayHash& days)
{
    for (auto it = days.constBegin(); it != days.constEnd(); ++it)
        m_calendarDays.insert(it.key(), it.value());
    rebuildSelected(unchangedRowsOfCalendars(days, changedUidSet()));
}

QList<unsigned int> WorkTimePlanningModel::unchangedRowsOfCalendars(const CalendarDayHash& days,
                                                                     const QSet<unsigned int>& changed) const
{
    // A personal schedule names its owner; a shared calendar schedule concerns every
    // row whose history follows it, and those rows need its days as much.
    const SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    QSet<unsigned int> owners;
    QSet<int> shared;
    for (auto it = days.constBegin(); it != days.constEnd(); ++it) {
        const TYPE_ID worker = schedules.constValue(it.key()).worker;
        if (worker != 0)
            owners.insert(worker);
        else
            shared.insert(it.key());
    }
    QList<unsigned int> uids;
    QSet<unsigned int> taken;
    for (const WorkTimeData& row : m_rows) {
        if (changed.contains(row.uid()) || taken.contains(row.uid()))
            continue;
        bool follows = owners.contains(row.uid());
        for (int i = 0; !follows && i < row.scheduleHistory().records.size(); ++i)
            follows = shared.contains(int(row.scheduleHistory().records.at(i).schedule));
        if (follows) {
            uids.append(row.uid());
            taken.insert(row.uid());
        }
    }
    return uids;
}

void WorkTimePlanningModel::setEmployeeNormTime(const QList<WORKER_NORM_TIME>& norms)
{
    QHash<unsigned int, QVector<int>> rowsByUid;
    for (int row = 0; row < m_rows.size(); ++row) {
        editRow(row).clearPlan();
        rowsByUid[m_rows.at(row).uid()].append(row);
    }
    for (const WORKER_NORM_TIME& norm : norms) {
        const auto rows = rowsByUid.constFind(norm.worker);
        if (rows == rowsByUid.constEnd())
            continue;
        for (int row : *rows)
            m_rows[row].setPlanForDate(norm.date, norm.time);
    }
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, HoursColumn), index(m_rows.size() - 1, HoursColumn));
}

void WorkTimePlanningModel::setEmployeeSyncTime(const QList<WORKER_SYNC_TIME>& syncTimes)
{
    for (const WORKER_SYNC_TIME& sync : syncTimes) {
        const int row = objectIdToRow(sync.worker);
        if (row < 0) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "employee not found" << sync.worker;
            continue;
        }
        editRow(row).setSyncTime(sync);
        emit dataChanged(index(row, StateColumn), index(row, StateColumn));
    }
}

void WorkTimePlanningModel::setPlanningBalance(const QHash<unsigned int, PLANNING_BALANCE>& balance)
{
    m_planningBalance = balance;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, BalanceColumn), index(m_rows.size() - 1, BalanceColumn));
}

void WorkTimePlanningModel::setSalesPlan(const QList<SALES_PLAN>& plan)
{
    m_salesPlan.clear();
    for (const SALES_PLAN& record : plan)
        m_salesPlan[record.date] += record.value;
    emitDateHeadersChanged();
}

void WorkTimePlanningModel::setHoursBudget(const QList<HOURS_BUDGET>& budget)
{
    m_hoursBudget.clear();
    for (const HOURS_BUDGET& record : budget)
        m_hoursBudget[record.date] += record.value;
}

void WorkTimePlanningModel::rebuild(int row, const QDate& from, const QDate& to)
{
    if (row < 0 || row >= m_rows.size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong row" << row;
        return;
    }
    rebuildDays(editRow(row), from, to);
}

void WorkTimePlanningModel::rebuildDays(WorkTimeData& row, const QDate& from, const QDate& to) const
{
    const SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    QList<WorkTimeData::Day> days = row.days();
    QDate date = m_dateStart;
    for (int i = 0; i < days.size(); ++i, date = date.addDays(1)) {
        if (date < from || date > to)
            continue;
        WorkTimeData::Day& day = days[i];
        QDate base;
        const int schedule = WorkTimeUtils::scheduleIdByDate(row.uid(), date, row.scheduleHistory(), base);
        if (schedule == 0) {
            day.clear();
            continue;
        }
        if (schedules.constValue(schedule).keepsCalendarDays())
            day.shift = WorkTimeUtils::calendarDayByDate(schedule, date, m_calendarDays).shift;
        WorkTimeUtils::scheduleDayIntervals(schedule, date, base, m_calendarDays, day.intervals);
    }
    row.setDays(days);
}

void WorkTimePlanningModel::applyServerState(int row)
{
    WorkTimeData& data = editRow(row);
    data.setChanged(0);
    data.setScheduleHistory(m_scheduleHistory.value(data.uid()));
    data.setAbsenceReasons(m_absenceReasons.value(data.uid()));
}

void WorkTimePlanningModel::rebuildSelected(const QList<unsigned int>& uids)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "reload" << uids;
    for (unsigned int uid : uids) {
        const int row = objectIdToRow(uid);
        if (row < 0) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "employee not exists" << uid;
            continue;
        }
        applyServerState(row);
        rebuild(row, m_dateStart, m_dateFinish);
        emitRowChanged(row, HoursColumn);
    }
    emitDateHeadersChanged();
}

void WorkTimePlanningModel::rebuildAll()
{
    for (int row = 0; row < m_rows.size(); ++row) {
        applyServerState(row);
        rebuild(row, m_dateStart, m_dateFinish);
    }
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows.size() - 1, columnCount() - 1));
    emitDateHeadersChanged();
}

void WorkTimePlanningModel::resetChanges()
{
    rebuildAll();
}

void WorkTimePlanningModel::resetChanges(const QList<unsigned int>& uids)
{
    for (unsigned int uid : uids) {
        const int row = rowIndexForUid(uid, Q_FUNC_INFO);
        if (row < 0)
            continue;
        applyServerState(row);
        rebuild(row, m_dateStart, m_dateFinish);
        emitRowChanged(row);
    }
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::resetChangeFlag()
{
    for (int row = 0; row < m_rows.size(); ++row) {
        WorkTimeData& data = editRow(row);
        QList<WorkTimeData::Day> days = data.days();
        for (WorkTimeData::Day& day : days)
            day.changed = false;
        data.setDays(days);
        data.resetChanges();
    }
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, StateColumn), index(m_rows.size() - 1, NameColumn));
}

void WorkTimePlanningModel::setShiftForDate(unsigned int uid, const QDate& date, TYPE_ID shift)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    if (m_rows.at(row).hasFullDayReason(date, anyReason)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip date by full reason" << uid << date;
        return;
    }
    if (!isDateEditable(uid, date)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip date by not editable" << uid << date;
        return;
    }
    const int dayIndex = dayIndexByDate(date);
    if (dayIndex < 0 || dayIndex >= m_rows.at(row).days().size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << uid << date;
        return;
    }

    const bool personal = isPersonalSchedule(uid);
    WorkTimeData& data = editRow(row);
    QList<WorkTimeData::Day> days = data.days();
    WorkTimeData::Day& day = days[dayIndex];
    WorkTimeUtils::shiftToIntervals(shift, day.intervals);
    day.shift = shift;
    day.changed = true;
    data.setDays(days);
    data.setChanged(dayEditChanges(personal, data.changes(), true));
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "days" << uid << (personal ? "true" : "false") << data.changes();

    const int column = dateToColumn(date);
    emit dataChanged(index(row, column), index(row, column));
    emit dataChanged(index(row, HoursColumn), index(row, HoursColumn));
    emit headerDataChanged(Qt::Horizontal, column, column);
    emit workTimeEdited();
}

void WorkTimePlanningModel::setObjectAbsenceReason(unsigned int uid, const _WORKER_ABSENCE_REASON_RECORD& record)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    _WORKER_ABSENCE_REASON reasons = m_rows.at(row).absenceReasons();
    reasons.records.append(record);
    setObjectAbsenceReasons(uid, reasons);
}

void WorkTimePlanningModel::setObjectAbsenceReasons(unsigned int uid, const _WORKER_ABSENCE_REASON& reasons)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    WorkTimeData& data = editRow(row);
    data.setAbsenceReasons(reasons);
    data.setChanged(data.changes() | WorkTimeData::AbsenceReasonsChanged);
    emitRowChanged(row);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::setObjectScheduleHistory(unsigned int uid, const WORKER_SCHEDULE_HISTORY_V2& history)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    WorkTimeData& data = editRow(row);
    data.setScheduleHistory(history);
    data.setChanged(data.changes() | WorkTimeData::ScheduleHistoryChanged);
    rebuild(row, m_dateStart, m_dateFinish);
    emitRowChanged(row);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::setWorkTimeData(unsigned int uid, const WorkTimeData& data)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    editRow(row) = data;
    if (data.uid() != uid) {
        m_rowByUid.clear();
        for (int i = m_rows.size() - 1; i >= 0; --i)
            m_rowByUid.insert(m_rows.at(i).uid(), i);
    }
    emitRowChanged(row);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::reloadAttached(unsigned int uid)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    WorkTimeData& data = editRow(row);
    if (data.isAttached())
        data.setAttachedUid(uid, m_departments);
    else
        data.reloadAttached();
    emitRowChanged(row);
}

QList<ObjectInfo> WorkTimePlanningModel::attachedWorkers(unsigned int uid, const QDate& from, const QDate& to) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? row->attachedWorkers(from, to) : QList<ObjectInfo>();
}

void WorkTimePlanningModel::emitRowChanged(int row, int firstColumn)
{
    emit dataChanged(index(row, firstColumn), index(row, columnCount() - 1));
}

void WorkTimePlanningModel::emitDateHeadersChanged()
{
    if (daysCount() > 0)
        emit headerDataChanged(Qt::Horizontal, FirstDateColumn, columnCount() - 1);
}
