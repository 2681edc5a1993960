#pragma once
// A small deterministic generator (splitmix64): the same seed gives the same logger and
// the same percentage faults on every machine and every standard library.
#include <QtGlobal>

namespace quentry::emulator {

class TRandom
{
public:
    explicit TRandom(quint64 seed = 1) : FState(seed) {}

    quint64 next()
    {
        quint64 z = (FState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [lo, hi].
    int between(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }
    bool chance(double p) { return unit() < p; }

private:
    quint64 FState;
};

} // namespace quentry::emulator
