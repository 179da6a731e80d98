#include "attachworkerinfowidget.h"

#include "attachworkeritemmodel.h"
#include "localstorage.h"
#include "ovglobals.h"
#include "propertypanelhelper.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QTextBrowser>
#include <QTextTable>
#include <QVBoxLayout>

namespace {

constexpr int kPhotoHeight = 96;

// The employee's photo from the local store, else the picture of the employee type.
QImage employeePicture(orvanta::TYPE_ID employee)
{
    const QByteArray photo =
        orvanta::LocalStorage::instance()->blob(employee, QLatin1String(db::subject::PHOTO));
    QImage picture = QImage::fromData(photo);
    if (picture.isNull())
        return PropertyPanelHelper::objectPicture(QLatin1String(db::orgstructure::WORKER), 48);
    return picture.scaledToHeight(kPhotoHeight, Qt::SmoothTransformation);
}

} // namespace

AttachWorkerInfoWidget::AttachWorkerInfoWidget(QWidget* parent)
    : QWidget(parent), m_textBrowser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Form"));
    m_textBrowser->setObjectName(QStringLiteral("textBrowser"));
    m_textBrowser->setFrameShape(QFrame::NoFrame);
    m_textBrowser->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textBrowser);
}

void AttachWorkerInfoWidget::showObjectInfo(const QModelIndex& index)
{
    m_indexes = {index};
    m_textBrowser->clear();
    const auto id = orvanta::TYPE_ID(index.data(AttachWorkerItemModel::UidRole).toUInt());
    const orvanta::ObjectInfo trip =
        orvanta::LocalStorage::instance()->constObject(id, QLatin1String(orvanta::ATTACHED_WORKER_DATANAME));
    if (!trip.isValid()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "attached worker not exists" << id;
        return;
    }
    const orvanta::TYPE_ID employee = AttachWorkerItemModel::employeeOf(trip);
    const auto date = [&trip](const char* key) {
        return QLocale().toString(QDate::fromString(trip.property(QLatin1String(key)), Qt::ISODate), QLocale::ShortFormat);
    };

    QTextDocument* document = m_textBrowser->document();
    QTextCursor cursor(document);
    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    tableFormat.setCellSpacing(0);
    tableFormat.setCellPadding(0);
    QTextTable* table = cursor.insertTable(1, 2, tableFormat);
    // Each photo under its own name: the document keeps the resources it was given.
    const QString resource = QStringLiteral("attached-photo://%1").arg(employee);
    document->addResource(QTextDocument::ImageResource, QUrl(resource), employeePicture(employee));
    table->cellAt(0, 0).firstCursorPosition().insertImage(resource);
    QTextTableCellFormat nameCell;
    nameCell.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    nameCell.setLeftPadding(10);
    table->cellAt(0, 1).setFormat(nameCell);
    table->cellAt(0, 1).firstCursorPosition().insertText(OVGlobals::objectName(trip), PropertyPanelHelper::titleFormat());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    PropertyPanelHelper::insertField(cursor, tr("Дата начала"), date(db::attached_worker::DATE_BEGIN));
    cursor.insertBlock();
    PropertyPanelHelper::insertField(cursor, tr("Дата окончания"), date(db::attached_worker::DATE_END));
    cursor.insertBlock();
    PropertyPanelHelper::insertField(cursor, tr("Подразделение"),
                                     trip.property(QLatin1String(db::attached_worker::DEPARTNAME)));
}

void AttachWorkerInfoWidget::showMultiObjectsInfo(const QList<QModelIndex>& indexes)
{
    m_indexes = indexes;
    m_textBrowser->clear();
    QTextCursor cursor(m_textBrowser->document());
    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    tableFormat.setCellSpacing(0);
    tableFormat.setCellPadding(0);
    QTextTable* table = cursor.insertTable(3, 2, tableFormat);
    QTextCharFormat small;
    small.setFontPointSize(10);
    table->cellAt(0, 0).firstCursorPosition().insertText(tr("Выбрано объектов:"), small);
    table->cellAt(0, 1).firstCursorPosition().insertText(QString::number(indexes.size()), small);
}

void AttachWorkerInfoWidget::clear()
{
    m_indexes.clear();
    m_textBrowser->clear();
}
