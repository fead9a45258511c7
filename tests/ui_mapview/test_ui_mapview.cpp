// The map control with its real web view on the GTK presenter, on an X server of the test's own:
// the route grows a point a second in the speed colours, a jump redraws it in one call, a district
// name with quotes and markup stays text, the web process that is killed brings up the runtime
// picture and the parent's message, and the next recording brings the map back. The speed-camera
// panel paints its page and opens the page's link. Nothing leaves the machine: the pages are the
// delivered files without tiles, and the probe asks a server of the test's own on 127.0.0.1.

#include "map/MapTestHost.h"
#include "ui_map/XvfbDisplay.h"

#include "cardtools/InternetCheck.h"
#include "map/WebViewHost.h"

#include <zent/platform/Image.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/Text.h>
#include <zent/platform/gtk/GtkPresenter.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using namespace zent;
using namespace maptest;
using namespace std::chrono_literals;

namespace {

// The display, the settings folder and GTK's quiet settings, once per test program.
class CUiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_pDir = std::make_unique<testsupport::TempDir>();
        m_pDisplay = std::make_unique<uimap::XvfbDisplay>(m_pDir->Path());
        if (!m_pDisplay->Ok()) {
            Error() = m_pDisplay->Error();
            return;
        }
        setenv("DISPLAY", m_pDisplay->Display().c_str(), 1);
        setenv("XAUTHORITY", m_pDisplay->AuthFile().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("NO_AT_BRIDGE", "1", 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        // The settings the map reads are the test's own (the web views keep nothing on disk).
        setenv("XDG_CONFIG_HOME", (m_pDir->Path() / "config").c_str(), 1);
        Ready() = true;
    }
    void TearDown() override
    {
        m_pDisplay.reset();
        m_pDir.reset();
    }
    static bool& Ready()
    {
        static bool ready = false;
        return ready;
    }
    static std::string& Error()
    {
        static std::string error = "the display was not set up";
        return error;
    }

private:
    std::unique_ptr<testsupport::TempDir> m_pDir;
    std::unique_ptr<uimap::XvfbDisplay> m_pDisplay;
};

[[maybe_unused]] const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CUiEnvironment);

std::string DataUri(const std::string& relative, const std::string& query = "")
{
    return "file://" + (std::filesystem::path(TORVIX_BIN_DIR) / "data" / relative).string() + query;
}

