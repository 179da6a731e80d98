#pragma once

#include "objectinfo.h"
#include "ovwidgets_export.h"
#include "workerabsencereason.h"

#include <QDate>
#include <QDialog>
#include <QList>

class QDialogButtonBox;
class WorkerAbsenceReasonWidget;

/// A dialog around WorkerAbsenceReasonWidget: edits one record, or a worker's records, and hands them back on OK.
class OVWIDGETS_EXPORT WorkerAbsenceReasonDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WorkerAbsenceReasonDialog(QWidget* parent = nullptr);

    void setCheckPlanningAllow(bool check);
    void setAbsenceReasons(const QList<orvanta::ObjectInfo>& reasons);
    /// The editable dates; invalid leaves that side open.
    void setMinDate(const QDate& date);
    void setMaxDate(const QDate& date);

    /// Edits this single record; the list of records is hidden.
    void setWorkerReason(const orvanta::_WORKER_ABSENCE_REASON_RECORD& record);
    orvanta::_WORKER_ABSENCE_REASON_RECORD workerReason() const;
    /// Edits all records of a worker in a list.
    void setWorkerReasons(const orvanta::_WORKER_ABSENCE_REASON& reasons);
    orvanta::_WORKER_ABSENCE_REASON workerReasons() const;

    WorkerAbsenceReasonWidget* reasonWidget() const { return m_widget; }

private:
    void updateOkEnabled();

    WorkerAbsenceReasonWidget* m_widget = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
};
