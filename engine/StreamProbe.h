#pragma once

// What the program learns about a recording from libavformat before (or instead of) playing it:
// stream counts, codec, width, duration, and whether this player may play it.

#include <string>
#include <string_view>

namespace probe {

// The decoders the player supports are H.264 and HEVC. Their numeric ids differ between FFmpeg
// releases (28 and 174 in older ones, 27 and 173 in the one we build with), so the probe compares
// with libavcodec's own constants, never with fixed numbers.
// The widest picture the player plays.
inline constexpr int kMaxPlayableWidth = 3840;

// The camera models whose cards are always played.
inline constexpr const wchar_t* k4KModels[] = {L"QZ4K",   L"KT720_4K", L"PLQZ4K",   L"KT810_4K",
                                               L"QZ2800", L"KT4K",     L"QZ1900_4K"};

} // namespace probe

// Streams of the video or audio type, counted on the container alone (no stream-info pass).
// 0 when the file cannot be opened.
int GetVidoeStreamCount(const std::wstring& path);
int GetAudioStreamCount(const std::wstring& path);

// Duration in seconds rounded to 0.1 s (the container's, else the first video stream's); 0.0
// when the file cannot be read. The player's slot truncates it to whole seconds.
double GetFileDurationSeconds(const std::string& utf8Path);
int GetFileDuration(const std::string& utf8Path);

// True when the best video stream is decoded by the H.264 or the HEVC decoder.
bool IsSupportCodec(const std::wstring& path);
// libavcodec's name of the best video stream's decoder ("h264", "hevc", ...), empty when none.
std::string GetVideoCodecName(const std::wstring& path);
// Coded width of the first video stream, 0 when unknown.
int GetVideoWidth(const std::wstring& path);

// True when the model is one of the cameras whose recordings are always played.
bool Is4KModel(std::wstring_view model);

// The playability decision of the play routine: a known model decides alone (no probing);
// without one, the codec must be supported and the width at most 3840 (0 passes).
bool IsPlayableByRule(std::wstring_view model, bool codecSupported, int width);
// The same, probing the file when no model is known.
bool IsPlayable(std::wstring_view model, const std::wstring& path);
