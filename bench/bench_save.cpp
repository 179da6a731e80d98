// Saves edited plans from the planning screen to the embedded server on the demo organisation
// (first argument: employees, default 2000): 200 employees changed over the whole month, then one
// day changed for every employee. Prints the save time, the task count, the longest event-loop
// stall, the longest wait between two progress-window updates and the re-read after the save.
// The seeded SQLite file is kept in the temporary folder; each scenario saves into a fresh copy.
#include "benchsupport.h"
#include "embeddedserverconnection.h"
#include "progressdialog.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"
#include "worktimetaskrunner.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

using namespace orvanta;
using namespace benchsupport;

namespace {

constexpr qint64 kStallLimitMs = 100;
// The server thread needs the second core of a two-core machine while the save runs.
constexpr int kStallSampleMs = 1;
constexpr qint64 kProgressGapLimitMs = 250;
constexpr int kProgressSampleMs = 5;
// Far beyond any limit: a save or re-read still running then has hung.
constexpr int kGiveUpMs = 300000;

struct Scenario
{
    const char* title;
    /// Employees edited; 0 means every employee row of the grid.
    int employees;
    bool wholeMonth;
    qint64 saveLimitMs;
};

struct SaveFigures
{
    int gridRows = 0;
    int editedEmployees = 0;
    int editedDays = 0;
    qint64 editMs = 0;
    int tasks = 0;
    qint64 saveMs = 0;
    qint64 saveCallMs = 0;
    qint64 saveStallMs = 0;
    qint64 progressGapMs = 0;
    qint64 guiCpuMs = -1;
    qint64 serverCpuMs = -1;
    qint64 rereadMs = 0;
    qint64 rereadStallMs = 0;
    qint64 delayedReloadMs = -1;
    qint64 delayedReloadStallMs = 0;
};

/// Records the longest time the progress bar kept one value while the save ran: what the planner
/// sees as a frozen window, whether the event loop is blocked or the tasks are slow.
class ProgressWatcher
{
public:
    explicit ProgressWatcher(QProgressBar* bar) : m_bar(bar)
    {
        m_timer.setInterval(kProgressSampleMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { sample(); });
        m_value = bar ? bar->value() : -1;
        m_sinceChange.start();
        m_timer.start();
    }
    /// The save ended: the bar is full now, which counts as the last change.
    qint64 stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_sinceChange.elapsed());
    }

private:
    void sample()
    {
        if (!m_bar || m_bar->value() == m_value)
            return;
        m_value = m_bar->value();
        m_longest = std::max(m_longest, m_sinceChange.restart());
    }

    QPointer<QProgressBar> m_bar;
    QTimer m_timer;
    QElapsedTimer m_sinceChange;
    int m_value = -1;
    qint64 m_longest = 0;
};

/// CPU time a thread of this process has used so far, from /proc; -1 where that is unknown.
qint64 threadCpuMs(const QString& threadId)
{
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(threadId));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // utime and stime are the 12th and 13th fields after the parenthesised name.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) * 1000 / sysconf(_SC_CLK_TCK);
}

QString serverThreadId()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    const QStringList ids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& id : ids) {
        QFile comm(tasks.filePath(id + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "embedded server")
            return id;
    }
    return QString();
}

/// The CPU the GUI and server threads use over a stretch of time: against its wall time it tells
/// whether the server, the screen or the hand-over between them holds the save up.
class CpuSplit
{
public:
    CpuSplit() : m_gui(QString::number(getpid())), m_server(serverThreadId())
    {
        m_guiStart = threadCpuMs(m_gui);
        m_serverStart = threadCpuMs(m_server);
    }
    qint64 guiMs() const { return elapsed(m_gui, m_guiStart); }
    qint64 serverMs() const { return elapsed(m_server, m_serverStart); }

private:
    static qint64 elapsed(const QString& thread, qint64 start)
    {
        const qint64 now = thread.isEmpty() ? -1 : threadCpuMs(thread);
        return start < 0 || now < 0 ? -1 : now - start;
    }

