#pragma once

#include <QtGlobal>

/// A small pseudo-random generator whose sequence is the same on every platform and library
/// version, so a seed always yields the same demo data.
class DemoRandom
{
public:
    explicit DemoRandom(quint64 seed) : m_state(seed) {}

    quint64 next();
    /// A uniform integer in [low, high]; low when the range is empty.
    int between(int low, int high);
    /// True with the given percentage.
    bool chance(int percent) { return between(0, 99) < percent; }
    /// A uniform index into a container of size elements (size > 0).
    int index(int size) { return between(0, size - 1); }

private:
    quint64 m_state;
};
