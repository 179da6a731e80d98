#include "demorandom.h"

quint64 DemoRandom::next()
{
    // splitmix64: every seed, including 0, gives a well-mixed sequence.
    m_state += 0x9E3779B97F4A7C15ull;
    quint64 z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int DemoRandom::between(int low, int high)
{
    if (high <= low)
        return low;
    const quint64 span = quint64(qint64(high) - qint64(low)) + 1;
    // Rejection keeps the distribution uniform where the modulo would favour small values.
    const quint64 limit = ~quint64(0) - (~quint64(0) % span);
    quint64 value = next();
    while (value >= limit)
        value = next();
    return int(qint64(low) + qint64(value % span));
}
