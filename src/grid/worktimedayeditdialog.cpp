#include "worktimedayeditdialog.h"

#include "authdata.h"
#include "localstorage.h"
#include "ovglobals.h"
#include "ovroledaterestrictions.h"
#include "ovtimeedit.h"
#include "scheduleutil.h"
#include "timeintervaldelegate.h"
#include "vocabulary.h"
#include "workerabsencereasonwidget.h"
#include "worktimeintervalmodel.h"
#include "worktimeplanningmodel.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace orvanta;

namespace {

constexpr int secondsPerDay = 86400;

QString hhmm(int seconds)
{
    return TimeIntervalDelegate::secondsToText(seconds);
}

} // namespace

WorkTimeDayEditDialog::WorkTimeDayEditDialog(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    initShiftMenu();
    initReasonWidget();
    initIntervalView();
    connect(m_start, &QTimeEdit::timeChanged, this, &WorkTimeDayEditDialog::updateShiftTime);
    connect(m_finish, &QTimeEdit::timeChanged, this, &WorkTimeDayEditDialog::updateShiftTime);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &WorkTimeDayEditDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &WorkTimeDayEditDialog::reject);
    setOkEnabled(false);
}

void WorkTimeDayEditDialog::buildForm()
{
    setWindowTitle(tr("Редактирование"));
    const auto makeLabel = [this](const char* objectName, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(objectName));
        return label;
    };
    const auto makeTime = [this](const char* objectName) {
        auto* field = new OVTimeEdit(this);
        field->setObjectName(QLatin1String(objectName));
        return field;
    };

    m_shiftName = makeLabel("lbShiftName", tr("Автоматическая смена"));
    m_changeShift = new QToolButton(this);
    m_changeShift->setObjectName(QStringLiteral("tbChangeShift"));
    m_changeShift->setText(tr("Выбрать смену"));
    m_changeShift->setPopupMode(QToolButton::InstantPopup);
    m_scheduleName = makeLabel("lbScheduleName", tr("Пятидневка"));
    m_start = makeTime("teStart");
    m_finish = makeTime("teFinish");
    m_shiftTime = makeTime("teShiftTime");
    m_shiftTime->setEnabled(false);
    m_breakTime = makeTime("teBreakTime");
    m_breakTime->setEnabled(false);
    m_scheduleWarning = makeLabel("lbScheduleWarning", tr("* При сохранении будет создан индивидуальный график!"));
    m_scheduleWarning->setVisible(false);

    // Fields keep their natural width; the last column takes the slack.
    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel("label_4", tr("Смена")), 0, 0);
    grid->addWidget(m_shiftName, 0, 1, 1, 2);
    grid->addWidget(m_changeShift, 0, 3, Qt::AlignLeft);
    grid->addWidget(makeLabel("label_3", tr("График работы")), 1, 0);
    grid->addWidget(m_scheduleName, 1, 1, 1, 4);
    grid->addWidget(makeLabel("label_start", tr("Время начала")), 2, 0);
    grid->addWidget(m_start, 2, 1, Qt::AlignLeft);
    grid->addWidget(makeLabel("label_finish", tr("Время окончания")), 2, 2);
    grid->addWidget(m_finish, 2, 3, Qt::AlignLeft);
    grid->addWidget(makeLabel("label_shiftTime", tr("Продолжительность смены")), 3, 0);
    grid->addWidget(m_shiftTime, 3, 1, Qt::AlignLeft);
    grid->addWidget(makeLabel("label_breakTime", tr("Продолжительность обеда")), 3, 2);
    grid->addWidget(m_breakTime, 3, 3, Qt::AlignLeft);
    grid->setColumnStretch(4, 1);

    m_reasonWidget = new WorkerAbsenceReasonWidget(this);
    m_reasonWidget->setObjectName(QStringLiteral("reasonWidget"));
    m_reasonWidget->setMinimumSize(460, 200);
    m_tabWidget = new QTabWidget(this);
    m_tabWidget->setObjectName(QStringLiteral("tabWidget"));
    m_tabWidget->addTab(m_reasonWidget, tr("Причины отсутствия"));
    m_tabWidget->addTab(buildIntervalTab(), tr("Интервалы работ"));

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_scheduleWarning);
    layout->addWidget(m_tabWidget, 1);
    layout->addWidget(m_buttonBox);
}

