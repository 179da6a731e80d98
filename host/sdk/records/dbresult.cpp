#include "dbresult.h"

#include "streamhelpers.h"

bool DbResult::appendRow(const QVariantList& values)
{
    if (values.size() != m_columns.size())
        return false;
    m_rows.append(values);
    return true;
}

QVariant DbResult::value(int row, const QString& column) const
{
    const int index = columnIndex(column);
    if (index < 0 || row < 0 || row >= m_rows.size())
        return QVariant();
    return m_rows.at(row).value(index);
}

QDataStream& operator<<(QDataStream& stream, const DbResult& result)
{
    return stream << result.m_columns << result.m_rows;
}

QDataStream& operator>>(QDataStream& stream, DbResult& result)
{
    DbResult read;
    orvanta::readFields(stream, read.m_columns, read.m_rows);
    // Rows that do not fit the columns are corrupt data, not a result.
    for (const QVariantList& row : qAsConst(read.m_rows)) {
        if (row.size() != read.m_columns.size()) {
            stream.setStatus(QDataStream::ReadCorruptData);
            break;
        }
    }
    return orvanta::assignIfComplete(stream, result, read);
}
