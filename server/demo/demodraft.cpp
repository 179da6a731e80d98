#include "demodraft.h"

#include "demoids.h"
#include "vocabulary.h"

#include <QTime>

using namespace orvanta;

DemoDraft::DemoDraft(const QDate& today, quint32 seed)
    : random(seed),
      monthStart(today.year(), today.month(), 1),
      monthEnd(monthStart.addMonths(1).addDays(-1)),
      yearStart(today.year(), 1, 1),
      yearEnd(today.year(), 12, 31)
{
}

void DemoDraft::addObject(const char* dataname, const ObjectInfo& object)
{
    QList<ObjectInfo>& table = org.objects[key(dataname)];
    m_location.insert(object.uid, qMakePair(key(dataname), table.size()));
    table.append(object);
}

ObjectInfo& DemoDraft::object(TYPE_ID uid)
{
    const QPair<QString, int> place = m_location.value(uid);
    return org.objects[place.first][place.second];
}

// The store keeps a link three times: in the link table and in the maps of both ends.
void DemoDraft::link(TYPE_ID parent, TYPE_ID child, TYPE_ID refType, const QDate& start, const QDate& finish)
{
    _INHERIT_DATA inherit;
    inherit.parent = parent;
    inherit.child = child;
    inherit.refType = int(refType);
    inherit.start = midnight(start);
    inherit.finish = midnight(finish);
    org.links.append(inherit);
    object(parent).children.insert(refType, inherit);
    object(child).parents.insert(refType, inherit);
}

QDateTime DemoDraft::midnight(const QDate& date)
{
    if (!date.isValid())
        return QDateTime();
    const auto found = m_midnights.constFind(date);
    if (found != m_midnights.cend())
        return found.value();
    return m_midnights.insert(date, date.startOfDay()).value();
}

QDate DemoDraft::dayOfMonth(int low, int high)
{
    return monthStart.addDays(random.between(low, high));
}

QList<TYPE_ID> DemoDraft::chain(const DemoEmployee& employee) const
{
    return QList<TYPE_ID>{employee.uid} + chain(employee.department);
}

QList<TYPE_ID> DemoDraft::chain(int department) const
{
    QList<TYPE_ID> result;
    for (int index = department; index >= 0; index = departments.at(index).parent)
        result.append(departments.at(index).uid);
    result.append(DemoIds::FirmUid);
    return result;
}

QString DemoDraft::key(const char* name)
{
    return QLatin1String(name);
}

QString DemoDraft::isoDate(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QString DemoDraft::flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

int DemoDraft::seconds(int hour, int minute)
{
    return hour * 3600 + minute * 60;
}

QDateTime DemoDraft::at(const QDate& date, int hour, int minute)
{
    return QDateTime(date, QTime(hour, minute));
}

ObjectInfo DemoDraft::makeObject(TYPE_ID uid, const char* type, TYPE_ID parent, const QString& name)
{
    ObjectInfo object;
    object.uid = uid;
    object.type = key(type);
    object.parent = parent;
    if (!name.isEmpty())
        object.properties.insert(key(db::common::NAME), name);
    return object;
}
