#include "workerhistoryproxymodel.h"

#include "vocabulary.h"
#include "widgetslogging.h"

#include <QBrush>
#include <QColor>

using orvanta::TYPE_ID;

namespace {

// Last day of employment of an employee object (ISO date); none while employed.
constexpr char EmploymentEnd[] = "PT_DATE_END";

} // namespace

WorkerHistoryProxyModel::WorkerHistoryProxyModel(QObject* parent)
    : ObjectTreeProxy(parent)
{
    setTypeFilter(objectTypes(m_modelType));
}

QStringList WorkerHistoryProxyModel::objectTypes(int modelType)
{
    QStringList types{QString::fromLatin1(db::orgstructure::SUBJECTROOT), QString::fromLatin1(db::orgstructure::FIRM),
                      QString::fromLatin1(db::orgstructure::DEPARTMENT)};
    if (modelType == Employees)
        types.append(QString::fromLatin1(db::orgstructure::WORKER));
    return types;
}

void WorkerHistoryProxyModel::setModelType(int modelType)
{
    if (modelType != Departments && modelType != Employees) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "unknown model type, departments shown" << modelType;
        modelType = Departments;
    }
    m_modelType = modelType;
    setTypeFilter(objectTypes(modelType));
}

void WorkerHistoryProxyModel::setShowDismissed(bool show)
{
    if (show == m_showDismissed)
        return;
    m_showDismissed = show;
    itemFilterChanged();
}

void WorkerHistoryProxyModel::setReferenceDate(const QDate& date)
{
    if (date == m_referenceDate)
        return;
    m_referenceDate = date;
    itemFilterChanged();
}

QDate WorkerHistoryProxyModel::referenceDate() const
{
    return m_referenceDate.isValid() ? m_referenceDate : QDate::currentDate();
}

bool WorkerHistoryProxyModel::isDismissed(TYPE_ID uid) const
{
    return isDismissedObject(object(uid));
}

QVariant WorkerHistoryProxyModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && index.column() == 0) {
        if (role == DismissedRole)
            return isDismissed(uid(index));
        if (role == Qt::ForegroundRole && isDismissed(uid(index)))
            return QBrush(QColor(QLatin1String(orvanta::wt::color::DISABLED_TEXT)));
    }
    return ObjectTreeProxy::data(index, role);
}

bool WorkerHistoryProxyModel::acceptsItem(const QModelIndex& sourceIndex) const
{
    if (!ObjectTreeProxy::acceptsItem(sourceIndex))
        return false;
    return m_showDismissed || sourceType(sourceIndex) != QLatin1String(db::orgstructure::WORKER)
        || !isDismissed(sourceUid(sourceIndex));
}

bool WorkerHistoryProxyModel::isDismissedObject(const orvanta::ObjectInfo& object) const
{
    if (object.type != QLatin1String(db::orgstructure::WORKER))
        return false;
    const QDate end = QDate::fromString(object.property(QLatin1String(EmploymentEnd)), Qt::ISODate);
    return end.isValid() && end < referenceDate();
}
