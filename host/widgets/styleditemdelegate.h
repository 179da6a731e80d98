#pragma once

#include "ovwidgets_export.h"

#include <QStyledItemDelegate>

/// Draws a server object given by its id in column 0 with its name and its type's theme icon.
///
/// Values that are not numbers (names already) and ids the local store does not know
/// are drawn as they are.
class OVWIDGETS_EXPORT StyledItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit StyledItemDelegate(QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
