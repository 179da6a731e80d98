#pragma once

#include "ovserver_export.h"
#include "sqldialect.h"

#include "dbquery.h"

#include <QString>
#include <QVariant>

/// The statements clients may run through the asynchronous SQL. A query is recognised by its
/// text with runs of white space made one blank; each engine gets its own statement for it,
/// and the client's values are checked and bound, never written into the text.
class OVSERVER_EXPORT AsyncSqlCatalogue
{
public:
    AsyncSqlCatalogue() = delete;

    /// The engine's statement and its values in the order of its placeholders.
    struct Statement
    {
        QString sql;
        QVariantList values;
    };

    /// The planning balance the client asks for, per worker, with :start, :finish and :workers
    /// ("{12,15,40}", or null for no workers, which gives no rows).
    static QString planningBalanceText();

    static QString normalised(const QString& sql);
    /// False with a Russian message in *error when the text is not catalogued or a value is wrong.
    static bool resolve(const DbQuery& query, SqlDialect dialect, Statement* out, QString* error);
};
