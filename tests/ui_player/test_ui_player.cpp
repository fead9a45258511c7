// The player program on an X server of the test's own, on the sample card: what a person sees and
// does through the real window. Input comes from xdotool, what happened from the program's trace
// and from screenshots.

#include "support/LocalHttpServer.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <sstream>

using namespace uitest;

namespace {

// The window is as large as the screen and sits at its corner.
constexpr int kW = 1280;
constexpr int kH = 720;

// Places in the window (the skin's layout).
constexpr int kListX = 1100;
constexpr int kListFirstRowY = 452;
constexpr int kRowHeight = 20;
constexpr int kPlayX = 184, kTransportY = 682;
constexpr int kForward10X = 234;
constexpr int kNextX = 278;
constexpr int kCategoryX = 1027, kCategoryY = 406;
constexpr int kSearchX = 1180, kSearchY = 406;
// The two pictures of a pair side by side, and the pop-up's confirm button.
constexpr int kFront[4] = {20, 230, 460, 460};
constexpr int kRear[4] = {500, 230, 940, 460};
constexpr int kPopupOkX = 640, kPopupOkY = 435;

struct Row {
    std::string name;
    std::string channels;
    std::string path;
};

std::string CardDir()
{
    const char* card = std::getenv("TORVIX_SAMPLECARD");
    return card ? card : TORVIX_SAMPLECARD_DIR;
}

class CPlayerUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_x.Display().empty()) << "Xvfb did not start (is the xvfb package installed?)";
        m_rows = Scan();
        ASSERT_GE(m_rows.size(), 10u) << "the sample card is missing: " << CardDir();
    }

    std::vector<std::string> Env() const
    {
        std::vector<std::string> env = m_x.Env();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
            std::filesystem::create_directories(m_dir / name);
            std::filesystem::permissions(m_dir / name, std::filesystem::perms::owner_all);
            env.push_back(std::string(name) + "=" + (m_dir / name).string());
        }
        env.push_back("TORVIX_TRACE=1");
        env.push_back("TORVIX_VLC_ARGS=--aout=adummy");
        // Nothing reaches the network: the reachability probe asks a server of the test's own (or
        // a closed port), and the map draws no tiles.
        const auto services = m_dir / "XDG_CONFIG_HOME" / "Quenlar" / "Stravon Player" / "Services";
        std::filesystem::create_directories(services);
        testsupport::WriteFile(services / "Services.conf",
                               "[ReachabilityProbe]\ntype=sz\ndata=" + m_strProbe + "\n");
        testsupport::WriteFile(services / "Map.conf", "[Tiles]\ntype=sz\ndata=off\n");
        return env;
    }

    // The card as the command line lists it: the order the window must show.
    std::vector<Row> Scan()
    {
        const auto out = m_dir / "scan.txt";
        CChild child;
        if (!child.Start({std::string(TORVIX_BIN_DIR) + "/torvix-track", "scan", CardDir(), "--lang", "en"}, Env(), -1,
                         out))
            return {};
        if (!child.Wait(30s)) return {};
        std::vector<Row> rows;
        std::istringstream in(testsupport::ReadFile(out));
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::stringstream ss(line);
            for (std::string x; std::getline(ss, x, '\t');) f.push_back(x);
            if (f.size() < 5) continue;
            rows.push_back(Row{std::filesystem::path(f[4]).filename().string(), f[2], f[4]});
        }
        return rows;
    }

    void Start(CChild& player, CLogFile& log)
    {
        ASSERT_TRUE(player.Start({std::string(TORVIX_BIN_DIR) + "/TorvixPlayer", CardDir()}, Env(), -1, log.Path()));
        ASSERT_NE(log.WaitFor("CTorvixPlayerMainDlg::FillList - rows=", 0, 30s), std::string::npos) << log.Text();
        // Mapped and painted: the title band shows.
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            const SShot shot = Shot();
            if (shot.Valid() && shot.Mean(0, 0, kW, 40) != 0) {
                m_start = shot;
                return;
            }
            std::this_thread::sleep_for(50ms);
        }
        FAIL() << "the window never appeared";
    }
    void Start() { Start(m_player, m_log); }

    bool Xdo(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return uitest::Run(argv, m_x.Env()) == 0;
    }
    bool Click(int x, int y) { return Xdo({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}); }
    bool DoubleClickRow(int row)
    {
        return Xdo({"mousemove", std::to_string(kListX), std::to_string(kListFirstRowY + row * kRowHeight + kRowHeight / 2),
                    "click", "--repeat", "2", "--delay", "80", "1"});
    }
    SShot Shot() { return Screenshot(m_x, m_dir / "shot.rgb", kW, kH); }
    int RowOf(const std::function<bool(const Row&)>& pred) const
    {
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (pred(m_rows[i])) return static_cast<int>(i);
        return -1;
    }
    // Plays the first two-channel entry; the position after the trace that says it plays.
    std::size_t PlayPair(int* pRow = nullptr)
    {
        const int row = RowOf([](const Row& r) { return r.channels == "2CH"; });
        EXPECT_GE(row, 0);
        if (pRow) *pRow = row;
        const std::size_t from = m_log.Size();
        EXPECT_TRUE(DoubleClickRow(row));
        const std::size_t at = m_log.WaitFor("### CFFMpegPlayerEx::Play", from, 15s);
        EXPECT_NE(at, std::string::npos) << m_log.Text().substr(from);
        return at;
    }
    static bool Moving(const SShot& a, const SShot& b, const int r[4])
    {
        return a.Differences(b, r[0], r[1], r[2], r[3]) > 200;
    }

    testsupport::TempDir m_dir;
    std::string m_strProbe = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
    CXvfb m_x{kW, kH};
    std::vector<Row> m_rows;
    CChild m_player;
    CLogFile m_log{m_dir / "player.log"};
    SShot m_start; // the window as it first appeared
};

} // namespace

