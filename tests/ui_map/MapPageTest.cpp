// The delivered route map pages in WebKitGTK, driven the way the player drives them: the four page
// functions with their arguments passed as values, a snapshot read back, a real click through the
// X server. The pages must draw the route, the position marker and the district label without any
// network: the tests ask for the offline look or point the tiles at a local server.

#include "TestSupport.h"
#include "TileServer.h"
#include "WebPageHarness.h"
#include "XvfbDisplay.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <filesystem>

namespace {

using uimap::CountColour;
using uimap::CountDifferent;
using uimap::Picture;
using uimap::WebPageHarness;

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr uint32_t kRouteColour = 0x1E6FD9;  // torvix-map.js route line
constexpr uint32_t kMarkerColour = 0xE3262F; // torvix-map.js position marker fill
constexpr int kAttribution = 24;              // height of the attribution line at the bottom

// The display and GTK, once per test program.
class UiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_dir = std::make_unique<testsupport::TempDir>();
        m_display = std::make_unique<uimap::XvfbDisplay>(m_dir->Path());
        if (!m_display->Ok()) {
            Error() = m_display->Error();
            return;
        }
        setenv("DISPLAY", m_display->Display().c_str(), 1);
        setenv("XAUTHORITY", m_display->AuthFile().c_str(), 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        // The 4.1 API leaves WebKit's bubblewrap sandbox off unless a context asks for it, so the
        // views start alike for root in CI and for a user; nothing here asks for it.
        if (!gtk_init_check(nullptr, nullptr)) {
            Error() = "GTK cannot open display " + m_display->Display();
            return;
        }
        Ready() = true;
    }
    void TearDown() override
    {
        if (Ready()) {
            // Drain what the views left behind before the server goes away under GDK.
            uimap::RunFor(100);
            // GDK keeps its connection; the process ends right after, and nothing talks to X again.
        }
        m_display.reset();
        m_dir.reset();
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
    std::unique_ptr<testsupport::TempDir> m_dir;
    std::unique_ptr<uimap::XvfbDisplay> m_display;
};

// gtest owns the environment from here on.
[[maybe_unused]] const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

std::filesystem::path MapDir()
{
    return std::filesystem::path(TORVIX_BIN_DIR) / "data" / "map";
}

std::filesystem::path SnapshotDir()
{
    // Kept for people to look at; a build tree the test may not write to only loses the pictures.
    const auto dir = std::filesystem::path(TORVIX_BIN_DIR).parent_path() / "test-output" / "ui_map";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

void Save(const Picture& pic, const std::string& name)
{
    const auto path = SnapshotDir() / (name + ".png");
    cairo_surface_write_to_png(pic.surface.get(), path.c_str());
}

std::string FileUri(const std::filesystem::path& path, const std::string& query)
{
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string out = uri ? uri : "";
    g_free(uri);
    return out + query;
}

// The page's query naming a tile server.
std::string TilesQuery(const std::string& tileTemplate)
{
    char* escaped = g_uri_escape_string(tileTemplate.c_str(), nullptr, FALSE);
    std::string query = std::string("?tiles=") + (escaped ? escaped : "");
    g_free(escaped);
    return query;
}

// The value of a key in one of the page's flat JSON messages ("lat":37.5 or "event":"click").
std::string JsonField(const std::string& message, const std::string& key)
{
    const std::string pattern = "\"" + key + "\":";
    auto at = message.find(pattern);
    if (at == std::string::npos) return {};
    at += pattern.size();
    if (at < message.size() && message[at] == '"') {
        const auto end = message.find('"', at + 1);
        return end == std::string::npos ? std::string() : message.substr(at + 1, end - at - 1);
    }
    const auto end = message.find_first_of(",}", at);
    return message.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::vector<std::string> MessagesOf(const WebPageHarness& page, const std::string& event)
{
    std::vector<std::string> out;
    for (const auto& m : page.Messages())
        if (JsonField(m, "event") == event) out.push_back(m);
    return out;
}

GVariant* Point(double lat, double lng)
{
    GVariantBuilder b;
    g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&b, "{sv}", "lat", g_variant_new_double(lat));
    g_variant_builder_add(&b, "{sv}", "lng", g_variant_new_double(lng));
    return g_variant_builder_end(&b);
}

GVariant* Text(const std::string& name)
{
    GVariantBuilder b;
    g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&b, "{sv}", "name", g_variant_new_string(name.c_str()));
    return g_variant_builder_end(&b);
}

struct PageCase {
    const char* file;
    const char* lang; // what the page reports in its ready message
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << c.file;
}

class MapPageTest : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UiEnvironment::Ready()) << UiEnvironment::Error();
        ASSERT_TRUE(std::filesystem::exists(MapDir() / GetParam().file)) << "build the torvix_data target";
        m_page = std::make_unique<WebPageHarness>(kWidth, kHeight, "torvixMap");
    }
    void TearDown() override
    {
        m_page.reset();
        uimap::RunFor(50);
    }

    // Loads the page and waits for its ready message.
    void Open(const std::string& query)
    {
        ASSERT_TRUE(m_page->Load(FileUri(MapDir() / GetParam().file, query), 20000)) << m_page->Failure();
        ASSERT_TRUE(uimap::RunUntil([&] { return !MessagesOf(*m_page, "ready").empty(); }, 10000))
            << "the page never reported ready";
    }

    std::string Call(const char* body, GVariant* args = nullptr)
    {
        std::string error;
        auto result = m_page->Call(body, args, &error);
        EXPECT_TRUE(result.has_value()) << body << ": " << error;
        return result.value_or("");
    }

    Picture Snap(const std::string& name)
    {
        // Give the web process a moment to paint what the last calls changed.
        uimap::RunFor(150);
        auto pic = m_page->Snapshot();
        EXPECT_TRUE(pic.has_value()) << "no snapshot";
        if (!pic) return Picture{};
        Save(*pic, std::string(GetParam().file) + "-" + name);
        return std::move(*pic);
    }

    std::unique_ptr<WebPageHarness> m_page;
};

