#pragma once

// Runs the ffmpeg program that encodes the card's pictures and sound. The program is started
// directly (no shell), with its arguments as they are; its messages are kept for the error text.

#include "tools/samplecard/CardPlan.h"

#include <filesystem>
#include <string>
#include <vector>

namespace samplecard {

// The ffmpeg program to start: $TORVIX_FFMPEG when set, else "ffmpeg" from PATH.
std::string GetFfmpegProgram();

// Starts argv[0] (looked up on PATH) and waits for it. output receives what it wrote to its
// standard output and error streams. False with a reason when it cannot be started, is killed,
// or exits with a status other than 0.
bool RunProgram(const std::vector<std::string>& argv, std::string& output, std::string& error);

// The ffmpeg command line that encodes a recording's picture and sound into output, in the
// recording's container, without any track (the track writers add it afterwards). Encoders run
// single-threaded and bit-exact so that a seed always gives the same bytes.
std::vector<std::string> BuildEncodeCommand(const PlannedRecording& recording, std::uint64_t seed,
                                            const std::filesystem::path& output);

bool EncodeRecording(const PlannedRecording& recording, std::uint64_t seed, const std::filesystem::path& output,
                     std::string& error);

} // namespace samplecard
