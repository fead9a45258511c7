#pragma once

// A headless GUI thread for the player tests: a real-clock message loop, a top-level window that
// records the player's messages, and the four video views.

#include "engine/FFMpegPlayerEx.h"
#include "engine/OglViewWnd.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Window.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

struct PostedMessage {
    zent::UINT message = 0;
    int wParam = 0;
    int lParam = 0;
    std::chrono::steady_clock::time_point when;
};

class CPlayerStage {
public:
    // nViews views of 320 x 180 side by side.
    explicit CPlayerStage(int nViews = 2);
    ~CPlayerStage();

    zent::HWND GetTop() const { return m_hTop; }
    COglViewWnd& View(int i) { return *m_vecViews[static_cast<std::size_t>(i)]; }
    std::array<zent::HWND, 4> ViewHandles() const;
    // A player on the views whose messages come to the stage.
    std::unique_ptr<CFFMpegPlayerEx> MakePlayer();

    // Pumps the loop until the predicate holds or the time is up; true when it held.
    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit);
    void PumpFor(std::chrono::milliseconds span);

    std::vector<PostedMessage>& Messages() { return m_vecMessages; }
    std::vector<PostedMessage> MessagesOf(zent::UINT message) const;

private:
    std::unique_ptr<zent::CMessageLoop> m_pLoop;
    zent::HWND m_hTop = nullptr;
    std::vector<std::unique_ptr<COglViewWnd>> m_vecViews;
    std::vector<PostedMessage> m_vecMessages;
};

std::filesystem::path Card();
std::filesystem::path FindOnCard(const std::string& relative);

// A scratch folder removed with the object.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// An H.264 clip of four solid quarters: top-left (255, 255, 128), top-right (0, 255, 128),
// bottom-left (255, 0, 128), bottom-right (0, 0, 128) as (R, G, B). False when ffmpeg failed.
bool MakeQuarterClip(const std::filesystem::path& file, int width, int height, int seconds);
// A testsrc clip of a given size (for the benchmark-like tests and pairs).
bool MakeTestsrcClip(const std::filesystem::path& file, int width, int height, int seconds, bool withAudio);

inline int R(std::uint32_t px) { return static_cast<int>((px >> 16) & 0xFF); }
inline int G(std::uint32_t px) { return static_cast<int>((px >> 8) & 0xFF); }
inline int B(std::uint32_t px) { return static_cast<int>(px & 0xFF); }

} // namespace enginetest
