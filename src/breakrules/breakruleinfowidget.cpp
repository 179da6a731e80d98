#include "breakruleinfowidget.h"

#include "breakruleitemmodel.h"
#include "localstorage.h"
#include "objecttreeproxy.h"
#include "ovglobals.h"
#include "propertypanelhelper.h"
#include "styleditemdelegate.h"
#include "timeintervaldelegate.h"
#include "vocabulary.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTextTable>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kTreeFrameHeight = 320;

QString hmm(const QString& seconds)
{
    return WorkTimeUtils::secondsToTime(seconds.toInt()).toString(QStringLiteral("h:mm"));
}

} // namespace

BreakRuleInfoWidget::BreakRuleInfoWidget(QWidget* parent) : QWidget(parent), m_textBrowser(new QTextBrowser(this))
{
    m_textBrowser->setObjectName(QStringLiteral("textBrowser"));
    m_textBrowser->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textBrowser);
    createTreeView();
}

void BreakRuleInfoWidget::createTreeView()
{
    m_treeProxy = new ObjectTreeProxy(this);
    m_treeProxy->setSourceModel(orvanta::LocalStorage::instance()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)));
    m_treeProxy->setReadOnly(true);
    m_treeView = new QTreeView(m_textBrowser->viewport());
    m_treeView->setObjectName(QStringLiteral("targetTree"));
    m_treeView->setFrameShape(QFrame::NoFrame);
    m_treeView->setItemDelegate(new StyledItemDelegate(m_treeView));
    m_treeView->setModel(m_treeProxy);
    m_treeView->header()->hide();
    m_treeView->header()->setSectionResizeMode(QHeaderView::Stretch);
    for (int column = 1; column < m_treeProxy->columnCount(); ++column)
        m_treeView->hideColumn(column);
    m_treeView->hide();
    // The tree sits on the document's frame: it moves when the text scrolls or reflows.
    m_textBrowser->viewport()->installEventFilter(this);
    connect(m_textBrowser->verticalScrollBar(), &QScrollBar::valueChanged, this, &BreakRuleInfoWidget::placeTreeView);
}

void BreakRuleInfoWidget::showObjectInfo(const QModelIndex& index)
{
    hideTreeView();
    m_indexes = {index};
    const auto id = index.data(BreakRuleItemModel::UidRole).toUInt();
    const orvanta::ObjectInfo object =
        orvanta::LocalStorage::instance()->constObject(id, QLatin1String(orvanta::BREAK_RULE_DATANAME));
    if (!object.isValid()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "break rule not exists" << id;
        m_textBrowser->clear();
        return;
    }
    const auto property = [&object](const char* key) { return object.property(QLatin1String(key)); };
    const QDate date = QDate::fromString(property(db::break_rule::DATE), Qt::ISODate);

    m_textBrowser->clear();
    QTextCursor cursor(m_textBrowser->document());
    PropertyPanelHelper::insertHeader(cursor, QLatin1String(db::wt::BREAK_RULE), OVGlobals::objectName(object));
    PropertyPanelHelper::insertField(cursor, tr("Действует с"), QLocale().toString(date, QLocale::ShortFormat));
    PropertyPanelHelper::insertField(cursor, tr("Продолжительность смены"),
                                     QStringLiteral("%1-%2").arg(hmm(property(db::break_rule::TIME_FROM)),
                                                                 hmm(property(db::break_rule::TIME_TO))));
    PropertyPanelHelper::insertField(cursor, tr("Продолжительность перерыва"),
                                     hmm(property(db::break_rule::BREAK_TIME)));
    cursor.insertBlock();
    cursor.insertText(tr("Объекты"), PropertyPanelHelper::nameFormat());
    QTextFrameFormat frameFormat;
    frameFormat.setHeight(kTreeFrameHeight);
    frameFormat.setBorder(0);
    m_treeFrame = cursor.insertFrame(frameFormat);
    showTreeView(object);
}

void BreakRuleInfoWidget::showMultiObjectsInfo(const QList<QModelIndex>& indexes)
{
    hideTreeView();
    m_indexes = indexes;
    m_textBrowser->clear();
    QTextCursor cursor(m_textBrowser->document());
    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    QTextTable* table = cursor.insertTable(1, 2, tableFormat);
    QTextCharFormat label;
    label.setFontPointSize(11);
    label.setForeground(PropertyPanelHelper::titleColor());
    table->cellAt(0, 0).firstCursorPosition().insertText(tr("Выбрано объектов:"), label);
    QTextCharFormat count;
    count.setFontPointSize(10);
    table->cellAt(0, 1).firstCursorPosition().insertText(QString::number(indexes.size()), count);
}

void BreakRuleInfoWidget::clear()
{
    hideTreeView();
    m_indexes.clear();
    m_textBrowser->clear();
}

void BreakRuleInfoWidget::showTreeView(const orvanta::ObjectInfo& object)
{
    QList<orvanta::TYPE_ID> targets;
    const auto links = object.children.equal_range(orvanta::INHERIT_BREAK_RULE_OBJECT);
    for (auto link = links.first; link != links.second; ++link)
        targets.append(link->child);
    // An empty id filter would show the whole organisation.
    if (targets.isEmpty())
        return;
    m_treeProxy->setIdFilter(targets);
    m_treeView->expandAll();
    m_treeView->show();
    placeTreeView();
}

void BreakRuleInfoWidget::hideTreeView()
{
    m_treeView->hide();
    m_treeFrame = nullptr;
}

bool BreakRuleInfoWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_textBrowser->viewport() && event->type() == QEvent::Resize)
        placeTreeView();
    return QWidget::eventFilter(watched, event);
}

void BreakRuleInfoWidget::placeTreeView()
{
    if (!m_treeFrame || m_treeView->isHidden())
        return;
    QRectF frame = m_textBrowser->document()->documentLayout()->frameBoundingRect(m_treeFrame);
    frame.translate(-m_textBrowser->horizontalScrollBar()->value(), -m_textBrowser->verticalScrollBar()->value());
    m_treeView->setGeometry(frame.toRect());
}
