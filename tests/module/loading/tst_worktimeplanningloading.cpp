#include "authdata.h"
#include "data.h"
#include "dbresult.h"
#include "fatalwarnings.h"
#include "organisationbuilder.h"
#include "../scriptedserver.h"
#include "ovdatastream.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "settings.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

const QDate julyStart(2024, 7, 1);
const QDate julyFinish(2024, 7, 31);

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

// Ids in ascending order: a request's list is a set.
QString join(QList<uint> ids)
{
    std::sort(ids.begin(), ids.end());
    QStringList text;
    for (uint id : ids)
        text.append(QString::number(id));
    return text.join(QLatin1Char(','));
}

WORKER_SCHEDULE_HISTORY_V2 follows(TYPE_ID employee, int schedule, int state = 1, const QDate& to = QDate())
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.schedule = TYPE_ID(schedule);
    record.state = state;
    record.to = to;
    return {employee, {record}};
}

QByteArray histories(const WORKER_SCHEDULE_HISTORY_V2& history)
{
    return pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{uint(history.uid), history}});
}

// A planner's view, over the shop "Магазин", on a server that answers only when the test says so.
// The test adds to the organisation before open(), so that making it schedules no reload.
struct ScriptedView
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID shop = org.department(QStringLiteral("Магазин"), 0);
    const TYPE_ID ivanov = org.employee(QStringLiteral("Иванов"), shop);
    ScriptedServer server;
    std::unique_ptr<WorkTimePlanningView> view;
    WorkTimePlanningModel* model = nullptr;
    QStringList popups;

    void open()
    {
        AuthData::setRoles({"RL_WTPLANNINGVIEW_WORKTIME_SHOW", "RL_WTPLANNINGVIEW_WORKTIME_SET"});
        view = std::make_unique<WorkTimePlanningView>();
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        model = view->findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        QObject::connect(view.get(), &PluginWidget::popupRequested,
                         [this](int, const QString& text, int) { popups.append(text); });
    }

    void applyFilter(const QList<TYPE_ID>& departments, const QDate& start = julyStart,
                     const QDate& finish = julyFinish)
    {
        QVERIFY(QMetaObject::invokeMethod(view.get(), "applyFilter", Q_ARG(QDate, start), Q_ARG(QDate, finish),
                                          Q_ARG(QList<orvanta::TYPE_ID>, departments), Q_ARG(QStringList, {})));
    }

    void pushBalance(const QString& queryId, qint32 status, const QList<QVariantList>& rows)
    {
        DbResult result({QStringLiteral("worker_id"), QStringLiteral("norm_time"), QStringLiteral("plan_time")});
        for (const QVariantList& row : rows)
            result.appendRow(row);
        Command command;
        command.kind = 1;
        command.name = QStringLiteral("datamanager.async_result:%1").arg(view->clientIdentifier());
        command.data = pack(queryId, status, QString(), QList<DbResult>{result});
        server.deliverPushed(command);
    }

    QString cell(int column) const { return model->index(model->objectIdToRow(ivanov), column).data().toString(); }

    // A request as "operation ids from to query-id", dates in ISO form; SQL shows its bound values.
    QString describe(const Command& request) const
    {
        const QString operation = request.name.section(QLatin1Char('.'), 1);
        OVDataStream stream(request.data);
        QList<uint> ids;
        QDate from, to;
        QString client, queryId;
        DbQuery query;
        if (operation == QLatin1String(ov5sdk::Data::GetWorkerNormTime)
            || operation == QLatin1String(ov5sdk::Data::GetWorkerSyncTime))
            stream >> from >> to >> ids;
        else if (operation.endsWith(QLatin1String("AsyncSql")))
            stream >> client >> queryId >> query;
        else
            stream >> ids >> from >> to;
        QStringList parts{operation, join(ids), from.toString(Qt::ISODate), to.toString(Qt::ISODate), queryId};
        if (!query.sql().isEmpty()) {
            const QVariant workers = query.boundValue(QStringLiteral(":workers"));
            parts << query.boundValue(QStringLiteral(":start")).toDate().toString(Qt::ISODate)
                  << query.boundValue(QStringLiteral(":finish")).toDate().toString(Qt::ISODate)
                  << (workers.isNull() ? QStringLiteral("null ") + workers.typeName() : workers.toString());
        }
        if (!client.isEmpty() && client != view->clientIdentifier())
            parts << QStringLiteral("from another client");
        return parts.join(QLatin1Char(' ')).simplified();
    }

    QStringList sent(int from = 0) const
    {
        QStringList requests;
        for (const Command& request : server.transmitted.mid(from))
            requests.append(describe(request));
        return requests;
    }
};

} // namespace

