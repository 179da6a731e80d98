#pragma once

#include <QByteArray>
#include <QString>

/// Salted, iterated SHA-256 password hashes: what the users table keeps instead of passwords.
class PasswordHasher
{
public:
    PasswordHasher() = delete;

    static constexpr int DefaultIterations = 10000;

    /// A new random salt, as hex text.
    static QString newSalt();
    /// Hex SHA-256 over salt + password, fed back with the salt iterations times.
    static QString hash(const QString& password, const QString& salt, int iterations = DefaultIterations);
    /// Compares in time independent of where the hashes differ.
    static bool verify(const QString& password, const QString& salt, int iterations, const QString& expectedHash);
};
