#include "worktimecelllooks.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "ovguiglobals.h"
#include "vocabulary.h"
#include "worktimedata.h"
#include "worktimeplanningmodel.h"
#include "worktimerowfigures.h"
#include "worktimerowstore.h"
#include "worktimeutils.h"

#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QVariantMap>

using namespace orvanta;

namespace {

using Model = WorkTimePlanningModel;

constexpr int secondsPerDay = 86400;
constexpr int anyReason = WorkTimeData::AnyReasonTime;

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
    map.insert(QStringLiteral("time_start"), start);
    map.insert(QStringLiteral("time_finish"), finish);
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

WorkTimeCellLooks::WorkTimeCellLooks(const WorkTimeRowStore& store, const WorkTimeRowFigures& figures)
    : m_store(store), m_figures(figures)
{
}

void WorkTimeCellLooks::forgetReasons()
{
    m_reasonLooks.clear();
    forgetDayLooks();
}

void WorkTimeCellLooks::forgetDayLooks()
{
    m_layoutRevision = 0;
}

QVariant WorkTimeCellLooks::fixedColumnData(int rowIndex, int column, int role) const
{
    const WorkTimeData& row = m_store.row(rowIndex);
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case Model::NameColumn:
            return row.name().trimmed();
        case Model::JobColumn:
            return jobName(row.jobUid());
        case Model::HoursColumn:
            return hoursDisplay(rowIndex);
        case Model::BalanceColumn:
            return balanceDisplay(row, rowIndex);
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        if (column == Model::StateColumn) {
            const char* icon = row.hasChanges() ? "action-edit"
                : !row.saveTime().isValid()     ? "common-save"
                                                : "common-online";
            return QIcon::fromTheme(QLatin1String(icon));
        }
        if (column == Model::NameColumn)
            return QIcon::fromTheme(QStringLiteral("object-OT_WORKER"));
        return QVariant();
    case Qt::ToolTipRole:
        if (column == Model::StateColumn)
            return stateToolTip(row);
        if (column == Model::NameColumn)
            return nameToolTip(row);
        if (column == Model::BalanceColumn)
            return balanceToolTip(rowIndex);
        return QVariant();
    case Qt::FontRole:
        if (column == Model::NameColumn && row.hasChanges()) {
            QFont font;
            font.setWeight(QFont::Bold);
            return font;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (column == Model::NameColumn || column == Model::JobColumn)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        if (column == Model::HoursColumn)
            return int(Qt::AlignCenter);
        return QVariant();
    case Qt::ForegroundRole:
        if (column == Model::NameColumn && row.isAttached())
            return QColor(Qt::darkGray);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant WorkTimeCellLooks::dateColumnData(int row, const QDate& date, int role) const
{
    const DayLook& look = dayLook(row, m_store.dayIndexByDate(date));
    const bool counted = look.state.shown() && !look.state.fullDay;
    switch (role) {
    case Qt::DisplayRole:
        return look.display;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        return counted && look.time > 0 ? QVariant(OVGuiGlobals::lightYellow()) : QVariant();
    case Model::DayStartRole:
        return look.start;
    case Model::DayFinishRole:
        return look.finish;
    case Model::DayTimeRole:
        return counted ? look.time : 0;
    case Model::PartDayWorkReasonRole:
        return counted ? look.workReason : 0;
    case Model::IntervalRole:
        return intervalMap(look.start, look.finish);
    case Model::MarksRole:
        return dayMarks(look);
    case Model::DayColorRole:
        return dayColor(look);
    default:
        return QVariant();
    }
}

const WorkTimeCellLooks::DayLook& WorkTimeCellLooks::dayLook(int row, int day) const
{
    if (m_layoutRevision != m_store.layoutRevision()) {
        m_rows = QVector<RowLooks>(m_store.rowCount());
        m_layoutRevision = m_store.layoutRevision();
    }
    RowLooks& looks = m_rows[row];
    if (looks.revision != m_store.rowRevision(row)) {
        computeDayLooks(row, looks.days);
        looks.revision = m_store.rowRevision(row);
    }
    return looks.days.at(day);
}

// Every role of a cell asks the same questions of the row (state, reasons, marks, time); a row's days are
// answered together when the row is first shown and kept until the row changes.
void WorkTimeCellLooks::computeDayLooks(int rowIndex, QVector<DayLook>& looks) const
{
    const WorkTimeData& row = m_store.row(rowIndex);
    looks = QVector<DayLook>(m_store.daysCount());
    QDate date = m_store.dateStart();
    for (int i = 0; i < looks.size(); ++i, date = date.addDays(1)) {
        DayLook& look = looks[i];
        look.state = dayState(row, date);
        look.validDate = row.isValidDate(date, false);
        if (i < row.days().size()) {
            const WorkTimeData::Day& day = row.days().at(i);
            look.time = day.time();
            look.start = day.start();
            look.finish = day.finish();
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

WorkTimeCellLooks::DayState WorkTimeCellLooks::dayState(const WorkTimeData& row, const QDate& date) const
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

QString WorkTimeCellLooks::dayDisplay(const DayLook& look)
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

QVariant WorkTimeCellLooks::dayMarks(const DayLook& look)
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

QVariant WorkTimeCellLooks::dayColor(const DayLook& look)
{
    if (look.state.attachedElsewhere)
        return paletteColor(wt::color::BLUE);
    if (look.state.fullDay)
        return look.fullColor;
    if (look.time == 0)
        return look.partDay ? look.partColor : paletteColor(wt::color::LIGHTGRAY);
    return look.partDay ? QVariant(look.partColor) : QVariant();
}

void WorkTimeCellLooks::lookUpSchedule(const WorkTimeData& row, const DayLook& look, const QDate& date) const
{
    if (look.scheduleLooked)
        return;
    static const WORKER_SCHEDULE_HISTORY_V2 noHistory;
    const auto history = m_store.scheduleHistory().constFind(row.uid());
    QDate base;
    const int schedule = WorkTimeUtils::scheduleIdByDate(
        row.uid(), date, history != m_store.scheduleHistory().constEnd() ? *history : noHistory, base);
    const SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    const auto known = schedules.constFind(schedule);
    look.scheduleKnown = known != schedules.constEnd();
    look.scheduleName = look.scheduleKnown ? known->name : QString();
    look.scheduleLooked = true;
}

QString WorkTimeCellLooks::dayToolTip(int rowIndex, const QDate& date, WorkTimeDayLock::Reason lock) const
{
    const WorkTimeData& row = m_store.row(rowIndex);
    const DayLook& look = dayLook(rowIndex, m_store.dayIndexByDate(date));
    lookUpSchedule(row, look, date);
    const QLatin1String lineBreak("<br/>");
    QString text;
    if (look.scheduleKnown)
        text = QStringLiteral("График работ: ") % look.scheduleName.toHtmlEscaped();
    if (lock != WorkTimeDayLock::Unlocked)
        text += (text.isEmpty() ? QString() : lineBreak) % WorkTimeDayLock::text(lock, row, date);
    if (look.validDate) {
        if (!text.isEmpty())
            text += lineBreak;
        int shiftTime = 0;
        if (look.time >= 1 && !look.state.fullDay) {
            shiftTime = look.time;
            text += QStringLiteral("Время начала: ") % hhmm(look.start) % lineBreak % QStringLiteral("Время окончания: ")
                % hhmm(look.finish) % lineBreak % QStringLiteral("Продолжительность смены: ") % hours(shiftTime)
                % lineBreak;
        }
        text += absenceLines(row, date) % QStringLiteral("Время отсутствий: ") % hours(look.absence) % lineBreak
            % QStringLiteral("<b>Всего: ") % hours(shiftTime + look.absence) % QLatin1String("</b>");
    }
    // A rich tool tip would wrap its lines at a narrow width of its own.
    return text.isEmpty() ? text : QLatin1String("<p style=\"white-space:pre\">") % text % QLatin1String("</p>");
}

// One line per reason of the day, "mark — name: hours", so that a badge says more than its letters. Of several
// full-day reasons the first decides the day and takes its hours.
QString WorkTimeCellLooks::absenceLines(const WorkTimeData& row, const QDate& date) const
{
    QList<TYPE_ID> reasons;
    QHash<TYPE_ID, int> seconds;
    bool decided = false;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : row.absenceReasons().records) {
        if (WorkTimeUtils::isFullDayAbsenceReason(date, record)) {
            if (!decided)
                seconds[record.reason] += row.fullDayReasonTime(date, anyReason);
            decided = true;
            appendDistinct(reasons, record.reason);
        } else if (record.timed && (record.start.date() == date || record.end.date() == date)) {
            const int from = record.start.date() == date ? WorkTimeUtils::timeToSeconds(record.start.time()) : 0;
            const int to = record.end.date() == date ? WorkTimeUtils::timeToSeconds(record.end.time()) : secondsPerDay;
            appendDistinct(reasons, record.reason);
            seconds[record.reason] += qMax(0, to - from);
        }
    }
    QString lines;
    for (TYPE_ID reason : qAsConst(reasons)) {
        const ReasonLook& look = reasonLook(reason);
        lines += (look.mark.isEmpty() ? QString() : look.mark.toHtmlEscaped() % QStringLiteral(" — "))
            % look.name.toHtmlEscaped() % QStringLiteral(": ") % hours(seconds.value(reason)) % QLatin1String("<br/>");
    }
    return lines;
}

QString WorkTimeCellLooks::stateToolTip(const WorkTimeData& row)
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

QString WorkTimeCellLooks::nameToolTip(const WorkTimeData& row)
{
    // "Ta" of the last label is Latin, as the users have always seen it.
    return QStringList{QStringLiteral("ФИО: ") + row.name().trimmed(),
                       QStringLiteral("Должность: ") + jobName(row.jobUid()),
                       QStringLiteral("Taб.№: ") + row.number()}
        .join(QStringLiteral("\r\n"));
}

QString WorkTimeCellLooks::balanceToolTip(int row) const
{
    const WorkTimeRowFigures::Row& f = m_figures.row(row);
    const qint64 balance = qint64(f.planContinuous) - (qint64(f.timeContinuous) + f.reasonTimeContinuous);
    return QStringLiteral("<html>Норма по графику 1С: %1<br/>Запланировано: %2<br/>Часов отсутствий: %3<br/>"
                          "<b>Баланс: %4</b></html>")
        .arg(hours(f.planContinuous), hours(f.timeContinuous), hours(f.reasonTimeContinuous), hours(balance));
}

QString WorkTimeCellLooks::hoursDisplay(int row) const
{
    const WorkTimeRowFigures::Row& f = m_figures.row(row);
    return hours(f.plan) % QLatin1String(" / ") % hours(qint64(f.time) + f.reasonTime);
}

QString WorkTimeCellLooks::balanceDisplay(const WorkTimeData& row, int rowIndex) const
{
    const WorkTimeRowFigures::Row& f = m_figures.row(rowIndex);
    QString carried = QStringLiteral("???");
    if (!m_store.planningBalance().isEmpty()) {
        const PLANNING_BALANCE brought = m_store.planningBalance().value(row.uid());
        carried = hours(qint64(brought.norm) - brought.time + f.balance);
    }
    return hours(f.balance) % QLatin1String(" / ") % carried;
}

QList<TYPE_ID> WorkTimeCellLooks::fullDayReasons(int row, const QDate& date) const
{
    QList<TYPE_ID> reasons;
    if (row < 0 || row >= m_store.rowCount())
        return reasons;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_store.row(row).absenceReasons().records) {
        if (WorkTimeUtils::isFullDayAbsenceReason(date, record))
            appendDistinct(reasons, record.reason);
    }
    return reasons;
}

QList<TYPE_ID> WorkTimeCellLooks::partDayReasons(int row, const QDate& date) const
{
    QList<TYPE_ID> reasons;
    if (row < 0 || row >= m_store.rowCount())
        return reasons;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_store.row(row).absenceReasons().records) {
        if (!record.timed)
            continue;
        // A record ending at midnight leaves nothing of that day.
        const bool endsInDay = record.end.date() == date && record.end.time() > QTime(0, 0);
        if (record.start.date() == date || endsInDay)
            appendDistinct(reasons, record.reason);
    }
    return reasons;
}

const WorkTimeCellLooks::ReasonLook& WorkTimeCellLooks::reasonLook(TYPE_ID reason) const
{
    auto cached = m_reasonLooks.find(reason);
    if (cached == m_reasonLooks.end()) {
        const ObjectInfo object = LocalStorage::instance()->constObject(reason, key(REASON_DATANAME));
        const ReasonLook look{object.property(key(db::reason::MARK)), object.property(key(db::reason::PLANNING_COLOR)),
                              OVGlobals::objectName(object)};
        cached = m_reasonLooks.insert(reason, look);
    }
    return cached.value();
}

QStringList WorkTimeCellLooks::reasonMarks(const QList<TYPE_ID>& reasons) const
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

QColor WorkTimeCellLooks::reasonColor(const QList<TYPE_ID>& reasons) const
{
    if (!reasons.isEmpty()) {
        const QString& color = reasonLook(reasons.first()).color;
        if (!color.isEmpty())
            return QColor(color);
    }
    return paletteColor(wt::color::ORANGE);
}
