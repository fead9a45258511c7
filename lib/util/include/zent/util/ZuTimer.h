#pragma once

// A stopwatch on the monotonic high-resolution counter. One thread uses an object at a time.

#include <zent/util/Export.h>

#include <cstdint>

class ZENT_UTIL_API CZuTimer {
public:
    // Reads the counter frequency. The stopwatch counts from construction until Start is called,
    // so that a Stop without a Start still measures a real interval.
    CZuTimer();

    void Start();
    // Milliseconds since Start: (stop - start) x 1000 / frequency, or -1 when the frequency is 0.
    double Stop();

private:
    std::int64_t m_llStart = 0;
    std::int64_t m_llStop = 0;
    std::int64_t m_llFrequency = 0;
};
