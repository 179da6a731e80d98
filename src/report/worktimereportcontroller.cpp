#include "worktimereportcontroller.h"

#include "authdata.h"
#include "createquery.h"
#include "createresult.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "redocument.h"
#include "repainterfactory.h"
#include "reportpreviewdialog.h"
#include "reportwaitdialog.h"
#include "reprinterpainter.h"
#include "settings.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "wtplanninglogging.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QProgressBar>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

constexpr char kExportPathKey[] = "wtplanningview/export_path";

QString chooseFileWithDialog(QWidget* parent, const QString& caption, const QString& proposedName,
                             const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, proposedName, filter, nullptr,
                                        QFileDialog::DontResolveSymlinks);
}

bool openWithDesktop(const QString& fileName)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

} // namespace

WorkTimeReportController::WorkTimeReportController(OVPluginInterface* plugin, QWidget* window,
                                                   const WorkTimePlanningModel* model, QTimer* statusTimer,
                                                   const QString& clientId, DepartmentNames departmentNames)
    : QObject(window)
    , m_plugin(plugin)
    , m_window(window)
    , m_model(model)
    , m_statusTimer(statusTimer)
    , m_clientId(clientId)
    , m_departmentNames(std::move(departmentNames))
    , m_chooseFile(chooseFileWithDialog)
    , m_openFile(openWithDesktop)
{
    connect(m_statusTimer, &QTimer::timeout, this, &WorkTimeReportController::sendGetReportStatus);
}

void WorkTimeReportController::setFileChooser(FileChooser chooser)
{
    m_chooseFile = chooser ? std::move(chooser) : FileChooser(chooseFileWithDialog);
}

void WorkTimeReportController::setFileOpener(FileOpener opener)
{
    m_openFile = opener ? std::move(opener) : FileOpener(openWithDesktop);
}

void WorkTimeReportController::printReport()
{
    createReportAsync(reportIdByName(QLatin1String(orvanta::REPORT_PLANNING_SCHEDULE_NAME)), Print);
}

void WorkTimeReportController::previewReport()
{
    createReportAsync(reportIdByName(QLatin1String(orvanta::REPORT_PLANNING_SCHEDULE_NAME)), Preview);
}

void WorkTimeReportController::exportReport()
{
    m_exportFormat = QStringLiteral("xlsx");
    QString description;
    QString suffix;
    REPainterFactory::painterInfo(m_exportFormat, &description, &suffix);

    QString directory = Settings::value(QLatin1String(kExportPathKey), QDir::homePath()).toString();
    if (!directory.isEmpty() && !directory.endsWith(QDir::separator()) && !directory.endsWith(QLatin1Char('/')))
        directory += QDir::separator();
    const QString proposed = directory + tr("График работ") + suffix;
    const QString filter = QStringLiteral("%1 (*%2)").arg(description, suffix);

    m_exportPath = m_chooseFile(m_window, tr("Экспорт файла"), proposed, filter);
    if (m_exportPath.isEmpty())
        return;
    Settings::setValue(QLatin1String(kExportPathKey), QFileInfo(m_exportPath).absolutePath());
    Settings::instance()->sync();
    createReportAsync(reportIdByName(QLatin1String(orvanta::REPORT_PLANNING_SCHEDULE_NAME)), Export);
}

orvanta::TYPE_ID WorkTimeReportController::reportIdByName(const QString& name) const
{
    if (const orvanta::OBJECT_HASH* reports = orvanta::LocalStorage::instance()->constObjects(QLatin1String(orvanta::REPORT_DATANAME))) {
        for (auto it = reports->cbegin(); it != reports->cend(); ++it) {
            if (it.value().property(QStringLiteral("PT_NAME")) == name)
                return it.key();
        }
    }
    qCWarning(lcWtPlanning) << Q_FUNC_INFO << "report not exists" << name;
    return 0;
}

QVariantMap WorkTimeReportController::requestParameters() const
{
    QVariantList workers;
    const QSet<unsigned int> reportUids = m_model->reportUids();
    for (unsigned int uid : reportUids)
        workers.append(QVariant::fromValue<uint>(uid));
    const qint64 start = QDateTime(m_model->dateStart(), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    QVariantMap params;
    params.insert(QStringLiteral(":d_date_beg"), QVariant::fromValue<qint64>(start));
    params.insert(QStringLiteral(":a_workers"), workers);
    params.insert(QStringLiteral(":c_locale"), language());
    params.insert(QStringLiteral(":c_dep_name"), m_departmentNames().join(QStringLiteral(", ")));
    return params;
}

QString WorkTimeReportController::language()
{
    return Settings::value(QStringLiteral("mainwindow/language"), QLocale().name()).toString().left(2);
}

void WorkTimeReportController::createReportAsync(orvanta::TYPE_ID reportId, ReportAction action)
{
    if (reportId == 0) {
        emit failed(tr("Не назначены полномочия на отчет"));
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "empty report id";
        return;
    }
    m_reportAction = action;
    report::CreateQuery query;
    query.reportId = reportId;
    query.userId = AuthData::userId();
    query.formats = QStringList{QStringLiteral("xml")};
    query.params = requestParameters();
    query.language = language();

    Command command = m_plugin->newCommand();
    command.kind = 8;
    command.name = QStringLiteral("create_report_async");
    OVDataStream stream(&command.data, QIODevice::WriteOnly);
    stream << m_clientId << QString() << query;
    QPointer<WorkTimeReportController> self(this);
    m_plugin->sendQuery(command, [self](Command& reply) {
        if (self)
            self->reportReceived(reply);
    });
}

void WorkTimeReportController::reportReceived(Command& reply)
{
    if (reply.result != 1) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "create report async error" << reply.result << reply.errorMessage();
        emit failed(tr("Ошибка создания отчета"));
        m_reportAsyncId.clear();
        return;
    }
    OVDataStream stream(&reply.data, QIODevice::ReadOnly);
    stream >> m_reportAsyncId;
    showReportWaitDialog(QString());
    m_statusTimer->start();
}