// A short drive northeast from Seoul city hall; the view follows to the last point.
const double kRoute[][2] = {{37.566535, 126.977969}, {37.567335, 126.978769}, {37.568135, 126.979569},
                            {37.568935, 126.980369}, {37.569735, 126.981169}};

TEST_P(MapPageTest, DrawsRouteMarkerAndDistrictAndReportsOneClick)
{
    ASSERT_NO_FATAL_FAILURE(Open("?tiles=off"));
    const auto ready = MessagesOf(*m_page, "ready");
    ASSERT_EQ(ready.size(), 1u);
    EXPECT_EQ(JsonField(ready[0], "lang"), GetParam().lang);
    EXPECT_EQ(JsonField(ready[0], "look"), "offline");
    EXPECT_TRUE(MessagesOf(*m_page, "look").empty()) << "the requested look is no change";
    // The offline look brings its scale.
    EXPECT_EQ(Call("return document.querySelectorAll('.leaflet-control-scale').length;"), "1");

    // The order the player uses on opening a recording: clear, first fix, then one point a second.
    EXPECT_EQ(Call("return delPos();"), "true");
    for (const auto& p : kRoute) EXPECT_EQ(Call("return addPos(lat, lng);", Point(p[0], p[1])), "true");
    const Picture route = Snap("route");
    ASSERT_EQ(route.width, kWidth);
    ASSERT_EQ(route.height, kHeight);

    const int cx = route.width / 2, cy = route.height / 2;
    // The marker sits where the view centres, on the last point.
    EXPECT_GT(CountColour(route, kMarkerColour, 40, cx - 14, cy - 14, cx + 15, cy + 15), 120);
    EXPECT_EQ(CountColour(route, kMarkerColour, 40) - CountColour(route, kMarkerColour, 40, cx - 14, cy - 14, cx + 15, cy + 15), 0)
        << "marker colour away from the centre";
    // The line runs from the centre to the first point, down and to the left.
    EXPECT_GT(CountColour(route, kRouteColour, 40, 0, cy + 20, cx - 20, route.height), 300);
    // (The attribution line at the bottom carries a link of a similar blue.)
    EXPECT_EQ(CountColour(route, kRouteColour, 40, cx + 20, 0, route.width, route.height - kAttribution), 0)
        << "route colour where the route does not go";

    EXPECT_EQ(Call("return torvixMapState().points;"), "5");
    EXPECT_EQ(Call("return torvixMapState().marker.map(v => v.toFixed(6)).join(',');"), "37.569735,126.981169");
    EXPECT_EQ(Call("return torvixMapState().center.map(v => v.toFixed(4)).join(',');"), "37.5697,126.9812");

    // The route sent again after a jump keeps the zoom the user chose.
    EXPECT_EQ(Call("return delPos();"), "true");
    EXPECT_EQ(Call("document.querySelector('.leaflet-control-zoom-out').click(); return torvixMapState().zoom;"), "15");
    for (const auto& p : kRoute) EXPECT_EQ(Call("return addPos(lat, lng);", Point(p[0], p[1])), "true");
    EXPECT_EQ(Call("return torvixMapState().zoom;"), "15");
    EXPECT_EQ(Call("return torvixMapState().points;"), "5");
    Call("document.querySelector('.leaflet-control-zoom-in').click(); return 0;");
    EXPECT_EQ(Call("return torvixMapState().zoom;"), "16");

    // Seconds without a fix repeat the last point: the line does not grow; broken values are refused.
    EXPECT_EQ(Call("return addPos(lat, lng);", Point(kRoute[4][0], kRoute[4][1])), "true");
    EXPECT_EQ(Call("return addPos(lat, lng);", Point(NAN, 126.9)), "false");
    EXPECT_EQ(Call("return addPos(lat, lng);", Point(91.0, 126.9)), "false");
    EXPECT_EQ(Call("return torvixMapState().points;"), "5");

    // The district label: drawn in the top-right corner and nowhere else.
    const std::string district = "서울특별시\u00a0중구";
    EXPECT_EQ(Call("return setAdminDistrictName(name);", Text(district)), "true");
    const Picture named = Snap("district");
    EXPECT_GT(CountDifferent(route, named, named.width / 2, 0, named.width, named.height / 4), 150);
    EXPECT_EQ(CountDifferent(route, named, 0, named.height / 4, named.width, named.height), 0);
    EXPECT_EQ(Call("return document.getElementById('district').textContent;"), district);

    // A real click on the map reaches the host once, at the place clicked (north-east of the centre).
    m_page->ClearMessages();
    std::string error;
    ASSERT_TRUE(m_page->ClickAt(cx + 160, cy - 60, &error)) << error;
    uimap::RunFor(800);
    const auto clicks = MessagesOf(*m_page, "click");
    ASSERT_EQ(clicks.size(), 1u) << "clicks reported: " << clicks.size();
    EXPECT_GT(std::stod(JsonField(clicks[0], "lat")), kRoute[4][0]);
    EXPECT_GT(std::stod(JsonField(clicks[0], "lng")), kRoute[4][1]);

    // Text is shown as text: quotes and markup from a district name never become script or tags.
    const std::string hostile = "'); window.injected = 1; ('<b>x</b>";
    Call("return setAdminDistrictName(name);", Text(hostile));
    EXPECT_EQ(Call("return document.getElementById('district').textContent;"), hostile);
    EXPECT_EQ(Call("return document.querySelectorAll('#district b').length + (window.injected ? 10 : 0);"), "0");

    // Clearing removes line and marker; the default view shows the whole country again.
    EXPECT_EQ(Call("return delPos();"), "true");
    EXPECT_EQ(Call("return setDefaultPos();"), "true");
    EXPECT_EQ(Call("return setAdminDistrictName(name);", Text("0, 0")), "true");
    const Picture cleared = Snap("default");
    EXPECT_EQ(CountColour(cleared, kRouteColour, 40, 0, 0, cleared.width, cleared.height - kAttribution), 0);
    EXPECT_EQ(CountColour(cleared, kMarkerColour, 40), 0);
    EXPECT_EQ(Call("return torvixMapState().points + ' ' + torvixMapState().zoom + ' ' + torvixMapState().marker;"), "0 7 null");
    EXPECT_EQ(Call("return document.getElementById('district').textContent;"), "0, 0");

    // An empty name hides the label.
    Call("return setAdminDistrictName(name);", Text(""));
    EXPECT_EQ(Call("return document.getElementById('district').offsetWidth;"), "0");
}

