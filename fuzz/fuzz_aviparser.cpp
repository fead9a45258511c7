// The AVI track parser on arbitrary bytes, in normal and in first-record mode.
#include "fuzz/FuzzInputFile.h"
#include "recording/AviParsers.h"

#include <zent/platform/Text.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const CFuzzInputFile g_input("aviparser.avi");

void Check(const ISimpleParser& p)
{
    // The storage must agree with its counts, whatever the file said.
    if (p.m_nGpsCount < 0 || static_cast<std::size_t>(p.m_nGpsCount) != p.m_vecGpsRecords.size() ||
        p.m_nSensorByteLength != 12 * p.m_nSensorCount || (p.m_nSensorByteLength > 0) != (p.m_pSensorBytes != nullptr))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_input.Write(data, size)) return 0;
    const std::wstring path = zent::Utf8ToWide(g_input.Path());
    for (int firstRecordOnly : {0, 1}) {
        CAviSimpleParser parser(firstRecordOnly);
        parser.Parse(path);
        Check(parser);
        parser.Reset();
        if (parser.m_nGpsCount != 0 || parser.m_pSensorBytes) __builtin_trap();
    }
    CAviUserDataParser userData(0);
    if (userData.Parse(path) != -1 || userData.m_nGpsCount != 0) __builtin_trap();
    std::remove(g_input.Path().c_str());
    return 0;
}
