#include "styleditemdelegate.h"

#include "localstorage.h"
#include "ovglobals.h"

#include <QIcon>

StyledItemDelegate::StyledItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void StyledItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() != 0)
        return;
    const QVariant value = index.data(Qt::DisplayRole);
    const int type = int(value.type());
    if (type != QMetaType::UInt && type != QMetaType::Int && type != QMetaType::LongLong
        && type != QMetaType::ULongLong)
        return;
    const orvanta::ObjectInfo object = orvanta::LocalStorage::instance()->constObject(value.toUInt());
    if (!object.isValid()) {
        // An id is a name, not a quantity: no digit grouping.
        option->text = QString::number(value.toUInt());
        return;
    }
    option->text = OVGlobals::objectName(object);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("object-") + object.type);
    if (!icon.isNull()) {
        option->icon = icon;
        option->features |= QStyleOptionViewItem::HasDecoration;
    }
}