// A tile server that refuses connections: the page gives up the tiles and changes to the plain look.
TEST_P(MapPageTest, FailingTilesSwitchToOfflineLook)
{
    // A port that was free a moment ago and has nobody listening now.
    int s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    const int port = ntohs(addr.sin_port);
    close(s);

    const std::string tiles = "http://127.0.0.1:" + std::to_string(port) + "/{z}/{x}/{y}.png";
    ASSERT_NO_FATAL_FAILURE(Open(TilesQuery(tiles)));
    EXPECT_EQ(JsonField(MessagesOf(*m_page, "ready").at(0), "look"), "online");
    ASSERT_TRUE(uimap::RunUntil([&] { return !MessagesOf(*m_page, "look").empty(); }, 10000))
        << "the page kept waiting for tiles";
    const auto look = MessagesOf(*m_page, "look");
    EXPECT_EQ(JsonField(look[0], "look"), "offline");
    EXPECT_EQ(JsonField(look[0], "reason"), "tile-error");
    EXPECT_EQ(Call("return document.querySelectorAll('.leaflet-control-scale').length;"), "1");
    EXPECT_EQ(Call("return document.querySelectorAll('.leaflet-tile-pane img').length;"), "0");
    EXPECT_EQ(Call("return document.body.classList.contains('offline');"), "true");

    // The functions work the same after the change.
    EXPECT_EQ(Call("return addPos(lat, lng);", Point(kRoute[0][0], kRoute[0][1])), "true");
    const Picture pic = Snap("tile-error");
    EXPECT_GT(CountColour(pic, kMarkerColour, 40, pic.width / 2 - 14, pic.height / 2 - 14, pic.width / 2 + 15, pic.height / 2 + 15), 120);
}

