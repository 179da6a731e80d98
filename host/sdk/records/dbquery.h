#pragma once

#include "ovsdk_export.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

class QDataStream;

/// An SQL statement with named values bound as parameters, for the server's asynchronous SQL.
class OVSDK_EXPORT DbQuery
{
public:
    enum BindMode { In = 1, Out = 2, InOut = 3 };

    struct Binding
    {
        QString name;
        QVariant value;
        int mode = In;
        bool operator==(const Binding& other) const
        {
            return name == other.name && value == other.value && mode == other.mode;
        }
    };

    DbQuery() = default;
    explicit DbQuery(const QString& sql) : m_sql(sql) {}

    QString sql() const { return m_sql; }
    void setSql(const QString& sql) { m_sql = sql; }
    /// Binds value to name; binding the same name again replaces the value.
    void bindValue(const QString& name, const QVariant& value, int mode = In);
    QVariant boundValue(const QString& name) const;
    QList<Binding> bindings() const { return m_bindings; }

    bool operator==(const DbQuery& other) const { return m_sql == other.m_sql && m_bindings == other.m_bindings; }

    friend OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const DbQuery& query);
    friend OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, DbQuery& query);

private:
    QString m_sql;
    QList<Binding> m_bindings;
};

Q_DECLARE_METATYPE(DbQuery)