// Pixels of one colour (within a tolerance) in a bitmap.
int CountColour(HBITMAP bmp, std::uint32_t rgb, int tolerance, const RECT* area = nullptr)
{
    BITMAP bm;
    if (!bmp || !GetObject(bmp, &bm)) return -1;
    const RECT rc = area ? *area : RECT{0, 0, bm.bmWidth, bm.bmHeight};
    int n = 0;
    for (int y = std::max<LONG>(rc.top, 0); y < std::min<LONG>(rc.bottom, bm.bmHeight); ++y) {
        const std::uint32_t* row = GetBitmapRow(bmp, y);
        for (int x = std::max<LONG>(rc.left, 0); x < std::min<LONG>(rc.right, bm.bmWidth); ++x) {
            bool near = true;
            for (int shift = 0; shift <= 16; shift += 8)
                near = near && std::abs(static_cast<int>((row[x] >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) <= tolerance;
            n += near;
        }
    }
    return n;
}

// Pictures kept for people to look at (<build>/test-output/ui_mapview); a build tree the test may
// not write to only loses them.
void Save(HBITMAP bmp, const std::string& name)
{
    const auto dir = std::filesystem::path(TORVIX_BIN_DIR).parent_path() / "test-output" / "ui_mapview";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    SaveBitmapAsPng(bmp, (dir / (name + ".png")).wstring());
}

constexpr std::uint32_t kSpeedNormal = 0x1EC7FF; // the graph's sky blue
constexpr std::uint32_t kSpeedOver = 0xFF5A00;   // the graph's orange-red
constexpr std::uint32_t kMarker = 0xE3262F;

class CMapViewUiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CUiEnvironment::Ready()) << CUiEnvironment::Error();
        std::string error;
        auto presenter = CGtkPresenter::Create(&error);
        ASSERT_TRUE(presenter) << error;
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        ASSERT_TRUE(WriteMapSkin(m_kDir / "skin.dat"));
        ASSERT_GE(m_kLoader.OpenMergeFile((m_kDir / "skin.dat").wstring(), 1), 2);
        m_kModule.templates = kHostTemplates;
        SetDefaultResModule(&m_kModule);
        m_pHost = std::make_unique<CMapHostDialog>();
        ASSERT_TRUE(m_pHost->Create(IDD_MAPHOST, nullptr));
        m_pHost->LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, 0);
        ASSERT_GT(m_kProbeServer.Port(), 0);
        m_pCheck = std::make_unique<CInternetCheck>(CInternetCheck::HttpProbe(m_kProbeServer.Url(), 5000ms), 60000ms);
        Settle(200ms);
    }
    void TearDown() override
    {
        m_pPanel.reset();
        m_pMap.reset();
        m_pHost.reset();
        m_pCheck.reset();
        SetDefaultResModule(nullptr);
        m_pLoop.reset();
    }

    void MakeMap()
    {
        m_pMap = std::make_unique<CMapView>();
        ASSERT_TRUE(m_pMap->SubclassDlgItem(kMapControlId, Host()));
        m_pMap->SetInternetCheck(m_pCheck.get());
        ASSERT_EQ(m_pMap->InitControl(&m_kLoader, 0, DataUri("map/gps.html", "?tiles=off")), 1);
        ASSERT_NE(WebHost(), nullptr);
    }
    CWebViewHost* WebHost() const { return dynamic_cast<CWebViewHost*>(m_pMap->GetWebView()); }

    // Runs the loop, GTK included, until pred holds or the time is up.
    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 30s)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!pred()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            m_pLoop->PumpPending();
            m_pLoop->GetPresenter().WaitForWork(m_pLoop->Now() + 10ms);
        }
        return true;
    }
    void Settle(std::chrono::milliseconds time) { PumpUntil([] { return false; }, time); }

    // A script function body on the page, its result as text.
    std::string Eval(const std::string& body)
    {
        auto result = std::make_shared<std::optional<std::optional<std::string>>>();
        m_pMap->GetWebView()->Evaluate(body, [result](std::optional<std::string> text) { *result = std::move(text); });
        if (!PumpUntil([&] { return result->has_value(); }, 10s)) return "(no answer)";
        return result->value().value_or("(failed)");
    }
    // Polls a body until it gives the expected text (the page works through its calls in order,
    // but the web process paints in its own time).
    std::string EvalUntil(const std::string& body, const std::string& expected)
    {
        std::string got;
        PumpUntil([&] { return (got = Eval(body)) == expected; }, 15s);
        return got;
    }
    // Opens a recording the way the player window does and waits for the page to take it.
    void Open(std::vector<GpsFix> fixes, int duration)
    {
        const int before = m_pHost->Count(WM_MAP_LOAD_COMPLETE);
        m_pMap->Reset();
        m_pMap->SetTrack(std::move(fixes), duration);
        m_pMap->ShowRoute(true);
        ASSERT_TRUE(PumpUntil([&] { return m_pHost->Count(WM_MAP_LOAD_COMPLETE) > before && m_pMap->IsPageLoaded(); }))
            << "the page never reported ready";
    }
    // The map picture for a capture, copied.
    UniqueBitmap Capture()
    {
        auto copy = std::make_shared<UniqueBitmap>();
        auto done = std::make_shared<bool>(false);
        m_pMap->Capture([copy, done](HBITMAP h) {
            *done = true;
            BITMAP bm;
            if (!h || !GetObject(h, &bm)) return;
            void* bits = nullptr;
            copy->reset(CreateDIBSection(nullptr, bm.bmWidth, bm.bmHeight, &bits));
            for (int y = 0; y < bm.bmHeight; ++y)
                std::memcpy(GetBitmapRow(copy->get(), y), GetBitmapRow(h, y), static_cast<std::size_t>(bm.bmWidth) * 4);
        });
        PumpUntil([&] { return *done; }, 10s);
        return std::move(*copy);
    }
    // "" when the map area of the dialog's picture is the placeholder id.
    std::string MapAreaShows(UINT id)
    {
        Settle(100ms);
        const int n = CountColour(GetWindowPicture(Host()), SkinPixel(PlaceholderColour(id)) & 0xFFFFFF, 0, &kMapRect);
        const int all = kMapRect.Width() * kMapRect.Height();
        return n == all ? "" : std::to_string(all - n) + " pixels are not placeholder " + std::to_string(id);
    }
    HWND Host() const { return m_pHost->GetSafeHwnd(); }

    testsupport::TempDir m_kDir;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_kLoader;
    CResModule m_kModule;
    std::unique_ptr<CMapHostDialog> m_pHost;
    CLocalHttpServer m_kProbeServer{CLocalHttpServer::Mode::Answer, 200};
    std::unique_ptr<CInternetCheck> m_pCheck;
    std::unique_ptr<CMapView> m_pMap;
    std::unique_ptr<CBmpWebLink> m_pPanel;
};

} // namespace

