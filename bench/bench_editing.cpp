#include "authdata.h"
#include "employeeinfo.h"
#include "organisationbuilder.h"
#include "ovicontheme.h"
#include "worktimeeditactions.h"
#include "worktimeitemdelegate.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "worktimetableview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTextStream>

#include <algorithm>

// Pastes a month of days (31 x 200 employees) over the shown planning grid, as the planner's Ctrl+V does,
// undoes it, five times, then redoes it; each is timed with the repaint that follows. Some employees are on
// vacation, so the paste skips days as it would on the screen.

using namespace orvanta;
using ovtest::OrganisationBuilder;
using Model = WorkTimePlanningModel;

namespace {

constexpr int employeeCount = 200;
constexpr qint64 limitMs = 200;
constexpr int runs = 5;
const QDate first(2024, 7, 1);
const QDate last(2024, 7, 31);

struct Grid
{
    OrganisationBuilder org;
    Model model;
    WorkTimePlanningProxy proxy;
    WorkTimeItemDelegate delegate;
    WorkTimeTableView view;

    Grid()
    {
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), org.firm(QStringLiteral("Фирма")));
        org.breakRule(QStringLiteral("Обед"), 4 * 3600, 13 * 3600, 3600, QDate(2024, 1, 1), {shop});
        const TYPE_ID vacation = org.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"), 3);
        const int week = org.cycleSchedule(QStringLiteral("Пятидневка"), QDate(2024, 1, 1), {0, 0, 0, 0, 0, -1, -1},
                                           {{{QTime(8, 0), QTime(12, 0)}, {QTime(13, 0), QTime(17, 0)}}});
        QList<EmployeeInfo> employees;
        Model::ScheduleHistoryHash histories;
        Model::AbsenceReasonHash absences;
        for (int n = 0; n < employeeCount; ++n) {
            EmployeeInfo info;
            info.name = QStringLiteral("Сотрудник %1").arg(n, 3, 10, QLatin1Char('0'));
            info.uid = org.employee(info.name, shop);
            employees.append(info);
            _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
            record.id = TYPE_ID(n + 1);
            record.schedule = TYPE_ID(week);
            histories.insert(info.uid, WORKER_SCHEDULE_HISTORY_V2{info.uid, {record}});
            if (n % 10 == 3)
                absences.insert(info.uid, {info.uid,
                                           {OrganisationBuilder::absenceRecord(
                                               vacation, QDateTime(first.addDays(n % 20), QTime(0, 0)),
                                               QDateTime(first.addDays(n % 20 + 6), QTime(0, 0)), false,
                                               TYPE_ID(n + 1))}});
        }
        model.refreshModel(first, last, employees, {}, {shop});
        model.setScheduleHistory(histories);
        model.setAbsenceReasons(absences);
        proxy.setSourceModel(&model);

        view.setFrameShape(QFrame::NoFrame);
        view.setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
        view.verticalHeader()->hide();
        view.setModel(&proxy);
        view.setItemDelegate(&delegate);
        view.sortByColumn(Model::NameColumn, Qt::AscendingOrder);
        view.resizeColumnsToContents();
        view.resize(1920, 1080);
        view.show();
        QApplication::processEvents();
    }

    void selectAllDays()
    {
        const QModelIndex topLeft = proxy.index(0, Model::FirstDateColumn);
        const QModelIndex bottomRight = proxy.index(proxy.rowCount() - 1, proxy.columnCount() - 1);
        view.selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
        view.selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    }
};

const char* verdict(qint64 ms)
{
    return ms <= limitMs ? "ok" : "OVER LIMIT";
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

qint64 worst(const QList<qint64>& values)
{
    return *std::max_element(values.cbegin(), values.cend());
}

// A spreadsheet's month: two shifts, then a day off, in turn.
QString spreadsheetMonth()
{
    const QStringList pattern{QStringLiteral("09:00-18:00"), QStringLiteral("10:00-22:00"), QString()};
    QStringList lines;
    for (int row = 0; row < employeeCount; ++row) {
        QStringList days;
        for (int day = 0; day < 31; ++day)
            days.append(pattern.at((row + day) % pattern.size()));
        lines.append(days.join(QLatin1Char('\t')));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// The command and the repaint it causes.
qint64 timed(QAction* action)
{
    QElapsedTimer timer;
    timer.start();
    action->trigger();
    QApplication::processEvents();
    return timer.elapsed();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OVIconTheme::install();
    AuthData::setRoles(
        {QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"), QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SET")});
    QTextStream out(stdout);

    Grid grid;
    WorkTimeEditActions* actions = grid.view.editActions();
    QSignalSpy reports(&grid.view, &WorkTimeTableView::editReported);
    grid.selectAllDays();
    const qint64 copy = timed(actions->copyAction());
    const int copiedLines = QGuiApplication::clipboard()->text().count(QLatin1Char('\n')) + 1;

    QGuiApplication::clipboard()->setText(spreadsheetMonth());
    const qint64 totalBefore = grid.model.totalTime();
    QList<qint64> pastes;
    QList<qint64> undos;
    bool exact = true;
    for (int run = 0; run < runs; ++run) {
        pastes.append(timed(actions->pasteAction()));
        undos.append(timed(actions->undoAction()));
        exact = exact && grid.model.totalTime() == totalBefore && !grid.model.hasChanges();
    }
    const qint64 redo = timed(actions->redoAction());
    exact = exact && grid.model.totalTime() != totalBefore;

    out << "grid " << grid.model.rowCount() << " rows x " << grid.model.daysCount() << " days, shown at 1920x1080; "
        << "each command timed with the repaint after it, " << runs << " runs\n";
    out << "copy of every day: " << copy << " ms, " << copiedLines << " lines\n";
    out << "paste of 31 days x 200 employees: median " << median(pastes) << " ms, worst " << worst(pastes)
        << " ms (limit " << limitMs << ") " << verdict(median(pastes)) << "; "
        << (reports.isEmpty() ? QStringLiteral("no report") : reports.last().first().toString()) << "\n";
    out << "undo of the paste: median " << median(undos) << " ms, worst " << worst(undos) << " ms (limit " << limitMs
        << ") " << verdict(median(undos)) << "\n";
    out << "redo of the paste: " << redo << " ms (limit " << limitMs << ") " << verdict(redo) << "\n";
    out << (exact ? "every undo put the grid back as loaded\n" : "MISMATCH: an undo left the grid changed\n");
    return 0;
}
