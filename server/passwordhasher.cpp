#include "passwordhasher.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

QString PasswordHasher::newSalt()
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), salt.size() / 4);
    return QString::fromLatin1(salt.toHex());
}

QString PasswordHasher::hash(const QString& password, const QString& salt, int iterations)
{
    const QByteArray saltBytes = salt.toUtf8();
    QByteArray digest = QCryptographicHash::hash(saltBytes + password.toUtf8(), QCryptographicHash::Sha256);
    for (int i = 1; i < iterations; ++i)
        digest = QCryptographicHash::hash(digest + saltBytes, QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

bool PasswordHasher::verify(const QString& password, const QString& salt, int iterations,
                            const QString& expectedHash)
{
    const QByteArray actual = hash(password, salt, qMax(iterations, 1)).toLatin1();
    const QByteArray expected = expectedHash.toLatin1();
    if (actual.size() != expected.size())
        return false;
    char difference = 0;
    for (int i = 0; i < actual.size(); ++i)
        difference |= char(actual.at(i) ^ expected.at(i));
    return difference == 0;
}
