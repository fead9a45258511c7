#pragma once

// The three MP4 track layouts of the cameras, added to a recording rebuilt by CCameraMp4.

#include "tools/samplecard/Mp4Boxes.h"
#include "tools/samplecard/Route.h"

#include <string>
#include <vector>

namespace samplecard {

// A "gps " index right after the movie header, pointing to one block per step after 'moov'.
// Each block is itself a 'free' box (so that every tool skips it) holding the tag "GPS ", the
// little-endian payload length, the receiver's time stamp and sentences, and three raw sensor
// floats. The index sits before the tracks: a flat walk stops at it, so readers of the other
// layouts never mistake the file for theirs.
bool AddGpsIndexTrack(CCameraMp4& mp4, const std::vector<RouteStep>& steps, std::string& error);

// A metadata track with a null media header, after the video and sound tracks, one sample per
// step in the media data: 0xFD 0x10, a sequence byte, "G", the G-sensor text, "g", the RMC
// sentence. The camera's 'AMBA' box after 'ftyp' carries its identity.
bool AddNullMediaTrack(CCameraMp4& mp4, const std::vector<RouteStep>& steps, const std::string& cameraIdentity,
                       std::string& error);

// 'GPSR' (one entry per step: a 4-byte step stamp, the little-endian text length, the RMC
// sentence) and 'SENS' (three floats per step) in the movie's user data, after the tracks.
bool AddOlderBoxes(CCameraMp4& mp4, const std::vector<RouteStep>& steps, std::string& error);

// The bytes of one null-media sample and of one "gps " block, for tests of single steps.
Bytes BuildNullMediaSample(const RouteStep& step, std::uint8_t sequence);
Bytes BuildGpsBlock(const RouteStep& step);

} // namespace samplecard
