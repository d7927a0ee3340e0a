#pragma once

// Seeded junk for the simulator's garbage-input tests.

#include <QByteArray>

#include <random>

namespace Kernwick::Test {

inline QByteArray randomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random());
    return bytes;
}

} // namespace Kernwick::Test
