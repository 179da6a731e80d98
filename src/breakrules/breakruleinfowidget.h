#pragma once

#include "objectinfo.h"

#include <QModelIndex>
#include <QPointer>
#include <QWidget>

class ObjectTreeProxy;
class QTextBrowser;
class QTextFrame;
class QTreeView;

/// The property panel of the break-rule register: the selected rule's fields and, laid over the
/// document, the departments or employees it applies to; for several rules, their number.
class BreakRuleInfoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit BreakRuleInfoWidget(QWidget* parent = nullptr);

    void showObjectInfo(const QModelIndex& index);
    void showMultiObjectsInfo(const QList<QModelIndex>& indexes);
    void clear();
    void showTreeView(const orvanta::ObjectInfo& object);
    void hideTreeView();
    QList<QModelIndex> indexes() const { return m_indexes; }
    QTextBrowser* textBrowser() const { return m_textBrowser; }
    QTreeView* treeView() const { return m_treeView; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createTreeView();
    void placeTreeView();

    QTextBrowser* m_textBrowser = nullptr;
    QTreeView* m_treeView = nullptr;
    ObjectTreeProxy* m_treeProxy = nullptr;
    QPointer<QTextFrame> m_treeFrame;
    QList<QModelIndex> m_indexes;
};
