#include "breakruleimpact.h"
#include "employeeinfo.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "worktimeplanningmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

using namespace orvanta;
using ovtest::OrganisationBuilder;

// The rule preview of a 2,000-employee month in 20 departments where every day is worked and every day
// falls under the edited rule: the worst case, each day's break is worked out twice.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QDate first(2024, 7, 1);
    OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    const int everyDay = org.cycleSchedule(QStringLiteral("Каждый день"), first, {0},
                                           {{{QTime(8, 0), QTime(12, 0)}, {QTime(13, 0), QTime(17, 0)}}});
    QList<TYPE_ID> departments;
    QList<EmployeeInfo> employees;
    WorkTimePlanningModel::ScheduleHistoryHash histories;
    for (int d = 0; d < 20; ++d) {
        departments.append(org.department(QStringLiteral("Отдел %1").arg(d), firm));
        for (int e = 0; e < 100; ++e) {
            EmployeeInfo info;
            info.uid = org.employee(QStringLiteral("Сотрудник %1-%2").arg(d).arg(e), departments.last());
            employees.append(info);
            WORKER_SCHEDULE_HISTORY_V2 history;
            history.uid = info.uid;
            _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
            record.id = info.uid;
            record.schedule = TYPE_ID(everyDay);
            history.records.append(record);
            histories.insert(info.uid, history);
        }
    }
    const TYPE_ID rule = org.breakRule(QStringLiteral("Обед"), 4 * 3600, 12 * 3600, 1800, QDate(2024, 1, 1), departments);
    WorkTimePlanningModel model;
    model.refreshModel(first, QDate(2024, 7, 31), employees, {}, departments);
    model.setScheduleHistory(histories);

    const ObjectInfo stored = LocalStorage::instance()->constObject(rule, QLatin1String(BREAK_RULE_DATANAME));
    ObjectInfo edited = stored;
    edited.properties.insert(QLatin1String(db::break_rule::BREAK_TIME), QStringLiteral("3600"));
    QList<qint64> runs;
    QString text;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        text = BreakRuleImpact::describe(BreakRuleImpact(&model).compute({stored}, {edited}));
        runs.append(timer.nsecsElapsed() / 1000);
    }
    std::sort(runs.begin(), runs.end());
    out << "rows " << model.rowCount() << ", days " << model.daysCount() << ": " << text << "\n"
        << "preview median " << runs.at(2) / 1000.0 << " ms, worst " << runs.last() / 1000.0 << " ms\n";
    return 0;
}
