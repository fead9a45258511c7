#pragma once

// The recordings of a sample card: where each one goes, what it shows, how it is encoded, which
// track layout it carries and what the player must read back from it. Everything follows from
// the seed.

#include "tools/samplecard/CardTime.h"
#include "tools/samplecard/ExpectedTrack.h"
#include "tools/samplecard/Route.h"

#include <cstdint>
#include <string>
#include <vector>

namespace samplecard {

enum class VideoCodec { H264, Hevc, Mpeg4Part2, Mpeg1 };
enum class Container { Mp4, Avi, MpegProgram };

struct PlannedRecording {
    std::string strRelativePath;  // below the card's root, '/'-separated
    CivilTime start;              // camera clock at the first frame
    int durationSeconds = 0;
    std::string channelCode;      // "F", "R", "FR", "FO" or "" (none in the name)
    char classLetter = 0;         // N E P M C I, or 0 for names outside the grammar
    VideoCodec codec = VideoCodec::H264;
    Container container = Container::Mp4;
    int width = 640;
    int height = 360;
    int fps = 30;
    std::vector<std::string> vecChannelLabels; // burnt into the picture, one per video stream
    TrackLayout layout = TrackLayout::None;
    std::vector<RouteStep> vecSteps; // the track written, one step per second
    ExpectedTrack expected;         // what the player must read back

    std::string GetFileName() const;
    int GetVideoStreamCount() const { return static_cast<int>(vecChannelLabels.size()); }
};

struct CardPlan {
    std::uint64_t seed = 0;
    std::string strModel;   // ver.txt line 1
    std::string strVersion; // ver.txt line 2
    std::vector<PlannedRecording> vecRecordings;

    // The three KEY=value lines of the card's version file.
    std::string GetVersionFileText() const;
    // The recording at a relative path, or null.
    const PlannedRecording* Find(const std::string& relativePath) const;
};

CardPlan PlanCard(std::uint64_t seed);

} // namespace samplecard