    QString m_gui;
    QString m_server;
    qint64 m_guiStart = -1;
    qint64 m_serverStart = -1;
};

/// Runs an event loop until done() holds; false when it still does not after kGiveUpMs.
template<typename Done>
bool waitUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kProgressSampleMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > kGiveUpMs)
            loop.quit();
    });
    poll.start();
    if (!done())
        loop.exec();
    return done();
}

bool loadMonth(WorkTimePlanningView& view)
{
    const QDate today = QDate::currentDate();
    const QDate start(today.year(), today.month(), 1);
    QMetaObject::invokeMethod(&view, "applyFilter", Q_ARG(QDate, start), Q_ARG(QDate, start.addMonths(1).addDays(-1)),
                              Q_ARG(QList<orvanta::TYPE_ID>, allDepartments()), Q_ARG(QStringList, {}));
    if (!waitUntil([&view] { return !view.isLoading(); }))
        return false;
    // The totals and the other delayed work of the load are behind the planner when he saves.
    QTest::qWait(700);
    return true;
}

TYPE_ID firstShift()
{
    const OBJECT_HASH* shifts = LocalStorage::instance()->constObjects(QLatin1String(SCHEDULE_SHIFT_DATANAME));
    TYPE_ID first = 0;
    if (shifts) {
        for (const ObjectInfo& shift : *shifts)
            first = first == 0 ? shift.uid : std::min(first, shift.uid);
    }
    return first;
}

int changedDays(const WorkTimePlanningModel* model, unsigned int uid)
{
    const QList<WorkTimeData::Day> days = model->workTimeData(uid).days();
    return int(std::count_if(days.cbegin(), days.cend(), [](const WorkTimeData::Day& day) { return day.changed; }));
}

/// Edits days the way the grid does; days the model refuses (full-day absences) stay as they were.
void editPlans(WorkTimePlanningModel* model, const Scenario& scenario, SaveFigures* figures)
{
    QList<unsigned int> employees;
    figures->gridRows = model->rowCount();
    for (int row = 0; row < model->rowCount(); ++row) {
        const auto uid = unsigned(model->index(row, WorkTimePlanningModel::NameColumn)
                                      .data(WorkTimePlanningModel::UidRole)
                                      .toLongLong());
        if (!model->isAttached(uid))
            employees.append(uid);
    }
    // Spread over the grid, so the edited employees come from every department.
    if (scenario.employees > 0 && scenario.employees < employees.size()) {
        QList<unsigned int> spread;
        for (int i = 0; i < scenario.employees; ++i)
            spread.append(employees.at(int(qint64(i) * employees.size() / scenario.employees)));
        employees = spread;
    }
    const TYPE_ID shift = firstShift();
    const int days = model->daysCount();
    const QDate start = model->dateStart();
    QElapsedTimer timer;
    timer.start();
    for (unsigned int uid : qAsConst(employees)) {
        const auto edit = [&](const QDate& date) {
            if (shift != 0) {
                model->setShiftForDate(uid, date, shift);
                return;
            }
            const QModelIndex cell = model->index(model->objectIdToRow(uid), model->dateToColumn(date));
            model->setData(cell, QVariantMap{{QStringLiteral("time_start"), 8 * 3600},
                                            {QStringLiteral("time_finish"), 17 * 3600}},
                           WorkTimePlanningModel::IntervalRole);
        };
        int changed = 0;
        if (scenario.wholeMonth) {
            for (int day = 0; day < days; ++day)
                edit(start.addDays(day));
            changed = changedDays(model, uid);
        } else {
            // The middle of the month first, then the days after it, wrapping round.
            for (int step = 0; step < days && changed == 0; ++step) {
                edit(start.addDays((days / 2 + step) % days));
                changed = changedDays(model, uid);
            }
        }
        if (changed > 0) {
            ++figures->editedEmployees;
            figures->editedDays += changed;
        }
    }
    figures->editMs = timer.elapsed();
}

