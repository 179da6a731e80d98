#pragma once

#include "ovsdk_export.h"

#include <QList>
#include <QMetaType>
#include <QStringList>
#include <QVariant>

class QDataStream;

/// The rows one statement of the server's asynchronous SQL returned.
class OVSDK_EXPORT DbResult
{
public:
    DbResult() = default;
    explicit DbResult(const QStringList& columns) : m_columns(columns) {}

    QStringList columns() const { return m_columns; }
    int columnIndex(const QString& column) const { return m_columns.indexOf(column); }
    int rowCount() const { return m_rows.size(); }
    /// Appends a row; a row with a wrong number of values is refused.
    bool appendRow(const QVariantList& values);
    QVariantList row(int row) const { return m_rows.value(row); }
    /// The value in row under column, or an invalid QVariant when either is missing.
    QVariant value(int row, const QString& column) const;

    bool operator==(const DbResult& other) const { return m_columns == other.m_columns && m_rows == other.m_rows; }

    friend OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const DbResult& result);
    friend OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, DbResult& result);

private:
    QStringList m_columns;
    QList<QVariantList> m_rows;
};

Q_DECLARE_METATYPE(DbResult)
