// The player program's speed goals, on this machine:
//   start-up, from exec to the first painted player window (warm)        <= 300 ms
//   a card of 10,000 recordings, from the chosen folder to the full list <= 1 s
//   one step of the play-position fan-out (gauge, graph, read-out, labels, place text, the map's
//   bookkeeping; the page's own time excluded)                            <= 2 ms
// Usage: bench_player [--runs N] [--no-startup] [--no-fill] [--no-fanout] [--card DIR]
// The fan-out plays the first recording with a track of the sample card (default: the cached one of
// ./run.sh, or $TORVIX_SAMPLECARD) with a player that decodes nothing.
// Start-up runs the real program (on the display when there is one, else headless) and waits for
// its first-paint trace; the fill runs the player window in this process on the headless presenter.

#include "app/Resources.h"
#include "app/TorvixPlayerDlg.h"
#include "app/TorvixPlayerMainDlg.h"
#include "engine/StreamProbe.h"
#include "cardtools/TorvixPlayerPopUpDlg.h"
#include "locale/LangRes.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zent;

namespace {

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// One start of the program: milliseconds to its first-paint trace, or a negative number.
double TimeOneStart(const fs::path& exe, const fs::path& home, bool bHeadless)
{
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::vector<std::string> env;
    for (char** p = environ; *p; ++p) env.emplace_back(*p);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"})
        env.push_back(std::string(name) + "=" + (home / name).string());
    env.emplace_back("TORVIX_TRACE=1");
    env.emplace_back("TORVIX_VLC_ARGS=--aout=adummy");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = exe.string();
    std::string headless = "--headless";
    std::vector<char*> argv{program.data()};
    if (bHeadless) argv.push_back(headless.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    double result = -1;
    std::string seen;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        pollfd pfd{fds[0], POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) continue;
        char buf[4096];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, static_cast<std::size_t>(n));
        if (seen.find("CTorvixPlayerMainDlg::OnPaint - first paint") != std::string::npos) {
            result = Ms(Clock::now() - start);
            break;
        }
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    close(fds[0]);
    return result;
}

void BenchStartup(int runs)
{
    const fs::path exe = fs::path(GetExeDir()) / "TorvixPlayer";
    const bool bHeadless = std::getenv("DISPLAY") == nullptr;
    const fs::path home = fs::temp_directory_path() / ("bench-player-" + std::to_string(getpid()));
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"}) {
        fs::create_directories(home / name);
        fs::permissions(home / name, fs::perms::owner_all);
    }
    TimeOneStart(exe, home, bHeadless); // cold caches
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double t = TimeOneStart(exe, home, bHeadless);
        if (t >= 0) times.push_back(t);
    }
    std::error_code ec;
    fs::remove_all(home, ec);
    if (times.empty()) {
        std::printf("start-up: the program never painted\n");
        return;
    }
    std::printf("start-up to first paint (%s, %zu runs): median %.1f ms, best %.1f ms, worst %.1f ms (goal <= 300)\n",
                bHeadless ? "headless" : "display", times.size(), Median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
}

// 5,000 front/rear pairs a minute apart.
fs::path MakeCard(int nRecordings)
{
    const fs::path card = fs::temp_directory_path() / ("bench-card-" + std::to_string(getpid()));
    fs::create_directories(card / "Normal");
    for (int i = 0; i < nRecordings / 2; ++i) {
        const int day = 1 + i / (24 * 60);
        const int hour = i / 60 % 24;
        const int minute = i % 60;
        char name[64];
        for (const char* ch : {"F", "R"}) {
            std::snprintf(name, sizeof name, "202401%02d-%02dh%02dm00s_%s_N.MP4", day, hour, minute, ch);
            std::ofstream(card / "Normal" / name).put('x');
        }
    }
    return card;
}

