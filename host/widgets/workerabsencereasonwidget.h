#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "ovwidgets_export.h"
#include "workerabsencereason.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QWidget>

class OVDateEdit;
class OVTimeEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;
class QTreeWidget;

/// Edits one employee's absence records (reason, dates, times of day, comment) inside the editable dates.
///
/// A record is changed only where its dates lie inside the editable dates: a record that
/// begins before them keeps its start, one that ends after them keeps its end, and only a
/// record wholly inside them can change its reason, times and comment or be removed.
class OVWIDGETS_EXPORT WorkerAbsenceReasonWidget : public QWidget
{
    Q_OBJECT

public:
    using Record = orvanta::_WORKER_ABSENCE_REASON_RECORD;

    explicit WorkerAbsenceReasonWidget(QWidget* parent = nullptr);

    /// Offer only reasons whose "PT_ALLOW_PLANNING" is set; records of other reasons stay read-only.
    void setCheckPlanningAllow(bool check);
    bool checkPlanningAllow() const { return m_checkPlanningAllow; }
    void setAbsenceReasons(const QList<orvanta::ObjectInfo>& reasons);
    /// The reasons a record can be given, in the order the choice lists them.
    QList<orvanta::TYPE_ID> offeredReasons() const { return m_offered; }

    void setWorkerReasons(const orvanta::_WORKER_ABSENCE_REASON& reasons);
    /// Every record, also those the date range hides.
    orvanta::_WORKER_ABSENCE_REASON workerReasons() const;
    /// The records shown: those touching the date range, and the new ones.
    QList<Record> currentReasons() const;

    /// Shows only the records touching from..to; invalid dates show them all.
    void setDateRange(const QDate& from, const QDate& to);
    /// The day a new record covers.
    void setDefaultDate(const QDate& date);
    /// Invalid dates leave that side open.
    void setMinEditableDate(const QDate& date);
    void setMaxEditableDate(const QDate& date);
    QDate minEditableDate() const { return m_minEditable; }
    QDate maxEditableDate() const { return m_maxEditable; }

    /// Without the list only the current record is shown, for editing a single record.
    void setListVisible(bool visible);

    int rowCount() const { return m_shown.size(); }
    int currentRow() const;
    void setCurrentRow(int row);
    bool canEditStart(int row) const;
    bool canEditEnd(int row) const;
    /// Reason, times, comment and removal: the record lies wholly inside the editable dates.
    bool canEditWhole(int row) const;

public slots:
    void addReason();
    void removeReason();

signals:
    void dataEdited();

private:
    enum class Moved { Start, End, Other };

    void buildUi();
    QWidget* buildEditor();
    void connectEditor();
    void refreshOffered();
    void refreshList(int selectRecord);
    void loadEditor();
    void fillReasonCombo(orvanta::TYPE_ID current);
    void updateEnabled();
    void editorChanged(Moved moved);
    Record recordFromEditor(const Record& original, Moved moved, bool& adjusted) const;
    void updateItem(int row);

    int recordIndex(int row) const;
    bool touchesRange(const Record& record) const;
    bool isEditableDate(const QDate& date) const;
    bool isAllowedReason(orvanta::TYPE_ID reason) const;
    QDate newRecordDate() const;
    QString reasonText(orvanta::TYPE_ID reason) const;
    QStringList itemTexts(const Record& record) const;

    bool m_checkPlanningAllow = false;
    QHash<orvanta::TYPE_ID, orvanta::ObjectInfo> m_reasonObjects;
    QList<orvanta::TYPE_ID> m_offered;
    orvanta::TYPE_ID m_uid = 0;
    QList<Record> m_records;
    /// Indexes into m_records of the rows of the list.
    QList<int> m_shown;
    QDate m_rangeFrom;
    QDate m_rangeTo;
    QDate m_defaultDate;
    QDate m_minEditable;
    QDate m_maxEditable;
    /// Set while the editor is filled from a record, so its own signals are not taken for edits.
    bool m_loading = false;

    QTreeWidget* m_list = nullptr;
    QToolButton* m_addButton = nullptr;
    QToolButton* m_removeButton = nullptr;
    QComboBox* m_reasonCombo = nullptr;
    OVDateEdit* m_startDate = nullptr;
    OVTimeEdit* m_startTime = nullptr;
    OVDateEdit* m_endDate = nullptr;
    OVTimeEdit* m_endTime = nullptr;
    QCheckBox* m_timedCheck = nullptr;
    QLineEdit* m_commentEdit = nullptr;
};
