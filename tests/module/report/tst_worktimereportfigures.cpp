#include "createquery.h"
#include "createresult.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovicontheme.h"
#include "payload.h"
#include "redocument.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "testsession.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

const QDate monthStart(QDate::currentDate().year(), QDate::currentDate().month(), 1);
const QString clientId = QStringLiteral("wtplanningview-figures");
const QRegularExpression hoursLine(QStringLiteral("^-?\\d+\\.\\d\\d$"));

QString hours(qint64 seconds)
{
    return QString::number(double(seconds) / 3600.0, 'f', 2);
}

// The hours a day cell of the report adds: its last line when that is a number.
QString dayHours(const QString& cellText)
{
    const QString last = cellText.split(QLatin1Char('\n')).constLast();
    return hoursLine.match(last).hasMatch() ? last : hours(0);
}

// What a day of a grid row adds to its planned hours: the time the cell counts and the absences of a day it shows.
qint64 gridDaySeconds(const WorkTimePlanningModel& model, const WorkTimeData& row, int rowIndex, const QDate& date)
{
    const qint64 worked = model.index(rowIndex, model.dateToColumn(date)).data(WorkTimePlanningModel::DayTimeRole).toInt();
    if (!row.isValidDate(date, false) || !row.isWorkedHere(date))
        return worked;
    const int any = WorkTimeData::AnyReasonTime;
    return worked + row.partDayReasonTime(date, any) + (row.hasFullDayReason(date, any) ? row.fullDayReasonTime(date, any) : 0);
}

// The "a / b" figures of a fixed column, split.
QStringList pair(const WorkTimePlanningModel& model, int row, int column)
{
    return model.index(row, column).data().toString().split(QStringLiteral(" / "));
}

} // namespace

