#pragma once

#include <QList>
#include <QModelIndex>
#include <QWidget>

class QTextBrowser;

/// The property panel of the trip register: the employee's photo and name, the dates and the
/// host department of the selected trip; for several trips, their number.
class AttachWorkerInfoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit AttachWorkerInfoWidget(QWidget* parent = nullptr);

    void showObjectInfo(const QModelIndex& index);
    void showMultiObjectsInfo(const QList<QModelIndex>& indexes);
    void clear();
    QList<QModelIndex> indexes() const { return m_indexes; }
    QTextBrowser* textBrowser() const { return m_textBrowser; }

private:
    QTextBrowser* m_textBrowser;
    QList<QModelIndex> m_indexes;
};