QToolButton* WorkTimeDayEditDialog::makeIntervalButton(const char* objectName, const QString& text,
                                                       const QString& toolTip, const char* icon)
{
    auto* button = new QToolButton(m_intervalTab);
    button->setObjectName(QLatin1String(objectName));
    button->setText(text);
    button->setToolTip(toolTip);
    button->setIcon(QIcon::fromTheme(QLatin1String(icon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return button;
}

QWidget* WorkTimeDayEditDialog::buildIntervalTab()
{
    m_intervalTab = new QWidget(this);
    m_intervalView = new QTableView(m_intervalTab);
    m_intervalView->setObjectName(QStringLiteral("intervalView"));
    m_addInterval = makeIntervalButton("tbAddInterval", tr("Добавить"), tr("Добавить интервал"), "action-add");
    m_delInterval = makeIntervalButton("tbDelInterval", tr("Удалить"), tr("Удалить интервал"), "action-remove");
    m_moveUpInterval =
        makeIntervalButton("tbMoveUpInterval", tr("Вверх"), tr("Переместить вверх"), "action-move-up");
    m_moveDownInterval =
        makeIntervalButton("tbMoveDownInterval", tr("Вниз"), tr("Переместить вниз"), "action-move-down");

    auto* buttons = new QVBoxLayout;
    for (QToolButton* button : {m_addInterval, m_delInterval, m_moveUpInterval, m_moveDownInterval})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(m_intervalTab);
    layout->addWidget(m_intervalView, 1);
    layout->addLayout(buttons);
    return m_intervalTab;
}

void WorkTimeDayEditDialog::initShiftMenu()
{
    m_shiftMenu = new QMenu(this);
    m_shiftMenu->addAction(tr("Выходной"))->setData(0u);

    const LocalStorage* store = LocalStorage::instance();
    const OBJECT_HASH* shifts = store->constObjects(QLatin1String(SCHEDULE_SHIFT_DATANAME));
    const OBJECT_HASH* intervals = store->constObjects(QLatin1String(SHIFT_INTERVAL_DATANAME));
    QList<QPair<QString, TYPE_ID>> entries;
    if (shifts) {
        for (auto it = shifts->cbegin(); it != shifts->cend(); ++it) {
            if (it->property(QLatin1String(db::shift::HIDDEN)).toInt() != 0)
                continue;
            const QList<ObjectInfo> parts = ScheduleUtil::sortedShiftIntervals(*it, intervals);
            const int start =
                parts.isEmpty() ? 0 : parts.first().property(QLatin1String(db::shift_interval::START)).toInt();
            const int finish =
                parts.isEmpty() ? 0 : parts.last().property(QLatin1String(db::shift_interval::FINISH)).toInt();
            const QString label = QStringLiteral("%1 (%2-%3)").arg(
                OVGlobals::objectName(*it), WorkTimeUtils::secondsToTime(start).toString(QStringLiteral("hh:mm")),
                WorkTimeUtils::secondsToTime(finish).toString(QStringLiteral("hh:mm")));
            entries.append({label, it.key()});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const QPair<QString, TYPE_ID>& left, const QPair<QString, TYPE_ID>& right) {
                  return left.first < right.first;
              });
    if (!entries.isEmpty())
        m_shiftMenu->addSeparator();
    for (const auto& entry : qAsConst(entries))
        m_shiftMenu->addAction(entry.first)->setData(entry.second);

    m_changeShift->setMenu(m_shiftMenu);
    connect(m_shiftMenu, &QMenu::triggered, this, &WorkTimeDayEditDialog::shiftActionTriggered);
}

void WorkTimeDayEditDialog::initReasonWidget()
{
    m_reasonWidget->setCheckPlanningAllow(true);
    const OBJECT_HASH* reasons = LocalStorage::instance()->constObjects(QLatin1String(REASON_DATANAME));
    m_reasonWidget->setAbsenceReasons(reasons ? reasons->values() : QList<ObjectInfo>());
    connect(m_reasonWidget, &WorkerAbsenceReasonWidget::dataEdited, this, &WorkTimeDayEditDialog::updateReasons);
}

void WorkTimeDayEditDialog::initIntervalView()
{
    m_intervalModel = new WorkTimeIntervalModel(this);
    m_intervalView->setModel(m_intervalModel);
    m_intervalView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_intervalView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_intervalView->verticalHeader()->hide();
    m_intervalView->setItemDelegate(new TimeIntervalDelegate(m_intervalView));
    connect(m_intervalView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &WorkTimeDayEditDialog::updateIntervalButtonsEnables);
    connect(m_intervalModel, &WorkTimeIntervalModel::intervalChanged, this, &WorkTimeDayEditDialog::intervalChanged,
            Qt::UniqueConnection);
    connect(m_addInterval, &QToolButton::clicked, this, &WorkTimeDayEditDialog::addInterval);
    connect(m_delInterval, &QToolButton::clicked, this, &WorkTimeDayEditDialog::delInterval);
    connect(m_moveUpInterval, &QToolButton::clicked, this, &WorkTimeDayEditDialog::moveUpInterval);
    connect(m_moveDownInterval, &QToolButton::clicked, this, &WorkTimeDayEditDialog::moveDownInterval);
    updateIntervalButtonsEnables();
}

void WorkTimeDayEditDialog::setData(WorkTimePlanningModel* model, TYPE_ID employee, const QDate& date)
{
    m_model = model;
    m_employee = employee;
    m_date = date;
    if (!model) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong model" << employee << date;
        return;
    }
    m_dayIndex = model->dayIndexByDate(date);
    m_data = model->workTimeData(employee);
    if (m_dayIndex < 0 || m_dayIndex >= m_data.days().size())
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << employee << date << m_dayIndex;

    loadSchedule();
    loadReasons();

    const WorkTimeData::Day current = day();
    blockInputSignals(true);
    showDayFields(current);
    m_intervalModel->setIntervals(current.intervals);
    blockInputSignals(false);
    updateIntervalButtonsEnables();

    updateInputEnabled();
    updateDiplayText();
    setOkEnabled(false);
    if (m_start->isEnabled())
        m_start->setFocus();
}

void WorkTimeDayEditDialog::loadSchedule()
{
    QDate baseDate;
    const int scheduleId = WorkTimeUtils::scheduleIdByDate(m_data.uid(), m_date, m_data.scheduleHistory(), baseDate);
    m_schedule = scheduleId != 0 ? LocalStorage::instance()->schedules().constValue(scheduleId) : SCHEDULE_DATA();
    if (scheduleId != 0 && !m_schedule.isValid())
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "schedule not found" << scheduleId;
    if (!m_schedule.isValid())
        m_scheduleName->setText(tr("Не назначен"));
    else if (m_schedule.kind == SCHEDULE_DATA::KindPersonal)
        m_scheduleName->setText(tr("Индивидуальный"));
    else
        m_scheduleName->setText(m_schedule.name);
}

void WorkTimeDayEditDialog::loadReasons()
{
    const QPair<QDate, QDate> range =
        OVRoleDateRestrictions::restrictionsRange(AuthData::absenceReasonsRestrictions());
    m_reasonWidget->setWorkerReasons(m_data.absenceReasons());
    m_reasonWidget->setDateRange(m_date, m_date);
    m_reasonWidget->setDefaultDate(m_date);
    m_reasonWidget->setMinEditableDate(qMax(m_model->dateStart(), range.first));
    m_reasonWidget->setMaxEditableDate(qMin(m_model->dateFinish(), range.second));
    m_reasonsChanged = false;
}

WorkTimeData::Day WorkTimeDayEditDialog::day() const
{
    return m_dayIndex >= 0 && m_dayIndex < m_data.days().size() ? m_data.days().at(m_dayIndex)
                                                                : WorkTimeData::Day();
}

void WorkTimeDayEditDialog::setDay(const WorkTimeData::Day& day)
{
    if (m_dayIndex < 0 || m_dayIndex >= m_data.days().size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << m_employee << m_date << m_dayIndex;
        return;
    }
    QList<WorkTimeData::Day> days = m_data.days();
    days[m_dayIndex] = day;
    m_data.setDays(days);
}

void WorkTimeDayEditDialog::markDayChanged(bool personal)
{
    const int changes = m_data.changes();
    if (personal)
        m_data.setChanged(changes | WorkTimeData::CalendarDaysChanged);
    else
        m_data.setChanged((changes & ~WorkTimeData::DeletePersonalSchedule) | WorkTimeData::CreatePersonalSchedule
                          | WorkTimeData::CalendarDaysChanged);
}

void WorkTimeDayEditDialog::setTimeField(OVTimeEdit* field, int seconds)
{
    field->setTime(WorkTimeUtils::secondsToTime(seconds));
}

void WorkTimeDayEditDialog::showDayFields(const WorkTimeData::Day& day)
{
    setTimeField(m_start, day.start());
    setTimeField(m_finish, day.finish());
    setTimeField(m_breakTime, day.breakTime());
    setTimeField(m_shiftTime, day.time());
}

void WorkTimeDayEditDialog::blockInputSignals(bool block)
{
    m_start->blockSignals(block);
    m_finish->blockSignals(block);
    m_breakTime->blockSignals(block);
    if (block)
        disconnect(m_intervalModel, &WorkTimeIntervalModel::intervalChanged, this,
                   &WorkTimeDayEditDialog::intervalChanged);
    else
        connect(m_intervalModel, &WorkTimeIntervalModel::intervalChanged, this,
                &WorkTimeDayEditDialog::intervalChanged, Qt::UniqueConnection);
}

void WorkTimeDayEditDialog::updateShiftTime()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "recalc shift time";
    TYPE_ID subject = m_employee;
    bool attached = m_model && m_model->isAttached(m_employee);
    if (attached) {
        // The trip's own object carries the host department's break rules.
        const QList<ObjectInfo> trips = m_model->attachedWorkers(m_employee, m_date, m_date);
        if (trips.isEmpty())
            attached = false;
        else
            subject = trips.first().uid;
    }

    const int start = WorkTimeUtils::timeToSeconds(m_start->time());
    const int finish = WorkTimeUtils::timeToSeconds(m_finish->time());
    const int end = start > finish ? finish + secondsPerDay : finish;
    const int duration = end - start;
    const QDateTime midnight(m_date, QTime(0, 0));
    const QDateTime from = midnight.addSecs(start);
    const QDateTime to = midnight.addSecs(end);
    const int night = WorkTimeUtils::nightTime(subject, from, to);
    const int breakTime = qMin(WorkTimeUtils::getBreakTime(subject, attached, m_date, duration), duration - night);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "shift_time" << hhmm(duration) << "night_time" << hhmm(night)
                          << "break_time" << hhmm(breakTime);
    const int work = qMax(0, duration - breakTime);

    WorkTimeData::Day edited = day();
    WorkTimeUtils::splitTimeToIntervals(subject, from, to, work, edited.intervals);
    edited.shift = 0;
    edited.changed = true;
    setDay(edited);
    markDayChanged(m_schedule.kind == SCHEDULE_DATA::KindPersonal);

    blockInputSignals(true);
    m_intervalModel->setIntervals(edited.intervals);
    setTimeField(m_breakTime, breakTime);
    setTimeField(m_shiftTime, work);
    blockInputSignals(false);
    updateIntervalButtonsEnables();
    updateDiplayText();
    setOkEnabled(true);
}

void WorkTimeDayEditDialog::intervalChanged()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "interval changed";
    const WorkTimeIntervalModel::IntervalList intervals = m_intervalModel->intervals();
    WorkTimeData::Day edited = day();
    edited.intervals = intervals;
    edited.shift = 0;
    edited.changed = true;
    setDay(edited);
    markDayChanged(m_schedule.kind == SCHEDULE_DATA::KindPersonal);

    blockInputSignals(true);
    showDayFields(edited);
    blockInputSignals(false);
    updateIntervalButtonsEnables();
    updateDiplayText();
    setOkEnabled(true);
}

