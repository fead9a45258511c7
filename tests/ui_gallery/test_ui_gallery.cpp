// The gallery on an X server of the test's own: clicks, drags and typing from xdotool must reach
// the skinned controls through the GTK presenter and the message loop, each control's messages
// must arrive at its dialog (the gallery's log), and the screen must show the pressed looks and
// the new texts (screenshots compared before and after).

#include "support/UiHarness.h"

#include <gtest/gtest.h>

using namespace uitest;

namespace {

constexpr int kW = 800;
constexpr int kH = 560;

// Where the gallery draws things (its window sits at the screen's corner).
constexpr int kTabY = 28;
constexpr int kTabX[6] = {72, 202, 332, 462, 592, 722};
constexpr int kStatus[4] = {20, 500, 780, 544};

bool IsOrange(std::uint32_t c)
{
    return Red(c) > 180 && Blue(c) < 90;
}

class CGalleryUi : public ::testing::Test {
protected:
    void Start(const std::string& screen)
    {
        ASSERT_FALSE(m_x.Display().empty()) << "Xvfb did not start (is the xvfb package installed?)";
        ASSERT_TRUE(m_gallery.Start({std::string(TORVIX_BIN_DIR) + "/zentbctrl-gallery", "--screen", screen, "--log",
                                     (m_dir / "gallery.log").string(), "--exit-after", "50000"},
                                    m_x.Env()));
        ASSERT_NE(m_log.WaitFor("ready screen=" + screen), std::string::npos) << m_log.Text();
        // The window is mapped and painted when its tab bar shows.
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            const SShot shot = Shot();
            if (shot.Valid() && shot.Mean(0, 0, kW, 56) != 0) return;
            std::this_thread::sleep_for(50ms);
        }
        FAIL() << "the gallery never appeared";
    }
    bool Xdo(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return uitest::Run(argv, m_x.Env()) == 0;
    }
    bool Click(int x, int y) { return Xdo({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}); }
    SShot Shot() { return Screenshot(m_x, m_dir / "shot.rgb", kW, kH); }
    void SwitchTo(int tab, const std::string& name)
    {
        const std::size_t from = m_log.Size();
        ASSERT_TRUE(Click(kTabX[tab], kTabY));
        ASSERT_NE(m_log.WaitFor("screen " + name + " depth=", from), std::string::npos) << m_log.Text();
        std::this_thread::sleep_for(150ms); // the first paint of the new screen
    }

    testsupport::TempDir m_dir;
    CXvfb m_x;
    CChild m_gallery;
    CLogFile m_log{m_dir / "gallery.log"};
};

} // namespace

TEST_F(CGalleryUi, ButtonShowsItsPressedLookAndItsCommandReachesTheDialog)
{
    Start("buttons");
    const SShot before = Shot();
    ASSERT_TRUE(before.Valid());
    EXPECT_FALSE(IsOrange(before.Mean(50, 95, 210, 110)));

    // The pressed look lasts 150 ms at most, so it is grabbed in process, and a busy machine may
    // still miss it: press up to three times. Each release is one more click.
    bool bSawPressed = false;
    int nPresses = 0;
    for (; nPresses < 3 && !bSawPressed; ++nPresses) {
        ASSERT_TRUE(Xdo({"mousemove", "130", "122", "mousedown", "1"}));
        SShot pressed = GrabNow(m_x, kW, kH);
        for (int i = 0; i < 5 && pressed.Valid() && !IsOrange(pressed.Mean(50, 95, 210, 110)); ++i) {
            std::this_thread::sleep_for(10ms);
            pressed = GrabNow(m_x, kW, kH);
        }
        ASSERT_TRUE(Xdo({"mouseup", "1"}));
        bSawPressed = pressed.Valid() && IsOrange(pressed.Mean(50, 95, 210, 110));
    }
    EXPECT_TRUE(bSawPressed) << "the Play button never showed its pressed look";
    // A release after the pressed look ended (150 ms) is no click, as the button is meant to
    // behave; on a slow machine (the sanitizer build) the presses above may all be that long.
    std::this_thread::sleep_for(300ms);
    const int nSlowClicks = m_log.Count("msg=0x0111 id=1101 ");
    EXPECT_LE(nSlowClicks, nPresses);

    // A quick click always reaches the dialog, once. (Sooner after the last press it would be the
    // second half of a double click, which a button does not take as a press.)
    std::this_thread::sleep_for(400ms);
    const std::size_t from = m_log.Size();
    ASSERT_TRUE(Click(130, 122));
    ASSERT_NE(m_log.WaitFor("msg=0x0111 id=1101 ", from), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_log.Count("msg=0x0111 id=1101 "), nSlowClicks + 1);
    const SShot after = Shot();
    // Back to its normal look, and new texts in the counter and status lines.
    EXPECT_FALSE(IsOrange(after.Mean(50, 95, 210, 110)));
    EXPECT_GT(after.Differences(before, 40, 270, 400, 310), 50);
    EXPECT_GT(after.Differences(before, kStatus[0], kStatus[1], kStatus[2], kStatus[3]), 50);

    // A disabled button sends nothing.
    ASSERT_TRUE(Click(330, 202));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_log.Count("msg=0x0111 id=1104 "), 0);
}

