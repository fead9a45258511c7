#include "tools/samplecard/CardPlan.h"

#include "tools/samplecard/SeededRandom.h"

#include <cstdio>

namespace samplecard {

namespace {

struct Slot {
    const char* folder;
    const char* channelCode;
    char classLetter;
    const char* extension;
    VideoCodec codec;
    Container container;
    TrackLayout layout;
};

std::vector<std::string> LabelsFor(const std::string& code)
{
    if (code == "R") return {"REAR"};
    if (code == "FR") return {"FRONT", "REAR"};
    return {"FRONT"};
}

// A recording of the camera's naming at a route offset.
PlannedRecording MakeRecording(const Slot& slot, std::int64_t driveStart, int offset, int duration)
{
    PlannedRecording r;
    r.start = FromEpochSeconds(driveStart + offset);
    r.durationSeconds = duration;
    r.channelCode = slot.channelCode;
    r.classLetter = slot.classLetter;
    r.codec = slot.codec;
    r.container = slot.container;
    r.layout = slot.layout;
    r.vecChannelLabels = LabelsFor(r.channelCode);
    std::string name = FormatNameTime(r.start) + "_";
    if (!r.channelCode.empty()) name += r.channelCode + "_";
    name += std::string(1, slot.classLetter) + "." + slot.extension;
    r.strRelativePath = std::string(slot.folder) + "/" + name;
    return r;
}

} // namespace

std::string PlannedRecording::GetFileName() const
{
    const std::size_t slash = strRelativePath.rfind('/');
    return slash == std::string::npos ? strRelativePath : strRelativePath.substr(slash + 1);
}

std::string CardPlan::GetVersionFileText() const
{
    // FILE=0: no log file on the user's machine and no debug mode either.
    return "MODEL=" + strModel + "\nVERSION=" + strVersion + "\nFILE=0\n";
}

const PlannedRecording* CardPlan::Find(const std::string& relativePath) const
{
    for (const PlannedRecording& r : vecRecordings)
        if (r.strRelativePath == relativePath) return &r;
    return nullptr;
}

CardPlan PlanCard(std::uint64_t seed)
{
    CSeededRandom rng(seed ^ 0xCA4DCA4DCA4Dull);
    CardPlan plan;
    plan.seed = seed;
    // One of the 4K models, whose cards the player always plays.
    plan.strModel = "QZ4K";
    plan.strVersion = "2.04.11";

    CivilTime t0;
    t0.year = 2023;
    t0.month = 4;
    t0.day = rng.UniformInt(1, 28);
    t0.hour = rng.UniformInt(7, 18); // before 09:00 the receiver's UTC date is the day before
    t0.minute = rng.UniformInt(0, 59);
    t0.second = rng.UniformInt(0, 59);
    const std::int64_t driveStart = ToEpochSeconds(t0);

    using V = VideoCodec;
    using C = Container;
    using L = TrackLayout;
    // The drive, recorded without a gap from one file to the next.
    const Slot normalPairIndex[2] = {{"Normal/F", "F", 'N', "MP4", V::H264, C::Mp4, L::GpsIndex},
                                     {"Normal/R", "R", 'N', "MP4", V::H264, C::Mp4, L::GpsIndex}};
    const Slot normalPairMeta[2] = {{"Normal/F", "F", 'N', "MP4", V::H264, C::Mp4, L::NullMedia},
                                    {"Normal/R", "R", 'N', "MP4", V::H264, C::Mp4, L::NullMedia}};
    const Slot frontOnlyOlder = {"Normal/F", "F", 'N', "MP4", V::H264, C::Mp4, L::OlderBoxes};
    const Slot twoStreams = {"Normal", "FR", 'N', "MP4", V::H264, C::Mp4, L::GpsIndex};
    const Slot eventPair[2] = {{"Event", "F", 'E', "MP4", V::H264, C::Mp4, L::GpsIndex},
                               {"Event", "R", 'E', "MP4", V::H264, C::Mp4, L::GpsIndex}};
    const Slot eventAviText = {"Event", "", 'E', "AVI", V::H264, C::Avi, L::AviText};
    const Slot uhd3840 = {"Normal/UHD", "F", 'N', "MP4", V::Hevc, C::Mp4, L::NullMedia};
    const Slot uhd4096 = {"Normal/UHD", "F", 'N', "MP4", V::Hevc, C::Mp4, L::GpsIndex};
    const Slot aiAviData = {"AiEvent", "F", 'I', "AVI", V::H264, C::Avi, L::AviData};
    const Slot camcorder = {"Camcorder", "FO", 'C', "mp4", V::H264, C::Mp4, L::NullMedia};
    const Slot mpeg4 = {"Normal", "", 'N', "MP4", V::Mpeg4Part2, C::Mp4, L::OlderBoxes};
    const Slot myFolder = {"MyFolder", "", 0, "mp4", V::H264, C::Mp4, L::GpsIndex};
    const Slot mpegProgram = {"Unknown", "F", 'N', "MPEG", V::Mpeg1, C::MpegProgram, L::None};
    const Slot foreignName = {"Unknown", "", 0, "MP4", V::H264, C::Mp4, L::GpsIndex};
    // Parked afterwards.
    const Slot parkingRear = {"Parking", "R", 'P', "MP4", V::H264, C::Mp4, L::None};
    const Slot motion = {"Motion", "", 'M', "MP4", V::H264, C::Mp4, L::OlderBoxes};

    RouteScript script;
    std::vector<PlannedRecording>& recs = plan.vecRecordings;
    int t = 0;
    const auto add = [&](const Slot& slot, int duration) {
        recs.push_back(MakeRecording(slot, driveStart, t, duration));
        return static_cast<int>(recs.size() - 1);
    };
    const auto window = [](int from, int length) { return RouteWindow{from, length}; };

    int d = rng.UniformInt(18, 22);
    add(normalPairIndex[0], d);
    add(normalPairIndex[1], d);
    script.vecNoFix.push_back(window(t + rng.UniformInt(3, 5), 2));
    script.vecStops.push_back(window(t + rng.UniformInt(10, 12), 4));
    t += d;

    d = rng.UniformInt(18, 22);
    add(normalPairMeta[0], d);
    add(normalPairMeta[1], d);
    script.vecNoFix.push_back(window(t + rng.UniformInt(2, 4), 2));
    script.vecStops.push_back(window(t + rng.UniformInt(9, 12), 3));
    t += d;

    d = rng.UniformInt(12, 16);
    add(frontOnlyOlder, d);
    script.vecNoFix.push_back(window(t + 2, 2));
    script.vecStops.push_back(window(t + rng.UniformInt(6, 8), 3));
    t += d;

    d = rng.UniformInt(10, 14);
    add(twoStreams, d);
    const int fastFrom = t + 2;
    t += d;

    d = rng.UniformInt(14, 18);
    add(eventPair[0], d);
    add(eventPair[1], d);
    script.fast = window(fastFrom, t + 6 - fastFrom);
    script.spikeAt = t + rng.UniformInt(8, 11);
    t += d;

    d = rng.UniformInt(12, 16);
    add(eventAviText, d);
    script.vecNoFix.push_back(window(t + rng.UniformInt(3, 6), 2));
    t += d;

    for (const Slot* uhd : {&uhd3840, &uhd4096}) {
        const int i = add(*uhd, 4);
        recs[static_cast<std::size_t>(i)].width = uhd == &uhd3840 ? 3840 : 4096;
        recs[static_cast<std::size_t>(i)].height = 2160;
        recs[static_cast<std::size_t>(i)].fps = 2;
        t += 4;
    }

    d = rng.UniformInt(12, 16);
    add(aiAviData, d);
    script.vecNoFix.push_back(window(t + 3, 2));
    script.vecStops.push_back(window(t + rng.UniformInt(7, 8), 3));
    t += d;

    d = rng.UniformInt(10, 12);
    add(camcorder, d);
    t += d;

    add(mpeg4, 10);
    t += 10;

    d = rng.UniformInt(10, 12);
    {
        const int i = add(myFolder, d);
        // Saved by the user under a name of their own.
        PlannedRecording& r = recs[static_cast<std::size_t>(i)];
        char name[64];
        std::snprintf(name, sizeof name, "MyFolder/drive_%02d%02d_samseong_my.mp4", r.start.month, r.start.day);
        r.strRelativePath = name;
    }
    t += d;

    add(mpegProgram, 10);
    t += 10;

    {
        // Copied onto the card from elsewhere, under a name the camera never writes.
        const int i = add(foreignName, 10);
        PlannedRecording& r = recs[static_cast<std::size_t>(i)];
        char name[64];
        std::snprintf(name, sizeof name, "Unknown/REC%02d%02d%02d.MP4", r.start.hour, r.start.minute, r.start.second);
        r.strRelativePath = name;
    }
    t += 10;
    script.driveSeconds = t;

    t += rng.UniformInt(90, 150);
    add(parkingRear, 10);
    t += 10 + rng.UniformInt(240, 360);
    d = rng.UniformInt(10, 12);
    add(motion, d);
    t += d;
    script.totalSeconds = t;

    const CRoute route = CRoute::Generate(seed, driveStart, script);
    for (PlannedRecording& r : recs) {
        const int offset = static_cast<int>(ToEpochSeconds(r.start) - driveStart);
        if (r.layout != TrackLayout::None) r.vecSteps = route.Slice(offset, r.durationSeconds);
        r.expected = BuildExpectedTrack(r.layout, r.vecSteps);
    }
    return plan;
}

} // namespace samplecard
