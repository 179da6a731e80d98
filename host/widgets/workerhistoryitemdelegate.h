#pragma once

#include "ovwidgets_export.h"

#include <QStyledItemDelegate>

/// Draws an organisation item as its name with the type icon; dismissed employees greyed.
///
/// Works over the bare store model too: an item showing its id gets the object's name.
class OVWIDGETS_EXPORT WorkerHistoryItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit WorkerHistoryItemDelegate(QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