TEST_F(CPlayerUi, TheWindowListsTheCardOldestFirst)
{
    Start();
    // The oldest recording of the card (names start with the date and time) comes first.
    std::string oldest;
    for (const Row& r : m_rows)
        if (r.name.size() > 8 && std::isdigit(static_cast<unsigned char>(r.name[0])) && (oldest.empty() || r.name < oldest))
            oldest = r.name;
    const std::string expect = "rows=" + std::to_string(m_rows.size()) + " first=" + oldest;
    EXPECT_NE(m_log.Text().find(expect), std::string::npos) << m_log.Text();
    // The rows are on the screen: the first row has text on it, the space below the last has none.
    const SShot shot = Shot();
    const int last = kListFirstRowY + static_cast<int>(std::min<std::size_t>(m_rows.size(), 13)) * kRowHeight;
    EXPECT_NE(shot.Mean(970, 455, 1040, 469), shot.Mean(970, last + 2, 1040, std::min(last + 16, 712)));
}

TEST_F(CPlayerUi, DoubleClickOnAPairPlaysMovingPicturesInBothViews)
{
    Start();
    PlayPair();
    std::this_thread::sleep_for(1500ms);
    const SShot a = Shot();
    std::this_thread::sleep_for(700ms);
    const SShot b = Shot();
    ASSERT_TRUE(a.Valid() && b.Valid());
    EXPECT_TRUE(Moving(a, b, kFront)) << "the front picture does not move";
    EXPECT_TRUE(Moving(a, b, kRear)) << "the rear picture does not move";
    // Two pictures, not the start picture: both halves show video, not the dark start picture.
    EXPECT_NE(a.Mean(kFront[0], kFront[1], kFront[2], kFront[3]), a.Mean(0, 90, 900, 100));
    // The probe finds no network here: the map shows the offline picture instead of the no-position
    // one it had (the two differ in their message), and no web view is made.
    EXPECT_GT(b.Differences(m_start, 966, 46, 1274, 222), 1000) << "the map did not switch to its offline picture";
    EXPECT_EQ(m_log.Text().find("CWebViewHost::CreateBrowser"), std::string::npos);
}

