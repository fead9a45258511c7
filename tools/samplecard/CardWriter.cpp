#include "tools/samplecard/CardWriter.h"

#include "tools/samplecard/AviTrackRecords.h"
#include "tools/samplecard/AviWriter.h"
#include "tools/samplecard/FfmpegEncode.h"
#include "tools/samplecard/Mp4Boxes.h"
#include "tools/samplecard/Mp4TrackWriters.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <fstream>
#include <mutex>
#include <system_error>
#include <thread>

namespace samplecard {

namespace fs = std::filesystem;

namespace {

// Removes the scratch file whatever way the writing ends.
class CScratchFile {
public:
    explicit CScratchFile(fs::path path) : m_path(std::move(path)) { Remove(); }
    ~CScratchFile() { Remove(); }
    CScratchFile(const CScratchFile&) = delete;
    CScratchFile& operator=(const CScratchFile&) = delete;
    const fs::path& Get() const { return m_path; }

private:
    void Remove()
    {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
    fs::path m_path;
};

bool SetFileTime(const fs::path& path, fs::file_time_type time, std::string& error)
{
    std::error_code ec;
    fs::last_write_time(path, time, ec);
    if (ec) {
        error = "cannot set the time of " + path.string() + ": " + ec.message();
        return false;
    }
    return true;
}

bool WriteMp4Track(const fs::path& encoded, const fs::path& target, const CardPlan& plan, const PlannedRecording& r,
                   std::string& error)
{
    CCameraMp4 mp4;
    if (!mp4.Load(encoded, error)) return false;
    bool bOk = true;
    switch (r.layout) {
    case TrackLayout::GpsIndex: bOk = AddGpsIndexTrack(mp4, r.vecSteps, error); break;
    case TrackLayout::NullMedia: bOk = AddNullMediaTrack(mp4, r.vecSteps, plan.strModel + " " + plan.strVersion, error); break;
    case TrackLayout::OlderBoxes: bOk = AddOlderBoxes(mp4, r.vecSteps, error); break;
    case TrackLayout::None: break;
    case TrackLayout::AviText:
    case TrackLayout::AviData:
        error = "an AVI track layout in an MP4 recording";
        return false;
    }
    return bOk && mp4.Save(target, error);
}

bool MoveInto(const fs::path& from, const fs::path& to, std::string& error)
{
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        error = "cannot rename " + from.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

fs::file_time_type GetRecordingFileTime(const PlannedRecording& recording)
{
    const std::chrono::sys_seconds utc{std::chrono::seconds{ToEpochSeconds(recording.start) - kCameraUtcOffsetSeconds}};
    return std::chrono::file_clock::from_sys(utc);
}

bool WriteRecording(const fs::path& dir, const CardPlan& plan, const PlannedRecording& r, std::string& error)
{
    try {
        const fs::path target = dir / fs::path(r.strRelativePath);
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            error = "cannot create " + target.parent_path().string() + ": " + ec.message();
            return false;
        }
        fs::path scratchPath = target;
        scratchPath += r.container == Container::Avi ? ".enc.avi" : ".enc";
        CScratchFile encoded(scratchPath);
        if (!EncodeRecording(r, plan.seed, encoded.Get(), error)) return false;

        bool bOk = false;
        switch (r.container) {
        case Container::Mp4:
            bOk = WriteMp4Track(encoded.Get(), target, plan, r, error);
            break;
        case Container::Avi:
            if (r.layout == TrackLayout::AviText || r.layout == TrackLayout::AviData) {
                bOk = AddTrackStreamToAvi(encoded.Get(), target, BuildAviTrackStream(r.layout, r.vecSteps), error);
            } else {
                bOk = r.layout == TrackLayout::None && MoveInto(encoded.Get(), target, error);
            }
            break;
        case Container::MpegProgram:
            bOk = r.layout == TrackLayout::None && MoveInto(encoded.Get(), target, error);
            break;
        }
        if (!bOk) {
            if (error.empty()) error = r.strRelativePath + ": this container cannot carry its track layout";
            return false;
        }
        return SetFileTime(target, GetRecordingFileTime(r), error);
    } catch (const std::exception& e) {
        error = r.strRelativePath + ": " + e.what();
        return false;
    }
}

bool WriteVersionFile(const fs::path& dir, const CardPlan& plan, std::string& error)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    const fs::path path = dir / "ver.txt";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string text = plan.GetVersionFileText();
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
        error = "cannot write " + path.string();
        return false;
    }
    out.close();
    if (plan.vecRecordings.empty()) return true;
    // The camera wrote it when it was set up, before its first recording.
    return SetFileTime(path, GetRecordingFileTime(plan.vecRecordings.front()) - std::chrono::hours(24), error);
}

bool WriteCard(const fs::path& dir, std::uint64_t seed, std::string& error, int jobs)
{
    try {
        const CardPlan plan = PlanCard(seed);
        if (!WriteVersionFile(dir, plan, error)) return false;

        // The costliest first, so that the workers finish together.
        std::vector<std::size_t> order(plan.vecRecordings.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        const auto cost = [&plan](std::size_t i) {
            const PlannedRecording& r = plan.vecRecordings[i];
            return std::int64_t{r.width} * r.height * r.fps * r.durationSeconds * r.GetVideoStreamCount() *
                   (r.codec == VideoCodec::Hevc ? 8 : 1);
        };
        std::stable_sort(order.begin(), order.end(), [&cost](std::size_t a, std::size_t b) { return cost(a) > cost(b); });

        std::atomic<std::size_t> next{0};
        std::mutex errorLock;
        std::string firstError; // guarded by errorLock
        const auto work = [&]() {
            for (;;) {
                {
                    const std::lock_guard<std::mutex> lock(errorLock);
                    if (!firstError.empty()) return;
                }
                const std::size_t n = next.fetch_add(1);
                if (n >= order.size()) return;
                std::string e;
                if (!WriteRecording(dir, plan, plan.vecRecordings[order[n]], e)) {
                    const std::lock_guard<std::mutex> lock(errorLock);
                    if (firstError.empty()) firstError = e.empty() ? "unknown failure" : e;
                }
            }
        };
        std::vector<std::jthread> workers;
        for (int i = 1; i < std::max(jobs, 1); ++i) workers.emplace_back(work);
        work();
        workers.clear(); // joins
        if (!firstError.empty()) {
            error = firstError;
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace samplecard
