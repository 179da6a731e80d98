#pragma once

#include "orvantatypes.h"
#include "ovwidgets_export.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class ObjectTreeProxy;
class QAbstractItemDelegate;
class QCheckBox;
class QTreeView;
class SearchWidget;

/// Searchable, checkable organisation tree with switches for dismissed employees and
/// for showing only the checked items.
///
/// Space toggles the current item's check; typing in the tree goes to the search field.
class OVWIDGETS_EXPORT WorkerHistoryPanelWidget : public QWidget
{
    Q_OBJECT

public:
    explicit WorkerHistoryPanelWidget(QWidget* parent = nullptr);

    /// The panel does not own the proxy; the switches apply to it at once.
    void setModel(ObjectTreeProxy* model);
    ObjectTreeProxy* model() const;
    QTreeView* treeView() const { return m_treeView; }
    SearchWidget* searchWidget() const { return m_searchWidget; }
    void setItemDelegate(QAbstractItemDelegate* delegate);

    void setShowDismissedVisible(bool visible);
    bool isShowDismissedVisible() const;
    /// Effective with a WorkerHistoryProxyModel only.
    void setShowDismissed(bool show);
    bool showDismissed() const;

    void setShowAllVisible(bool visible);
    bool isShowAllVisible() const;
    /// Off shows only the checked items (and the branches leading to them).
    void setShowAll(bool show);
    bool showAll() const;

    QList<orvanta::TYPE_ID> checked() const;
    void setChecked(const QList<orvanta::TYPE_ID>& uids);
    /// Names of the checked departments, in tree order.
    QStringList departments() const;

public slots:
    /// Filters the tree by the search field's text.
    void startSearch();

signals:
    /// The checked set changed: once per user action.
    void checkedChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applySwitches();
    bool toggleCurrentCheck();
    bool forwardToSearch(const QString& text);

    SearchWidget* m_searchWidget = nullptr;
    QCheckBox* m_showDismissedBox = nullptr;
    QCheckBox* m_showAllBox = nullptr;
    QTreeView* m_treeView = nullptr;
    QPointer<ObjectTreeProxy> m_model;
    QMetaObject::Connection m_checkedConnection;
};
