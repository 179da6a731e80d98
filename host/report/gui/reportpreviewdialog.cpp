#include "reportpreviewdialog.h"

#include "reabstractpainter.h"
#include "repagelayout.h"
#include "repainterfactory.h"
#include "reprinterpainter.h"
#include "repreviewview.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>
#include <limits>

ReportPreviewDialog::ReportPreviewDialog(QWidget* parent)
    : QDialog(parent)
    , m_stack(new QStackedWidget(this))
    , m_view(new REPreviewView(m_stack))
    , m_errorLabel(new QLabel(m_stack))
{
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildToolBar());
    layout->addWidget(m_stack, 1);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setAlignment(Qt::AlignCenter);
    m_errorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_stack->addWidget(m_view);
    m_stack->addWidget(m_errorLabel);
    connect(m_view, &REPreviewView::currentPageChanged, this, &ReportPreviewDialog::updatePageLabel);
    connect(m_view, &REPreviewView::zoomChanged, this, &ReportPreviewDialog::updateZoomLabel);
    addKeys();
    resize(1000, 760);
    showError(QStringLiteral("Отчет еще не получен."));
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

QWidget* ReportPreviewDialog::buildToolBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    m_printButton = new QPushButton(QStringLiteral("Печать"), bar);
    m_exportButton = new QPushButton(QStringLiteral("Экспорт"), bar);
    // Enter in the page view must not start printing.
    m_printButton->setAutoDefault(false);
    m_exportButton->setAutoDefault(false);
    connect(m_printButton, &QPushButton::clicked, this, &ReportPreviewDialog::print);
    connect(m_exportButton, &QPushButton::clicked, this, &ReportPreviewDialog::exportReport);
    row->addWidget(m_printButton);
    row->addWidget(m_exportButton);
    row->addSpacing(16);
    const std::pair<QString, void (REPreviewView::*)()> zoomButtons[] = {
        {QStringLiteral("Уменьшить"), &REPreviewView::zoomOut},
        {QStringLiteral("Увеличить"), &REPreviewView::zoomIn},
        {QStringLiteral("По ширине"), &REPreviewView::fitWidth}};
    for (const auto& button : zoomButtons) {
        auto* tool = new QToolButton(bar);
        tool->setText(button.first);
        connect(tool, &QToolButton::clicked, m_view, button.second);
        row->addWidget(tool);
    }
    m_zoomLabel = new QLabel(bar);
    row->addWidget(m_zoomLabel);
    row->addStretch(1);
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    row->addWidget(m_pageLabel);
    return bar;
}

