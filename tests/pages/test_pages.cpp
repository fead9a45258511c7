// The delivered pages and services.conf as files: the speed-camera panel opens the first anchor of
// its page, so that anchor must carry the link; every page that services.conf names must be built
// into the data folder; every service address must be a usable URL.

#include "HtmlAnchor.h"
#include "TestSupport.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

namespace {

using pagetest::FirstAnchor;

const std::filesystem::path kData = std::filesystem::path(TORVIX_BIN_DIR) / "data";

struct KeyFileUnref {
    void operator()(GKeyFile* k) const { g_key_file_unref(k); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileUnref>;

KeyFilePtr LoadServices()
{
    KeyFilePtr conf(g_key_file_new());
    GError* err = nullptr;
    if (!g_key_file_load_from_file(conf.get(), (kData / "services.conf").c_str(), G_KEY_FILE_NONE, &err)) {
        ADD_FAILURE() << "services.conf: " << (err ? err->message : "?");
        g_clear_error(&err);
        return nullptr;
    }
    return conf;
}

// The key's value; a missing key is a test failure and gives nothing.
std::optional<std::string> Value(GKeyFile* conf, const char* group, const std::string& key)
{
    char* v = g_key_file_get_string(conf, group, key.c_str(), nullptr);
    if (!v) {
        ADD_FAILURE() << "services.conf lacks [" << group << "] " << key;
        return std::nullopt;
    }
    std::string out = v;
    g_free(v);
    return out;
}

// An absolute http(s) address with a host, as the download and browser-launch code needs.
bool IsWebAddress(const std::string& text, std::string* why)
{
    GError* err = nullptr;
    GUri* uri = g_uri_parse(text.c_str(), G_URI_FLAGS_NONE, &err);
    if (!uri) {
        *why = err ? err->message : "unparsable";
        g_clear_error(&err);
        return false;
    }
    const std::string scheme = g_uri_get_scheme(uri);
    const char* host = g_uri_get_host(uri);
    const bool ok = (scheme == "http" || scheme == "https") && host && *host;
    g_uri_unref(uri);
    if (!ok) *why = "not an http(s) address with a host";
    return ok;
}

TEST(FirstAnchorTest, FindsTheAnchorABrowserMeetsFirst)
{
    // Anchors in comments and in script or style text are no anchors.
    auto a = FirstAnchor("<!-- <a href='x'> --><script>var s = '<a href=\"y\">';</script>"
                         "<style>a[href] { color: red }</style><p>text <abbr>no</abbr><A class=k HREF=\"https://a.example/p?x=1&amp;y=2\">go</A>"
                         "<a href='https://second.example/'>");
    ASSERT_TRUE(a.has_value());
    EXPECT_TRUE(a->hasHref);
    EXPECT_EQ(a->href, "https://a.example/p?x=1&y=2");

    a = FirstAnchor("<body><a name=top></a><a href=https://later.example/>x</a>");
    ASSERT_TRUE(a.has_value());
    EXPECT_FALSE(a->hasHref) << "the first anchor has no link, even though a later one has";

    a = FirstAnchor("<a title='a > b' href='https://q.example/'>");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->href, "https://q.example/") << "a quoted '>' does not end the tag";

    EXPECT_FALSE(FirstAnchor("<p>no links; 3 < 4</p><area href='https://x.example/'>").has_value());
    EXPECT_FALSE(FirstAnchor("<script><a href='https://x.example/'>").has_value()) << "unclosed script text";
}

TEST(SpeedcamPagesTest, FirstAnchorCarriesTheConfiguredLinkAndNothingComesFromOutside)
{
    auto conf = LoadServices();
    ASSERT_TRUE(conf);
    std::set<std::string> pages;
    for (int language = 0; language < 4; ++language) {
        const std::string index = std::to_string(language);
        const auto page = Value(conf.get(), "SpeedcamPanel", "Page" + index);
        const auto link = Value(conf.get(), "Services", "SpeedcamPage" + index);
        ASSERT_TRUE(page && link);
        SCOPED_TRACE(*page);
        ASSERT_TRUE(std::filesystem::is_regular_file(kData / *page)) << "not built into the data folder";
        pages.insert(*page);

        const std::string html = testsupport::ReadFile(kData / *page);
        const auto anchor = FirstAnchor(html);
        ASSERT_TRUE(anchor.has_value()) << "no anchor";
        ASSERT_TRUE(anchor->hasHref) << "the first anchor has no link";
        std::string why;
        EXPECT_TRUE(IsWebAddress(anchor->href, &why)) << anchor->href << ": " << why;
        // The panel opens the same page the settings dialog sends the user to for this language.
        EXPECT_EQ(anchor->href, *link);

        // The panel is painted from a hidden view: a picture, font or script from elsewhere would
        // be missing whenever that host is.
        for (const char* outside : {"src=", "url(", "@import", "<link", "<iframe"})
            EXPECT_EQ(html.find(outside), std::string::npos) << "page loads " << outside;
    }
    EXPECT_EQ(pages.size(), 2u) << "one Korean and one English page";
}

TEST(ServicesConfTest, ServiceAddressesAreWebAddresses)
{
    auto conf = LoadServices();
    ASSERT_TRUE(conf);
    for (const char* key : {"ApiServer", "FirmwareList", "SpeedcamArchive", "ReachabilityProbe"}) {
        const auto v = Value(conf.get(), "Services", key);
        if (!v) continue;
        std::string why;
        EXPECT_TRUE(IsWebAddress(*v, &why)) << key << "=" << *v << ": " << why;
    }
    // The version query path is appended to the API server, so it must not bring a path of its own.
    if (const auto api = Value(conf.get(), "Services", "ApiServer")) {
        GUri* uri = g_uri_parse(api->c_str(), G_URI_FLAGS_NONE, nullptr);
        ASSERT_NE(uri, nullptr);
        const std::string path = g_uri_get_path(uri);
        EXPECT_TRUE(path.empty() || path == "/") << path;
        EXPECT_EQ(g_uri_get_query(uri), nullptr);
        g_uri_unref(uri);
    }
    for (int language = 0; language < 4; ++language) {
        const std::string index = std::to_string(language);
        for (const char* key : {"FirmwarePage", "SpeedcamPage"}) {
            const auto v = Value(conf.get(), "Services", key + index);
            std::string why;
            if (v) {
                EXPECT_TRUE(IsWebAddress(*v, &why)) << key << index << ": " << why;
            }
        }
    }
    const auto archive = Value(conf.get(), "Services", "SpeedcamArchive");
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->ends_with(".zip")) << "the archive is unpacked with the zip reader";
}

TEST(ServicesConfTest, MapPagesAreBuiltAndTileSettingIsValid)
{
    auto conf = LoadServices();
    ASSERT_TRUE(conf);
    const char* expected[] = {"map/gps.html", "map/gps_eng.html", "map/gps_jpn.html", "map/gps_kor.html"};
    for (int language = 0; language < 4; ++language) {
        const auto page = Value(conf.get(), "Map", "Page" + std::to_string(language));
        if (!page) continue;
        EXPECT_EQ(*page, expected[language]) << "the page of language index " << language;
        EXPECT_TRUE(std::filesystem::is_regular_file(kData / *page)) << *page << " is not built into the data folder";
        // Everything the page pulls in from beside itself must be built alongside it.
        const std::string html = testsupport::ReadFile(kData / *page);
        for (const char* part : {"torvix-map.js", "torvix-map.css"}) {
            EXPECT_NE(html.find(part), std::string::npos) << *page;
            EXPECT_TRUE(std::filesystem::is_regular_file(kData / "map" / part));
        }
        EXPECT_NE(html.find("file:///usr/share/javascript/leaflet/leaflet.js"), std::string::npos)
            << "Leaflet comes from the system package";
    }
    // Empty (OpenStreetMap), "off", or a template with all three place holders.
    const auto tiles = Value(conf.get(), "Map", "Tiles");
    ASSERT_TRUE(tiles);
    if (!tiles->empty() && *tiles != "off") {
        std::string why;
        EXPECT_TRUE(IsWebAddress(*tiles, &why)) << why;
        for (const char* hole : {"{z}", "{x}", "{y}"}) EXPECT_NE(tiles->find(hole), std::string::npos) << hole;
    }
}

} // namespace