TEST_F(CPlayerUi, PauseSeekAndNextActOnThePlayingRecording)
{
    Start();
    int row = 0;
    PlayPair(&row);
    std::this_thread::sleep_for(1000ms);

    std::size_t from = m_log.Size();
    ASSERT_TRUE(Click(kPlayX, kTransportY));
    ASSERT_NE(m_log.WaitFor("### CFFMpegPlayerEx::Pause", from), std::string::npos) << m_log.Text().substr(from);
    std::this_thread::sleep_for(400ms);
    const SShot a = Shot();
    std::this_thread::sleep_for(600ms);
    const SShot b = Shot();
    EXPECT_FALSE(Moving(a, b, kFront)) << "paused pictures still move";

    from = m_log.Size();
    ASSERT_TRUE(Click(kForward10X, kTransportY));
    EXPECT_NE(m_log.WaitFor("### CFFMpegPlayerEx::Seek", from), std::string::npos) << m_log.Text().substr(from);

    from = m_log.Size();
    ASSERT_TRUE(Click(kNextX, kTransportY));
    const std::string next = "sFilePath='" + m_rows[static_cast<std::size_t>(row) + 1].path + "'";
    EXPECT_NE(m_log.WaitFor(next, from, 15s), std::string::npos) << m_log.Text().substr(from);
    EXPECT_NE(m_log.WaitFor("### CFFMpegPlayerEx::Play", from, 15s), std::string::npos);
}

TEST_F(CPlayerUi, TheTooWideClipShowsItsMessageInThePopUp)
{
    Start();
    // The card's 4096-pixel-wide recording: the second of its two UHD files.
    std::vector<int> uhd;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].path.find("/UHD/") != std::string::npos) uhd.push_back(static_cast<int>(i));
    ASSERT_EQ(uhd.size(), 2u);
    const SShot before = Shot();
    const std::size_t from = m_log.Size();
    ASSERT_TRUE(DoubleClickRow(uhd[1]));
    ASSERT_NE(m_log.WaitFor("CTorvixPlayerPopUpDlg::OnInitDialog - This recording cannot be played with this player.",
                            from),
              std::string::npos)
        << m_log.Text().substr(from);
    std::this_thread::sleep_for(500ms);
    const SShot shown = Shot();
    EXPECT_GT(shown.Differences(before, 440, 250, 840, 470), 20000) << "no pop-up on the screen";
    EXPECT_EQ(m_log.Text().find("### CFFMpegPlayerEx::Play", from), std::string::npos);
    ASSERT_TRUE(Click(kPopupOkX, kPopupOkY));
    std::this_thread::sleep_for(500ms);
    // Closed: the window under it looks as before.
    EXPECT_LT(Shot().Differences(before, 440, 250, 840, 470), 4000) << "the pop-up did not close";
}

TEST_F(CPlayerUi, ASecondStartBringsTheFirstForwardAndEnds)
{
    Start();
    CChild second;
    CLogFile secondLog{m_dir / "second.log"};
    ASSERT_TRUE(second.Start({std::string(TORVIX_BIN_DIR) + "/TorvixPlayer"}, Env(), -1, secondLog.Path()));
    const std::optional<int> status = second.Wait(15s);
    ASSERT_TRUE(status.has_value()) << "the second start did not end";
    EXPECT_EQ(*status, 0);
    EXPECT_NE(m_log.WaitFor("### CTorvixPlayerDlg::OnActivateInstance"), std::string::npos) << m_log.Text();
    // One window with the program's title, and the first still running.
    CChild search;
    ASSERT_TRUE(search.Start({"xdotool", "search", "--name", "^Torvix Player 2.0 4K$"}, m_x.Env(), -1,
                             m_dir / "search.txt"));
    ASSERT_TRUE(search.Wait(10s).has_value());
    const std::string found = testsupport::ReadFile(m_dir / "search.txt");
    EXPECT_EQ(std::count(found.begin(), found.end(), '\n'), 1) << found;
    EXPECT_FALSE(m_player.Wait(100ms).has_value());
}