void ReportPreviewDialog::addKeys()
{
    const int last = std::numeric_limits<int>::max();
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::Key_PageDown), [this] { m_view->goToPage(m_view->currentPage() + 1); }},
        {QKeySequence(Qt::Key_PageUp), [this] { m_view->goToPage(m_view->currentPage() - 1); }},
        {QKeySequence(Qt::Key_Home), [this] { m_view->goToPage(0); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { m_view->goToPage(0); }},
        {QKeySequence(Qt::Key_End), [this, last] { m_view->goToPage(last); }},
        {QKeySequence(Qt::CTRL | Qt::Key_End), [this, last] { m_view->goToPage(last); }},
        {QKeySequence::ZoomIn, [this] { m_view->zoomIn(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { m_view->zoomIn(); }},
        {QKeySequence::ZoomOut, [this] { m_view->zoomOut(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { m_view->fitWidth(); }}};
    for (const auto& key : keys)
        connect(new QShortcut(key.first, this), &QShortcut::activated, this, key.second);
}

void ReportPreviewDialog::setReportText(const QString& xml, const QString& title, const QString& fileName)
{
    m_fileName = fileName;
    m_layout.reset();
    if (!m_document.loadXML(xml)) {
        showError(m_document.errorString());
        return;
    }
    m_error.clear();
    const QString shown = title.isEmpty() ? m_document.title() : title;
    setWindowTitle(shown.isEmpty() ? QStringLiteral("Предварительный просмотр")
                                   : QStringLiteral("Предварительный просмотр: %1").arg(shown));
    m_layout = std::make_shared<REPageLayout>(m_document);
    m_view->setPageLayout(m_layout);
    m_stack->setCurrentWidget(m_view);
    m_printButton->setEnabled(!m_document.isEmpty());
    m_exportButton->setEnabled(!m_document.isEmpty());
    updatePageLabel();
    updateZoomLabel();
    m_view->setFocus();
}

void ReportPreviewDialog::showError(const QString& error)
{
    m_error = error;
    m_errorLabel->setText(QStringLiteral("Отчет не может быть показан.\n\n%1").arg(error));
    m_stack->setCurrentWidget(m_errorLabel);
    m_printButton->setEnabled(false);
    m_exportButton->setEnabled(false);
    m_pageLabel->clear();
    m_zoomLabel->clear();
}

int ReportPreviewDialog::pageCount() const
{
    return m_layout ? m_layout->pageCount() : 0;
}

int ReportPreviewDialog::currentPage() const
{
    return m_layout ? m_view->currentPage() + 1 : 0;
}

void ReportPreviewDialog::updatePageLabel()
{
    if (m_layout)
        m_pageLabel->setText(QStringLiteral("Страница %1 из %2").arg(currentPage()).arg(pageCount()));
}

void ReportPreviewDialog::updateZoomLabel()
{
    if (m_layout)
        m_zoomLabel->setText(QStringLiteral("%1 %").arg(qRound(m_view->zoom() * 100)));
}

void ReportPreviewDialog::print()
{
    if (!m_layout || m_document.isEmpty())
        return;
    REPrinterPainter printer(this);
    if (!m_document.paint(&printer)) {
        if (!printer.isCancelled())
            QMessageBox::warning(this, QStringLiteral("Печать"), printer.errorString());
        return;
    }
    if (printer.writtenFileName().isEmpty())
        return;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Печать"),
                    QStringLiteral("Принтер не найден. Отчет сохранен в файл «%1».")
                        .arg(QDir::toNativeSeparators(printer.writtenFileName())),
                    QMessageBox::Close, this);
    QPushButton* open = box.addButton(QStringLiteral("Открыть"), QMessageBox::AcceptRole);
    box.exec();
    if (box.clickedButton() == open)
        QDesktopServices::openUrl(QUrl::fromLocalFile(printer.writtenFileName()));
}

QString ReportPreviewDialog::defaultExportPath() const
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!m_fileName.isEmpty())
        return QDir(documents).absoluteFilePath(m_fileName);
    QString name = m_document.title().isEmpty() ? QStringLiteral("Отчет") : m_document.title();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(documents).filePath(name + QStringLiteral(".xlsx"));
}

void ReportPreviewDialog::exportReport()
{
    if (!m_layout || m_document.isEmpty())
        return;
    QStringList filters;
    QStringList suffixes;
    for (const QString& format : REPainterFactory::formats()) {
        QString description;
        QString suffix;
        REPainterFactory::painterInfo(format, &description, &suffix);
        filters.append(QStringLiteral("%1 (*%2)").arg(description, suffix));
        suffixes.append(suffix);
    }
    QString selected = filters.first();
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Экспорт отчета"), defaultExportPath(),
                                                    filters.join(QStringLiteral(";;")), &selected);
    if (fileName.isEmpty())
        return;
    int index = qMax(0, filters.indexOf(selected));
    for (int known = 0; known < suffixes.size(); ++known) {
        if (fileName.endsWith(suffixes.at(known), Qt::CaseInsensitive))
            index = known;
    }
    if (!fileName.endsWith(suffixes.at(index), Qt::CaseInsensitive))
        fileName += suffixes.at(index);
    QString error;
    if (!exportTo(fileName, REPainterFactory::formats().at(index), &error))
        QMessageBox::warning(this, QStringLiteral("Экспорт"), error);
}

bool ReportPreviewDialog::exportTo(const QString& fileName, const QString& format, QString* error)
{
    std::unique_ptr<REAbstractPainter> painter(REPainterFactory::create(format, fileName));
    if (!painter) {
        *error = QStringLiteral("Формат «%1» не поддерживается.").arg(format);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = m_document.paint(painter.get());
    QApplication::restoreOverrideCursor();
    if (!written)
        *error = painter->errorString().isEmpty() ? QStringLiteral("Отчет пуст.") : painter->errorString();
    return written;
}
