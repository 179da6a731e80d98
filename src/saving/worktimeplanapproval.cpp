#include "worktimeplanapproval.h"

#include "data.h"
#include "worktimeplanningmodel.h"
#include "wtplanninglogging.h"

#include <QLocale>
#include <QPointer>

WorkTimePlanApproval::WorkTimePlanApproval(ov5sdk::Data* dataService, const WorkTimePlanningModel* model,
                                           Question question, QObject* parent)
    : QObject(parent), dataService(dataService), model(model), question(std::move(question))
{
}

void WorkTimePlanApproval::confirmWorkTime()
{
    const QList<unsigned int> employees = model->employeesForConfirm();
    if (employees.isEmpty()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "no data for confirm";
        return;
    }
    const QDate start = model->dateStart();
    const QString period =
        QStringLiteral("%1 %2").arg(QLocale().standaloneMonthName(start.month(), QLocale::LongFormat)).arg(start.year());
    if (!question(tr("Утверждение графика работ"), tr("Утвердить графики работ за %1?").arg(period)))
        return;
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "confirm" << start << employees.size() << "employees";
    QPointer<WorkTimePlanApproval> self(this);
    dataService->updateWorkerSaveTime(start, employees, [self](Command& reply) {
        if (self)
            self->updateSaveTimeResult(reply);
    });
}

void WorkTimePlanApproval::updateSaveTimeResult(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "confirm failed" << reply.result << reply.errorMessage();
        emit failed(tr("Ошибка утверждения графиков работ"));
        return;
    }
    emit approved(tr("Графики работ успешно утверждены"));
}
