#pragma once

#include "orvantatypes.h"
#include "reportwaitdialog.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class Command;
class OVPluginInterface;
class QTimer;
class REAbstractPainter;
class QWidget;
class WorkTimePlanningModel;

/// The planning report of the grid: asks the server for it, polls the job's progress behind a
/// wait dialog and prints, previews or exports the document that comes back.
class WorkTimeReportController : public QObject
{
    Q_OBJECT
public:
    enum ReportAction { Print = 1, Preview = 2, Export = 3 };

    /// Asks where to export: the chosen file, empty when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& proposedName,
                                              const QString& filter)>;
    /// Opens a written file with the desktop's application; false when none could.
    using FileOpener = std::function<bool(const QString& fileName)>;
    using DepartmentNames = std::function<QStringList()>;

    WorkTimeReportController(OVPluginInterface* plugin, QWidget* window, const WorkTimePlanningModel* model,
                             QTimer* statusTimer, const QString& clientId, DepartmentNames departmentNames);

    void setFileChooser(FileChooser chooser);
    void setFileOpener(FileOpener opener);

    QString reportAsyncId() const { return m_reportAsyncId; }
    ReportAction reportAction() const { return m_reportAction; }
    QString exportPath() const { return m_exportPath; }
    ReportWaitDialog* reportWaitDialog() const { return m_waitDialog; }

    void printReport();
    void previewReport();
    void exportReport();
    void createReportAsync(orvanta::TYPE_ID reportId, ReportAction action);
    orvanta::TYPE_ID reportIdByName(const QString& name) const;
    void reportReceived(Command& reply);
    void sendGetReportStatus();
    void reportAsyncStatusReceived(Command& reply);
    void reportAsyncReceived(Command& command);
    void showReportWaitDialog(const QString& title);
    void closeReportWaitDialog();

signals:
    /// A failure the planner must see, in Russian.
    void failed(const QString& message);
    /// News for the planner that is not a failure (where a report without a printer went).
    void informed(const QString& message);

private:
    QVariantMap requestParameters() const;
    /// Loads text and paints it into painter; false with the reason, the document's or the painter's.
    bool paintDocument(const QString& text, REAbstractPainter* painter, QString* reason) const;
    void openReportFile(const QString& fileName);
    void printDocument(const QString& text);
    void previewDocument(const QString& text);
    void exportDocument(const QString& text);
    static QString language();

    OVPluginInterface* m_plugin;
    QWidget* m_window;
    const WorkTimePlanningModel* m_model;
    QTimer* m_statusTimer;
    QString m_clientId;
    DepartmentNames m_departmentNames;
    FileChooser m_chooseFile;
    FileOpener m_openFile;

    ReportAction m_reportAction = Preview;
    QString m_reportAsyncId;
    QString m_exportFormat = QStringLiteral("xlsx");
    QString m_exportPath;
    QPointer<ReportWaitDialog> m_waitDialog;
};
