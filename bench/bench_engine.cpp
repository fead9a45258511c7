// The cost of playing through the engine: CPU seconds for a 1080p front + 720p rear pair played
// through CFFMpegPlayerEx into two 960 x 540 views, against two bare libvlc players that decode
// the same files into memory through the same video callbacks and show nothing.
// Goals: ratio engine / bare <= 1.25; first frame in the view <= 200 ms after Play.
//
// Usage: bench_engine [seconds per clip, default 10] [runs, default 2]. Needs ffmpeg on PATH.

#include "engine/FFMpegPlayerEx.h"
#include "engine/OglViewWnd.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Window.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <vlc/vlc.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace zent;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

bool MakeClip(const fs::path& file, int w, int h, int seconds, bool audio)
{
    std::string cmd = "ffmpeg -nostdin -y -v error -f lavfi -i testsrc=s=" + std::to_string(w) + "x" +
                      std::to_string(h) + ":r=30:d=" + std::to_string(seconds);
    if (audio) cmd += " -f lavfi -i sine=d=" + std::to_string(seconds) + " -c:a aac";
    cmd += " -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 30 '" + file.string() + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

struct EngineResult {
    double cpu = 0;
    double firstFrameMs = 0;
};

EngineResult RunEngine(const fs::path& front, const fs::path& rear)
{
    auto loop = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>(CHeadlessPresenter::ClockMode::Real));
    bool ended = false;
    HWND top = CreateWindowEx(0, L"Bench", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1930, 550, nullptr, 0,
                              [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                  if (m == WM_FFMPEG_PLAY_END) ended = true;
                                  return DefWindowProc(h, m, w, l);
                              });
    COglViewWnd v0, v1;
    v0.Create(RECT{0, 0, 960, 540}, top, 1);
    v1.Create(RECT{965, 0, 1925, 540}, top, 2);
    EngineResult r;
    {
        CFFMpegPlayerEx player({v0.GetSafeHwnd(), v1.GetSafeHwnd(), nullptr, nullptr});
        player.m_hNotifyWnd = top;
        player.Open(front.wstring().c_str(), rear.wstring().c_str());
        const double cpu0 = CpuSeconds();
        const auto t0 = Clock::now();
        player.Play(1.0f);
        // The first frame counts when the view has scaled it, i.e. when it can be painted.
        const auto first = v0.GetPicture();
        while (!ended) {
            loop->PumpUntilIdle(100);
            if (r.firstFrameMs == 0 && v0.GetSink()->GetFrameCount() > 0 && v0.GetPicture() != first)
                r.firstFrameMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        player.Stop();
        r.cpu = CpuSeconds() - cpu0;
    }
    DestroyWindow(top);
    return r;
}

// A bare libvlc player decoding into memory at the source size.
struct BareSink {
    libvlc_media_player_t* player = nullptr;
    std::vector<std::uint32_t> buffer;
    std::atomic<int> frames{0};
    bool chroma420 = false;
    unsigned pitchY = 0, linesY = 0, pitchC = 0;

    static unsigned Setup(void** opaque, char* chroma, unsigned* w, unsigned* h, unsigned* pitches, unsigned* lines)
    {
        auto* self = static_cast<BareSink*>(*opaque);
        unsigned sw = 0, sh = 0;
        if (libvlc_video_get_size(self->player, 0, &sw, &sh) == 0 && sw && sh) {
            *w = sw;
            *h = sh;
        }
        // RV32 by default: what a bare player needs to show its frames. BENCH_BARE_CHROMA=I420
        // measures decoding alone, with no conversion at all.
        const char* e = std::getenv("BENCH_BARE_CHROMA");
        if (e && std::strcmp(e, "I420") == 0) {
            std::memcpy(chroma, "I420", 4);
            const unsigned pw = (*w + 31) / 32 * 32, pc = ((*w + 1) / 2 + 31) / 32 * 32, ph = (*h + 31) / 32 * 32;
            pitches[0] = pw;
            pitches[1] = pitches[2] = pc;
            lines[0] = ph;
            lines[1] = lines[2] = ph / 2;
            self->buffer.assign((static_cast<std::size_t>(pw) * ph + static_cast<std::size_t>(pc) * ph) / 4 + 64, 0);
            self->chroma420 = true;
            self->pitchY = pw;
            self->linesY = ph;
            self->pitchC = pc;
            return 1;
        }
        std::memcpy(chroma, "RV32", 4);
        pitches[0] = *w * 4;
        lines[0] = *h;
        self->buffer.assign(static_cast<std::size_t>(*w) * *h, 0);
        return 1;
    }
    static void* Lock(void* opaque, void** planes)
    {
        auto* self = static_cast<BareSink*>(opaque);
        auto* base = reinterpret_cast<std::uint8_t*>(self->buffer.data());
        planes[0] = base;
        if (self->chroma420) {
            planes[1] = base + static_cast<std::size_t>(self->pitchY) * self->linesY;
            planes[2] = static_cast<std::uint8_t*>(planes[1]) + static_cast<std::size_t>(self->pitchC) * (self->linesY / 2);
        }
        return nullptr;
    }
    static void Display(void* opaque, void*) { ++static_cast<BareSink*>(opaque)->frames; }
};

struct BareResult {
    double cpu = 0;
    double firstFrameMs = 0;
};

// Extra media options for the bare players, blank-separated (BENCH_BARE_OPTIONS), to try what
// libvlc settings would change.
std::vector<std::string> BareOptions()
{
    std::vector<std::string> v;
    if (const char* e = std::getenv("BENCH_BARE_OPTIONS")) {
        std::istringstream in(e);
        for (std::string o; in >> o;) v.push_back(o);
    }
    return v;
}

BareResult RunBare(const fs::path& front, const fs::path& rear)
{
    const auto args = CFFMpegPlayerEx::GetVlcArguments();
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    libvlc_instance_t* inst = libvlc_new(static_cast<int>(argv.size()), argv.data());
    BareSink sinks[2];
    const fs::path files[2] = {front, rear};
    for (int i = 0; i < 2; ++i) {
        libvlc_media_t* m = libvlc_media_new_path(inst, files[i].c_str());
        if (i == 1) libvlc_media_add_option(m, ":no-audio");
        for (const auto& o : BareOptions()) libvlc_media_add_option(m, o.c_str());
        sinks[i].player = libvlc_media_player_new_from_media(m);
        libvlc_media_release(m);
        libvlc_video_set_callbacks(sinks[i].player, &BareSink::Lock, nullptr, &BareSink::Display, &sinks[i]);
        libvlc_video_set_format_callbacks(sinks[i].player, &BareSink::Setup, nullptr);
    }
    BareResult r;
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    for (auto& s : sinks) libvlc_media_player_play(s.player);
    while (libvlc_media_player_get_state(sinks[0].player) != libvlc_Ended ||
           libvlc_media_player_get_state(sinks[1].player) != libvlc_Ended) {
        if (r.firstFrameMs == 0 && sinks[0].frames > 0)
            r.firstFrameMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (auto& s : sinks) libvlc_media_player_stop(s.player);
    r.cpu = CpuSeconds() - cpu0;
    for (auto& s : sinks) libvlc_media_player_release(s.player);
    libvlc_release(inst);
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    setenv("TORVIX_VLC_ARGS", "--aout=adummy --quiet", 0);

    std::random_device rd;
    const fs::path dir = fs::temp_directory_path() / ("torvix-bench-engine-" + std::to_string(rd()));
    fs::create_directories(dir);
    const fs::path front = dir / "20230421-10h00m00s_F_N.mp4", rear = dir / "20230421-10h00m00s_R_N.mp4";
    if (!MakeClip(front, 1920, 1080, seconds, true) || !MakeClip(rear, 1280, 720, seconds, false)) {
        std::fprintf(stderr, "ffmpeg could not make the clips\n");
        fs::remove_all(dir);
        return 1;
    }
    double engineCpu = 0, bareCpu = 0, worstFirst = 0, sumFirst = 0;
    for (int i = 0; i < runs; ++i) {
        const BareResult bare = RunBare(front, rear);
        const EngineResult e = RunEngine(front, rear);
        std::printf("run %d: engine %.2f CPU s, bare %.2f CPU s; first frame: engine %.0f ms, bare %.0f ms\n", i + 1,
                    e.cpu, bare.cpu, e.firstFrameMs, bare.firstFrameMs);
        engineCpu += e.cpu;
        bareCpu += bare.cpu;
        sumFirst += e.firstFrameMs;
        worstFirst = std::max(worstFirst, e.firstFrameMs);
    }
    std::printf("engine/bare CPU ratio %.2f (goal <= 1.25); first frame mean %.0f ms, worst %.0f ms (goal <= 200)\n",
                engineCpu / bareCpu, sumFirst / runs, worstFirst);
    fs::remove_all(dir);
    return 0;
}
