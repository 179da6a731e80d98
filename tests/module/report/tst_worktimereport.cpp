#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovicontheme.h"
#include "reportpreviewdialog.h"
#include "reportwaitdialog.h"
#include "reprinterpainter.h"
#include "settings.h"
#include "storagenotificationapplier.h"
#include "testsession.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningview.h"
#include "worktimereportcontroller.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace orvanta;

namespace {

const QDate monthStart(QDate::currentDate().year(), QDate::currentDate().month(), 1);

// A planning window of the logged-in demo user, loaded with every department of this month.
struct ReportWindow
{
    std::unique_ptr<WorkTimePlanningView> view = std::make_unique<WorkTimePlanningView>();
    WorkTimeReportController* reports = nullptr;
    QStringList popups;
    QStringList chooserCalls;
    QString chosenFile;
    QStringList openedFiles;
    bool loaded = false;

    explicit ReportWindow(OVServerInterface* server)
    {
        view->init(server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        reports = view->reports();
        QObject::connect(view.get(), &PluginWidget::popupRequested,
                         [this](int, const QString& text) { popups.append(text); });
        reports->setFileChooser([this](QWidget*, const QString& caption, const QString& proposed, const QString& filter) {
            chooserCalls << caption << proposed << filter;
            return chosenFile;
        });
        reports->setFileOpener([this](const QString& fileName) {
            openedFiles.append(fileName);
            return true;
        });
        QList<TYPE_ID> departments;
        for (const ObjectInfo& object : *LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME)))
            departments.append(object.uid);
        QMetaObject::invokeMethod(view.get(), "applyFilter", Q_ARG(QDate, monthStart),
                                  Q_ARG(QDate, monthStart.addMonths(1).addDays(-1)),
                                  Q_ARG(QList<orvanta::TYPE_ID>, departments), Q_ARG(QStringList, {}));
        loaded = QTest::qWaitFor([this] { return !view->isLoading(); }, 10000);
    }

    QTimer* statusTimer() const { return view->findChild<QTimer*>(QStringLiteral("reportStatusTimer")); }

    /// Waits until the report's job ended with a result: done, or a pop-up.
    bool waitForResult(const std::function<bool()>& done) const
    {
        return QTest::qWaitFor([this, done] { return done() || !popups.isEmpty(); }, 20000)
               && reports->reportAsyncId().isEmpty() && !reports->reportWaitDialog();
    }
};

Command reply(const QString& jobId, int progress = 0, bool withProgress = false)
{
    Command command;
    command.result = 1;
    OVDataStream stream(&command.data, QIODevice::WriteOnly);
    stream << jobId;
    if (withProgress)
        stream << qint32(progress);
    return command;
}

template <typename T>
QList<T*> topLevel()
{
    QList<T*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* typed = qobject_cast<T*>(widget))
            found.append(typed);
    }
    return found;
}

} // namespace

class TestWorkTimeReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QStandardPaths::setTestModeEnabled(true);
        REPrinterPainter::setDialogAnswerForTests(REPrinterPainter::DialogAnswer::Accept);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Settings::setFileName(m_folder.filePath(QStringLiteral("settings.ini")));
        QVERIFY(m_server.start(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("report.sqlite")), 40, true));
        m_notifications = std::make_unique<StorageNotificationApplier>(&m_server, LocalStorage::instance());
    }

    void init() { QVERIFY(ovtest::logIn(&m_server, QStringLiteral("planner"))); }

    void exportAsksForFile_data()
    {
        QTest::addColumn<QString>("storedFolder");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("proposedFolder");

        const QString folder = m_folder.filePath(QStringLiteral("exports"));
        QTest::newRow("nothing stored, cancelled") << QString() << true << QDir::homePath() + QDir::separator();
        QTest::newRow("no trailing separator") << folder << false << folder + QDir::separator();
        QTest::newRow("trailing separator, cancelled") << folder + QDir::separator() << true << folder + QDir::separator();
    }

    // A cancelled dialog sends nothing and keeps the folder; a chosen file is written and opened,
    // and its folder is proposed next time.
    void exportAsksForFile()
    {
        QFETCH(QString, storedFolder);
        QFETCH(bool, cancelled);
        QFETCH(QString, proposedFolder);
        QDir().mkpath(m_folder.filePath(QStringLiteral("exports/chosen")));
        Settings::setValue(QStringLiteral("wtplanningview/export_path"), storedFolder.isEmpty() ? QVariant() : storedFolder);
        if (storedFolder.isEmpty())
            Settings::instance()->remove(QStringLiteral("wtplanningview/export_path"));

        ReportWindow window(&m_server);
        QVERIFY(window.loaded);
        const QString chosen = m_folder.filePath(QStringLiteral("exports/chosen/План.xlsx"));
        window.chosenFile = cancelled ? QString() : chosen;
        window.view->exportReport();

        QCOMPARE(window.chooserCalls,
                 (QStringList{"Экспорт файла", proposedFolder + "График работ.xlsx", "Книга Excel (*.xlsx)"}));
        const QVariant stored = Settings::value(QStringLiteral("wtplanningview/export_path"));
        if (cancelled) {
            QTest::qWait(100);
            QVERIFY(!window.reports->reportWaitDialog());
            QCOMPARE(stored.toString(), storedFolder);
            return;
        }
        QCOMPARE(stored.toString(), QFileInfo(chosen).absolutePath());
        QVERIFY(window.waitForResult([&window] { return !window.openedFiles.isEmpty(); }));
        QCOMPARE(window.openedFiles, QStringList{chosen});
        QVERIFY(QFileInfo(chosen).size() > 0);
        QCOMPARE(window.popups, QStringList());
    }

    void previewShowsPages()
    {
        ReportWindow window(&m_server);
        QVERIFY(window.loaded);
        window.view->previewReport();
        QVERIFY(window.waitForResult([] { return !topLevel<ReportPreviewDialog>().isEmpty(); }));
        QCOMPARE(topLevel<ReportPreviewDialog>().size(), 1);
        ReportPreviewDialog* preview = topLevel<ReportPreviewDialog>().first();
        QVERIFY(preview->pageCount() > 0);
        preview->close();
        QTRY_VERIFY(topLevel<ReportPreviewDialog>().isEmpty());
        QCOMPARE(window.popups, QStringList());
    }

    // This machine has no printer: the report goes to a PDF, which is opened and named to the planner.
    void printWithoutPrinter()
    {
        ReportWindow window(&m_server);
        QVERIFY(window.loaded);
        window.view->printReport();
        QVERIFY(window.waitForResult([&window] { return !window.openedFiles.isEmpty(); }));
        QCOMPARE(window.openedFiles.size(), 1);
        const QString pdf = window.openedFiles.first();
        QVERIFY(pdf.endsWith(QLatin1String(".pdf")));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(window.popups, QStringList{"Принтер не найден, отчет сохранен в файл " + QDir::toNativeSeparators(pdf)});
        QFile::remove(pdf);
    }

    void withoutReportRight()
    {
        QVERIFY(ovtest::logIn(&m_server, QStringLiteral("scheduler")));
        ReportWindow window(&m_server);
        QVERIFY(window.loaded);
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("report not exists")));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("empty report id")));
        window.view->previewReport();
        QCOMPARE(window.popups, QStringList{"Не назначены полномочия на отчет"});
        QVERIFY(!window.reports->reportWaitDialog());
    }

    void progressOfTheJob_data()
    {
        QTest::addColumn<QString>("jobId");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");

        QTest::newRow("unknown progress: busy") << "job-1" << -1 << 0 << 0;
        QTest::newRow("40 %") << "job-1" << 40 << 100 << 40;
        QTest::newRow("another job changes nothing") << "job-0" << 40 << 100 << 7;
    }

    void progressOfTheJob()
    {
        QFETCH(QString, jobId);
        QFETCH(int, progress);
        QFETCH(int, maximum);
        QFETCH(int, value);

        ReportWindow window(&m_server);
        QVERIFY(window.loaded);
        Command created = reply(QStringLiteral("job-1"));
        window.reports->reportReceived(created);
        QPointer<ReportWaitDialog> dialog = window.reports->reportWaitDialog();
        QVERIFY(dialog && dialog->isVisible());
        dialog->setProgress(7);
        window.statusTimer()->stop();

        Command status = reply(jobId, progress, true);
        window.reports->reportAsyncStatusReceived(status);
        QCOMPARE(dialog->progressBar()->maximum(), maximum);
        QCOMPARE(dialog->progressBar()->value(), value);
        QVERIFY(window.statusTimer()->isActive());

        // Once the dialog is gone a late status reply ends the polling.
        window.statusTimer()->stop();
        delete dialog.data();
        window.reports->reportAsyncStatusReceived(status);
        QVERIFY(!window.statusTimer()->isActive());
    }

private:
    QTemporaryDir m_folder;
    EmbeddedServerConnection m_server;
    std::unique_ptr<StorageNotificationApplier> m_notifications;
};

QTEST_MAIN(TestWorkTimeReport)
#include "tst_worktimereport.moc"
