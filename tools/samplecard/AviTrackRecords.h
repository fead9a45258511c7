#pragma once

// The track records of the older AVI cameras: one 68-byte record of seventeen little-endian
// 32-bit words per step, carried as one sample of a "txts" or "dats" stream.
//
//   0      511 (the data stream's signature)
//   1      0x3260A in the low 24 bits (second signature word)
//   2..7   camera clock: year, month, day, hour, minute, second
//   8      step number
//   9      satellites in use
//   10..12 G-sensor x, y, z (float, g)
//   13     hemispheres: bits 0-1 = 1 north, bits 2-3 = 1 east
//   14     speed (float, km/h)
//   15, 16 latitude, longitude (float): "ddmm.mmmm" as a number in text streams, decimal
//          degrees in data streams; both 0 without a fix

#include "tools/samplecard/AviWriter.h"
#include "tools/samplecard/ExpectedTrack.h"
#include "tools/samplecard/Route.h"

#include <cstdint>
#include <vector>

namespace samplecard {

inline constexpr std::size_t kAviTrackRecordBytes = 68;

// The float a record stores for a speed or a position. Stock players probe the samples of a
// "txts" stream for a known stream format, and one float whose bytes happen to form an MPEG audio
// (or AC-3, DTS, ...) sync word makes them decode the track as sound and fail. Such a float is
// moved by a few units in its last place, far below what a receiver resolves.
float ToRecordFloat(double value);

std::vector<std::uint8_t> BuildAviTrackRecord(const RouteStep& step, std::uint32_t stepNumber, bool bDecimalDegrees);

// The stream of a recording: "txts" for TrackLayout::AviText, "dats" for TrackLayout::AviData,
// one sample per second.
AviTrackStream BuildAviTrackStream(TrackLayout layout, const std::vector<RouteStep>& steps);

} // namespace samplecard
