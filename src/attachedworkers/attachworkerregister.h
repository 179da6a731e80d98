#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "taskinfo.h"

#include <QDate>
#include <QModelIndexList>
#include <QObject>
#include <QPointer>

#include <functional>

class AttachWorkerInfoWidget;
class Command;
class AttachWorkerItemModel;
class AttachWorkerProxyModel;
class HiddenPanel;
class QAction;
class QTableView;
class WorkTimePlanningModel;

namespace ov5sdk {
class Data;
}

/// The «Внутренние командировки» page: the trip list following the local store, its property
/// panel, the add, edit and delete actions gated by the user's roles, and the grid's attach and
/// detach entries. Writes leave through executeTask.
class AttachWorkerRegister : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction* add = nullptr;
        QAction* edit = nullptr;
        QAction* remove = nullptr;
    };

    AttachWorkerRegister(QTableView* view, HiddenPanel* panel, const Actions& actions, QWidget* window);

    AttachWorkerItemModel* model() const { return m_model; }
    AttachWorkerProxyModel* proxy() const { return m_proxy; }
    AttachWorkerInfoWidget* infoWidget() const { return m_infoWidget; }
    /// The grid whose trips the detach entry removes.
    void setPlanningModel(WorkTimePlanningModel* model);
    /// Where the panel asks for a newer photo of the selected trip's employee.
    void setDataService(ov5sdk::Data* dataService) { m_dataService = dataService; }
    /// Distinct ids of the selected rows, in selection order.
    QList<orvanta::TYPE_ID> selectedIds() const;

public slots:
    void initModels();
    void initPanel();
    void updateEnables();
    void updateInfo();
    void addWorker();
    void editWorker();
    void removeWorkers();
    /// The wizard on the settings page for employee, from start to finish.
    void showAttachWizard(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish);
    /// Deletes the employee's trips that share a day with start to finish.
    void showDetachWizard(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish);
    void localDataChanged(const QString& dataname, const QList<unsigned int>& ids);
    void localDataRemoved(const QString& dataname, const QList<unsigned int>& ids);

signals:
    void executeTask(const orvanta::TaskInfo& task);
    /// The selection changed; the window refreshes the panel once the selecting pauses.
    void selectionChanged();

private:
    QModelIndexList selectedRows() const;
    void openWizard(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish);
    void deleteTrips(const QList<orvanta::TYPE_ID>& ids);
    void requestPhoto(orvanta::TYPE_ID employee);
    /// Reads the whole organisation structure from the server and hands it to apply while guard lives.
    void requestOrgstructure(QObject* guard, std::function<void(const orvanta::OBJECT_HASH&)> apply);
    void blobDataRead(Command& reply);

    QTableView* m_view;
    HiddenPanel* m_panel;
    Actions m_actions;
    QPointer<QWidget> m_window;
    QPointer<WorkTimePlanningModel> m_planning;
    ov5sdk::Data* m_dataService = nullptr;
    AttachWorkerItemModel* m_model = nullptr;
    AttachWorkerProxyModel* m_proxy = nullptr;
    AttachWorkerInfoWidget* m_infoWidget = nullptr;
};
