#pragma once

#include "objecttreeproxy.h"

#include <QDate>

/// Organisation tree for choosing departments or employees; dismissed employees hidden by default.
///
/// An employee is dismissed when his employment ended before the reference date (today
/// unless set).
class OVWIDGETS_EXPORT WorkerHistoryProxyModel : public ObjectTreeProxy
{
    Q_OBJECT

public:
    enum ModelType {
        /// Subject root, firms and departments.
        Departments = 0,
        /// The same plus employees.
        Employees = 1,
    };
    Q_ENUM(ModelType)

    enum Role {
        /// Whether the row is a dismissed employee (bool).
        DismissedRole = Qt::UserRole + 16,
    };

    explicit WorkerHistoryProxyModel(QObject* parent = nullptr);

    /// Object types shown by a model type; an unknown type shows departments.
    static QStringList objectTypes(int modelType);

    void setModelType(int modelType);
    int modelType() const { return m_modelType; }

    void setShowDismissed(bool show);
    bool showDismissed() const { return m_showDismissed; }

    /// The day employment must reach to count as current; invalid means today.
    void setReferenceDate(const QDate& date);
    QDate referenceDate() const;

    bool isDismissed(orvanta::TYPE_ID uid) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool acceptsItem(const QModelIndex& sourceIndex) const override;

private:
    bool isDismissedObject(const orvanta::ObjectInfo& object) const;

    int m_modelType = Departments;
    bool m_showDismissed = false;
    QDate m_referenceDate;
};
