#pragma once

// Small recordings with an embedded track (RMC sentences and G-sensor samples, one step a second)
// whose video is only a frame count: enough for the track holder, the graph and the dashboard.

#include "tests/TestSupport.h"
#include "tests/recording/Mp4TestBytes.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace dashtest {

// One step of a test recording: NaN speed leaves the field empty; no fix writes a "V" sentence.
struct CStep {
    double speedKmh = 0;
    float x = 0, y = 0, z = 0;
    bool bFix = true;
};

inline std::string RmcOf(const CStep& s, int second)
{
    char time[16], speed[32] = "";
    std::snprintf(time, sizeof time, "0000%02d", second % 60);
    if (!s.bFix) return std::string("$GPRMC,") + time + ",V,,,,,,,010124";
    if (!std::isnan(s.speedKmh)) std::snprintf(speed, sizeof speed, "%.6f", s.speedKmh / 1.852);
    return std::string("$GPRMC,") + time + ",A,3733.9900,N,12658.6800,E," + speed + ",90.0,010124";
}

// The video track counts one frame per step, or claimedFrames when given (a damaged file).
inline void WriteRecording(const std::filesystem::path& path, const std::vector<CStep>& steps,
                           std::uint32_t claimedFrames = 0)
{
    using namespace mp4test;
    std::vector<std::string> sentences;
    std::vector<RawSample> samples;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        sentences.push_back(RmcOf(steps[i], static_cast<int>(i)));
        samples.push_back({steps[i].x, steps[i].y, steps[i].z});
    }
    const Bytes video = claimedFrames == 0 ? VideoTrak(static_cast<std::uint32_t>(steps.size()))
        : Container("trak", {Tkhd(), Container("mdia", {Mdhd(), Hdlr("vide"),
              Container("minf", {Container("stbl", {StszWithCount(claimedFrames, {})})})})});
    const Bytes bytes = Concat({Ftyp(), Box("mdat", Bytes(32, 0)),
        Container("moov", {Mvhd(), video, Container("udta", {GpsrBox(sentences), SensBox(samples)})})});
    testsupport::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

} // namespace dashtest
