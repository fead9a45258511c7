#pragma once

// Adds the camera's track stream to an AVI that the ffmpeg program wrote, the way the older
// cameras store it: one extra stream with one small sample per track step.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace samplecard {

struct AviTrackStream {
    char fccType[4];                                // "txts" or "dats"
    std::vector<std::vector<std::uint8_t>> samples; // one per track step, in order
    std::uint32_t scale = 1, rate = 1;              // samples per second = rate / scale
};

// Rewrites the AVI at source (as the ffmpeg program writes it, with video and usually audio) into target,
// adding one extra stream that carries the given samples, interleaved in time with the other chunks, as a
// plain AVI 1.0 file with an 'idx1' index. The result must stay valid for stock tools:
// `ffmpeg -v error -i target -f null -` prints nothing, and the video and audio still decode.
// On failure returns false with a reason in error and leaves no target behind.
bool AddTrackStreamToAvi(const std::filesystem::path& source, const std::filesystem::path& target,
                         const AviTrackStream& track, std::string& error);

} // namespace samplecard
