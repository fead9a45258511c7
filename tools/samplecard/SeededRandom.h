#pragma once

// The one source of variation of a sample card. Its sequence depends on the seed alone (no
// library distribution is used, since their algorithms differ between standard libraries), so a
// seed gives the same card on every machine.

#include <cstdint>

namespace samplecard {

class CSeededRandom {
public:
    explicit CSeededRandom(std::uint64_t seed) : m_nState(seed) {}

    // splitmix64: small, fast, and good enough for a synthetic drive.
    std::uint64_t NextU64()
    {
        std::uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // An integer in [lo, hi], both included.
    int UniformInt(int lo, int hi)
    {
        if (hi <= lo) return lo;
        const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
        return static_cast<int>(lo + static_cast<std::int64_t>(NextU64() % span));
    }

    // A real number in [lo, hi), from the top 53 bits.
    double UniformReal(double lo, double hi)
    {
        const double unit = static_cast<double>(NextU64() >> 11) * (1.0 / 9007199254740992.0);
        return lo + (hi - lo) * unit;
    }

private:
    std::uint64_t m_nState;
};

} // namespace samplecard
