// The reachability check: the HTTP probe against servers of the test's own on 127.0.0.1 (an answer,
// an HTTP error, a silent server, a closed port), the answers kept for a while on a clock the test
// moves, the answer posted to the window that asked, and the service addresses of services.conf
// with the settings' overrides.

#include "map/MapTestHost.h"

#include "cardtools/InternetCheck.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Registry.h>
#include <zent/platform/Text.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace zent;
using namespace maptest;
using namespace std::chrono_literals;

namespace {

std::string Loopback(int port)
{
    return "http://127.0.0.1:" + std::to_string(port) + "/";
}

} // namespace

TEST(ReachabilityProbe, AnswersBelow400CountAndEverythingElseDoesNot)
{
    CLocalHttpServer ok(CLocalHttpServer::Mode::Answer, 200);
    CLocalHttpServer moved(CLocalHttpServer::Mode::Answer, 302);
    CLocalHttpServer missing(CLocalHttpServer::Mode::Answer, 404);
    CLocalHttpServer failing(CLocalHttpServer::Mode::Answer, 503);
    // A site that sends far more than the probe wants to read still answered.
    CLocalHttpServer large(CLocalHttpServer::Mode::Answer, 200, 300 * 1024);
    CLocalHttpServer silent(CLocalHttpServer::Mode::Silent);
    for (const auto* server : {&ok, &moved, &missing, &failing, &large, &silent}) ASSERT_GT(server->Port(), 0);

    EXPECT_EQ(ProbeAddress(ok.Url(), 2000ms), 1);
    EXPECT_EQ(ProbeAddress(moved.Url(), 2000ms), 1) << "a redirect is an answer; it is not followed";
    EXPECT_EQ(ProbeAddress(missing.Url(), 2000ms), 0);
    EXPECT_EQ(ProbeAddress(failing.Url(), 2000ms), 0);
    EXPECT_EQ(ProbeAddress(large.Url(), 2000ms), 1);
    EXPECT_EQ(ProbeAddress(silent.Url(), 300ms), 0);
    EXPECT_EQ(silent.Requests(), 1) << "the silent server was asked and never answered";
    EXPECT_EQ(ProbeAddress(Loopback(ClosedPort()), 2000ms), 0);
    // Nothing but HTTP is asked, and nothing at all without an address.
    EXPECT_EQ(ProbeAddress("", 2000ms), 0);
    EXPECT_EQ(ProbeAddress("file:///etc/hostname", 2000ms), 0);
    EXPECT_EQ(ProbeAddress("ftp://127.0.0.1:" + std::to_string(ok.Port()) + "/", 2000ms), 0);
    EXPECT_EQ(ok.Requests(), 1);
}

// A clock the test moves by hand, and a probe whose answers the test sets.
class CInternetCheckTest : public ::testing::Test {
protected:
    CInternetCheck::NowFn Clock()
    {
        return [this] {
            std::lock_guard lock(m_mutex);
            return m_tNow;
        };
    }
    CInternetCheck::ProbeFn Probe()
    {
        return [this](const std::atomic<bool>&) {
            std::lock_guard lock(m_mutex);
            ++m_nCalls;
            return m_nAnswer;
        };
    }
    void Advance(std::chrono::milliseconds d)
    {
        std::lock_guard lock(m_mutex);
        m_tNow += d;
    }
    void SetAnswer(int n)
    {
        std::lock_guard lock(m_mutex);
        m_nAnswer = n;
    }
    int Calls()
    {
        std::lock_guard lock(m_mutex);
        return m_nCalls;
    }

    std::mutex m_mutex;
    CInternetCheck::Clock::time_point m_tNow{std::chrono::hours(1)};
    int m_nAnswer = 1;
    int m_nCalls = 0;
};

TEST_F(CInternetCheckTest, AnswersAreKeptForTheirTimeAndProbedAgainAfterwards)
{
    CInternetCheck check(Probe(), 5000ms, Clock());
    EXPECT_FALSE(check.GetLastResult().has_value());
    EXPECT_EQ(check.IsInternetConnected(), 1);
    SetAnswer(0);
    Advance(4999ms);
    EXPECT_EQ(check.IsInternetConnected(), 1) << "still the kept answer";
    EXPECT_EQ(Calls(), 1);
    Advance(1ms);
    EXPECT_EQ(check.IsInternetConnected(), 0) << "the time is up: asked again";
    EXPECT_EQ(Calls(), 2);
    // A stale answer is still known, but the next question probes.
    SetAnswer(1);
    check.Invalidate();
    EXPECT_EQ(check.GetLastResult(), std::optional<int>(0));
    EXPECT_EQ(check.IsInternetConnected(), 1);
    EXPECT_EQ(Calls(), 3);
    EXPECT_EQ(check.GetProbeCount(), 3);
}