void WorkTimeDayEditDialog::shiftActionTriggered(QAction* action)
{
    const TYPE_ID shift = action ? action->data().toUInt() : 0;
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "shift choosed" << shift;
    WorkTimeData::Day edited = day();
    edited.intervals.clear();
    if (shift != 0)
        WorkTimeUtils::shiftToIntervals(shift, edited.intervals);
    edited.shift = shift;
    edited.changed = true;
    setDay(edited);
    markDayChanged(m_model && m_model->isPersonalSchedule(m_employee));

    blockInputSignals(true);
    m_intervalModel->setIntervals(edited.intervals);
    showDayFields(edited);
    blockInputSignals(false);
    updateIntervalButtonsEnables();
    updateDiplayText();
    setOkEnabled(true);
}

void WorkTimeDayEditDialog::updateReasons()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "reason edited";
    m_reasonsChanged = true;
    updateInputEnabled();
    setOkEnabled(true);
}

void WorkTimeDayEditDialog::updateDiplayText()
{
    const WorkTimeData::Day current = day();
    if (current.shift != 0) {
        const ObjectInfo shift =
            LocalStorage::instance()->constObject(current.shift, QLatin1String(SCHEDULE_SHIFT_DATANAME));
        m_shiftName->setText(OVGlobals::objectName(shift));
    } else if (current.time() > 0) {
        m_shiftName->setText(m_schedule.isValid() ? tr("Смена графика") : QString());
    } else {
        m_shiftName->setText(tr("Выходной"));
    }
    m_scheduleWarning->setVisible(current.changed && m_schedule.kind != SCHEDULE_DATA::KindPersonal);
}

