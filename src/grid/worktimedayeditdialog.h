#pragma once

#include "orvantatypes.h"
#include "scheduledata.h"
#include "worktimedata.h"

#include <QDate>
#include <QDialog>

class OVTimeEdit;
class QAction;
class QDialogButtonBox;
class QLabel;
class QMenu;
class QTableView;
class QTabWidget;
class QToolButton;
class WorkerAbsenceReasonWidget;
class WorkTimeIntervalModel;
class WorkTimePlanningModel;

/// Edits one employee's day on a copy of the row: shift, start and finish, work intervals and
/// absence reasons; the copy goes back to the grid model only on OK.
class WorkTimeDayEditDialog : public QDialog
{
    Q_OBJECT
public:
    explicit WorkTimeDayEditDialog(QWidget* parent = nullptr);

    void setData(WorkTimePlanningModel* model, orvanta::TYPE_ID employee, const QDate& date);
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    /// The edited copy of the row, as OK would hand it over.
    const WorkTimeData& workTimeData() const { return m_data; }
    WorkTimeData::Day day() const;

public slots:
    void accept() override;

    void updateShiftTime();
    void intervalChanged();
    void shiftActionTriggered(QAction* action);
    void updateReasons();
    void addInterval();
    void delInterval();
    void moveUpInterval();
    void moveDownInterval();
    void updateIntervalButtonsEnables();

private:
    void buildForm();
    QWidget* buildIntervalTab();
    QToolButton* makeIntervalButton(const char* objectName, const QString& text, const QString& toolTip,
                                    const char* icon);
    void initShiftMenu();
    void initReasonWidget();
    void initIntervalView();

    void loadSchedule();
    void loadReasons();
    void setDay(const WorkTimeData::Day& day);
    /// The change bits of a day edit: a personal schedule keeps its days, any other gets one created.
    void markDayChanged(bool personal);
    void showDayFields(const WorkTimeData::Day& day);
    void setTimeField(OVTimeEdit* field, int seconds);
    void blockInputSignals(bool block);
    void updateDiplayText();
    void updateInputEnabled();
    bool isFullDayAbsent() const;
    void setOkEnabled(bool enabled);
    void moveInterval(int offset);

    WorkTimePlanningModel* m_model = nullptr;
    WorkTimeIntervalModel* m_intervalModel = nullptr;
    orvanta::TYPE_ID m_employee = 0;
    QDate m_date;
    orvanta::SCHEDULE_DATA m_schedule;
    int m_dayIndex = -1;
    WorkTimeData m_data;
    bool m_reasonsChanged = false;
    bool m_readOnly = false;

    QLabel* m_shiftName = nullptr;
    QToolButton* m_changeShift = nullptr;
    QMenu* m_shiftMenu = nullptr;
    QLabel* m_scheduleName = nullptr;
    OVTimeEdit* m_start = nullptr;
    OVTimeEdit* m_finish = nullptr;
    OVTimeEdit* m_shiftTime = nullptr;
    OVTimeEdit* m_breakTime = nullptr;
    QLabel* m_scheduleWarning = nullptr;
    QTabWidget* m_tabWidget = nullptr;
    WorkerAbsenceReasonWidget* m_reasonWidget = nullptr;
    QWidget* m_intervalTab = nullptr;
    QTableView* m_intervalView = nullptr;
    QToolButton* m_addInterval = nullptr;
    QToolButton* m_delInterval = nullptr;
    QToolButton* m_moveUpInterval = nullptr;
    QToolButton* m_moveDownInterval = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
};
