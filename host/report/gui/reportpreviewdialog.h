#pragma once

#include "ovreport_export.h"

#include "redocument.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QStackedWidget;
class REPageLayout;
class REPreviewView;

/// Shows a report's pages before they are printed or exported: zoom (buttons, Ctrl++ and Ctrl+-,
/// fit to width), page keys (PgUp, PgDn, Home, End, Ctrl+Home, Ctrl+End), «Печать» and «Экспорт»
/// (xlsx or PDF) and the page indicator. A report that is refused shows why instead of pages.
class OVREPORT_EXPORT ReportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportPreviewDialog(QWidget* parent = nullptr);
    ~ReportPreviewDialog() override;

    /// Loads the report's XML. title names the window (the report's own title otherwise);
    /// fileName is what the export offers to save as.
    void setReportText(const QString& xml, const QString& title = QString(), const QString& fileName = QString());
    /// Why the report was refused; empty when its pages show.
    QString errorString() const { return m_error; }
    int pageCount() const;
    /// 1-based.
    int currentPage() const;

    /// Writes the report to fileName as format ("xlsx", "pdf"); false with the reason in error.
    bool exportTo(const QString& fileName, const QString& format, QString* error);

public slots:
    void print();
    void exportReport();

private:
    QWidget* buildToolBar();
    void addKeys();
    void updatePageLabel();
    void updateZoomLabel();
    void showError(const QString& error);
    QString defaultExportPath() const;

    REDocument m_document;
    std::shared_ptr<REPageLayout> m_layout;
    QString m_error;
    QString m_fileName;
    QStackedWidget* m_stack = nullptr;
    REPreviewView* m_view = nullptr;
    QLabel* m_errorLabel = nullptr;
    QLabel* m_pageLabel = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_exportButton = nullptr;
};