bool WorkTimeDayEditDialog::isFullDayAbsent() const
{
    const QList<_WORKER_ABSENCE_REASON_RECORD> records = m_reasonWidget->currentReasons();
    return std::any_of(records.cbegin(), records.cend(), [this](const _WORKER_ABSENCE_REASON_RECORD& record) {
        const QDate first = record.start.date();
        const QDate last = record.end.date();
        if (first > m_date || m_date > last)
            return false;
        return !record.timed || (first < m_date && m_date < last);
    });
}

void WorkTimeDayEditDialog::updateInputEnabled()
{
    const bool absent = isFullDayAbsent();
    if (absent) {
        blockInputSignals(true);
        setTimeField(m_shiftTime, 0);
        blockInputSignals(false);
    }
    const bool enabled = !m_readOnly && !absent;
    m_start->setEnabled(enabled);
    m_finish->setEnabled(enabled);
    m_changeShift->setEnabled(enabled);
    m_intervalTab->setEnabled(enabled);
    m_tabWidget->setTabEnabled(m_tabWidget->indexOf(m_intervalTab), enabled);
}

void WorkTimeDayEditDialog::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (OVTimeEdit* field : {m_start, m_finish, m_shiftTime, m_breakTime})
        field->setReadOnly(readOnly);
    m_changeShift->setEnabled(!readOnly);
    m_reasonWidget->setEnabled(!readOnly);
    updateInputEnabled();
    if (readOnly)
        setOkEnabled(false);
}

