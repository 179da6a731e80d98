#include "workerabsencereasonwidget.h"

#include "ovdateedit.h"
#include "ovglobals.h"
#include "ovtimeedit.h"
#include "vocabulary.h"
#include "widgetslogging.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace orvanta;

namespace {

const QTime dayStart(0, 0);
const QTime dayEnd(23, 59, 59);
const QDate earliestDate(1900, 1, 1);
const QDate latestDate(2999, 12, 31);

QString dateText(const QDateTime& moment, bool timed)
{
    const QString date = moment.date().toString(QStringLiteral("dd.MM.yyyy"));
    return timed ? date + QLatin1Char(' ') + moment.time().toString(QStringLiteral("HH:mm")) : date;
}

// Keeps the time spec of the record's own moments when one of their parts changes.
QDateTime withDateTime(const QDateTime& original, const QDate& date, const QTime& time)
{
    if (!original.isValid())
        return QDateTime(date, time);
    QDateTime result = original;
    result.setDate(date);
    result.setTime(time);
    return result;
}

} // namespace

WorkerAbsenceReasonWidget::WorkerAbsenceReasonWidget(QWidget* parent)
    : QWidget(parent)
{
    buildUi();
    connectEditor();
    refreshList(-1);
}

void WorkerAbsenceReasonWidget::buildUi()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("reasonList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({tr("Причина"), tr("Начало"), tr("Окончание"), tr("Комментарий")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);

    m_addButton = new QToolButton(this);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_addButton->setText(tr("Добавить"));
    m_addButton->setToolTip(tr("Добавить причину отсутствия"));
    m_addButton->setIcon(QIcon::fromTheme(QStringLiteral("action-add")));
    m_removeButton = new QToolButton(this);
    m_removeButton->setObjectName(QStringLiteral("removeButton"));
    m_removeButton->setText(tr("Удалить"));
    m_removeButton->setToolTip(tr("Удалить причину отсутствия"));
    m_removeButton->setIcon(QIcon::fromTheme(QStringLiteral("action-remove")));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(m_list);
    top->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top, 1);
    layout->addWidget(buildEditor());
}

QWidget* WorkerAbsenceReasonWidget::buildEditor()
{
    auto* editor = new QWidget(this);
    m_reasonCombo = new QComboBox(editor);
    m_reasonCombo->setObjectName(QStringLiteral("reasonCombo"));
    m_reasonCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_reasonCombo->setMinimumContentsLength(20);
    m_startDate = new OVDateEdit(editor);
    m_startDate->setObjectName(QStringLiteral("startDateEdit"));
    m_startTime = new OVTimeEdit(editor);
    m_startTime->setObjectName(QStringLiteral("startTimeEdit"));
    m_endDate = new OVDateEdit(editor);
    m_endDate->setObjectName(QStringLiteral("endDateEdit"));
    m_endTime = new OVTimeEdit(editor);
    m_endTime->setObjectName(QStringLiteral("endTimeEdit"));
    m_timedCheck = new QCheckBox(tr("Часть дня"), editor);
    m_timedCheck->setObjectName(QStringLiteral("timedCheck"));
    m_commentEdit = new QLineEdit(editor);
    m_commentEdit->setObjectName(QStringLiteral("commentEdit"));

    auto* grid = new QGridLayout(editor);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(tr("Причина"), editor), 0, 0);
    grid->addWidget(m_reasonCombo, 0, 1, 1, 4);
    grid->addWidget(m_timedCheck, 0, 5);
    grid->addWidget(new QLabel(tr("Начало"), editor), 1, 0);
    grid->addWidget(m_startDate, 1, 1);
    grid->addWidget(m_startTime, 1, 2);
    grid->addWidget(new QLabel(tr("Окончание"), editor), 1, 3);
    grid->addWidget(m_endDate, 1, 4);
    grid->addWidget(m_endTime, 1, 5);
    grid->addWidget(new QLabel(tr("Комментарий"), editor), 2, 0);
    grid->addWidget(m_commentEdit, 2, 1, 1, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    return editor;
}