TEST_F(CMapViewUiTest, TheRouteGrowsInSpeedColoursAndAJumpRedrawsItInOneCall)
{
    ASSERT_NO_FATAL_FAILURE(MakeMap());
    // Speeds 20 km/h and up by one a second: above 200 from second 181 on.
    ASSERT_NO_FATAL_FAILURE(Open(Drive(600), 600));
    EXPECT_EQ(m_kProbeServer.Requests(), 1) << "the probe asked the test's server";
    EXPECT_TRUE(IsWindowVisible(WebHost()->GetSafeHwnd())) << "the web view is shown over the map area";
    EXPECT_EQ(EvalUntil("return torvixMapState().points;", "1"), "1") << "the first fix on opening";

    for (int s = 0; s < 10; ++s) m_pMap->DrawPosition(s);
    EXPECT_EQ(EvalUntil("return torvixMapState().points;", "10"), "10");
    EXPECT_EQ(Eval("return torvixMapState().marker.map(v => v.toFixed(6)).join(',');"),
              "37.567436,126.978867"); // fix 9, as narrowed for the page
    EXPECT_EQ(Eval("return torvixMapState().legend;"), "true");
    Settle(300ms);
    UniqueBitmap first = Capture();
    ASSERT_TRUE(first);
    Save(first.get(), "route");
    BITMAP bm;
    GetObject(first.get(), &bm);
    EXPECT_EQ(bm.bmWidth, kMapRect.Width());
    EXPECT_EQ(bm.bmHeight, kMapRect.Height());
    // The route runs from the marker in the middle down to the left (the drive goes north-east);
    // the legend sits in the bottom-left corner, away from this box.
    const int cx = bm.bmWidth / 2, cy = bm.bmHeight / 2;
    const RECT tail{cx - 40, cy + 5, cx - 13, cy + 55};
    EXPECT_GT(CountColour(first.get(), kSpeedNormal, 40, &tail), 50) << "the route in the colour of its speed";
    EXPECT_EQ(CountColour(first.get(), kSpeedOver, 40, &tail), 0);
    const RECT centre{cx - 12, cy - 12, cx + 13, cy + 13};
    EXPECT_GT(CountColour(first.get(), kMarker, 40, &centre), 100) << "the marker in the middle";

    // The jump: the route of 300 seconds in one call, the part above 200 km/h in orange-red.
    m_pMap->Replot(300);
    EXPECT_EQ(EvalUntil("return torvixMapState().points;", "300"), "300");
    EXPECT_EQ(Eval("return JSON.stringify(torvixMapState().runs);"), "[[\"normal\",181],[\"over\",120]]");
    EXPECT_EQ(Eval("return torvixMapState().marker.map(v => v.toFixed(4)).join(',');"), "37.5964,127.0079");
    Settle(300ms);
    UniqueBitmap jumped = Capture();
    ASSERT_TRUE(jumped);
    Save(jumped.get(), "jump");
    EXPECT_GT(CountColour(jumped.get(), kSpeedOver, 40, &tail), 50) << "over the limit at the end of the route";
    EXPECT_EQ(CountColour(jumped.get(), kSpeedNormal, 40, &tail), 0);
}