// With a tile server the page keeps the online look: tiles under the route, the tile credit in the
// attribution, no scale.
TEST_P(MapPageTest, TilesFromServerKeepOnlineLook)
{
    constexpr uint32_t kTileColour = 0xA8D5A2;
    uimap::TileServer server(kTileColour);
    ASSERT_GT(server.Port(), 0);
    ASSERT_NO_FATAL_FAILURE(Open(TilesQuery(server.Template())));
    ASSERT_TRUE(uimap::RunUntil([&] { return server.Requests() > 0; }, 10000)) << "no tile was asked for";
    EXPECT_EQ(Call("return addPos(lat, lng);", Point(kRoute[0][0], kRoute[0][1])), "true");
    EXPECT_EQ(Call("return addPos(lat, lng);", Point(kRoute[1][0], kRoute[1][1])), "true");
    ASSERT_TRUE(uimap::RunUntil([&] { return Call("return document.querySelectorAll('.leaflet-tile-loaded').length;") != "0"; }, 10000));
    const Picture pic = Snap("online");

    EXPECT_TRUE(MessagesOf(*m_page, "look").empty()) << "the page gave up its tiles";
    EXPECT_EQ(Call("return torvixMapState().look;"), "online");
    EXPECT_EQ(Call("return document.querySelectorAll('.leaflet-control-scale').length;"), "0");
    EXPECT_NE(Call("return document.querySelector('.leaflet-control-attribution').textContent;").find("OpenStreetMap"),
              std::string::npos);
    // Most of the view is tile; route and marker are drawn over it.
    EXPECT_GT(CountColour(pic, kTileColour, 6), pic.width * pic.height / 2);
    EXPECT_GT(CountColour(pic, kMarkerColour, 40, pic.width / 2 - 14, pic.height / 2 - 14, pic.width / 2 + 15, pic.height / 2 + 15), 120);
    EXPECT_GT(CountColour(pic, kRouteColour, 40), 100);
}

