#include "userstore.h"

#include "idallocator.h"
#include "passwordhasher.h"
#include "sql.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace orvanta;

namespace {

const QString AccountColumns =
    QStringLiteral("id, login, full_name, roles, work_time_restriction, absence_restriction");

QString restrictionText(const _ROLE_DATE_RESTRICTIONS& restriction)
{
    const QJsonObject json{{QStringLiteral("mode"), restriction.mode},
                           {QStringLiteral("daysBack"), restriction.daysBack},
                           {QStringLiteral("daysForward"), restriction.daysForward},
                           {QStringLiteral("from"), restriction.from.toString(Qt::ISODate)},
                           {QStringLiteral("to"), restriction.to.toString(Qt::ISODate)}};
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

_ROLE_DATE_RESTRICTIONS restrictionFromText(const QString& text)
{
    const QJsonObject json = QJsonDocument::fromJson(text.toUtf8()).object();
    _ROLE_DATE_RESTRICTIONS restriction;
    restriction.mode = json.value(QStringLiteral("mode")).toInt();
    restriction.daysBack = json.value(QStringLiteral("daysBack")).toInt(-1);
    restriction.daysForward = json.value(QStringLiteral("daysForward")).toInt(-1);
    restriction.from = QDate::fromString(json.value(QStringLiteral("from")).toString(), Qt::ISODate);
    restriction.to = QDate::fromString(json.value(QStringLiteral("to")).toString(), Qt::ISODate);
    return restriction;
}

// Reads the columns of AccountColumns from the current row.
UserAccount accountFromRow(const QSqlQuery& query)
{
    UserAccount user;
    user.id = TYPE_ID(query.value(0).toLongLong());
    user.login = query.value(1).toString();
    user.fullName = query.value(2).toString();
    user.roles = query.value(3).toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    user.workTimePlanning = restrictionFromText(query.value(4).toString());
    user.absenceReasons = restrictionFromText(query.value(5).toString());
    return user;
}

} // namespace

UserStore::UserStore(const QSqlDatabase& db) : m_db(db) {}

bool UserStore::insert(const UserAccount& user, const QString& password, QString* error)
{
    qint64 id = user.id;
    if (id == 0 && (id = IdAllocator(m_db).next(QStringLiteral("users"), error)) == 0)
        return false;
    const QString salt = PasswordHasher::newSalt();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("INSERT INTO users (id, login, full_name, salt, password_hash, iterations, roles, "
                                     "work_time_restriction, absence_restriction) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      error))
        return false;
    query.addBindValue(id);
    query.addBindValue(user.login);
    query.addBindValue(user.fullName);
    query.addBindValue(salt);
    query.addBindValue(PasswordHasher::hash(password, salt));
    query.addBindValue(PasswordHasher::DefaultIterations);
    query.addBindValue(user.roles.join(QLatin1Char('\n')));
    query.addBindValue(restrictionText(user.workTimePlanning));
    query.addBindValue(restrictionText(user.absenceReasons));
    return Sql::exec(query, error);
}

bool UserStore::authenticate(const QString& login, const QString& password, UserAccount* out, QString* error)
{
    *out = UserAccount();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("SELECT %1, salt, password_hash, iterations FROM users WHERE login = ?")
                          .arg(AccountColumns),
                      error))
        return false;
    query.addBindValue(login);
    if (!Sql::exec(query, error))
        return false;
    if (query.next()
        && PasswordHasher::verify(password, query.value(6).toString(), query.value(8).toInt(),
                                  query.value(7).toString()))
        *out = accountFromRow(query);
    return true;
}

bool UserStore::find(TYPE_ID id, UserAccount* out, QString* error)
{
    *out = UserAccount();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("SELECT %1 FROM users WHERE id = ?").arg(AccountColumns), error))
        return false;
    query.addBindValue(qint64(id));
    if (!Sql::exec(query, error))
        return false;
    if (query.next())
        *out = accountFromRow(query);
    return true;
}