void WorkTimeDayEditDialog::setOkEnabled(bool enabled)
{
    // Nothing can change in a read-only dialog, so there is nothing to accept.
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(enabled && !m_readOnly);
}

void WorkTimeDayEditDialog::accept()
{
    if (m_model && !m_readOnly) {
        m_model->setWorkTimeData(m_employee, m_data);
        if (m_reasonsChanged) {
            _WORKER_ABSENCE_REASON reasons = m_reasonWidget->workerReasons();
            if (reasons.uid == 0)
                reasons.uid = m_employee;
            m_model->setObjectAbsenceReasons(m_employee, reasons);
        }
    }
    QDialog::accept();
}

void WorkTimeDayEditDialog::addInterval()
{
    const WorkTimeIntervalModel::IntervalList intervals = m_intervalModel->intervals();
    SCHEDULE_CALENDAR_INTERVAL interval;
    if (!intervals.isEmpty())
        interval.start = interval.finish = intervals.last().finish;
    const int row = intervals.size();
    m_intervalModel->insertInterval(row, interval);
    m_intervalView->setCurrentIndex(m_intervalModel->index(row, WorkTimeIntervalModel::StartColumn));
}

void WorkTimeDayEditDialog::delInterval()
{
    const QModelIndex current = m_intervalView->currentIndex();
    if (current.isValid())
        m_intervalModel->removeInterval(current.row());
}

void WorkTimeDayEditDialog::moveUpInterval()
{
    moveInterval(-1);
}

void WorkTimeDayEditDialog::moveDownInterval()
{
    moveInterval(1);
}

void WorkTimeDayEditDialog::moveInterval(int offset)
{
    const QModelIndex current = m_intervalView->currentIndex();
    const int row = current.row();
    const int target = row + offset;
    if (!current.isValid() || target < 0 || target >= m_intervalModel->rowCount()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong index" << row;
        return;
    }
    const WorkTimeIntervalModel::IntervalList intervals = m_intervalModel->intervals();
    m_intervalModel->updateInterval(target, intervals.at(row));
    m_intervalModel->updateInterval(row, intervals.at(target));
    const QModelIndex moved = m_intervalModel->index(target, current.column());
    m_intervalView->selectionModel()->setCurrentIndex(moved, QItemSelectionModel::ClearAndSelect);
}

void WorkTimeDayEditDialog::updateIntervalButtonsEnables()
{
    const QModelIndex current = m_intervalView->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    m_addInterval->setEnabled(true);
    m_delInterval->setEnabled(row >= 0);
    m_moveUpInterval->setEnabled(row >= 1);
    m_moveDownInterval->setEnabled(row >= 0 && row < m_intervalModel->rowCount() - 1);
}
