// The speed-camera panel without a display: the waiting picture until the page has loaded and
// settled, then the page's picture; a click on the loaded panel opens the page's first link, and
// only a web address; the page is never asked for without the internet; and a panel without any
// web view (no display) still paints.

#include "map/MapTestHost.h"

#include "cardtools/InternetCheck.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtest/gtest.h>

#include <sstream>

using namespace zent;
using namespace maptest;
using namespace std::chrono_literals;

namespace {

class CSpeedcamPanelTest : public ::testing::Test {
protected:
    void SetUp() override
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
    }
    void TearDown() override
    {
        m_pPanel.reset();
        m_pCheck.reset();
        SetDefaultResModule(nullptr);
    }

    // The panel with a stand-in page, the internet answering nOnline.
    void Create(int nOnline)
    {
        m_pCheck = std::make_unique<CInternetCheck>([nOnline](const std::atomic<bool>&) { return nOnline; },
                                                    std::chrono::hours(1));
        m_pCheck->IsInternetConnected();
        m_pPanel = std::make_unique<CBmpWebLink>();
        auto state = m_pPage;
        m_pPanel->SetPageViewFactory([state](int w, int h, HWND) { return std::make_unique<CFakePageView>(state, w, h); });
        m_pPanel->SetInternetCheck(m_pCheck.get());
        ASSERT_EQ(m_pPanel->Create(kPanelRect, Host(), IDC_PANEL, &m_kLoader, 0, "file:///test/speedcam.html"), 1);
        Pump();
    }
    void Pump()
    {
        PostMessage(Host(), WM_NULL, 0, 0);
        m_pLoop->PumpUntilIdle();
    }
    void Post(UINT message)
    {
        PostMessage(m_pPanel->GetSafeHwnd(), message, 0, 0);
        Pump();
    }
    void Click()
    {
        m_pPresenter->InjectClick(Host(), POINT{kPanelRect.left + 40, kPanelRect.top + 40});
        Pump();
    }
    HWND Host() const { return m_kHost.GetSafeHwnd(); }
    std::string PanelShows(COLORREF want) const
    {
        int bad = 0;
        std::ostringstream first;
        for (int y = kPanelRect.top; y < kPanelRect.bottom; ++y)
            for (int x = kPanelRect.left; x < kPanelRect.right; ++x) {
                const COLORREF got = m_pPresenter->GetScreenPixel(Host(), x, y);
                if (got != want && bad++ == 0) first << " first at (" << x << ", " << y << "): 0x" << std::hex << got;
            }
        return bad ? std::to_string(bad) + " pixels differ;" + first.str() : "";
    }

    testsupport::TempDir m_kDir;
    testsupport::ScopedEnv m_kConfig{"XDG_CONFIG_HOME", (m_kDir / "config").string()};
    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_kLoader;
    CResModule m_kModule;
    CMapHostDialog m_kHost;
    std::shared_ptr<CFakePageState> m_pPage = std::make_shared<CFakePageState>();
    std::unique_ptr<CInternetCheck> m_pCheck;
    std::unique_ptr<CBmpWebLink> m_pPanel;
};

} // namespace

TEST_F(CSpeedcamPanelTest, TheWaitingPictureGivesWayToThePageWhoseFirstLinkAClickOpens)
{
    CRecordingOpener opener;
    ASSERT_NO_FATAL_FAILURE(Create(1));
    EXPECT_EQ(m_pPage->navigated, std::vector<std::string>{"file:///test/speedcam.html"});
    EXPECT_EQ(PanelShows(kWaiting), "");
    m_pPage->firstLink = "https://www.torvix.example/alertcam/ko/";
    Click();
    EXPECT_TRUE(opener.m_vecOpened.empty()) << "nothing to open before the page has loaded";

    // Loaded: the picture is taken once the page has settled, on the window's clock.
    Post(WM_BROWSER_UPDATE);
    EXPECT_TRUE(m_pPanel->IsLoaded());
    m_pPresenter->AdvanceClock(std::chrono::milliseconds(kSpeedcamSettleMs - 1));
    Pump();
    EXPECT_EQ(m_pPage->nSnapshots, 0);
    EXPECT_EQ(PanelShows(kWaiting), "");
    m_pPresenter->AdvanceClock(1ms);
    Pump();
    EXPECT_EQ(m_pPage->nSnapshots, 1);
    EXPECT_TRUE(m_pPanel->HasPagePicture());
    EXPECT_EQ(PanelShows(m_pPage->clrPage), "");

    Click();
    EXPECT_EQ(opener.m_vecOpened, std::vector<std::string>{"https://www.torvix.example/alertcam/ko/"});
    // A link that is no web address is never handed to the desktop; a page without a link opens
    // nothing.
    m_pPage->firstLink = "javascript:alert(1)";
    Click();
    m_pPage->firstLink = "file:///usr/bin/xterm";
    Click();
    m_pPage->firstLink = "";
    Click();
    EXPECT_EQ(opener.m_vecOpened.size(), 1u);

    // The page is lost: the waiting picture again, and clicks do nothing.
    Post(WM_BROWSER_UPDATE_FAIL);
    EXPECT_FALSE(m_pPanel->IsLoaded());
    EXPECT_EQ(PanelShows(kWaiting), "");
    m_pPage->firstLink = "https://www.torvix.example/alertcam/ko/";
    Click();
    EXPECT_EQ(opener.m_vecOpened.size(), 1u);
}

TEST_F(CSpeedcamPanelTest, WithoutTheInternetThePageIsNeverAskedFor)
{
    ASSERT_NO_FATAL_FAILURE(Create(0));
    m_pPresenter->AdvanceClock(5s);
    Pump();
    EXPECT_TRUE(m_pPage->navigated.empty());
    EXPECT_FALSE(m_pPanel->IsLoaded());
    EXPECT_EQ(PanelShows(kWaiting), "");
}

TEST_F(CSpeedcamPanelTest, WithoutADisplayThePanelHasNoPageAndStillPaints)
{
    // No stand-ins: what a run without a display gets.
    CBmpWebLink panel;
    ASSERT_EQ(panel.Create(kPanelRect, Host(), IDC_PANEL, &m_kLoader, 1), 1);
    Pump();
    EXPECT_EQ(PanelShows(kWaiting), "");
    EXPECT_NE(panel.GetPageAddress().find("/speedcam_link_en.html"), std::string::npos) << panel.GetPageAddress();
    CRecordingOpener opener;
    Click();
    EXPECT_TRUE(opener.m_vecOpened.empty());
}
