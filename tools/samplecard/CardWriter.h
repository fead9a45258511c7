#pragma once

// Writes a sample card, or single recordings of it, to a folder.

#include "tools/samplecard/CardPlan.h"

#include <filesystem>
#include <string>

namespace samplecard {

// Writes one planned recording at dir/relativePath (folders are created): encodes it with
// ffmpeg into a scratch file beside it, adds its track, and sets its modification time to the
// time in its name. False with a reason on any failure (no half-written recording is left).
bool WriteRecording(const std::filesystem::path& dir, const CardPlan& plan, const PlannedRecording& recording,
                    std::string& error);

// Writes the card's version file.
bool WriteVersionFile(const std::filesystem::path& dir, const CardPlan& plan, std::string& error);

// Writes the whole card of a seed into dir, two recordings at a time. Files of the card that
// already exist are replaced; nothing else in dir is touched.
bool WriteCard(const std::filesystem::path& dir, std::uint64_t seed, std::string& error, int jobs = 2);

// The modification time a recording's file gets: its start on the camera's clock, in UTC.
std::filesystem::file_time_type GetRecordingFileTime(const PlannedRecording& recording);

} // namespace samplecard
