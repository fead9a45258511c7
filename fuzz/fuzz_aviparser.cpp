// The AVI track parser on arbitrary bytes, in normal and in first-record mode.
#include "recording/AviParsers.h"

#include <zent/platform/Text.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const std::string& InputPath()
{
    static const std::string path = "/tmp/torvix_fuzz_aviparser_" + std::to_string(::getpid()) + ".avi";
    return path;
}

bool WriteInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

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
    if (!WriteInput(data, size)) return 0;
    const std::wstring path = zent::Utf8ToWide(InputPath());
    for (int firstRecordOnly : {0, 1}) {
        CAviSimpleParser parser(firstRecordOnly);
        parser.Parse(path);
        Check(parser);
        parser.Reset();
        if (parser.m_nGpsCount != 0 || parser.m_pSensorBytes) __builtin_trap();
    }
    CAviUserDataParser userData(0);
    if (userData.Parse(path) != -1 || userData.m_nGpsCount != 0) __builtin_trap();
    std::remove(InputPath().c_str());
    return 0;
}
