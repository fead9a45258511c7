// The RIFF/AVI reader on arbitrary bytes: open them as an AVI and read every sample of every stream.
#include "recording/AviFile.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The reader works on files, so each input goes through one temporary file per process.
const std::string& InputPath()
{
    static const std::string path = "/tmp/torvix_fuzz_avifile_" + std::to_string(::getpid()) + ".avi";
    return path;
}

bool WriteInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!WriteInput(data, size)) return 0;
    CAviFile avi;
    if (avi.OpenUtf8(InputPath())) {
        std::vector<std::uint8_t> buffer(4096);
        for (int s = 0; s < avi.GetStreamCount(); ++s) {
            const AviStreamHeader* info = avi.GetStreamInfo(s);
            if (!info) __builtin_trap();
            (void)avi.FindStream(std::string(info->fccType, 4));
            for (int i = 0; i < avi.GetSampleCount(s); ++i) {
                const AviSampleEntry* entry = avi.GetSampleEntry(s, i);
                const int n = avi.ReadSample(s, i, buffer.data(), buffer.size());
                // Every listed sample lies inside the file and reads whole (up to the buffer).
                if (!entry || n < 0 || static_cast<std::size_t>(n) > buffer.size() ||
                    entry->offset + entry->size > size)
                    __builtin_trap();
            }
            (void)avi.GetStreamChunks(s);
        }
    }
    std::remove(InputPath().c_str());
    return 0;
}
