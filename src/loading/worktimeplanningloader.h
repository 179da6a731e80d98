#pragma once

#include "command.h"
#include "objectinfo.h"
#include "workerschedulehistory.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class DbResult;
class QTimer;
class WorkTimePlanningModel;

namespace ov5sdk {
class Data;
}

/// Loads a period into the planning grid model: sends the data-service requests, decodes their
/// replies into the model, runs the planning-balance query and reloads employees the store reports changed.
class WorkTimePlanningLoader : public QObject
{
    Q_OBJECT

public:
    WorkTimePlanningLoader(ov5sdk::Data* dataService, WorkTimePlanningModel* model, const QString& clientId,
                           QObject* parent = nullptr);

    /// Fills the model with the employees of the departments over the period and requests their data.
    void load(const QDate& start, const QDate& finish, const QList<orvanta::TYPE_ID>& departmentIds);
    /// True while requests of a load are outstanding.
    bool isLoading() const { return outstandingRequests > 0; }
    QString currentPlanningBalanceQueryId() const { return currentBalanceQueryId; }
    static QString nextPlanningBalanceQueryId();

    void sendGetScheduleHistory(const QList<unsigned int>& ids);
    void sendGetAbsenceReasons(const QList<unsigned int>& ids);
    void sendGetEmployeeNormTime(const QDate& start, const QDate& finish, const QList<unsigned int>& ids);
    void sendGetEmployeeSyncTime(const QDate& start, const QDate& finish, const QList<unsigned int>& ids);
    void sendGetSalesPlan(const QDate& start, const QDate& finish, const QList<unsigned int>& departmentIds);
    void sendGetHoursBudget(const QDate& start, const QDate& finish, const QList<unsigned int>& departmentIds);
    void sendGetFullOrgstructure();
    void sendGetScheduleCalendar(const QList<int>& ids, const QDate& start, const QDate& finish);
    void sendGetPlanningBalanceAsync(const QDate& from, const QDate& to, const QList<orvanta::TYPE_ID>& workers);

    void scheduleHistoryRead(Command& reply);
    void absenceReasonRead(Command& reply);
    void calendarDaysReadResult(Command& reply);
    void employeeNormTimeRead(Command& reply);
    void employeeSyncTimeRead(Command& reply);
    void salesPlanRead(Command& reply);
    void hoursBudgetRead(Command& reply);
    void orgstructureRead(Command& reply);
    /// The pushed result of an asynchronous query; only the current balance query's is taken.
    void dbresultAsyncResult(const Command& command);
    void unpackPlanningBalance(const QList<DbResult>& results);
    /// The schedules of the grid whose calendar days the period needs.
    QList<int> calendarScheduleIds(const QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories) const;

    /// Reacts to a store change of objects: attached rows are rebuilt, changed employees reloaded.
    void localDataChanged(const QString& dataname, const QList<unsigned int>& uids);
    /// Reloads the grid employees whose personal schedule is among uids.
    void reloadPersonalScheduleOwners(const QList<unsigned int>& uids, const char* phrase);

public slots:
    /// Collects employees to reload; a burst of changes gives one reload after the delay.
    void reloadEmployeeDataDelayed(const QList<unsigned int>& uids);
    void reloadEmployeeData();

signals:
    /// The first request of a load went out (true) or the last one was answered (false).
    void loadingChanged(bool loading);
    /// A read failed; the message is for the planner.
    void readFailed(const QString& message);
    /// The full organisation structure arrived.
    void orgstructureReceived(const orvanta::OBJECT_HASH& list);
    void totalsOutdated();
    void statisticsOutdated();
    /// Sync times arrived, so what may be confirmed or saved can have changed.
    void confirmStateChanged();

private:
    void emptyHandler(Command& reply);
    /// Counts an outstanding request of a load and wraps its reply handler to uncount it.
    std::function<void(Command&)> trackedReply(void (WorkTimePlanningLoader::*handler)(Command&));
    void beginRequest();
    void endRequest();
    void setBalanceQueryBusy(bool busy);
    /// Rebuilds the rows of uids now when they are few, otherwise a slice per turn of the event loop, the load
    /// counting as busy until the last one.
    void rebuildInSlices(const QList<unsigned int>& uids);
    void rebuildNextSlice();

    ov5sdk::Data* dataService = nullptr;
    WorkTimePlanningModel* model = nullptr;
    QString clientId;
    QTimer* reloadTimer = nullptr;
    QTimer* rebuildTimer = nullptr;
    /// Uids whose rows wait for rebuildNextSlice.
    QList<unsigned int> pendingRebuild;

    QSet<unsigned int> pendingReloadUids;
    QString currentBalanceQueryId;
    QList<orvanta::TYPE_ID> balanceEmployees;
    int outstandingRequests = 0;
    bool balanceQueryBusy = false;
};