void WorkTimeReportController::sendGetReportStatus()
{
    if (m_reportAsyncId.isEmpty())
        return;
    Command command = m_plugin->newCommand();
    command.name = QStringLiteral("report_status_async");
    OVDataStream stream(&command.data, QIODevice::WriteOnly);
    stream << m_reportAsyncId;
    QPointer<WorkTimeReportController> self(this);
    m_plugin->sendQuery(command, [self](Command& reply) {
        if (self)
            self->reportAsyncStatusReceived(reply);
    });
}

void WorkTimeReportController::reportAsyncStatusReceived(Command& reply)
{
    // No dialog: the job ended or the planner closed it, and polling stops here.
    if (!m_waitDialog)
        return;
    if (reply.result == 1) {
        QString jobId;
        qint32 progress = 0;
        OVDataStream stream(&reply.data, QIODevice::ReadOnly);
        stream >> jobId >> progress;
        if (jobId == m_reportAsyncId) {
            QProgressBar* bar = m_waitDialog->progressBar();
            bar->setRange(0, progress >= 0 ? 100 : 0);
            bar->setValue(progress >= 0 ? progress : 0);
        }
    }
    m_statusTimer->start();
}

void WorkTimeReportController::showReportWaitDialog(const QString& title)
{
    closeReportWaitDialog();
    m_waitDialog = new ReportWaitDialog(m_window);
    if (!title.isEmpty())
        m_waitDialog->setWindowTitle(title);
    m_waitDialog->progressBar()->setVisible(true);
    m_waitDialog->setModal(true);
    // Escape or the close button gets rid of the dialog, which ends the polling; the result is still shown.
    connect(m_waitDialog, &QDialog::rejected, m_waitDialog, &QObject::deleteLater);
    m_waitDialog->show();
    m_waitDialog->repaint();
}

void WorkTimeReportController::closeReportWaitDialog()
{
    if (!m_waitDialog)
        return;
    m_waitDialog->hide();
    delete m_waitDialog.data();
}

void WorkTimeReportController::reportAsyncReceived(Command& command)
{
    command.result = 1;
    m_statusTimer->stop();
    m_reportAsyncId.clear();

    QString jobId;
    qint32 status = 0;
    QString message;
    report::CreateResult result;
    OVDataStream stream(&command.data, QIODevice::ReadOnly);
    stream >> jobId >> status >> message >> result;
    closeReportWaitDialog();
    if (stream.status() != QDataStream::Ok || status != 1) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "report failed" << jobId << status << message
                                << (stream.status() == QDataStream::Ok ? "" : "does not decode");
        emit failed(tr("Ошибка создания отчета"));
        return;
    }
    const QByteArray bytes = result.items.isEmpty() ? QByteArray() : result.items.first().data;
    const int zero = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
    switch (m_reportAction) {
    case Print:
        printDocument(text);
        break;
    case Preview:
        previewDocument(text);
        break;
    case Export:
        exportDocument(text);
        break;
    }
}

bool WorkTimeReportController::paintDocument(const QString& text, REAbstractPainter* painter, QString* reason) const
{
    REDocument document;
    if (document.loadXML(text) && document.paint(painter, -1, -1, 1, QString()))
        return true;
    *reason = document.errorString().isEmpty() ? painter->errorString() : document.errorString();
    qCWarning(lcWtPlanning) << Q_FUNC_INFO << "report not painted" << *reason;
    return false;
}

void WorkTimeReportController::openReportFile(const QString& fileName)
{
    if (!m_openFile(fileName))
        emit failed(tr("Ошибка открытия отчета"));
}

void WorkTimeReportController::printDocument(const QString& text)
{
    REPrinterPainter painter(m_window);
    QString reason;
    if (!paintDocument(text, &painter, &reason)) {
        // Closing the print dialog is no failure.
        if (!painter.isCancelled())
            emit failed(tr("Не удалось напечатать отчет: %1").arg(reason));
        return;
    }
    // No printer on this machine: the report went to a PDF, which is shown instead.
    const QString pdf = painter.writtenFileName();
    if (pdf.isEmpty())
        return;
    emit informed(tr("Принтер не найден, отчет сохранен в файл %1").arg(QDir::toNativeSeparators(pdf)));
    openReportFile(pdf);
}

void WorkTimeReportController::previewDocument(const QString& text)
{
    auto* dialog = new ReportPreviewDialog(m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setReportText(text, QString(), QString());
    dialog->show();
}

void WorkTimeReportController::exportDocument(const QString& text)
{
    std::unique_ptr<REAbstractPainter> painter(REPainterFactory::create(m_exportFormat, m_exportPath));
    if (!painter) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "no painter" << m_exportFormat;
        return;
    }
    QString reason;
    const bool written = paintDocument(text, painter.get(), &reason);
    // The file is complete only once its painter is gone.
    painter.reset();
    if (written)
        openReportFile(m_exportPath);
    else
        emit failed(tr("Не удалось сохранить отчет: %1").arg(reason));
}