void WorkerAbsenceReasonWidget::connectEditor()
{
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { loadEditor(); });
    connect(m_addButton, &QToolButton::clicked, this, &WorkerAbsenceReasonWidget::addReason);
    connect(m_removeButton, &QToolButton::clicked, this, &WorkerAbsenceReasonWidget::removeReason);
    connect(m_reasonCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { editorChanged(Moved::Other); });
    connect(m_timedCheck, &QCheckBox::toggled, this, [this] { editorChanged(Moved::Other); });
    connect(m_commentEdit, &QLineEdit::textEdited, this, [this] { editorChanged(Moved::Other); });
    connect(m_startDate, &QDateEdit::dateChanged, this, [this] { editorChanged(Moved::Start); });
    connect(m_startTime, &QTimeEdit::timeChanged, this, [this] { editorChanged(Moved::Start); });
    connect(m_endDate, &QDateEdit::dateChanged, this, [this] { editorChanged(Moved::End); });
    connect(m_endTime, &QTimeEdit::timeChanged, this, [this] { editorChanged(Moved::End); });
}

void WorkerAbsenceReasonWidget::setCheckPlanningAllow(bool check)
{
    m_checkPlanningAllow = check;
    refreshOffered();
    loadEditor();
}

void WorkerAbsenceReasonWidget::setAbsenceReasons(const QList<ObjectInfo>& reasons)
{
    m_reasonObjects.clear();
    for (const ObjectInfo& reason : reasons)
        m_reasonObjects.insert(reason.uid, reason);
    refreshOffered();
    refreshList(recordIndex(currentRow()));
}

void WorkerAbsenceReasonWidget::refreshOffered()
{
    m_offered.clear();
    for (auto it = m_reasonObjects.cbegin(); it != m_reasonObjects.cend(); ++it) {
        if (isAllowedReason(it.key()))
            m_offered.append(it.key());
    }
    std::sort(m_offered.begin(), m_offered.end(), [this](TYPE_ID left, TYPE_ID right) {
        const QString leftText = reasonText(left).toLower();
        const QString rightText = reasonText(right).toLower();
        return leftText != rightText ? leftText < rightText : left < right;
    });
}

bool WorkerAbsenceReasonWidget::isAllowedReason(TYPE_ID reason) const
{
    const auto it = m_reasonObjects.constFind(reason);
    if (it == m_reasonObjects.cend())
        return false;
    return !m_checkPlanningAllow || it->property(QLatin1String(db::reason::ALLOW_PLANNING)).toInt() != 0;
}

QString WorkerAbsenceReasonWidget::reasonText(TYPE_ID reason) const
{
    const auto it = m_reasonObjects.constFind(reason);
    if (it == m_reasonObjects.cend())
        return QStringLiteral("#%1").arg(reason);
    return QStringLiteral("%1 %2")
        .arg(it->property(QLatin1String(db::reason::MARK)), OVGlobals::objectName(*it))
        .trimmed();
}

void WorkerAbsenceReasonWidget::setWorkerReasons(const _WORKER_ABSENCE_REASON& reasons)
{
    m_uid = reasons.uid;
    m_records = reasons.records;
    refreshList(-1);
}

_WORKER_ABSENCE_REASON WorkerAbsenceReasonWidget::workerReasons() const
{
    _WORKER_ABSENCE_REASON result;
    result.uid = m_uid;
    result.records = m_records;
    return result;
}

QList<WorkerAbsenceReasonWidget::Record> WorkerAbsenceReasonWidget::currentReasons() const
{
    QList<Record> result;
    for (int index : m_shown)
        result.append(m_records.at(index));
    return result;
}

void WorkerAbsenceReasonWidget::setDateRange(const QDate& from, const QDate& to)
{
    m_rangeFrom = from;
    m_rangeTo = to;
    refreshList(recordIndex(currentRow()));
}

void WorkerAbsenceReasonWidget::setDefaultDate(const QDate& date)
{
    m_defaultDate = date;
    updateEnabled();
}

void WorkerAbsenceReasonWidget::setMinEditableDate(const QDate& date)
{
    m_minEditable = date;
    loadEditor();
}

void WorkerAbsenceReasonWidget::setMaxEditableDate(const QDate& date)
{
    m_maxEditable = date;
    loadEditor();
}

void WorkerAbsenceReasonWidget::setListVisible(bool visible)
{
    m_list->setVisible(visible);
    m_addButton->setVisible(visible);
    m_removeButton->setVisible(visible);
}

int WorkerAbsenceReasonWidget::currentRow() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? m_list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void WorkerAbsenceReasonWidget::setCurrentRow(int row)
{
    m_list->setCurrentItem(m_list->topLevelItem(row));
}

