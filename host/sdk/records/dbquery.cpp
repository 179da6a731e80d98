#include "dbquery.h"

#include "streamhelpers.h"

void DbQuery::bindValue(const QString& name, const QVariant& value, int mode)
{
    for (Binding& binding : m_bindings) {
        if (binding.name == name) {
            binding.value = value;
            binding.mode = mode;
            return;
        }
    }
    m_bindings.append({name, value, mode});
}

QVariant DbQuery::boundValue(const QString& name) const
{
    for (const Binding& binding : m_bindings) {
        if (binding.name == name)
            return binding.value;
    }
    return QVariant();
}

static QDataStream& operator<<(QDataStream& stream, const DbQuery::Binding& binding)
{
    return stream << binding.name << binding.value << qint32(binding.mode);
}

static QDataStream& operator>>(QDataStream& stream, DbQuery::Binding& binding)
{
    DbQuery::Binding read;
    orvanta::readFields(stream, read.name, read.value, read.mode);
    return orvanta::assignIfComplete(stream, binding, read);
}

QDataStream& operator<<(QDataStream& stream, const DbQuery& query)
{
    return stream << query.m_sql << query.m_bindings;
}

QDataStream& operator>>(QDataStream& stream, DbQuery& query)
{
    DbQuery read;
    orvanta::readFields(stream, read.m_sql, read.m_bindings);
    return orvanta::assignIfComplete(stream, query, read);
}
