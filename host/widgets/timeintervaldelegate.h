#pragma once

#include "ovwidgets_export.h"

#include <QStyledItemDelegate>

/// Shows and edits an int number of seconds (a time of day or a duration) as "hh:mm".
class OVWIDGETS_EXPORT TimeIntervalDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TimeIntervalDelegate(QObject* parent = nullptr);

    /// "hh:mm"; hours are not wrapped at a day, so a 25-hour duration reads "25:00".
    static QString secondsToText(int seconds);

    QString displayText(const QVariant& value, const QLocale& locale) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    static int secondsOf(const QModelIndex& index);
};