int WorkerAbsenceReasonWidget::recordIndex(int row) const
{
    return row >= 0 && row < m_shown.size() ? m_shown.at(row) : -1;
}

bool WorkerAbsenceReasonWidget::touchesRange(const Record& record) const
{
    if (record.isNew())
        return true;
    if (m_rangeFrom.isValid() && record.end.date() < m_rangeFrom)
        return false;
    return !m_rangeTo.isValid() || record.start.date() <= m_rangeTo;
}

bool WorkerAbsenceReasonWidget::isEditableDate(const QDate& date) const
{
    if (!date.isValid())
        return false;
    return (!m_minEditable.isValid() || date >= m_minEditable) && (!m_maxEditable.isValid() || date <= m_maxEditable);
}

bool WorkerAbsenceReasonWidget::canEditStart(int row) const
{
    const int index = recordIndex(row);
    if (index < 0)
        return false;
    const Record& record = m_records.at(index);
    return isAllowedReason(record.reason) && isEditableDate(record.start.date());
}

bool WorkerAbsenceReasonWidget::canEditEnd(int row) const
{
    const int index = recordIndex(row);
    if (index < 0)
        return false;
    const Record& record = m_records.at(index);
    return isAllowedReason(record.reason) && isEditableDate(record.end.date());
}

bool WorkerAbsenceReasonWidget::canEditWhole(int row) const
{
    return canEditStart(row) && canEditEnd(row);
}

QStringList WorkerAbsenceReasonWidget::itemTexts(const Record& record) const
{
    return {reasonText(record.reason), dateText(record.start, record.timed), dateText(record.end, record.timed),
            record.comment};
}

void WorkerAbsenceReasonWidget::refreshList(int selectRecord)
{
    m_shown.clear();
    for (int i = 0; i < m_records.size(); ++i) {
        if (touchesRange(m_records.at(i)))
            m_shown.append(i);
    }
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        for (int index : qAsConst(m_shown))
            m_list->addTopLevelItem(new QTreeWidgetItem(itemTexts(m_records.at(index))));
        const int row = m_shown.indexOf(selectRecord);
        m_list->setCurrentItem(m_list->topLevelItem(row >= 0 ? row : 0));
    }
    loadEditor();
}

void WorkerAbsenceReasonWidget::updateItem(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    const int index = recordIndex(row);
    if (!item || index < 0)
        return;
    const QStringList texts = itemTexts(m_records.at(index));
    for (int column = 0; column < texts.size(); ++column)
        item->setText(column, texts.at(column));
}

void WorkerAbsenceReasonWidget::fillReasonCombo(TYPE_ID current)
{
    m_reasonCombo->clear();
    for (TYPE_ID reason : qAsConst(m_offered))
        m_reasonCombo->addItem(reasonText(reason), reason);
    // A record may carry a reason that is not offered; it is shown, not silently replaced.
    if (current != 0 && !m_offered.contains(current))
        m_reasonCombo->addItem(reasonText(current), current);
    m_reasonCombo->setCurrentIndex(m_reasonCombo->findData(current));
}

void WorkerAbsenceReasonWidget::loadEditor()
{
    const int row = currentRow();
    const int index = recordIndex(row);
    const Record record = index >= 0 ? m_records.at(index) : Record();
    m_loading = true;
    fillReasonCombo(record.reason);
    // Locked dates may lie outside the editable dates; a narrow range would clamp them.
    const bool startEditable = canEditStart(row);
    const bool endEditable = canEditEnd(row);
    m_startDate->setDateRange(startEditable && m_minEditable.isValid() ? m_minEditable : earliestDate,
                              startEditable && m_maxEditable.isValid() ? m_maxEditable : latestDate);
    m_endDate->setDateRange(endEditable && m_minEditable.isValid() ? m_minEditable : earliestDate,
                            endEditable && m_maxEditable.isValid() ? m_maxEditable : latestDate);
    m_startDate->setDate(record.start.isValid() ? record.start.date() : earliestDate);
    m_endDate->setDate(record.end.isValid() ? record.end.date() : earliestDate);
    m_startTime->setTime(record.timed ? record.start.time() : dayStart);
    m_endTime->setTime(record.timed ? record.end.time() : QTime(23, 59));
    m_timedCheck->setChecked(record.timed);
    m_commentEdit->setText(record.comment);
    m_loading = false;
    updateEnabled();
}