INSTANTIATE_TEST_SUITE_P(Pages, MapPageTest,
                         ::testing::Values(PageCase{"gps.html", "ko"}, PageCase{"gps_eng.html", "en-US"},
                                           PageCase{"gps_jpn.html", "ja"}, PageCase{"gps_kor.html", "ko"}),
                         [](const ::testing::TestParamInfo<PageCase>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// A tile server that takes the connection and never answers: after the page's wait the map changes
// to the plain look all the same. (One page suffices; the wait is the same script in all four.)
TEST(MapTileTimeoutTest, SilentTileServerEndsInOfflineLook)
{
    ASSERT_TRUE(UiEnvironment::Ready()) << UiEnvironment::Error();
    struct Fd {
        int fd;
        ~Fd()
        {
            if (fd >= 0) close(fd);
        }
    } listener{socket(AF_INET, SOCK_STREAM, 0)};
    ASSERT_GE(listener.fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(listener.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener.fd, 64), 0); // the kernel completes connections; nobody reads them
    ASSERT_EQ(getsockname(listener.fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);

    const std::string tiles = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/{z}/{x}/{y}.png";
    const std::string uri = FileUri(MapDir() / "gps.html", TilesQuery(tiles));
    WebPageHarness page(kWidth, kHeight, "torvixMap");
    // The load itself does not finish while tiles hang; the page's ready message comes all the same.
    page.Start(uri);
    ASSERT_TRUE(uimap::RunUntil([&] { return !MessagesOf(page, "ready").empty() || !page.Failure().empty(); }, 10000))
        << "no ready message";
    ASSERT_TRUE(page.Failure().empty()) << page.Failure();
    EXPECT_EQ(JsonField(MessagesOf(page, "ready")[0], "look"), "online");
    ASSERT_TRUE(uimap::RunUntil([&] { return !MessagesOf(page, "look").empty(); }, 15000)) << "the page waits for ever";
    EXPECT_EQ(JsonField(MessagesOf(page, "look")[0], "reason"), "tile-timeout");
    std::string error;
    EXPECT_EQ(page.Eval("return document.querySelectorAll('.leaflet-control-scale').length;", &error).value_or(error), "1");
}

// The speed-camera pages as the panel's view sees them: drawn, and the document's first link is the
// address that services.conf gives for the page's language.
TEST(SpeedcamPageTest, FirstLinkIsTheConfiguredPageAndThePageDraws)
{
    ASSERT_TRUE(UiEnvironment::Ready()) << UiEnvironment::Error();
    const auto data = std::filesystem::path(TORVIX_BIN_DIR) / "data";
    GKeyFile* raw = g_key_file_new();
    std::unique_ptr<GKeyFile, decltype(&g_key_file_unref)> conf(raw, &g_key_file_unref);
    ASSERT_TRUE(g_key_file_load_from_file(conf.get(), (data / "services.conf").c_str(), G_KEY_FILE_NONE, nullptr));
    for (int language = 0; language < 4; ++language) {
        const std::string index = std::to_string(language);
        char* page = g_key_file_get_string(conf.get(), "SpeedcamPanel", ("Page" + index).c_str(), nullptr);
        char* link = g_key_file_get_string(conf.get(), "Services", ("SpeedcamPage" + index).c_str(), nullptr);
        ASSERT_TRUE(page && link) << "language " << language;
        const std::string pagePath = page, expected = link;
        g_free(page);
        g_free(link);

        WebPageHarness view(680, 400, nullptr);
        ASSERT_TRUE(view.Load(FileUri(data / pagePath, ""), 20000)) << view.Failure();
        std::string error;
        EXPECT_EQ(view.Eval("return document.getElementsByTagName('a')[0].href;", &error).value_or(error), expected)
            << pagePath;
        uimap::RunFor(150);
        auto pic = view.Snapshot();
        ASSERT_TRUE(pic.has_value());
        Save(*pic, "speedcam-" + index);
        // Not a blank page: the dark panel and light text are both there.
        EXPECT_GT(CountColour(*pic, 0x10161D, 30), pic->width * pic->height / 4);
        EXPECT_GT(CountColour(*pic, 0xFFFFFF, 40), 200);
    }
}

} // namespace

// The whole route in one call gives what delPos() and one addPos() per point give, and a route
// with speeds is drawn in the speed graph's colours with a legend that follows the speed unit.
// (One page suffices: the four share the script.)
TEST(MapRouteTest, ReplotEqualsAddingEachPointAndSpeedsColourTheRoute)
{
    ASSERT_TRUE(UiEnvironment::Ready()) << UiEnvironment::Error();
    WebPageHarness page(kWidth, kHeight, "torvixMap");
    ASSERT_TRUE(page.Load(FileUri(MapDir() / "gps.html", "?tiles=off"), 20000)) << page.Failure();
    ASSERT_TRUE(uimap::RunUntil([&] { return !MessagesOf(page, "ready").empty(); }, 10000));
    auto call = [&](const char* body, GVariant* args = nullptr) {
        std::string error;
        auto result = page.Call(body, args, &error);
        EXPECT_TRUE(result.has_value()) << body << ": " << error;
        return result.value_or("");
    };
    auto withSpeed = [](double lat, double lng, double speed) {
        GVariantBuilder b;
        g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&b, "{sv}", "lat", g_variant_new_double(lat));
        g_variant_builder_add(&b, "{sv}", "lng", g_variant_new_double(lng));
        g_variant_builder_add(&b, "{sv}", "speed", g_variant_new_double(speed));
        return g_variant_builder_end(&b);
    };
    // Leaflet centres the view to the pixel, by a way that depends on the view before: the centre
    // is compared to four decimals (a few metres).
    const char* kState = "const s = torvixMapState(); return JSON.stringify([s.points, s.marker, "
                         "s.center.map(v => v.toFixed(4)), s.zoom, s.runs, s.legend]);";

    // Eight points, the last three above 200 km/h; the fourth repeats the third.
    const double speeds[] = {40, 80, 120, 120, 195, 210, 230, 250};
    std::string json = "[";
    const auto route = [](int i) { return std::pair{37.566535 + 0.0004 * i, 126.977969 + 0.0004 * i}; };
    EXPECT_EQ(call("return delPos();"), "true");
    for (int i = 0; i < 8; ++i) {
        const auto [lat, lng] = route(i == 3 ? 2 : i);
        EXPECT_EQ(call("return addPos(lat, lng, speed);", withSpeed(lat, lng, speeds[i])), "true");
        char buf[96];
        std::snprintf(buf, sizeof buf, "%s[%.6f,%.6f,%.1f]", i ? "," : "", lat, lng, speeds[i]);
        json += buf;
    }
    json += ",[91,0,10],\"junk\"]"; // refused as addPos refuses them
    const std::string added = call(kState);
    // Seven points (the repeat is drawn once); the stretch into the fifth point is the last below
    // the limit, and the first above it starts there.
    EXPECT_NE(added.find("[[\"normal\",4],[\"over\",4]]"), std::string::npos) << added;
    EXPECT_NE(added.find("true]"), std::string::npos) << "the legend is shown: " << added;
    const Picture one = [&] {
        uimap::RunFor(150);
        auto pic = page.Snapshot();
        return pic ? std::move(*pic) : Picture{};
    }();
    Save(one, "speed-route");
    EXPECT_GT(CountColour(one, 0x1EC7FF, 40), 150) << "up to 200 km/h: sky blue";
    EXPECT_GT(CountColour(one, 0xFF5A00, 40), 150) << "above: orange-red";
    EXPECT_EQ(CountColour(one, kRouteColour, 30, 0, 0, one.width, one.height - kAttribution), 0)
        << "a route with speeds has no plain stretch";
    EXPECT_EQ(call("return document.querySelector('.torvix-legend-normal').textContent;"), "\u2264 200 km/h");

    // The same in one call, from a clear page: the same state.
    EXPECT_EQ(call("return setDefaultPos();"), "true");
    EXPECT_EQ(call("return replotPos(JSON.parse(points));", [&] {
                  GVariantBuilder b;
                  g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
                  g_variant_builder_add(&b, "{sv}", "points", g_variant_new_string(json.c_str()));
                  return g_variant_builder_end(&b);
              }()),
              "true");
    EXPECT_EQ(call(kState), added);

    // In miles the limit is 120 mph: 195 km/h (121 mph) is above it now.
    EXPECT_EQ(call("return setSpeedUnit(unit);", [] {
                  GVariantBuilder b;
                  g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
                  g_variant_builder_add(&b, "{sv}", "unit", g_variant_new_int32(1));
                  return g_variant_builder_end(&b);
              }()),
              "true");
    EXPECT_EQ(call("return JSON.stringify(torvixMapState().runs);"), "[[\"normal\",3],[\"over\",5]]");
    EXPECT_EQ(call("return document.querySelector('.torvix-legend-over').textContent;"), "> 120 mph");

    // Cleared: no runs, no legend; an empty or unusable list clears as well.
    EXPECT_EQ(call("return delPos();"), "true");
    EXPECT_EQ(call("return JSON.stringify([torvixMapState().runs, torvixMapState().legend]);"), "[[],false]");
    EXPECT_EQ(call("return replotPos('nothing') && torvixMapState().points;"), "0");
}