void BenchFill(int runs)
{
    const fs::path card = MakeCard(10000);
    // Settings of its own: the window remembers the folder, and must not open it at start.
    const fs::path config = card.string() + "-config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    auto presenter = std::make_unique<CHeadlessPresenter>(CHeadlessPresenter::ClockMode::Real);
    auto loop = CMessageLoop::Create(std::move(presenter));
    LoadLanguageFile(kLangIndexEnglish);
    QLBMLoader loader;
    loader.OpenMergeFile(PathToWide(FindDataFile("TorvixPlayerImg.dat")), 1);
    SetSkinLoader(&loader);
    CTorvixPlayerPopUpDlg::SetUnattended(true);
    // The fill is measured, not the media engine.
    CTorvixPlayerMainDlg::SetPlayableRule([](const std::wstring&, const std::wstring&) { return true; });
    std::vector<double> fills, refills;
    {
        CTorvixPlayerDlg dlg;
        dlg.Create(player::IDD_TORVIXPLAYER_DIALOG, nullptr);
        ShowWindow(dlg.GetSafeHwnd(), SW_SHOW);
        loop->PumpUntilIdle();
        CTorvixPlayerMainDlg* main = dlg.GetPlayerWindow();
        for (int i = 0; i < runs && main; ++i) {
            const auto start = Clock::now();
            main->RefreshFilesInFolder(PathToWide(card));
            fills.push_back(Ms(Clock::now() - start));
            const auto restart = Clock::now();
            main->OnCategoryChanged(1);
            refills.push_back(Ms(Clock::now() - restart));
            main->OnCategoryChanged(0);
            if (main->GetVideoList().GetItemCount() != 5000) std::printf("unexpected row count %d\n", main->GetVideoList().GetItemCount());
        }
    }
    SetSkinLoader(nullptr);
    std::error_code ec;
    fs::remove_all(card, ec);
    fs::remove_all(config, ec);
    std::printf("10,000 recordings, folder to full list (%zu runs): median %.1f ms, worst %.1f ms (goal <= 1000)\n",
                fills.size(), Median(fills), fills.empty() ? 0.0 : *std::max_element(fills.begin(), fills.end()));
    std::printf("category change, 5,000 rows refilled: median %.1f ms\n", Median(refills));
}

// A player that plays nothing: the fan-out is measured, not the media engine.
class CSilentPlayer final : public IZentPlayer {
public:
    void Configure(int) override {}
    int GetFileDuration(const std::string& path) override { return ::GetFileDuration(path); }
    int GetDuration() override { return m_nDuration; }
    int GetPlayTime(int) override { return 0; }
    int GetState() override { return m_nState; }
    int GetFileCount() override { return static_cast<int>(m_vecFilePath.size()); }
    BOOL IsPlaying() override { return m_nState == ZENT_PLAYER_PLAYING || m_nState == ZENT_PLAYER_PAUSED; }
    void SetPlayTimer(HWND, int) override {}
    void SetPlayVolume(int) override {}
    std::wstring GetFilePath(int) override { return {}; }
    int Open(const wchar_t* first, const wchar_t* second) override
    {
        m_vecFilePath.clear();
        for (const wchar_t* p : {first, second})
            if (p) m_vecFilePath.push_back(WideToUtf8(p));
        m_nDuration = m_vecFilePath.empty() ? 0 : ::GetFileDuration(m_vecFilePath.front());
        return 1;
    }
    int Play(float) override { m_nState = ZENT_PLAYER_PLAYING; return 1; }
    int Speed(float) override { return 1; }
    int Pause() override { m_nState = ZENT_PLAYER_PAUSED; return 1; }
    int Step() override { return 1; }
    int Stop() override { m_nState = ZENT_PLAYER_STOPPED; return 1; }
    int Seek(int) override { return 1; }
    int Reset() override { return 1; }
    int VideoSyncCorrection(int) override { return 0; }
    void SetMonochrome(int) override {}
    int DrawSnapshot(int, HDC, const std::wstring&, const RECT&) override { return 0; }
    BOOL GetVideoSize(int, unsigned*, unsigned*) override { return FALSE; }
    void Zoom(int, float, int, int) override {}
    void SetContrast(float) override {}
    int GetVidoeStreamCount(const std::wstring&) override { return 1; }
    int GetAudioStreamCount(const std::wstring&) override { return 0; }

private:
    int m_nDuration = 0;
};

