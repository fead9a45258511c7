// The RIFF/AVI reader on arbitrary bytes: open them as an AVI and read every sample of every stream.
#include "fuzz/FuzzInputFile.h"
#include "recording/AviFile.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const CFuzzInputFile g_input("avifile.avi");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_input.Write(data, size)) return 0;
    CAviFile avi;
    if (avi.OpenUtf8(g_input.Path())) {
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
    std::remove(g_input.Path().c_str());
    return 0;
}