TEST_F(CMapViewUiTest, ADistrictNameWithQuotesAndMarkupStaysText)
{
    ASSERT_NO_FATAL_FAILURE(MakeMap());
    ASSERT_NO_FATAL_FAILURE(Open(Drive(60), 60));
    const std::wstring hostile = L"서울특별시\u00a0중구'); window.injected = 1; (\"<b>x</b>\\";
    m_pMap->SetAdminDistrictName(hostile);
    EXPECT_EQ(EvalUntil("return document.getElementById('district').textContent;", WideToUtf8(hostile)),
              WideToUtf8(hostile));
    EXPECT_EQ(Eval("return document.querySelectorAll('#district b').length + (window.injected ? 10 : 0);"), "0");
}

TEST_F(CMapViewUiTest, AKilledWebProcessShowsTheRuntimePictureAndTheNextRecordingRecovers)
{
    CRecordingOpener opener;
    ASSERT_NO_FATAL_FAILURE(MakeMap());
    ASSERT_NO_FATAL_FAILURE(Open(Drive(60), 60));
    for (int s = 0; s < 5; ++s) m_pMap->DrawPosition(s);
    EXPECT_EQ(EvalUntil("return torvixMapState().points;", "5"), "5");

    WebHost()->TerminateWebProcess();
    ASSERT_TRUE(PumpUntil([&] { return m_pHost->Count(WM_MAP_RUNTIME_MISSING) == 1; }))
        << "the parent was not told that the map cannot run";
    EXPECT_FALSE(m_pMap->IsRuntimeAvailable());
    EXPECT_FALSE(m_pMap->IsPageLoaded());
    EXPECT_EQ(m_pMap->GetPlaceholderId(), 401u);
    EXPECT_FALSE(IsWindowVisible(WebHost()->GetSafeHwnd()));
    EXPECT_EQ(MapAreaShows(401), "");
    Save(GetWindowPicture(Host()), "runtime-missing");
    // A click on the picture leads to the help page.
    m_pMap->LButtonDown(0, POINT{20, 20});
    EXPECT_EQ(opener.m_vecOpened, std::vector<std::string>{CBmpWebLinkEx::GetRuntimeHelpAddress()});

    // The next recording starts a new web process and gets its route.
    ASSERT_NO_FATAL_FAILURE(Open(Drive(60), 60));
    EXPECT_TRUE(m_pMap->IsRuntimeAvailable());
    EXPECT_TRUE(IsWindowVisible(WebHost()->GetSafeHwnd()));
    for (int s = 0; s < 3; ++s) m_pMap->DrawPosition(s);
    EXPECT_EQ(EvalUntil("return torvixMapState().points;", "3"), "3");
}

TEST_F(CMapViewUiTest, TheSpeedcamPanelPaintsItsPageAndOpensTheFirstLink)
{
    CRecordingOpener opener;
    m_pPanel = std::make_unique<CBmpWebLink>();
    m_pPanel->SetInternetCheck(m_pCheck.get());
    ASSERT_EQ(m_pPanel->Create(kPanelRect, Host(), IDC_PANEL, &m_kLoader, 0, DataUri("web/speedcam_link_kr.html")), 1);
    ASSERT_TRUE(PumpUntil([&] { return m_pPanel->HasPagePicture(); })) << "the page's picture never came";
    Settle(100ms);
    Save(GetWindowPicture(Host()), "panel");
    // The page's dark ground fills the panel instead of the waiting picture.
    const int area = kPanelRect.Width() * kPanelRect.Height();
    const HBITMAP picture = GetWindowPicture(Host());
    EXPECT_GT(CountColour(picture, 0x10161D, 30, &kPanelRect), area / 4);
    EXPECT_EQ(CountColour(picture, SkinPixel(kWaiting) & 0xFFFFFF, 0, &kPanelRect), 0);
    m_pPanel->LButtonDown(0, POINT{30, 30});
    const auto configured = GetServiceValue("Services", "SpeedcamPage0");
    ASSERT_TRUE(configured.has_value());
    EXPECT_EQ(opener.m_vecOpened, std::vector<std::string>{*configured});
}