class tst_WorkTimePlanningLoading : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QVERIFY(m_folder.isValid());
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
    }

    void cleanup() { AuthData::clear(); }

    // A filter asks everything of its employees in one order. Over unsaved changes the next filter waits for the
    // planner's leave, then cancels the first balance query.
    void filterSendsRequestsInOrder()
    {
        ScriptedView fixture;
        const TYPE_ID petrov = fixture.org.employee(QStringLiteral("Петров"), fixture.shop);
        const QString staff = join({uint(fixture.ivanov), uint(petrov)});
        const TYPE_ID empty = fixture.org.department(QStringLiteral("Пусто"), 0);
        const TYPE_ID shift = fixture.org.shift(QStringLiteral("Утро"), {{QTime(8, 0), QTime(14, 0)}});
        fixture.open();
        QList<bool> answers{false, true};
        fixture.view->setQuestion([&answers](QWidget*, const QString&, const QString&, QMessageBox::StandardButtons) {
            return answers.takeFirst() ? QMessageBox::Yes : QMessageBox::No;
        });
        fixture.applyFilter({fixture.shop}, QDate(2024, 3, 1), QDate(2024, 3, 31));
        const QString firstQuery = fixture.view->currentPlanningBalanceQueryId();
        fixture.server.answerAll();
        fixture.model->setShiftForDate(fixture.ivanov, QDate(2024, 3, 4), shift);
        fixture.applyFilter({empty}, QDate(2024, 3, 1), QDate(2024, 3, 31));
        QVERIFY(fixture.model->hasChanges() && fixture.model->containsEmployee(fixture.ivanov));
        fixture.applyFilter({empty}, QDate(2024, 3, 1), QDate(2024, 3, 31));
        QVERIFY(answers.isEmpty() && !fixture.model->hasChanges());

        const QString march = QStringLiteral(" 2024-03-01 2024-03-31");
        const QString shop = QString::number(fixture.shop) + march;
        const QString other = QString::number(empty) + march;
        QCOMPARE(fixture.sent(),
                 (QStringList{"getWorkerSchedules " + staff, "getWorkerAbsenceReasons " + staff,
                              "getWorkerNormTime " + staff + march, "getWorkerSyncTime " + staff + march,
                              "getWorkTimeBudgets " + shop, "getWorkTimeHours " + shop,
                              "execAsyncSql " + firstQuery + " 2024-01-01 2024-02-29 {" + staff + '}',
                              "getWorkerSchedules", "getWorkerAbsenceReasons", "getWorkerNormTime" + march,
                              "getWorkerSyncTime" + march, "getWorkTimeBudgets " + other, "getWorkTimeHours " + other,
                              "cancelAsyncSql " + firstQuery,
                              "execAsyncSql " + fixture.view->currentPlanningBalanceQueryId()
                                  + " 2024-01-01 2024-02-29 null QVariantList"}));
    }

    // One reply of each kind, and the grid shows what they say together.
    void repliesReachTheGrid()
    {
        ScriptedView fixture;
        const QDate second = julyStart.addDays(1);
        const int daily =
            fixture.org.cycleSchedule(QStringLiteral("Каждый день"), julyStart, {0}, {{{QTime(8, 0), QTime(12, 0)}}});
        const TYPE_ID sick = fixture.org.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 1,
                                                       ovtest::OrganisationBuilder::CountsAsAbsence, 1);
        fixture.open();
        auto* bar = fixture.view->findChild<QProgressBar*>(QStringLiteral("loadingBar"));
        QSignalSpy loading(fixture.view.get(), &WorkTimePlanningView::loadingChanged);
        QTest::qWait(50);
        QVERIFY(fixture.server.transmitted.isEmpty() && bar->isHidden());
        fixture.applyFilter({fixture.shop}, julyStart, julyStart.addDays(6));
        QVERIFY(!bar->isHidden());
        const uint ivanov = fixture.ivanov;
        const auto sickDay =
            ovtest::OrganisationBuilder::absenceRecord(sick, second.startOfDay(), QDateTime(second, QTime(23, 59)), false, 7);
        const WORKER_SYNC_TIME sync{3, julyStart.addDays(6), ivanov, false, {}, {}, {}};
        // The absence was entered after the norm was calculated, so its day counts the scheduled hours, not the norm.
        const QHash<uint, QDateTime> changeTimes{{7u, QDateTime(julyStart.addDays(2), QTime(10, 0))}};
        const QHash<qint64, QDateTime> normTimes{{3, QDateTime(julyStart.addDays(2), QTime(9, 0))}};
        ScriptedServer& server = fixture.server;
        QVERIFY(server.answer(ov5sdk::Data::GetWorkerSchedules, 1, histories(follows(ivanov, daily))));
        QVERIFY(server.answer(ov5sdk::Data::GetWorkerAbsenceReasons, 1,
                              pack(QHash<uint, _WORKER_ABSENCE_REASON>{{ivanov, {ivanov, {sickDay}}}}, changeTimes)));
        // The production calendar follows the norms: a holiday and a working day of the week, the rest unknown.
        QVERIFY(server.answer(ov5sdk::Data::GetWorkerNormTime, 1,
                              pack(QList<WORKER_NORM_TIME>{{1, second, ivanov, 28800}},
                                   QHash<QDate, int>{{second, wt::Holiday}, {julyStart.addDays(2), wt::WorkingDay}})));
        QVERIFY(server.answer(ov5sdk::Data::GetWorkerSyncTime, 1, pack(QList<WORKER_SYNC_TIME>{sync}, normTimes)));
        QVERIFY(server.answer(ov5sdk::Data::GetWorkTimeBudgets, 1, pack(QList<SALES_PLAN>{{1, second, 0, 5000}})));
        QVERIFY(server.answer(ov5sdk::Data::GetWorkTimeHours, 1, pack(QList<HOURS_BUDGET>{{1, julyStart, 0, 36000}})));
        // The balance query's rows come last and end the load.
        QVERIFY(fixture.view->isLoading());
        fixture.pushBalance(fixture.view->currentPlanningBalanceQueryId(), 1, {{qint64(ivanov), 36000, 7200}});

        const QVariant salesPlan = fixture.model->headerData(fixture.model->dateToColumn(second), Qt::Horizontal,
                                                             WorkTimePlanningModel::SalesPlanRole);
        QStringList dayKinds;
        for (const QDate& date : {julyStart, second, julyStart.addDays(2)})
            dayKinds.append(fixture.model->headerData(fixture.model->dateToColumn(date), Qt::Horizontal,
                                                      WorkTimePlanningModel::DayKindRole).toString());
        QCOMPARE((QStringList{fixture.cell(WorkTimePlanningModel::HoursColumn),
                              fixture.cell(WorkTimePlanningModel::BalanceColumn), salesPlan.toString(),
                              QString::number(fixture.model->totalHoursBudget()), dayKinds.join(QLatin1Char(','))}),
                 (QStringList{"8.00 / 28.00", "-20.00 / -12.00", "5000", "36000", ",3,0"}));
        QCOMPARE(fixture.popups, QStringList());
        QVERIFY(!fixture.view->isLoading() && bar->isHidden());
        QCOMPARE(loading, (QList<QVariantList>{{true}, {false}}));
    }

    // A reply about more employees than a slice rebuilds their rows over several turns of the event loop: the load
    // stays busy until the last row is rebuilt, and a new filter drops what the last one left.
    void largeReplyRebuildsInSlices()
    {
        ScriptedView fixture;
        const int daily =
            fixture.org.cycleSchedule(QStringLiteral("Каждый день"), julyStart, {0}, {{{QTime(8, 0), QTime(12, 0)}}});
        QHash<uint, WORKER_SCHEDULE_HISTORY_V2> all{{uint(fixture.ivanov), follows(fixture.ivanov, daily)}};
        for (int n = 0; n < 2500; ++n) {
            const TYPE_ID uid = fixture.org.employee(QStringLiteral("Сотрудник %1").arg(n), fixture.shop);
            all.insert(uid, follows(uid, daily));
        }
        fixture.open();
        const auto rebuilt = [&fixture] {
            return fixture.model->match(fixture.model->index(0, fixture.model->dateToColumn(julyStart)), Qt::DisplayRole,
                                        QStringLiteral("08:00-12:00"), -1, Qt::MatchExactly)
                .size();
        };
        // The second time a new filter comes before the slices.
        for (bool replaced : {false, true}) {
            fixture.applyFilter({fixture.shop});
            QVERIFY(fixture.server.answer(ov5sdk::Data::GetWorkerSchedules, 1, pack(all)));
            QCOMPARE(rebuilt(), 0);
            if (replaced)
                fixture.applyFilter({fixture.shop});
            fixture.server.answerAll();
            fixture.pushBalance(fixture.view->currentPlanningBalanceQueryId(), 1, {});
            QCOMPARE(fixture.view->isLoading(), !replaced);
            QTRY_VERIFY(!fixture.view->isLoading());
            QCOMPARE(rebuilt(), replaced ? 0 : all.size());
        }
    }

    // Two departments in one grid: each row names its own (a guest its host), and the tool bar's chooser narrows
    // the grid and its figures to one of them without a request, through a reload of the same departments too.
    void departmentsNarrowTheGrid()
    {
        ScriptedView fixture;
        const TYPE_ID store = fixture.org.department(QStringLiteral("Склад"), 0);
        fixture.org.employee(QStringLiteral("Петров"), store);
        const TYPE_ID guest = fixture.org.employee(QStringLiteral("Гостев"), 0);
        fixture.org.attachedWorker(guest, store, julyStart, julyFinish);
        fixture.open();
        fixture.applyFilter({fixture.shop, store});
        QVERIFY(fixture.server.answer(ov5sdk::Data::GetWorkTimeBudgets, 1,
                                      pack(QList<SALES_PLAN>{{1, julyStart, fixture.shop, 100}, {2, julyStart, store, 40}})));
        fixture.server.answerAll();
        const auto salesPlan = [&fixture] {
            return fixture.model->headerData(fixture.model->dateToColumn(julyStart), Qt::Horizontal,
                                             WorkTimePlanningModel::SalesPlanRole).toInt();
        };
        auto* chooser = fixture.view->findChild<QComboBox*>(QStringLiteral("departmentChooser"));
        QVERIFY(chooser && chooser->isEnabled());
        const auto shown = [&fixture] {
            const QAbstractItemModel* grid = fixture.view->findChild<QTableView*>(QStringLiteral("worktimeView"))->model();
            QStringList rows;
            for (int row = 0; row < grid->rowCount(); ++row)
                rows.append(grid->index(row, WorkTimePlanningModel::NameColumn).data().toString() + QLatin1Char(':')
                            + grid->index(row, WorkTimePlanningModel::DepartmentColumn).data().toString());
            rows.sort();
            return rows.join(QLatin1Char(' '));
        };
        QStringList items;
        for (int item = 0; item < chooser->count(); ++item)
            items.append(chooser->itemText(item));
        QCOMPARE(items, (QStringList{"Все подразделения (3)", "Магазин (1)", "Склад (2)"}));
        QCOMPARE(shown(), QStringLiteral("Гостев:Склад Иванов:Магазин Петров:Склад"));
        QCOMPARE(salesPlan(), 140);
        const int requests = fixture.server.transmitted.size();
        chooser->setCurrentIndex(chooser->findData(store));
        QCOMPARE(shown(), QStringLiteral("Гостев:Склад Петров:Склад"));
        QCOMPARE(salesPlan(), 40);
        QCOMPARE(fixture.server.transmitted.size(), requests);
        fixture.applyFilter({fixture.shop, store});
        QCOMPARE(shown(), QStringLiteral("Гостев:Склад Петров:Склад"));
        fixture.applyFilter({fixture.shop});
        QCOMPARE(shown(), QStringLiteral("Иванов:Магазин"));
        QVERIFY(!chooser->isEnabled());
    }

    void badReplyIsReported_data()
    {
        QTest::addColumn<QByteArray>("operation");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QStringList>("popups");
        const auto failed = [](const char* operation, const char* warning, const char* popup) {
            QTest::addRow("%s fails", operation)
                << QByteArray(operation) << 500 << QStringList{warning} << QStringList{QString::fromUtf8(popup)};
        };
        failed(ov5sdk::Data::GetWorkerSchedules, "отказ", "Ошибка чтения истории графиков работ");
        failed(ov5sdk::Data::GetWorkerAbsenceReasons, "отказ", "Ошибка чтения причин отстутствия");
        failed(ov5sdk::Data::GetWorkerNormTime, "read employee norm time error 500", "Ошибка чтения планового времени");
        failed(ov5sdk::Data::GetWorkerSyncTime, "read employee sync time error 500",
               "Ошибка чтения статуса синхронизации");
        failed(ov5sdk::Data::GetWorkTimeBudgets, "read work time budget error 500", "Ошибка чтения плана продаж");
        failed(ov5sdk::Data::GetWorkTimeHours, "read work time budget error 500", "Ошибка чтения бюджета часов");
        failed(ov5sdk::Data::GetScheduleCalendar, "read calendar days error 500",
               "Ошибка чтения расписания графика работ");
        // A count of five elements followed by nothing: each container read says so and reads as empty.
        const QString malformed = QStringLiteral("malformed payload");
        QTest::addRow("truncated norm time")
            << QByteArray(ov5sdk::Data::GetWorkerNormTime) << 1 << QStringList{malformed} << QStringList();
        QTest::addRow("truncated absences")
            << QByteArray(ov5sdk::Data::GetWorkerAbsenceReasons) << 1 << QStringList{malformed, malformed}
            << QStringList();
    }

    void badReplyIsReported()
    {
        QFETCH(QByteArray, operation);
        QFETCH(int, result);
        QFETCH(QStringList, warnings);
        QFETCH(QStringList, popups);
        ScriptedView fixture;
        const int calendar = fixture.org.calendarSchedule(QStringLiteral("Календарь"));
        fixture.open();
        QAbstractItemModelTester tester(fixture.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fixture.applyFilter({fixture.shop});
        if (operation != ov5sdk::Data::GetWorkerSchedules)
            QVERIFY(fixture.server.answer(ov5sdk::Data::GetWorkerSchedules, 1,
                                          histories(follows(fixture.ivanov, calendar))));
        for (const QString& warning : qAsConst(warnings))
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        QVERIFY(fixture.server.answer(operation.constData(), result, QByteArray::fromHex("00000005")));

        QCOMPARE(fixture.popups, popups);
        QVERIFY(fixture.model->hasData());
    }

    void calendarRequestFollowsHistory_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("state");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<bool>("requested");
        const int calendar = SCHEDULE_DATA::KindCalendar;
        const int personal = SCHEDULE_DATA::KindPersonal;
        QTest::addRow("calendar schedule, open range") << calendar << 1 << QDate() << true;
        QTest::addRow("calendar schedule, state 0") << calendar << 0 << QDate() << false;
        QTest::addRow("calendar schedule ending on the first day") << calendar << 1 << julyStart << true;
        QTest::addRow("calendar schedule ended the day before") << calendar << 1 << julyStart.addDays(-1) << false;
        QTest::addRow("cycle schedule") << int(SCHEDULE_DATA::KindCycle) << 1 << QDate() << false;
        QTest::addRow("personal schedule of the month") << personal << 1 << julyStart << true;
        QTest::addRow("personal schedule of the next month") << personal << 1 << julyStart.addMonths(1) << false;
    }

    void calendarRequestFollowsHistory()
    {
        QFETCH(int, kind);
        QFETCH(int, state);
        QFETCH(QDate, to);
        QFETCH(bool, requested);
        ScriptedView fixture;
        int schedule = 0;
        WORKER_SCHEDULE_HISTORY_V2 history{fixture.ivanov, {}};
        if (kind == SCHEDULE_DATA::KindPersonal) {
            // A personal schedule is asked for by its month alone, with no history record.
            schedule = fixture.org.personalSchedule(fixture.ivanov, to);
        } else {
            schedule = kind == SCHEDULE_DATA::KindCalendar
                ? fixture.org.calendarSchedule(QStringLiteral("Календарь"))
                : fixture.org.cycleSchedule(QStringLiteral("Цикл"), julyStart, {0}, {{{QTime(8, 0), QTime(12, 0)}}});
            history = follows(fixture.ivanov, schedule, state, to);
        }
        fixture.open();
        fixture.applyFilter({fixture.shop});
        const int sent = fixture.server.transmitted.size();
        QVERIFY(fixture.server.answer(ov5sdk::Data::GetWorkerSchedules, 1, histories(history)));

        const QString calendarRequest = QStringLiteral("getScheduleCalendar %1 2024-07-01 2024-07-31").arg(schedule);
        QCOMPARE(fixture.sent(sent), requested ? QStringList{calendarRequest} : QStringList());
    }

    void balanceQuery_data()
    {
        QTest::addColumn<bool>("secondFilter");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<QStringList>("popups");
        QTest::addRow("cancelled query's late result") << true << 1 << "0.00 / ???" << QStringList();
        QTest::addRow("status 14 is silent") << false << 14 << "0.00 / ???" << QStringList();
        QTest::addRow("server error") << false << 2 << "0.00 / ???" << QStringList{"Ошибка получения баланса часов"};
        QTest::addRow("query refused") << false << 0 << "0.00 / ???" << QStringList();
    }

    void balanceQuery()
    {
        QFETCH(bool, secondFilter);
        QFETCH(int, status);
        QFETCH(QString, balance);
        QFETCH(QStringList, popups);
        ScriptedView fixture;
        fixture.open();
        fixture.applyFilter({fixture.shop});
        const QString firstId = fixture.view->currentPlanningBalanceQueryId();
        if (secondFilter)
            fixture.applyFilter({fixture.shop});
        if (status == 0) {
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cmd error object:.*status:500")));
            QVERIFY(fixture.server.answer(ov5sdk::Data::ExecAsyncSql, 500));
        }
        fixture.server.answerAll();

        if (status == 2)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("read planning balance error")));
        if (status != 0)
            fixture.pushBalance(firstId, status, {{qint64(fixture.ivanov), 36000, 7200}});

        QCOMPARE(fixture.cell(WorkTimePlanningModel::BalanceColumn), balance);
        QCOMPARE(fixture.popups, popups);
        // Only a pending query, or the one that replaced it, is still awaited.
        QCOMPARE(fixture.view->currentPlanningBalanceQueryId().isEmpty(), status != 14 && !secondFilter);
        QCOMPARE(fixture.view->isLoading(), secondFilter);
    }

    void storeChangesReloadOnce_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reloads");
        QTest::addRow("burst of personal schedules of the grid") << "personal schedules" << "grid";
        QTest::addRow("employee outside the grid edited") << "stranger edited" << "stranger";
        QTest::addRow("schedules outside the grid") << "stranger's schedules" << "";
    }

    void storeChangesReloadOnce()
    {
        QFETCH(QString, change);
        QFETCH(QString, reloads);
        ScriptedView fixture;
        QList<uint> grid{uint(fixture.ivanov)};
        for (int i = 0; i < 4; ++i)
            grid.append(fixture.org.employee(QStringLiteral("Сотрудник %1").arg(i), fixture.shop));
        const TYPE_ID stranger =
            fixture.org.employee(QStringLiteral("Чужой"), fixture.org.department(QStringLiteral("Склад"), 0));
        fixture.open();
        fixture.applyFilter({fixture.shop});
        fixture.server.answerAll();
        const int sent = fixture.server.transmitted.size();

        if (change == QLatin1String("personal schedules")) {
            // Each change comes before the previous one's delay is over, so they add up to one reload.
            for (uint employee : qAsConst(grid)) {
                fixture.org.personalSchedule(employee, julyStart);
                QTest::qWait(300);
            }
        } else if (change == QLatin1String("stranger edited")) {
            fixture.org.setProperty(stranger, QStringLiteral("PT_WORKERNUM"), QStringLiteral("77"));
        } else {
            fixture.org.personalSchedule(stranger, julyStart);
            fixture.org.cycleSchedule(QStringLiteral("Цикл"), julyStart, {0}, {{{QTime(8, 0), QTime(12, 0)}}});
        }
        QTest::qWait(1300);

        const QString ids = reloads == QLatin1String("grid") ? join(grid) : QString::number(stranger);
        const QStringList reload{"getWorkerSchedules " + ids, "getWorkerAbsenceReasons " + ids};
        QCOMPARE(fixture.sent(sent), reloads.isEmpty() ? QStringList() : reload);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningLoading)
#include "tst_worktimeplanningloading.moc"
