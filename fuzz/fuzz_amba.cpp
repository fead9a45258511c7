// libFuzzer harness of the null-media track parser: the input is a whole recording. It is parsed
// in normal and in first-record mode, and every record and sensor byte the parser reports is read
// back, so that a count that disagrees with its storage shows up under AddressSanitizer.
#include "fuzz/FuzzInputFile.h"
#include "recording/AmbaParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const CFuzzInputFile g_input("amba.mp4");

void Touch(const AmbaParser& p)
{
    if (p.m_nGpsCount < 0 || static_cast<std::size_t>(p.m_nGpsCount) != p.m_vecGpsRecords.size()) std::abort();
    if (p.m_nSensorCount < 0 || static_cast<std::size_t>(p.m_nSensorCount) != p.m_vecSensorFloats.size()) std::abort();
    if (p.m_nSensorByteLength != 12 * p.m_nSensorCount) std::abort();
    if ((p.m_pSensorBytes != nullptr) != (p.m_nSensorCount > 0)) std::abort();
    volatile double sink = 0;
    for (int i = 0; i < p.m_nGpsCount; ++i) {
        const GpsFix& f = p.m_vecGpsRecords[static_cast<std::size_t>(i)];
        sink = sink + f.latitude + f.longitude + f.speedKmh + f.course + f.status[0] + f.status[1] + f.lonHemisphere[0];
    }
    for (int i = 0; i < p.m_nSensorCount; ++i) {
        const SensorSample& s = p.m_vecSensorFloats[static_cast<std::size_t>(i)];
        sink = sink + s.x + s.y + s.z;
    }
    for (int i = 0; i < p.m_nSensorByteLength; ++i) sink = sink + p.m_pSensorBytes[static_cast<std::size_t>(i)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_input.Write(data, size)) return 0;
    const std::wstring path(g_input.Path().begin(), g_input.Path().end());
    // Kept across inputs, as the track holder keeps its parsers across recordings.
    static AmbaParser s_normal(0);
    static AmbaParser s_first(1);
    for (AmbaParser* p : {&s_normal, &s_first}) {
        p->Parse(path);
        Touch(*p);
    }
    return 0;
}
