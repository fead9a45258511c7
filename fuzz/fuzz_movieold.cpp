// libFuzzer harness of the older-layout parser ('GPSR' and 'SENS' boxes): the input is a whole
// recording. It is parsed in normal and in first-record mode, and every record and sensor byte
// the parser reports is read back, so that a count that disagrees with its storage shows up under
// AddressSanitizer.
#include "fuzz/FuzzInputFile.h"
#include "recording/MovieOldParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const CFuzzInputFile g_input("movieold.mp4");

void Touch(const CMovieOldParser& p)
{
    if (p.m_nGpsCount < 0 || static_cast<std::size_t>(p.m_nGpsCount) != p.m_vecGpsRecords.size()) std::abort();
    if (p.m_nSensorCount < 0 || p.m_nSensorByteLength < 0 || !p.m_vecSensorFloats.empty()) std::abort();
    if (p.m_nSensorByteLength > 0 && !p.m_pSensorBytes) std::abort();
    volatile double sink = 0;
    for (int i = 0; i < p.m_nGpsCount; ++i) {
        const GpsFix& f = p.m_vecGpsRecords[static_cast<std::size_t>(i)];
        sink = sink + f.latitude + f.longitude + f.speedKmh + f.course + f.status[0] + f.status[1] + f.latHemisphere[0];
    }
    for (int i = 0; i < p.m_nSensorByteLength; ++i) sink = sink + p.m_pSensorBytes[static_cast<std::size_t>(i)];
    for (const std::uint8_t b : p.GetGpsrContent()) sink = sink + b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_input.Write(data, size)) return 0;
    const std::wstring path(g_input.Path().begin(), g_input.Path().end());
    // Kept across inputs, as the track holder keeps its parsers across recordings.
    static CMovieOldParser s_normal(0);
    static CMovieOldParser s_first(1);
    for (CMovieOldParser* p : {&s_normal, &s_first}) {
        p->Parse(path);
        Touch(*p);
    }
    return 0;
}
