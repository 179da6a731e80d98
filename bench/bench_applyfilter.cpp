// Applies a filter over every department of the demo organisation (first argument: employees,
// default 2000) on the planning screen, against the embedded server, and prints how long the
// employee selection, the whole load up to the totals and the longest event-loop stall took.
// The seeded SQLite file is kept in the temporary folder and reused by later runs.
#include "benchsupport.h"
#include "embeddedserverconnection.h"
#include "employeeselection.h"
#include "settings.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"
#include "worktimetableview.h"

#include <QApplication>
#include <QTest>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace orvanta;
using namespace benchsupport;

namespace {

constexpr qint64 kLoadLimitMs = 1500;
constexpr qint64 kSelectionLimitMs = 50;
constexpr qint64 kStallLimitMs = 100;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QApplication app(argc, argv);
    const int employees = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir settingsFolder;
    Settings::setFileName(settingsFolder.filePath(QStringLiteral("settings.ini")));

    const QString database = QDir::temp().filePath(QStringLiteral("bench_applyfilter_%1.sqlite").arg(employees));
    QElapsedTimer timer;
    timer.start();
    EmbeddedServerConnection connection;
    if (!connection.start(QStringLiteral("sqlite:") + database, employees, false)) {
        std::printf("server failed: %s\n", qPrintable(connection.errorString()));
        return 1;
    }
    std::printf("server ready in %lld ms (%s)\n", timer.elapsed(), qPrintable(database));
    timer.restart();
    if (!logIn(&connection))
        return 1;
    std::printf("store loaded in %lld ms\n", timer.elapsed());

    const QList<TYPE_ID> departments = allDepartments();
    const QDate today = QDate::currentDate();
    const QDate start(today.year(), today.month(), 1);
    const QDate finish = start.addMonths(1).addDays(-1);

    qint64 bestSelection = -1;
    int selected = 0;
    for (int run = 0; run < 5; ++run) {
        timer.restart();
        EmployeeSelection selection(start, finish, departments);
        selection.select();
        const qint64 elapsed = timer.elapsed();
        selected = selection.employeeIds().size() + selection.attached().size();
        bestSelection = bestSelection < 0 ? elapsed : std::min(bestSelection, elapsed);
    }

    WorkTimePlanningView view;
    view.init(&connection, QStringLiteral("wtplanningview"));
    view.insertedToInterface();
    view.resize(1600, 900);
    view.show();
    QCoreApplication::processEvents();
    auto* model = view.findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));

    QEventLoop loaded;
    QObject::connect(&view, &WorkTimePlanningView::loadingChanged, &loaded, [&loaded](bool loading) {
        if (!loading)
            loaded.quit();
    });
    StallMeter stalls;
    stalls.start();
    timer.restart();
    QMetaObject::invokeMethod(&view, "applyFilter", Q_ARG(QDate, start), Q_ARG(QDate, finish),
                              Q_ARG(QList<orvanta::TYPE_ID>, departments), Q_ARG(QStringList, {}));
    if (view.isLoading())
        loaded.exec();
    const qint64 repliesApplied = timer.elapsed();
    // The totals normally follow 500 ms after the last reply; run them now to count their cost.
    QMetaObject::invokeMethod(&view, "updateWorkTimeTotals");
    const qint64 loadWithTotals = timer.elapsed();
    const qint64 longestStall = stalls.stop();

    // The grid's own share of applyFilter, to tell a stall in the grid from one in the loading.
    qint64 resizeColumns = -1;
    qint64 resizeRows = -1;
    if (auto* grid = view.findChild<WorkTimeTableView*>(QStringLiteral("worktimeView"))) {
        QElapsedTimer gridTimer;
        gridTimer.start();
        grid->resizeColumnsToContents();
        resizeColumns = gridTimer.restart();
        grid->resizeRowsToContents();
        resizeRows = gridTimer.elapsed();
    }

    std::printf("departments %d, employees in grid %d (selection found %d)\n", int(departments.size()),
                model->rowCount(), selected);
    std::printf("employee selection: %lld ms (limit %lld) %s\n", bestSelection, kSelectionLimitMs,
                verdict(bestSelection, kSelectionLimitMs));
    std::printf("applyFilter to last reply applied: %lld ms; with totals: %lld ms (limit %lld) %s\n", repliesApplied,
                loadWithTotals, kLoadLimitMs, verdict(loadWithTotals, kLoadLimitMs));
    std::printf("longest event-loop gap during the load: %lld ms (limit %lld) %s\n", longestStall, kStallLimitMs,
                verdict(longestStall, kStallLimitMs));
    std::printf("of which the grid: resizeColumnsToContents %lld ms, resizeRowsToContents %lld ms\n", resizeColumns,
                resizeRows);
    // BENCH_PNG=FILE: a picture of the loaded screen, after the side panel has its totals.
    const QString picture = qEnvironmentVariable("BENCH_PNG");
    if (!picture.isEmpty()) {
        QTest::qWait(700);
        std::printf("picture %s: %s\n", qPrintable(picture), view.grab().save(picture) ? "saved" : "failed");
    }
    return 0;
}