TEST_F(CInternetCheckTest, AsyncQuestionsArePostedToTheWindowAndShareOneProbe)
{
    auto presenter = std::make_unique<CHeadlessPresenter>();
    auto loop = CMessageLoop::Create(std::move(presenter));
    ASSERT_TRUE(loop);
    struct Posted {
        WPARAM answer;
        LPARAM cookie;
    };
    std::vector<Posted> posted;
    constexpr UINT kAnswer = WM_APP + 77;
    const HWND hwnd = CreateWindowEx(0, L"Probe", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0,
                                     [&](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                         if (msg == kAnswer) posted.push_back({w, l});
                                         return DefWindowProc(h, msg, w, l);
                                     });
    ASSERT_TRUE(hwnd);

    // The probe waits until the test lets it go, so both questions meet the same probe.
    std::mutex gate;
    std::condition_variable cv;
    bool bRelease = false;
    CInternetCheck check(
        [&](const std::atomic<bool>&) {
            std::unique_lock lock(gate);
            cv.wait(lock, [&] { return bRelease; });
            return 1;
        },
        5000ms, Clock());
    EXPECT_FALSE(check.CheckAsync(hwnd, kAnswer, 7).has_value());
    EXPECT_FALSE(check.CheckAsync(hwnd, kAnswer, 8).has_value());
    {
        std::lock_guard lock(gate);
        bRelease = true;
    }
    cv.notify_all();
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (posted.size() < 2 && std::chrono::steady_clock::now() < end) {
        loop->PumpPending();
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].answer, 1u);
    EXPECT_EQ(posted[0].cookie, 7);
    EXPECT_EQ(posted[1].cookie, 8);
    EXPECT_EQ(check.GetProbeCount(), 1);
    // Now the answer is kept: the next question has it at once and nothing is posted.
    EXPECT_EQ(check.CheckAsync(hwnd, kAnswer, 9), std::optional<int>(1));
    loop->PumpUntilIdle();
    EXPECT_EQ(posted.size(), 2u);
    DestroyWindow(hwnd);
}

TEST(InternetCheckShutdown, AProbeUnderWayIsToldToGiveUp)
{
    std::atomic<bool> bStarted{false};
    std::atomic<bool> bSawCancel{false};
    {
        CInternetCheck check(
            [&](const std::atomic<bool>& bCancel) {
                bStarted = true;
                while (!bCancel.load()) std::this_thread::sleep_for(1ms);
                bSawCancel = true;
                return 1;
            },
            5000ms);
        EXPECT_FALSE(check.CheckAsync(nullptr, WM_APP, 0).has_value());
        while (!bStarted.load()) std::this_thread::sleep_for(1ms);
        // Leaving the scope must end the probe; a check that only waited would hang here.
    }
    EXPECT_TRUE(bSawCancel.load());
}

TEST(ReachabilityProbe, TheSharedCheckProbesTheConfiguredAddress)
{
    testsupport::TempDir dir;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    CLocalHttpServer server(CLocalHttpServer::Mode::Answer, 204);
    ASSERT_TRUE(RegWriteString(ServiceSettingsKey("Services"), L"ReachabilityProbe", Utf8ToWide(server.Url())));
    CInternetCheck::Shared().Invalidate();
    EXPECT_EQ(IsInternetConnected(), 1);
    EXPECT_EQ(server.Requests(), 1);
    // Kept: the second question does not reach the server.
    EXPECT_EQ(IsInternetConnected(), 1);
    EXPECT_EQ(server.Requests(), 1);

    ASSERT_TRUE(RegWriteString(ServiceSettingsKey("Services"), L"ReachabilityProbe", Utf8ToWide(Loopback(ClosedPort()))));
    CInternetCheck::Shared().Invalidate();
    EXPECT_EQ(IsInternetConnected(), 0);
}