/// Saves the edits and waits for the re-read that follows; false when the run itself failed.
bool saveAndReread(WorkTimePlanningView& view, WorkTimePlanningModel* model, SaveFigures* figures)
{
    auto* runner = view.findChild<WorkTimeTaskRunner*>(QStringLiteral("taskRunner"));
    if (!runner) {
        std::printf("no task runner on the screen\n");
        return false;
    }
    QStringList criticalPopups;
    QObject::connect(&view, &PluginWidget::popupRequested, &view, [&criticalPopups](int level, const QString& text) {
        if (level == PluginWidget::PopupCritical)
            criticalPopups.append(text);
    });
    bool completed = false;
    bool failed = false;
    QObject::connect(runner, &WorkTimeTaskRunner::saveCompleted, runner, [&completed] { completed = true; });
    QObject::connect(runner, &WorkTimeTaskRunner::taskFailed, runner, [&failed](const QString& text) {
        failed = true;
        std::printf("task failed: %s\n", qPrintable(text));
    });

    StallMeter stalls(kStallSampleMs);
    QElapsedTimer timer;
    const CpuSplit cpu;
    stalls.start();
    timer.start();
    view.saveWorkTime();
    figures->saveCallMs = timer.elapsed();
    ProgressDialog* window = runner->progressWindow();
    QProgressBar* bar = window ? window->findChild<QProgressBar*>(QStringLiteral("progressBar")) : nullptr;
    figures->tasks = bar ? bar->maximum() : 0;
    ProgressWatcher progress(bar);
    const bool ended = waitUntil([&] { return completed || failed || !runner->isBusy(); });
    figures->saveMs = timer.elapsed();
    figures->saveStallMs = stalls.stop();
    figures->progressGapMs = progress.stop();
    figures->guiCpuMs = cpu.guiMs();
    figures->serverCpuMs = cpu.serverMs();
    if (!ended || !completed || failed || runner->isBusy()) {
        std::printf("save did not complete: %s\n", ended ? "the runner stopped without saveCompleted" : "timed out");
        return false;
    }

    // saveCompleted has just sent the re-read of every row's histories and absence reasons.
    stalls.start();
    timer.restart();
    if (!waitUntil([&view] { return !view.isLoading(); })) {
        std::printf("re-read after the save timed out\n");
        return false;
    }
    figures->rereadMs = timer.elapsed();
    figures->rereadStallMs = stalls.stop();

    // The store's news of new personal schedules reloads their owners a second after the last one.
    auto* reloadTimer = view.findChild<QTimer*>(QStringLiteral("reloadTimer"));
    if (reloadTimer && reloadTimer->isActive()) {
        stalls.start();
        timer.restart();
        bool reloadStarted = false;
        const auto connection =
            QObject::connect(reloadTimer, &QTimer::timeout, [&reloadStarted] { reloadStarted = true; });
        if (!waitUntil([&] { return reloadStarted && !view.isLoading(); })) {
            std::printf("delayed reload after the save timed out\n");
            return false;
        }
        QObject::disconnect(connection);
        figures->delayedReloadMs = timer.elapsed();
        figures->delayedReloadStallMs = stalls.stop();
    }

    bool ok = true;
    if (model->hasChanges()) {
        std::printf("the model still has changes after the save\n");
        ok = false;
    }
    for (const QString& text : qAsConst(criticalPopups)) {
        std::printf("critical popup: %s\n", qPrintable(text));
        ok = false;
    }
    return ok;
}

