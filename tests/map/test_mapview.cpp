// The map control without a display: which picture stands in the map area for which state, in
// every language; the seconds it has drawn and the points they gave; the route after a jump in
// one call; calls held back until the page is ready and then sent whole; the probe's answer
// arriving late or for a recording that has gone; the web process that ends and the next
// recording that brings it back.

#include "map/MapTestHost.h"

#include "cardtools/InternetCheck.h"
#include "map/WebViewHost.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <sstream>

using namespace zent;
using namespace maptest;
using namespace std::chrono_literals;

namespace {

class CMapViewTest : public ::testing::Test {
protected:
    void SetUp() override { Build(0); }

    // bStandIns false: the map as a run without a display makes it, with its own web view and
    // no check.
    void Build(int nLanguage, std::function<int()> fnAnswer = {}, bool bStandIns = true)
    {
        auto presenter = std::make_unique<CHeadlessPresenter>();
        m_pPresenter = presenter.get();
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        ASSERT_TRUE(WriteMapSkin(m_kDir / "skin.dat"));
        ASSERT_GE(m_kLoader.OpenMergeFile((m_kDir / "skin.dat").wstring(), 1), 2);
        m_kModule.templates = kHostTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_kHost.Create(IDD_MAPHOST, nullptr));
        m_kHost.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, 0);
        m_pCheck = std::make_unique<CInternetCheck>(
            fnAnswer ? CInternetCheck::ProbeFn([fnAnswer](const std::atomic<bool>&) { return fnAnswer(); })
                     : CInternetCheck::ProbeFn([this](const std::atomic<bool>&) { return m_nOnline.load(); }),
            std::chrono::hours(1));
        m_pMap = std::make_unique<CMapView>();
        ASSERT_TRUE(m_pMap->SubclassDlgItem(kMapControlId, Host()));
        if (!bStandIns) {
            ASSERT_EQ(m_pMap->InitControl(&m_kLoader, nLanguage, "file:///test/gps.html"), 1);
            Pump();
            return;
        }
        auto state = m_pWeb;
        m_pMap->SetWebViewFactory([state](HWND, const RECT& rc, HWND hwndNotify, const std::string& page) {
            state->rc = rc;
            state->hwndNotify = hwndNotify;
            state->page = page;
            return std::make_unique<CFakeWebView>(state);
        });
        m_pMap->SetInternetCheck(m_pCheck.get());
        ASSERT_EQ(m_pMap->InitControl(&m_kLoader, nLanguage, "file:///test/gps.html"), 1);
        // The answer is known before the first recording opens, so the map finds it kept.
        if (!fnAnswer) m_pCheck->IsInternetConnected();
        Pump();
    }
    void TearDown() override
    {
        m_pMap.reset();
        m_pCheck.reset();
        SetDefaultResModule(nullptr);
    }

    // The check's answer from now on (asked on this thread, so that the map finds it kept).
    void SetOnline(int n)
    {
        m_nOnline = n;
        m_pCheck->Invalidate();
        m_pCheck->IsInternetConnected();
    }
    void Pump()
    {
        PostMessage(Host(), WM_NULL, 0, 0);
        m_pLoop->PumpUntilIdle();
    }
    // Pumps until pred holds; the probe's worker is a real thread.
    bool PumpUntil(const std::function<bool()>& pred)
    {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!pred()) {
            if (std::chrono::steady_clock::now() > end) return false;
            m_pLoop->PumpPending();
            std::this_thread::sleep_for(1ms);
        }
        Pump();
        return true;
    }
    void PageReady()
    {
        PostMessage(m_pMap->GetSafeHwnd(), WM_MAPVIEW_PAGE_READY, 0, 0);
        Pump();
    }
    void PageGone(WPARAM reason)
    {
        m_pWeb->runtime = false;
        PostMessage(m_pMap->GetSafeHwnd(), WM_MAPVIEW_PAGE_GONE, reason, 0);
        Pump();
    }
    // A recording with a track opens, as the player window opens one.
    void Open(std::vector<GpsFix> fixes, int duration, bool bHasPosition = true)
    {
        m_pMap->Reset();
        m_pMap->SetTrack(std::move(fixes), duration);
        m_pMap->ShowRoute(bHasPosition);
        Pump();
    }
    // The calls made since the given count, joined.
    std::string CallsSince(std::size_t from) const
    {
        std::string out;
        for (std::size_t i = from; i < m_pWeb->calls.size(); ++i) out += (out.empty() ? "" : " ") + m_pWeb->calls[i];
        return out;
    }
    HWND Host() const { return m_kHost.GetSafeHwnd(); }
    // "" when the map area on the screen is the placeholder id, else what differs.
    std::string MapAreaShows(UINT id) const
    {
        const COLORREF want = PlaceholderColour(id);
        int bad = 0;
        std::ostringstream first;
        for (int y = kMapRect.top; y < kMapRect.bottom; ++y)
            for (int x = kMapRect.left; x < kMapRect.right; ++x) {
                const COLORREF got = m_pPresenter->GetScreenPixel(Host(), x, y);
                if (got != want && bad++ == 0) first << " first at (" << x << ", " << y << "): 0x" << std::hex << got;
            }
        return bad ? std::to_string(bad) + " pixels are not placeholder " + std::to_string(id) + first.str() : "";
    }

    testsupport::TempDir m_kDir;
    testsupport::ScopedEnv m_kConfig{"XDG_CONFIG_HOME", (m_kDir / "config").string()};
    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_kLoader;
    CResModule m_kModule;
    CMapHostDialog m_kHost;
    std::atomic<int> m_nOnline{1};
    std::shared_ptr<CFakeWebState> m_pWeb = std::make_shared<CFakeWebState>();
    std::unique_ptr<CInternetCheck> m_pCheck;
    std::unique_ptr<CMapView> m_pMap;
};