TEST(ServiceAddresses, KeyFileValuesSettingsOverridesAndRelativePaths)
{
    const std::string conf = "# comment\n[Services]\nApiServer=http://api.example\n"
                             "ReachabilityProbe = http://probe.example/ \n\n[Map]\nPage0=map/gps.html\nTiles=\n"
                             "Note=a\\sb\\\\c\\n\nPage0=map/later.html\n[Other]\nPage0=other.html\n";
    EXPECT_EQ(FindKeyFileValue(conf, "Services", "ApiServer"), std::optional<std::string>("http://api.example"));
    EXPECT_EQ(FindKeyFileValue(conf, "Services", "ReachabilityProbe"), std::optional<std::string>("http://probe.example/"));
    EXPECT_EQ(FindKeyFileValue(conf, "Map", "Page0"), std::optional<std::string>("map/later.html")) << "the last wins";
    EXPECT_EQ(FindKeyFileValue(conf, "Map", "Tiles"), std::optional<std::string>(""));
    EXPECT_EQ(FindKeyFileValue(conf, "Map", "Note"), std::optional<std::string>("a b\\c\n"));
    EXPECT_EQ(FindKeyFileValue(conf, "Map", "ApiServer"), std::nullopt) << "keys belong to their group";
    EXPECT_EQ(FindKeyFileValue(conf, "Missing", "Page0"), std::nullopt);

    // Addresses: a scheme stands as it is; a path is relative to the folder of services.conf.
    EXPECT_EQ(ResolveServiceAddress("HTTPS://x.example/a?b=c", "/data"), "HTTPS://x.example/a?b=c");
    EXPECT_EQ(ResolveServiceAddress("map/gps.html", "/opt/torvix/data"), "file:///opt/torvix/data/map/gps.html");
    EXPECT_EQ(ResolveServiceAddress("../web/a b#.html", "/opt/my data/x"), "file:///opt/my%20data/web/a%20b%23.html");
    EXPECT_EQ(ResolveServiceAddress("/abs/지도.html", "/data"), "file:///abs/%EC%A7%80%EB%8F%84.html");
    EXPECT_EQ(ResolveServiceAddress("", "/data"), "");

    // The settings override the file; an empty setting does not.
    testsupport::TempDir dir;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    const auto file = dir / "services.conf";
    testsupport::WriteFile(file, conf);
    EXPECT_EQ(GetServiceValueFrom(file, "Map", "Page0"), std::optional<std::string>("map/later.html"));
    ASSERT_TRUE(RegWriteString(ServiceSettingsKey("Map"), L"Page0", L"http://127.0.0.1:9/gps.html"));
    ASSERT_TRUE(RegWriteString(ServiceSettingsKey("Map"), L"Tiles", L""));
    EXPECT_EQ(GetServiceValueFrom(file, "Map", "Page0"), std::optional<std::string>("http://127.0.0.1:9/gps.html"));
    EXPECT_EQ(GetServiceValueFrom(file, "Map", "Tiles"), std::optional<std::string>(""));
    EXPECT_EQ(GetServiceValueFrom(file, "Other", "Page0"), std::optional<std::string>("other.html"));
    EXPECT_EQ(GetServiceValueFrom(dir / "missing.conf", "Map", "Note"), std::nullopt);
}

TEST(ServiceAddresses, TheDeliveredFileNamesEveryPageTheMapAndPanelLoad)
{
    // The delivered file, with no settings of the user's in the way.
    testsupport::TempDir dir;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    for (int lang = 0; lang < 4; ++lang) {
        const std::string page = GetMapPageAddress(lang);
        ASSERT_EQ(page.rfind("file://", 0), 0u) << page;
        EXPECT_TRUE(std::filesystem::exists(page.substr(7))) << page;
        const std::string panel = GetSpeedcamPageAddress(lang);
        ASSERT_EQ(panel.rfind("file://", 0), 0u) << panel;
        EXPECT_TRUE(std::filesystem::exists(panel.substr(7))) << panel;
    }
    EXPECT_NE(GetMapPageAddress(1).find("/gps_eng.html"), std::string::npos);
    EXPECT_NE(GetMapPageAddress(3).find("/gps_kor.html"), std::string::npos);
    EXPECT_NE(GetSpeedcamPageAddress(2).find("/speedcam_link_en.html"), std::string::npos);
    // The tile source rides along as the page's parameter, escaped.
    ASSERT_TRUE(RegWriteString(ServiceSettingsKey("Map"), L"Tiles", L"http://127.0.0.1:8/{z}/{x}/{y}.png"));
    const std::string withTiles = GetMapPageAddress(0);
    EXPECT_NE(withTiles.find("/gps.html?tiles=http%3A%2F%2F127.0.0.1%3A8%2F%7Bz%7D%2F%7Bx%7D%2F%7By%7D.png"),
              std::string::npos)
        << withTiles;
    ASSERT_TRUE(RegWriteString(ServiceSettingsKey("Map"), L"Tiles", L"off"));
    EXPECT_NE(GetMapPageAddress(0).find("/gps.html?tiles=off"), std::string::npos);
}