// The planning report made by the server holds the figures of the planning grid: with the demo's every
// department loaded for this month, each employee's hours of each day, norm, planned hours and balance, and the
// totals row's planned hours, read back from the document the server pushed.
class tst_WorkTimeReportFigures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<EmbeddedServerConnection> m_server;
    std::unique_ptr<StorageNotificationApplier> m_notifications;
    std::unique_ptr<WorkTimePlanningView> m_view;
    WorkTimePlanningModel* m_model = nullptr;

    // The report of the grid's employees as the module asks for it, read back from the pushed result.
    bool requestReport(REDocument* document)
    {
        report::CreateQuery query;
        for (const ObjectInfo& report : *LocalStorage::instance()->constObjects(QLatin1String(REPORT_DATANAME)))
            query.reportId = report.uid;
        query.formats = QStringList{QStringLiteral("xml")};
        QVariantList workers;
        for (unsigned int uid : m_model->reportUids())
            workers.append(QVariant::fromValue<uint>(uid));
        query.params = {{":d_date_beg", QDateTime(m_model->dateStart(), QTime(0, 0), Qt::UTC).toSecsSinceEpoch()},
                        {":a_workers", workers}, {":c_locale", "ru"}, {":c_dep_name", "Все подразделения"}};
        Command command = m_view->newCommand();
        command.name = QStringLiteral("create_report_async");
        command.data = ovtest::pack(clientId, QString(), query);
        QSignalSpy pushed(m_server.get(), &OVServerInterface::commandReceived);
        m_view->sendQuery(command, [](Command& reply) { QCOMPARE(reply.result, 1); });
        const auto arrived = [&pushed] {
            return !pushed.isEmpty() && pushed.constLast().first().value<Command>().name == "report_async_result:" + clientId;
        };
        if (!QTest::qWaitFor(arrived, 20000))
            return false;
        QString jobId, message;
        qint32 status = 0;
        report::CreateResult result;
        OVDataStream stream(pushed.constLast().first().value<Command>().data);
        stream >> jobId >> status >> message >> result;
        return status == 1 && document->loadXML(QString::fromUtf8(result.items.value(0).data));
    }

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
        m_server = std::make_unique<EmbeddedServerConnection>();
        QVERIFY(m_server->start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("figures.sqlite")), 60, true));
        QVERIFY(ovtest::logIn(m_server.get(), QStringLiteral("planner")));
        m_notifications = std::make_unique<StorageNotificationApplier>(m_server.get(), LocalStorage::instance());
        m_view = std::make_unique<WorkTimePlanningView>();
        m_view->init(m_server.get(), QStringLiteral("wtplanningview"));
        m_view->insertedToInterface();
        m_view->setQuestion([](QWidget*, const QString&, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
        m_model = m_view->findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        QList<TYPE_ID> departments;
        for (const ObjectInfo& object : *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME)))
            departments.append(object.uid);
        QMetaObject::invokeMethod(m_view.get(), "applyFilter", Q_ARG(QDate, monthStart),
                                  Q_ARG(QDate, monthStart.addMonths(1).addDays(-1)),
                                  Q_ARG(QList<orvanta::TYPE_ID>, departments), Q_ARG(QStringList, {}));
        QVERIFY(QTest::qWaitFor([this] { return !m_view->isLoading() && m_model->rowCount() > 0; }, 20000));
    }

    void cleanupTestCase()
    {
        m_view.reset();
        m_notifications.reset();
        m_server.reset();
    }

    void reportShowsTheGridsFigures()
    {
        REDocument document;
        QVERIFY2(requestReport(&document), qPrintable(document.errorString()));
        const RETable table = document.blocks().constLast().table;
        const int days = m_model->daysCount();
        QCOMPARE(table.rows.size(), table.headerRows + m_model->reportUids().size() + 1);
        QHash<QString, int> rowOfNumber;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QModelIndex index = m_model->index(row, 0);
            if (!index.data(WorkTimePlanningModel::AttachedRole).toBool())
                rowOfNumber.insert(m_model->workTimeData(index.data(WorkTimePlanningModel::UidRole).toUInt()).number(), row);
        }
        for (int line = table.headerRows; line < table.rows.size() - 1; ++line) {
            const QList<RECell>& cells = table.rows.at(line);
            const int row = rowOfNumber.value(cells.at(2).text, -1);
            QVERIFY2(row >= 0, qPrintable(cells.at(1).text));
            const WorkTimeData data = m_model->workTimeData(m_model->index(row, 0).data(WorkTimePlanningModel::UidRole).toUInt());
            QCOMPARE(cells.at(1).text, m_model->index(row, WorkTimePlanningModel::NameColumn).data().toString());
            for (int day = 0; day < days; ++day) {
                const QDate date = monthStart.addDays(day);
                const QString where = QLatin1Char(' ') + date.toString(Qt::ISODate) + QLatin1Char(' ') + data.name();
                QCOMPARE(QString(dayHours(cells.at(4 + day).text) + where),
                         QString(hours(gridDaySeconds(*m_model, data, row, date)) + where));
            }
            const QStringList planned = pair(*m_model, row, WorkTimePlanningModel::HoursColumn);
            QCOMPARE(QStringList({cells.at(4 + days).text, cells.at(5 + days).text}), planned);
            QCOMPARE(cells.at(6 + days).text, pair(*m_model, row, WorkTimePlanningModel::BalanceColumn).value(1));
        }
        // The totals are the grid's, rounded to hundredths.
        const double expected = m_model->totalPlannedTime() / 3600.0;
        const double total = table.rows.constLast().at(2 + days).number;
        QVERIFY2(qAbs(total - expected) <= 0.005, qPrintable(QString::number(total - expected)));
    }

    // The report's approval line follows the grid's: not approved while a row is not, then on the day it is.
    void approvalFollowsTheGrid()
    {
        QVERIFY(m_model->isConfirmEnabled());
        REDocument before;
        QVERIFY(requestReport(&before));
        QCOMPARE(before.blocks().at(2).text.text, QStringLiteral("Не утвержден"));
        m_view->confirmWorkTime();
        QVERIFY(QTest::qWaitFor([this] { return !m_model->isConfirmEnabled(); }, 10000));
        REDocument after;
        QVERIFY(requestReport(&after));
        QCOMPARE(after.blocks().at(2).text.text, "Утвержден " + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeReportFigures)
#include "tst_worktimereportfigures.moc"