void WorkerAbsenceReasonWidget::updateEnabled()
{
    const int row = currentRow();
    const bool hasRecord = recordIndex(row) >= 0;
    const bool whole = canEditWhole(row);
    const bool timed = m_timedCheck->isChecked();
    m_reasonCombo->setEnabled(whole);
    m_timedCheck->setEnabled(whole);
    m_commentEdit->setEnabled(whole);
    m_startDate->setEnabled(canEditStart(row));
    m_startTime->setEnabled(canEditStart(row) && timed);
    m_endDate->setEnabled(canEditEnd(row));
    m_endTime->setEnabled(canEditEnd(row) && timed);
    m_removeButton->setEnabled(hasRecord && whole);
    m_addButton->setEnabled(!m_offered.isEmpty() && newRecordDate().isValid());
}

QDate WorkerAbsenceReasonWidget::newRecordDate() const
{
    QDate date = m_defaultDate.isValid() ? m_defaultDate : m_minEditable;
    if (!date.isValid())
        date = m_maxEditable.isValid() ? m_maxEditable : QDate::currentDate();
    if (m_minEditable.isValid() && date < m_minEditable)
        date = m_minEditable;
    if (m_maxEditable.isValid() && date > m_maxEditable)
        date = m_maxEditable;
    return isEditableDate(date) ? date : QDate();
}

WorkerAbsenceReasonWidget::Record WorkerAbsenceReasonWidget::recordFromEditor(const Record& original, Moved moved,
                                                                             bool& adjusted) const
{
    adjusted = false;
    Record record = original;
    const int row = currentRow();
    if (canEditWhole(row)) {
        record.reason = m_reasonCombo->currentData().toUInt();
        record.timed = m_timedCheck->isChecked();
        record.comment = m_commentEdit->text();
    }
    const bool timed = record.timed;
    if (canEditStart(row))
        record.start = withDateTime(original.start, m_startDate->date(), timed ? m_startTime->time() : dayStart);
    if (canEditEnd(row))
        record.end = withDateTime(original.end, m_endDate->date(), timed ? m_endTime->time() : dayEnd);
    if (record.start <= record.end)
        return record;

    adjusted = true;
    // The side the user moved pushes the other along, when that one may change.
    if (moved == Moved::Start && canEditEnd(row)) {
        record.end = withDateTime(record.end, record.start.date(), timed ? record.start.time() : dayEnd);
    } else if (moved == Moved::End && canEditStart(row)) {
        record.start = withDateTime(record.start, record.end.date(), timed ? record.end.time() : dayStart);
    } else {
        record.start = original.start;
        record.end = original.end;
    }
    return record;
}

void WorkerAbsenceReasonWidget::editorChanged(Moved moved)
{
    if (m_loading)
        return;
    const int row = currentRow();
    const int index = recordIndex(row);
    if (index < 0)
        return;
    bool adjusted = false;
    const Record record = recordFromEditor(m_records.at(index), moved, adjusted);
    const bool changed = !(record == m_records.at(index));
    m_records[index] = record;
    // Reloading on every keystroke would move the cursor under the user's hands.
    if (adjusted)
        loadEditor();
    else
        updateEnabled();
    if (!changed)
        return;
    updateItem(row);
    emit dataEdited();
}

void WorkerAbsenceReasonWidget::addReason()
{
    const QDate date = newRecordDate();
    if (m_offered.isEmpty() || !date.isValid()) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "no reason or date to add" << m_offered.size() << date;
        return;
    }
    Record record;
    record.id = Record::NEW_RECORD_ID;
    record.reason = m_offered.first();
    record.start = QDateTime(date, dayStart);
    record.end = QDateTime(date, dayEnd);
    m_records.append(record);
    refreshList(m_records.size() - 1);
    emit dataEdited();
}

void WorkerAbsenceReasonWidget::removeReason()
{
    const int row = currentRow();
    if (!canEditWhole(row)) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "record cannot be removed" << row;
        return;
    }
    const int index = recordIndex(row);
    m_records.removeAt(index);
    refreshList(recordIndex(row + 1) >= 0 ? recordIndex(row + 1) - 1 : recordIndex(row - 1));
    emit dataEdited();
}
