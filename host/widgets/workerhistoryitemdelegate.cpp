#include "workerhistoryitemdelegate.h"

#include "localstorage.h"
#include "objecttreeproxy.h"
#include "ovglobals.h"
#include "vocabulary.h"
#include "workerhistoryproxymodel.h"

#include <QColor>
#include <QIcon>

namespace {

// Room for the check box and a 16 px icon with some air, whatever the font.
constexpr int MinimumRowHeight = 22;

} // namespace

WorkerHistoryItemDelegate::WorkerHistoryItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

QSize WorkerHistoryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(qMax(size.height(), MinimumRowHeight));
    return size;
}

void WorkerHistoryItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() != 0)
        return;

    const QVariant id = index.data(ObjectTreeProxy::IdRole);
    // The store's own model shows the id itself (locale-formatted in option->text).
    if (id.isValid() && index.data(Qt::DisplayRole) == id) {
        const QString name = OVGlobals::objectName(orvanta::LocalStorage::instance()->constObject(id.toUInt()));
        if (!name.isEmpty())
            option->text = name;
    }
    if (option->icon.isNull()) {
        const QString type = index.data(ObjectTreeProxy::TypeRole).toString();
        if (!type.isEmpty()) {
            option->icon = QIcon::fromTheme(QStringLiteral("object-") + type);
            option->features |= QStyleOptionViewItem::HasDecoration;
        }
    }
    if (index.data(WorkerHistoryProxyModel::DismissedRole).toBool())
        option->palette.setColor(QPalette::Text, QColor(QLatin1String(orvanta::wt::color::DISABLED_TEXT)));
}
