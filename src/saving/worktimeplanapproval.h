#pragma once

#include "command.h"

#include <QObject>
#include <QString>

#include <functional>

class WorkTimePlanningModel;

namespace ov5sdk {
class Data;
}

/// Approves the saved plans of the loaded month: one request for every employee not yet approved,
/// outside the task queue, after the planner has agreed.
class WorkTimePlanApproval : public QObject
{
    Q_OBJECT

public:
    /// Asks the planner a yes-or-no question; true means yes.
    using Question = std::function<bool(const QString& title, const QString& text)>;

    WorkTimePlanApproval(ov5sdk::Data* dataService, const WorkTimePlanningModel* model, Question question,
                         QObject* parent = nullptr);

    void confirmWorkTime();

signals:
    void approved(const QString& message);
    void failed(const QString& message);

private:
    void updateSaveTimeResult(Command& reply);

    ov5sdk::Data* dataService;
    const WorkTimePlanningModel* model;
    Question question;
};