void BenchFanOut(const fs::path& card, int runs)
{
    if (!fs::is_directory(card)) {
        std::printf("fan-out: no sample card at %s (run ./run.sh once, or give --card)\n", card.c_str());
        return;
    }
    const fs::path config = fs::temp_directory_path() / ("bench-fanout-" + std::to_string(getpid()));
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    auto loop = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>(CHeadlessPresenter::ClockMode::Real));
    LoadLanguageFile(kLangIndexEnglish);
    QLBMLoader loader;
    loader.OpenMergeFile(PathToWide(FindDataFile("TorvixPlayerImg.dat")), 1);
    SetSkinLoader(&loader);
    CTorvixPlayerPopUpDlg::SetUnattended(true);
    CTorvixPlayerMainDlg::SetPlayableRule([](const std::wstring&, const std::wstring&) { return true; });
    CTorvixPlayerMainDlg::SetPlayerMaker([](const std::array<HWND, 4>&) { return std::make_unique<CSilentPlayer>(); });
    std::vector<double> steps;
    {
        CTorvixPlayerDlg dlg;
        dlg.Create(player::IDD_TORVIXPLAYER_DIALOG, nullptr);
        ShowWindow(dlg.GetSafeHwnd(), SW_SHOW);
        loop->PumpUntilIdle();
        CTorvixPlayerMainDlg* main = dlg.GetPlayerWindow();
        if (main) {
            main->RefreshFilesInFolder(PathToWide(card));
            main->OnListDblClk(0);
            const int duration = std::max(main->GetDuration(), 1);
            std::printf("fan-out: %d rows, playing %s for %d s, track %s\n", main->GetVideoList().GetItemCount(),
                        WideToUtf8(BareFileName(main->GetPlayFile())).c_str(), duration,
                        main->GetGraph().GetGpsData() ? "yes" : "no");
            for (int r = 0; r < runs; ++r)
                for (int t = 0; t < duration; ++t) {
                    const auto start = Clock::now();
                    SendMessage(dlg.GetSafeHwnd(), WM_FFMPEG_PLAY_POS, static_cast<WPARAM>(duration), t);
                    // The repaint of what changed belongs to the step.
                    loop->PumpUntilIdle();
                    steps.push_back(Ms(Clock::now() - start));
                }
        }
    }
    CTorvixPlayerMainDlg::SetPlayerMaker({});
    SetSkinLoader(nullptr);
    std::error_code ec;
    fs::remove_all(config, ec);
    if (steps.empty()) return;
    std::vector<double> sorted = steps;
    std::sort(sorted.begin(), sorted.end());
    std::printf("fan-out step with repaint (%zu steps): median %.2f ms, 95th percentile %.2f ms, worst %.2f ms (goal <= 2)\n",
                steps.size(), Median(steps), sorted[sorted.size() * 95 / 100], sorted.back());
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 10;
    bool bStartup = true;
    bool bFill = true;
    bool bFanOut = true;
    const char* env = std::getenv("TORVIX_SAMPLECARD");
    const char* cache = std::getenv("XDG_CACHE_HOME");
    fs::path card = env ? fs::path(env)
                        : (cache ? fs::path(cache) : fs::path(std::getenv("HOME") ? std::getenv("HOME") : "/") / ".cache") /
                              "torvix-player" / "samplecard";
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--no-startup")) bStartup = false;
        else if (!std::strcmp(argv[i], "--no-fill")) bFill = false;
        else if (!std::strcmp(argv[i], "--no-fanout")) bFanOut = false;
        else if (!std::strcmp(argv[i], "--card") && i + 1 < argc) card = argv[++i];
    }
    if (bStartup) BenchStartup(runs);
    if (bFill) BenchFill(std::min(runs, 5));
    if (bFanOut) BenchFanOut(card, std::min(runs, 5));
    return 0;
}