TEST_F(CGalleryUi, ArrowKeysMoveTheFocusFrameAndEnterPressesTheFocusedButton)
{
    Start("buttons");
    const SShot before = Shot();
    // The first arrow focuses the first control (the Buttons tab), the next one moves down.
    ASSERT_TRUE(Xdo({"key", "Down"}));
    ASSERT_NE(m_log.WaitFor("msg=0x0511 id=1001 "), std::string::npos) << m_log.Text();
    ASSERT_TRUE(Xdo({"key", "Down"}));
    ASSERT_NE(m_log.WaitFor("msg=0x0511 id=1101 "), std::string::npos) << m_log.Text();
    EXPECT_NE(m_log.Text().find("msg=0x0512 id=1001 "), std::string::npos);
    std::this_thread::sleep_for(200ms);
    // The focus frame sits on the corners of Play.
    const SShot focused = Shot();
    EXPECT_GT(focused.Differences(before, 38, 88, 50, 100), 10);
    EXPECT_EQ(focused.Differences(before, 238, 88, 250, 100), 0);

    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_NE(m_log.WaitFor("msg=0x0111 id=1101 "), std::string::npos) << m_log.Text();
}

TEST_F(CGalleryUi, KeyboardTakesKeyPressesAndTypedText)
{
    Start("buttons");
    SwitchTo(4, "keyboard");
    EXPECT_NE(m_log.Text().find("msg=0x0413 id=132 "), std::string::npos); // the stack's change request
    const SShot before = Shot();

    // A held key shows its pressed picture; the release types it.
    ASSERT_TRUE(Xdo({"mousemove", "73", "166", "mousedown", "1"}));
    std::this_thread::sleep_for(100ms);
    const SShot held = Shot();
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    ASSERT_TRUE(held.Valid());
    EXPECT_TRUE(IsOrange(held.Mean(45, 140, 100, 150))) << std::hex << held.Mean(45, 140, 100, 150);
    EXPECT_FALSE(IsOrange(before.Mean(45, 140, 100, 150)));
    ASSERT_NE(m_log.WaitFor("msg=0x0551 id=1401 "), std::string::npos) << m_log.Text();
    EXPECT_NE(m_log.WaitFor("text=\"Q\""), std::string::npos);

    ASSERT_TRUE(Click(469, 234)); // H
    EXPECT_NE(m_log.WaitFor("text=\"QH\""), std::string::npos) << m_log.Text();
    ASSERT_TRUE(Xdo({"type", "--delay", "40", "go 42"}));
    EXPECT_NE(m_log.WaitFor("msg=0x0102 id=1401 wparam=0x32 lparam=0x0 screen=keyboard text=\"QHgo 42\""),
              std::string::npos)
        << m_log.Text();
    ASSERT_TRUE(Xdo({"key", "BackSpace"}));
    EXPECT_NE(m_log.WaitFor("text=\"QHgo 4\""), std::string::npos) << m_log.Text();

    std::this_thread::sleep_for(200ms);
    const SShot after = Shot();
    EXPECT_GT(after.Differences(before, 30, 72, 400, 130), 100); // the input line
    EXPECT_GT(after.Differences(before, kStatus[0], kStatus[1], kStatus[2], kStatus[3]), 50);
}