TEST_F(CPlayerUi, CategoryAndSearchChangeTheRows)
{
    Start();
    const auto events = std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) {
        return r.path.find("/Event/") != std::string::npos;
    });
    ASSERT_GT(events, 0);
    std::size_t from = m_log.Size();
    ASSERT_TRUE(Click(kCategoryX, kCategoryY));
    std::this_thread::sleep_for(300ms);
    // The drop list opens under the box: rows of 18 pixels; "Event" is the third.
    ASSERT_TRUE(Click(kCategoryX, kCategoryY + 12 + 1 + 18 * 2 + 9));
    EXPECT_NE(m_log.WaitFor("FillList - rows=" + std::to_string(events) + " ", from), std::string::npos)
        << m_log.Text().substr(from);

    // A search within the events: the part of the first event's name up to its minute.
    const auto first = std::find_if(m_rows.begin(), m_rows.end(), [](const Row& r) {
        return r.path.find("/Event/") != std::string::npos;
    });
    const std::string text = first->name.substr(0, 15);
    const auto matches = std::count_if(m_rows.begin(), m_rows.end(), [&](const Row& r) {
        return r.path.find("/Event/") != std::string::npos && r.name.find(text) != std::string::npos;
    });
    from = m_log.Size();
    ASSERT_TRUE(Click(kSearchX, kSearchY));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(Xdo({"type", "--delay", "30", text}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_NE(m_log.WaitFor("FillList - rows=" + std::to_string(matches) + " first=" + first->name, from),
              std::string::npos)
        << m_log.Text().substr(from);
}

TEST_F(CPlayerUi, ARecordingWithATrackDrawsItsRouteOnTheMap)
{
    CLocalHttpServer probe(CLocalHttpServer::Mode::Answer);
    m_strProbe = probe.Url();
    Start();
    const SShot before = Shot();
    // A recording without a track first: no web view is made, the map keeps its placeholder.
    const int plain = RowOf([&](const Row& r) { return r.path.find("/Parking/") != std::string::npos; });
    ASSERT_GE(plain, 0);
    std::size_t from = m_log.Size();
    ASSERT_TRUE(DoubleClickRow(plain));
    ASSERT_NE(m_log.WaitFor("### CFFMpegPlayerEx::Play", from, 15s), std::string::npos);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(m_log.Text().find("CWebViewHost::CreateBrowser", from), std::string::npos) << "a web view for a recording without a track";
    EXPECT_LT(Shot().Differences(before, 966, 46, 1274, 222), 500) << "the map left its placeholder";

    from = PlayPair();
    ASSERT_NE(m_log.WaitFor("Web Page Opened Successfully", from, 30s), std::string::npos) << m_log.Text().substr(from);
    EXPECT_GE(probe.Requests(), 1);
    // A few seconds of play: the route, drawn in the speed colours, and the marker.
    std::this_thread::sleep_for(4s);
    const SShot shot = Shot();
    int route = 0;
    for (int y = 50; y < 218; ++y)
        for (int x = 970; x < 1270; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * kW + x) * 3;
            const int r = shot.rgb[i], g = shot.rgb[i + 1], b = shot.rgb[i + 2];
            if (std::abs(r - 0x1E) < 40 && std::abs(g - 0xC7) < 40 && std::abs(b - 0xFF) < 40) ++route;
        }
    EXPECT_GT(route, 30) << "no route on the map";
    EXPECT_GT(shot.Differences(before, 966, 46, 1274, 222), 20000) << "the map still shows its placeholder";
}