// The point the map sends for fix i of Drive().
MapPoint DrivePoint(int i, double speed)
{
    return MapPoint{MapCoordinate(37.566535 + 0.0001 * i), MapCoordinate(126.977969 + 0.0001 * i), speed};
}

class CMapPlaceholderTest : public CMapViewTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {}
};

class CMapWithoutDisplayTest : public CMapViewTest {
protected:
    void SetUp() override { Build(2, {}, false); }
};

// The probe answers only when the test lets it.
class CMapLateAnswerTest : public CMapViewTest {
protected:
    void SetUp() override
    {
        Build(0, [this] {
            std::unique_lock lock(m_gate);
            m_cv.wait(lock, [this] { return m_nReleased > 0; });
            --m_nReleased;
            return m_nAnswer;
        });
    }
    void TearDown() override
    {
        Release(1000, 0); // whatever is still waiting ends
        CMapViewTest::TearDown();
    }
    void Release(int n, int answer)
    {
        {
            std::lock_guard lock(m_gate);
            m_nReleased += n;
            m_nAnswer = answer;
        }
        m_cv.notify_all();
    }

    std::mutex m_gate;
    std::condition_variable m_cv;
    int m_nReleased = 0;
    int m_nAnswer = 1;
};

} // namespace

TEST_P(CMapPlaceholderTest, EachStateShowsItsPictureAndTheRuntimePictureOpensTheHelpPage)
{
    const int lang = GetParam();
    const UINT off = lang == 3 ? 0 : static_cast<UINT>(lang);
    ASSERT_NO_FATAL_FAILURE(Build(lang));
    CRecordingOpener opener;
    EXPECT_EQ(MapAreaShows(183 + off), "");
    EXPECT_EQ(m_pWeb->page, "file:///test/gps.html");
    EXPECT_EQ(m_pWeb->rc, kMapRect) << "the web view lies over the map area";

    // No position in the recording: the no-position picture, no browser.
    Open(Drive(30), 30, false);
    EXPECT_EQ(MapAreaShows(183 + off), "");
    EXPECT_EQ(m_pWeb->nCreateCalls, 0);

    // Position, but the internet does not answer.
    SetOnline(0);
    Open(Drive(30), 30);
    EXPECT_EQ(MapAreaShows(186 + off), "");
    EXPECT_EQ(m_pMap->GetInternetState(), 0);
    EXPECT_EQ(m_pWeb->nCreateCalls, 0);
    m_pMap->Reset();
    Pump();
    EXPECT_EQ(MapAreaShows(186 + off), "") << "the last answer stands after a reset";

    // Online: the browser is made; the web view is shown once the page is ready.
    SetOnline(1);
    Open(Drive(30), 30);
    EXPECT_EQ(m_pWeb->nCreateCalls, 1);
    EXPECT_FALSE(m_pWeb->shown);
    EXPECT_FALSE(m_pMap->IsPageLoaded());
    PageReady();
    EXPECT_TRUE(m_pWeb->shown);
    EXPECT_TRUE(m_pMap->IsPageLoaded());
    EXPECT_EQ(m_kHost.m_vecMessages, std::vector<UINT>{WM_MAP_LOAD_COMPLETE});
    EXPECT_TRUE(opener.m_vecOpened.empty()) << "clicks do nothing while the map can run";

    // The web process ends: the runtime picture, the parent is told, a click opens the help.
    PageGone(kPageGoneTerminated);
    EXPECT_EQ(MapAreaShows(401 + off), "");
    EXPECT_FALSE(m_pWeb->shown);
    EXPECT_FALSE(m_pMap->IsRuntimeAvailable());
    EXPECT_FALSE(m_pMap->IsPageLoaded());
    EXPECT_EQ(m_kHost.m_vecMessages, (std::vector<UINT>{WM_MAP_LOAD_COMPLETE, WM_MAP_RUNTIME_MISSING}));
    m_pPresenter->InjectClick(Host(), POINT{kMapRect.left + 30, kMapRect.top + 30});
    Pump();
    EXPECT_EQ(opener.m_vecOpened, std::vector<std::string>{CBmpWebLinkEx::GetRuntimeHelpAddress()});
    m_pMap->Reset();
    Pump();
    EXPECT_EQ(MapAreaShows(401 + off), "") << "the runtime picture stays until the next recording";

    // The next recording with position tries again and recovers.
    Open(Drive(30), 30);
    EXPECT_EQ(m_pWeb->nCreateCalls, 2);
    EXPECT_TRUE(m_pMap->IsRuntimeAvailable());
    PageReady();
    EXPECT_TRUE(m_pWeb->shown);
    EXPECT_TRUE(m_pMap->IsPageLoaded());
    m_pPresenter->InjectClick(Host(), POINT{kMapRect.left + 30, kMapRect.top + 30});
    Pump();
    EXPECT_EQ(opener.m_vecOpened.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Languages, CMapPlaceholderTest, ::testing::Values(0, 1, 2, 3));

TEST_F(CMapViewTest, AWebViewThatDiesWhileLoadingIsReportedBeforeTheEndOfTheSetUp)
{
    Open(Drive(10), 10);
    ASSERT_EQ(m_pWeb->nCreateCalls, 1);
    PageGone(kPageGoneNoRuntime);
    EXPECT_EQ(m_kHost.m_vecMessages, (std::vector<UINT>{WM_MAP_RUNTIME_MISSING, WM_MAP_LOAD_COMPLETE}));
    EXPECT_EQ(MapAreaShows(401), "");

    // No browser can be made here at all (no display): the set-up ends without one, and the map
    // keeps its picture.
    m_pWeb->canCreate = false;
    m_kHost.m_vecMessages.clear();
    Open(Drive(10), 10);
    EXPECT_EQ(m_kHost.m_vecMessages, std::vector<UINT>{WM_MAP_LOAD_COMPLETE});
    EXPECT_FALSE(m_pMap->IsPageLoaded());
    EXPECT_FALSE(m_pWeb->shown);
}

TEST_F(CMapViewTest, SecondsAreDrawnOnceAndSecondsWithoutAFixRepeatTheLastPosition)
{
    // Fixes 0-2 have no position, fix 6 neither, fix 8 no speed.
    std::vector<GpsFix> fixes = Drive(10, 3);
    fixes[6] = GpsFix::Empty();
    fixes[8].speedKmh = std::nan("");
    Open(fixes, 10);
    PageReady();
    const std::size_t mark = m_pWeb->calls.size();
    m_pMap->DrawPosition(0);
    m_pMap->DrawPosition(0);
    m_pMap->DrawPosition(3);
    m_pMap->DrawPosition(4);
    m_pMap->DrawPosition(3);
    m_pMap->DrawPosition(5);
    m_pMap->DrawPosition(6);
    m_pMap->DrawPosition(8);
    EXPECT_EQ(m_pMap->GetPlottedSeconds(), (std::vector<int>{0, 3, 4, 5, 6, 8}));
    EXPECT_TRUE(m_pMap->IsPlotted(6));
    EXPECT_FALSE(m_pMap->IsPlotted(7));
    EXPECT_EQ(m_pMap->GetCurrentSecond(), 8);
    // Second 0 has no fix and none before it: nothing is sent. Second 6 repeats fix 5; fix 8
    // keeps the speed of the point before it.
    EXPECT_EQ(CallsSince(mark), "addPos addPos addPos addPos addPos");
    const std::vector<MapPoint> added(m_pWeb->added.end() - 5, m_pWeb->added.end());
    EXPECT_EQ(added, (std::vector<MapPoint>{DrivePoint(3, 23), DrivePoint(4, 24), DrivePoint(5, 25),
                                            DrivePoint(5, 25), DrivePoint(8, 25)}));
    // The route the page keeps holds the repeat once.
    EXPECT_EQ(m_pMap->GetRoute(), (std::vector<MapPoint>{DrivePoint(3, 23), DrivePoint(4, 24), DrivePoint(5, 25),
                                                          DrivePoint(8, 25)}));

    // A track spread over a longer recording: second s takes fix trunc(count * s / duration).
    Open(Drive(10), 40);
    PageReady();
    m_pMap->DrawPosition(7);
    m_pMap->DrawPosition(39);
    EXPECT_EQ(std::vector<MapPoint>(m_pWeb->added.end() - 2, m_pWeb->added.end()),
              (std::vector<MapPoint>{DrivePoint(1, 21), DrivePoint(9, 29)}));

    // Offline the seconds are counted all the same, and nothing is sent.
    SetOnline(0);
    Open(Drive(10), 10);
    const std::size_t offline = m_pWeb->calls.size();
    m_pMap->DrawPosition(1);
    m_pMap->DrawPosition(2);
    EXPECT_EQ(m_pMap->GetPlottedSeconds(), (std::vector<int>{1, 2}));
    EXPECT_EQ(CallsSince(offline), "");
}

TEST_F(CMapViewTest, AJumpSendsTheWholeRouteInOneCall)
{
    Open(Drive(3600), 3600);
    PageReady();
    for (int s = 0; s < 10; ++s) m_pMap->DrawPosition(s);
    const std::size_t mark = m_pWeb->calls.size();
    const std::size_t replots = m_pWeb->replots.size();
    m_pMap->Replot(120);
    EXPECT_EQ(CallsSince(mark), "replotPos");
    ASSERT_EQ(m_pWeb->replots.size(), replots + 1);
    const std::vector<MapPoint>& sent = m_pWeb->replots.back();
    ASSERT_EQ(sent.size(), 120u);
    for (int s = 0; s < 120; ++s) ASSERT_EQ(sent[static_cast<std::size_t>(s)], DrivePoint(s, 20.0 + s)) << s;
    std::vector<int> expected(120);
    for (int s = 0; s < 120; ++s) expected[static_cast<std::size_t>(s)] = s;
    EXPECT_EQ(m_pMap->GetPlottedSeconds(), expected);
    // The play goes on from the jump one second at a time.
    m_pMap->DrawPosition(120);
    EXPECT_EQ(CallsSince(mark), "replotPos addPos");

    // A jump far past the end draws the recording's route and no more.
    m_pMap->Replot(1 << 30);
    EXPECT_EQ(m_pMap->GetPlottedSeconds().size(), 3601u);
    EXPECT_EQ(m_pWeb->replots.back().size(), 3600u);

    // A jump back before the first fix: those seconds have no position, even though a later
    // second gave one before the jump.
    Open(Drive(60, 10), 60);
    PageReady();
    for (int s = 0; s <= 30; ++s) m_pMap->DrawPosition(s);
    m_pMap->Replot(5);
    EXPECT_TRUE(m_pWeb->replots.back().empty());
    EXPECT_TRUE(m_pMap->GetRoute().empty());
    EXPECT_EQ(m_pMap->GetPlottedSeconds(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(CMapViewTest, CallsWaitForThePageWhichThenGetsTheWholeState)
{
    Open(Drive(30), 30);
    const std::wstring name = L"서울특별시\u00a0중구 '); alert(1); ('<b>x</b>";
    for (int s = 0; s < 5; ++s) m_pMap->DrawPosition(s);
    m_pMap->SetAdminDistrictName(name);
    m_pMap->SetSpeedUnit(1);
    EXPECT_EQ(CallsSince(0), "create") << "nothing reaches a page that is not ready";
    EXPECT_FALSE(m_pMap->IsPageLoaded());
    EXPECT_TRUE(m_kHost.m_vecMessages.empty());

    PageReady();
    EXPECT_EQ(CallsSince(1), "speedUnit replotPos district");
    EXPECT_EQ(m_pWeb->units, std::vector<int>{1});
    EXPECT_EQ(m_pWeb->replots.back(), (std::vector<MapPoint>{DrivePoint(0, 20), DrivePoint(1, 21), DrivePoint(2, 22),
                                                              DrivePoint(3, 23), DrivePoint(4, 24)}));
    // The name goes as a value, exactly as given.
    EXPECT_EQ(m_pWeb->districts, std::vector<std::wstring>{name});
    EXPECT_EQ(m_kHost.m_vecMessages, std::vector<UINT>{WM_MAP_LOAD_COMPLETE});

    // The next recording on the kept page: cleared, the first fix, load complete at once.
    m_pWeb->calls.clear();
    m_kHost.m_vecMessages.clear();
    Open(Drive(30), 30);
    EXPECT_EQ(CallsSince(0), "delPos replotPos district");
    EXPECT_EQ(m_pWeb->replots.back(), std::vector<MapPoint>{DrivePoint(0, 20)});
    EXPECT_EQ(m_pWeb->nCreateCalls, 2) << "asked again, and nothing made anew";
    EXPECT_EQ(m_kHost.m_vecMessages, std::vector<UINT>{WM_MAP_LOAD_COMPLETE});
    EXPECT_TRUE(m_pMap->IsPageLoaded());
    // Reset and the next route in one go leave the page on screen: it is never hidden between.
    EXPECT_TRUE(m_pWeb->shown);
    EXPECT_EQ(m_pWeb->nHides, 0);

    // A recording without position: the default view and the district "0, 0".
    m_pWeb->calls.clear();
    Open(Drive(30), 30, false);
    EXPECT_EQ(CallsSince(0), "delPos setDefaultPos district");
    EXPECT_EQ(m_pWeb->districts.back(), L"0, 0");
    EXPECT_FALSE(m_pWeb->shown);
    EXPECT_EQ(m_pWeb->nHides, 1);
    EXPECT_FALSE(m_pMap->IsPageLoaded());
}

TEST_F(CMapLateAnswerTest, TheProbeRunsAsideAndOnlyTheLatestQuestionsAnswerCounts)
{
    // The window does not wait: the route is kept while the probe is out.
    Open(Drive(30), 30);
    EXPECT_EQ(m_pMap->GetInternetState(), -1);
    EXPECT_EQ(m_pWeb->nCreateCalls, 0);
    m_pMap->DrawPosition(0);
    m_pMap->DrawPosition(1);
    Release(1, 1);
    ASSERT_TRUE(PumpUntil([&] { return m_pWeb->nCreateCalls == 1; }));
    EXPECT_EQ(m_pMap->GetInternetState(), 1);
    PageReady();
    EXPECT_EQ(m_pWeb->replots.back(), (std::vector<MapPoint>{DrivePoint(0, 20), DrivePoint(1, 21)}));

    // An answer that comes after its recording has gone is not acted on.
    m_pCheck->Invalidate();
    Open(Drive(30), 30, true);
    // The last answer stands in at once while the new probe is out.
    EXPECT_TRUE(m_pMap->IsPageLoaded());
    m_pMap->Reset();
    Release(1, 0);
    ASSERT_TRUE(PumpUntil([&] { return m_pCheck->GetProbeCount() == 2; }));
    Pump();
    EXPECT_EQ(m_pMap->GetInternetState(), 1) << "the answer of a closed recording changed the map";
    EXPECT_EQ(MapAreaShows(183), "");

    // The fresh answer corrects the one that stood in: the network has gone.
    m_pCheck->Invalidate();
    Release(1, 1);
    ASSERT_EQ(m_pCheck->IsInternetConnected(), 1);
    m_pCheck->Invalidate();
    Open(Drive(30), 30, true);
    EXPECT_TRUE(m_pWeb->shown);
    Release(1, 0);
    ASSERT_TRUE(PumpUntil([&] { return m_pMap->GetInternetState() == 0; }));
    EXPECT_FALSE(m_pWeb->shown);
    EXPECT_FALSE(m_pMap->IsPageLoaded());
    EXPECT_EQ(MapAreaShows(186), "");
}

TEST_F(CMapViewTest, ACaptureWithoutARouteGetsNoPictureAtOnce)
{
    int nCalls = 0;
    HBITMAP got = reinterpret_cast<HBITMAP>(1);
    auto done = [&](HBITMAP h) {
        ++nCalls;
        got = h;
    };
    m_pMap->Capture(done);
    EXPECT_EQ(nCalls, 1);
    EXPECT_EQ(got, nullptr);
    SetOnline(0);
    Open(Drive(10), 10);
    m_pMap->Capture(done);
    EXPECT_EQ(nCalls, 2);
    EXPECT_EQ(got, nullptr);
}

TEST(MapValues, CoordinatesAndTheRouteTextAsThePageReceivesThem)
{
    // Single precision, six decimals: what the page has always been fed.
    EXPECT_DOUBLE_EQ(MapCoordinate(37.5665351), 37.566536);
    EXPECT_DOUBLE_EQ(MapCoordinate(126.9779692), 126.977966);
    EXPECT_DOUBLE_EQ(MapCoordinate(-33.8688197), -33.868820);
    EXPECT_TRUE(std::isnan(MapCoordinate(std::nan(""))));
    // The route as one JSON text: points without numbers are left out, a missing speed is 0.
    const double nan = std::nan("");
    EXPECT_EQ(CWebViewHost::PointsJson({{37.5, 126.25, 51.26}, {nan, 126.0, 3.0}, {-33.868820, 151.209290, nan}}),
              "[[37.500000,126.250000,51.3],[-33.868820,151.209290,0.0]]");
    EXPECT_EQ(CWebViewHost::PointsJson({}), "[]");
    EXPECT_EQ(MapLanguageOffset(0), 0);
    EXPECT_EQ(MapLanguageOffset(2), 2);
    EXPECT_EQ(MapLanguageOffset(3), 0);
    EXPECT_EQ(MapLanguageOffset(-1), 0);
}

TEST_F(CMapWithoutDisplayTest, TheMapHasAWindowButNoBrowserAndAsksNoNetwork)
{
    // The web view's window is there, hidden, over the map area; no browser can be made in it.
    auto* host = dynamic_cast<CWebViewHost*>(m_pMap->GetWebView());
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(m_pPresenter->HasNative(host->GetSafeHwnd()));
    EXPECT_FALSE(m_pPresenter->IsNativeVisible(host->GetSafeHwnd()));
    EXPECT_EQ(m_pPresenter->GetNativeRect(host->GetSafeHwnd()), kMapRect);
    EXPECT_FALSE(host->CreateBrowser());
    EXPECT_EQ(MapAreaShows(185), "");

    // A recording with position shows the offline picture: without a display nothing is probed.
    Open(Drive(30), 30);
    EXPECT_EQ(m_pMap->GetInternetState(), 0);
    EXPECT_EQ(MapAreaShows(188), "");
    for (int s = 0; s < 5; ++s) m_pMap->DrawPosition(s);
    m_pMap->Replot(20);
    EXPECT_EQ(m_pMap->GetPlottedSeconds().size(), 20u);
    EXPECT_FALSE(m_pPresenter->IsNativeVisible(host->GetSafeHwnd()));
    EXPECT_FALSE(m_pMap->IsPageLoaded());
}