TEST_F(CGalleryUi, ListBoxFollowsItsScrollBarAndListViewFlings)
{
    Start("lists");
    const SShot before = Shot();
    ASSERT_TRUE(Click(240, 200)); // the third row
    EXPECT_NE(m_log.WaitFor("msg=0x0521 id=1201 wparam=0x4b1 lparam=0x2 "), std::string::npos) << m_log.Text();
    ASSERT_TRUE(Click(466, 323)); // line down
    EXPECT_NE(m_log.WaitFor("msg=0x0545 id=1202 wparam=0x4b2 lparam=0x1 "), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(200ms);
    const SShot scrolled = Shot();
    EXPECT_GT(scrolled.Differences(before, 40, 80, 440, 368), 500); // the rows moved up

    // A switch row flips at the press ("Repeat" starts off) and then reports the selection.
    ASSERT_TRUE(Click(640, 152));
    EXPECT_NE(m_log.WaitFor("msg=0x0521 id=1203 wparam=0x4b3 lparam=0x1 "), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(200ms);
    // The off picture is grey and white, the on picture green and white.
    const std::uint32_t pillBefore = before.Mean(725, 140, 771, 164);
    const std::uint32_t pill = Shot().Mean(725, 140, 771, 164);
    EXPECT_LT(Green(pillBefore), Red(pillBefore) + 20) << std::hex << pillBefore;
    EXPECT_GT(Green(pill), Red(pill) + 40) << std::hex << pill;

    SwitchTo(2, "view");
    const SShot view = Shot();
    const std::size_t from = m_log.Size();
    ASSERT_TRUE(Xdo({"mousemove", "200", "420", "mousedown", "1"}));
    for (int y = 400; y >= 200; y -= 40) ASSERT_TRUE(Xdo({"mousemove", "200", std::to_string(y)}));
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    const std::size_t settled = m_log.WaitFor("msg=0x0528 id=1301 ", from, 10s);
    ASSERT_NE(settled, std::string::npos) << m_log.Text();
    // It came to rest further down than the drag alone would have taken it: a fling.
    const std::string rest = m_log.Text().substr(settled);
    const std::size_t at = rest.find("lparam=0x");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(std::stoi(rest.substr(at + 9), nullptr, 16), 4);
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(Shot().Differences(view, 40, 70, 440, 470), 1000);
}

TEST_F(CGalleryUi, StackPushesAndPopsAndAMessageBoxKeepsGtkRunning)
{
    Start("buttons");
    SwitchTo(5, "about");
    EXPECT_NE(m_log.Text().find("msg=0x0410 id=133 "), std::string::npos);
    EXPECT_NE(m_log.Text().find("screen about depth=2"), std::string::npos);

    // The message box runs a modal loop; Escape closes it with the cautious answer (No).
    ASSERT_TRUE(Click(130, 282));
    std::this_thread::sleep_for(800ms);
    ASSERT_TRUE(Xdo({"mousemove", "400", "280"}));
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    EXPECT_NE(m_log.WaitFor("msgbox answer=7"), std::string::npos) << m_log.Text();

    const std::size_t from = m_log.Size();
    ASSERT_TRUE(Click(130, 362)); // Back
    EXPECT_NE(m_log.WaitFor("msg=0x0411 ", from), std::string::npos) << m_log.Text();
    EXPECT_NE(m_log.WaitFor("screen buttons depth=1", from), std::string::npos) << m_log.Text();
}

TEST_F(CGalleryUi, DraggingTheHeaderMovesTheWindow)
{
    Start("buttons");
    ASSERT_TRUE(Xdo({"mousemove", "795", "52", "mousedown", "1"}));
    ASSERT_NE(m_log.WaitFor("drag begins"), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(100ms);
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(Xdo({"mousemove", std::to_string(795 - 20 * i), std::to_string(52 + 20 * i)}));
        std::this_thread::sleep_for(30ms);
    }
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    EXPECT_NE(m_log.WaitFor("window moved x=-100 y=100"), std::string::npos) << m_log.Text();
    // The picture went with it: the tab bar now starts 100 pixels lower.
    std::this_thread::sleep_for(200ms);
    const SShot shot = Shot();
    EXPECT_EQ(shot.Mean(0, 0, 600, 90), 0u);
    EXPECT_NE(shot.Mean(0, 110, 600, 150), 0u);
}

TEST_F(CGalleryUi, TouchViewsToggleRowsTakeDoubleClicksAndSettleAfterAFling)
{
    Start("buttons");
    SwitchTo(3, "touch");
    const SShot before = Shot();
    ASSERT_TRUE(before.Valid());
    // Where the views sit: list view 2's rows are 46 high from y 304; the strip's buttons 64
    // wide every 72 from x 20; list view 3 fills the right column.
    constexpr int kRow0[4] = {20, 304, 390, 350};
    constexpr int kRow1[4] = {20, 350, 390, 396};
    constexpr int kRow2[4] = {20, 396, 390, 442};

    // List view 2: each tap toggles its row, and rows stay selected together.
    ASSERT_TRUE(Click(150, 327));
    ASSERT_NE(m_log.WaitFor("msg=0x0521 id=1603 wparam=0x643 lparam=0x0 "), std::string::npos) << m_log.Text();
    std::size_t from = m_log.Size();
    ASSERT_TRUE(Click(150, 373));
    ASSERT_NE(m_log.WaitFor("msg=0x0521 id=1603 wparam=0x643 lparam=0x1 ", from), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(200ms);
    const SShot two = Shot();
    EXPECT_GT(two.Differences(before, kRow0[0], kRow0[1], kRow0[2], kRow0[3]), 5000);
    EXPECT_GT(two.Differences(before, kRow1[0], kRow1[1], kRow1[2], kRow1[3]), 5000);
    EXPECT_EQ(two.Differences(before, kRow2[0], kRow2[1], kRow2[2], kRow2[3]), 0);
    from = m_log.Size();
    ASSERT_TRUE(Click(150, 327));
    ASSERT_NE(m_log.WaitFor("msg=0x0522 id=1603 wparam=0x643 lparam=0x0 ", from), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(200ms);
    const SShot one = Shot();
    EXPECT_EQ(one.Differences(before, kRow0[0], kRow0[1], kRow0[2], kRow0[3]), 0); // as it was
    EXPECT_GT(one.Differences(before, kRow1[0], kRow1[1], kRow1[2], kRow1[3]), 5000);
    EXPECT_EQ(m_log.Count("msg=0x0522 "), 1);

    // Text view: a double click on its third text ("Harbour lights").
    from = m_log.Size();
    ASSERT_TRUE(Xdo({"mousemove", "150", "127", "click", "--repeat", "2", "--delay", "80", "1"}));
    ASSERT_NE(m_log.WaitFor("msg=0x0529 id=1601 wparam=0x641 lparam=0x2 ", from), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(250ms);
    const SShot dbl = Shot();
    EXPECT_GT(dbl.Differences(one, kStatus[0], kStatus[1], kStatus[2], kStatus[3]), 50);

    // Picture strip: the tapped button keeps its pressed (orange) look while selected; its
    // neighbours keep theirs.
    EXPECT_FALSE(IsOrange(dbl.Mean(180, 216, 212, 226)));
    from = m_log.Size();
    ASSERT_TRUE(Click(196, 244));
    ASSERT_NE(m_log.WaitFor("msg=0x0521 id=1602 wparam=0x642 lparam=0x2 ", from), std::string::npos) << m_log.Text();
    std::this_thread::sleep_for(200ms);
    const SShot strip = Shot();
    EXPECT_TRUE(IsOrange(strip.Mean(180, 216, 212, 226))) << std::hex << strip.Mean(180, 216, 212, 226);
    EXPECT_EQ(strip.Differences(dbl, 20, 212, 156, 276), 0);
    EXPECT_EQ(strip.Differences(dbl, 236, 212, 390, 276), 0);

    // List view 3: a quick upward drag flings it; once it rests it says where.
    from = m_log.Size();
    ASSERT_TRUE(Xdo({"mousemove", "600", "460", "mousedown", "1"}));
    for (int y = 420; y >= 140; y -= 40) ASSERT_TRUE(Xdo({"mousemove", "600", std::to_string(y)}));
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    const std::size_t settled = m_log.WaitFor("msg=0x0528 id=1604 wparam=0x644 ", from, 10s);
    ASSERT_NE(settled, std::string::npos) << m_log.Text();
    const std::string rest = m_log.Text().substr(settled);
    ASSERT_EQ(rest.rfind("lparam=0x", 0), 0u) << rest;
    EXPECT_GE(std::stoi(rest.substr(9), nullptr, 16), 4);
    // A drag is no tap: nothing in the list was chosen.
    EXPECT_EQ(m_log.Text().find("msg=0x0521 id=1604 ", from), std::string::npos);
    std::this_thread::sleep_for(200ms);
    const SShot flung = Shot();
    EXPECT_GT(flung.Differences(strip, 410, 84, 780, 488), 5000);
    EXPECT_EQ(flung.Differences(strip, kRow1[0], kRow1[1], kRow1[2], kRow1[3]), 0);
}
