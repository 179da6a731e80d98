#pragma once

#include <QHash>

/// QHash that can hand out a reference to a default value for a missing key.
template<typename Key, typename T>
class OVHash : public QHash<Key, T>
{
public:
    using QHash<Key, T>::QHash;
    OVHash() = default;
    OVHash(const QHash<Key, T>& other) : QHash<Key, T>(other) {}

    /// The value of key, or a default-constructed value when the key is missing.
    const T& constValue(const Key& key) const
    {
        const auto it = this->constFind(key);
        if (it != this->constEnd())
            return it.value();
        static const T defaultValue{};
        return defaultValue;
    }
};
