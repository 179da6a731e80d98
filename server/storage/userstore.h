#pragma once

#include "useraccount.h"

#include <QSqlDatabase>

/// The users table: accounts with salted password hashes, roles and date restrictions.
class UserStore
{
public:
    explicit UserStore(const QSqlDatabase& db);

    /// Stores user with password hashed; a user id of 0 gets a new id.
    bool insert(const UserAccount& user, const QString& password, QString* error);
    /// The account of login when password matches; an invalid account otherwise.
    bool authenticate(const QString& login, const QString& password, UserAccount* out, QString* error);
    /// The account id; an invalid one when there is none.
    bool find(orvanta::TYPE_ID id, UserAccount* out, QString* error);

private:
    QSqlDatabase m_db;
};