void printFigures(const Scenario& scenario, const SaveFigures& figures)
{
    std::printf("  edited %d employees of %d grid rows, %d days, in %lld ms\n", figures.editedEmployees,
                figures.gridRows, figures.editedDays, figures.editMs);
    std::printf("  save: %lld ms (limit %lld) %s; %d tasks, %.2f ms a task\n", figures.saveMs, scenario.saveLimitMs,
                verdict(figures.saveMs, scenario.saveLimitMs), figures.tasks,
                figures.tasks > 0 ? double(figures.saveMs) / figures.tasks : 0.0);
    std::printf("  CPU during the save: GUI thread %lld ms, server thread %lld ms\n", figures.guiCpuMs,
                figures.serverCpuMs);
    std::printf("  saveWorkTime() itself (preparing and queuing the tasks): %lld ms\n", figures.saveCallMs);
    std::printf("  longest event-loop gap during the save: %lld ms (limit %lld) %s\n", figures.saveStallMs,
                kStallLimitMs, verdict(figures.saveStallMs, kStallLimitMs));
    std::printf("  longest wait between progress updates: %lld ms (limit %lld) %s\n", figures.progressGapMs,
                kProgressGapLimitMs, verdict(figures.progressGapMs, kProgressGapLimitMs));
    std::printf("  re-read after the save: %lld ms, longest event-loop gap %lld ms (limit %lld) %s\n",
                figures.rereadMs, figures.rereadStallMs, kStallLimitMs, verdict(figures.rereadStallMs, kStallLimitMs));
    if (figures.delayedReloadMs >= 0)
        std::printf("  delayed reload of the new schedules' owners: %lld ms from the re-read's end, longest "
                    "event-loop gap %lld ms (limit %lld) %s\n",
                    figures.delayedReloadMs, figures.delayedReloadStallMs, kStallLimitMs,
                    verdict(figures.delayedReloadStallMs, kStallLimitMs));
}

/// A seeded database for employees, made once per month since the demo plans around today.
QString seededDatabase(int employees)
{
    const QString month = QDate::currentDate().toString(QStringLiteral("yyyyMM"));
    const QString path = QDir::temp().filePath(QStringLiteral("bench_save_%1_%2.sqlite").arg(employees).arg(month));
    if (QFile::exists(path))
        return path;
    QElapsedTimer timer;
    timer.start();
    EmbeddedServerConnection seeding;
    if (!seeding.start(QStringLiteral("sqlite:") + path, employees, false)) {
        std::printf("seeding failed: %s\n", qPrintable(seeding.errorString()));
        QFile::remove(path);
        return QString();
    }
    std::printf("seeded %s in %lld ms\n", qPrintable(path), timer.elapsed());
    return path;
}

bool runScenario(const Scenario& scenario, const QString& seeded, int employees)
{
    std::printf("%s\n", scenario.title);
    const QString working = QDir::temp().filePath(QStringLiteral("bench_save_%1_work.sqlite").arg(employees));
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(working + QLatin1String(suffix));
    if (!QFile::copy(seeded, working)) {
        std::printf("cannot copy %s to %s\n", qPrintable(seeded), qPrintable(working));
        return false;
    }
    EmbeddedServerConnection connection;
    if (!connection.start(QStringLiteral("sqlite:") + working, employees, false)) {
        std::printf("server failed: %s\n", qPrintable(connection.errorString()));
        return false;
    }
    if (!logIn(&connection))
        return false;
    StorageNotificationApplier notifications(&connection, LocalStorage::instance());

    WorkTimePlanningView view;
    view.init(&connection, QStringLiteral("wtplanningview"));
    view.insertedToInterface();
    view.resize(1600, 900);
    view.show();
    QCoreApplication::processEvents();
    auto* model = view.findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
    if (!model || !loadMonth(view)) {
        std::printf("the month did not load\n");
        return false;
    }

    SaveFigures figures;
    editPlans(model, scenario, &figures);
    if (figures.editedDays == 0 || !model->hasChanges()) {
        std::printf("no day could be edited\n");
        return false;
    }
    // Whatever the edits started (the totals) is over before the planner reaches for «Сохранить».
    QTest::qWait(700);
    const bool ok = saveAndReread(view, model, &figures);
    printFigures(scenario, figures);
    return ok;
}

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

    const QString seeded = seededDatabase(employees);
    if (seeded.isEmpty())
        return 1;
    const Scenario scenarios[] = {
        {"200 employees, whole month", 200, true, 3000},
        {"every employee of the grid, one day each", 0, false, 10000},
    };
    bool ok = true;
    for (const Scenario& scenario : scenarios)
        ok = runScenario(scenario, seeded, employees) && ok;
    return ok ? 0 : 1;
}
