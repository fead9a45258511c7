// libFuzzer harness of the "gps " index parser: the input is a whole recording. It is parsed in
// normal and in first-record mode, and every record the parser reports is read back, so that a
// count that disagrees with its array shows up under AddressSanitizer. The parser writes its
// diagnostics to standard error; run with -close_fd_mask=2 to keep the log short.
#include "fuzz/FuzzInputFile.h"
#include "recording/NovatekParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const CFuzzInputFile g_input("novatek.mp4");

void Touch(const NovatekParser& p)
{
    if (p.m_nGpsCount < 0 || static_cast<std::size_t>(p.m_nGpsCount) != p.m_vecGpsRecords.size()) std::abort();
    if (p.m_nSensorCount < 0 || static_cast<std::size_t>(p.m_nSensorCount) != p.m_vecSensorFloats.size()) std::abort();
    if (p.m_nSensorByteLength != p.m_nSensorCount || p.m_pSensorBytes) std::abort();
    volatile double sink = 0;
    for (int i = 0; i < p.m_nGpsCount; ++i) {
        const GpsFix& f = p.m_vecGpsRecords[static_cast<std::size_t>(i)];
        sink = sink + f.latitude + f.longitude + f.speedKmh + f.course + f.utcTime[0] + f.status[0] + f.latHemisphere[0];
    }
    for (int i = 0; i < p.m_nSensorCount; ++i) {
        const SensorSample& s = p.m_vecSensorFloats[static_cast<std::size_t>(i)];
        sink = sink + s.x + s.y + s.z;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_input.Write(data, size)) return 0;
    const std::wstring path(g_input.Path().begin(), g_input.Path().end());
    // Kept across inputs, as the track holder keeps its parsers across recordings.
    static NovatekParser s_normal(0);
    static NovatekParser s_first(1);
    for (NovatekParser* p : {&s_normal, &s_first}) {
        const int r = p->Parse(path);
        if (r != 0 && r != -1) std::abort();
        Touch(*p);
    }
    return 0;
}
