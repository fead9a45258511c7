// torvix-track run as a user would, on the sample card that CTest writes first.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int status = -1;
    std::string out;
};

// Runs a command line through the shell (arguments are our own, quoted below); stderr is kept
// apart in a file when asked.
RunResult RunCommand(const std::string& command)
{
    RunResult r;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) r.out.append(buf.data(), n);
    const int raw = pclose(pipe.release());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q.push_back(c);
    }
    return q + "'";
}

std::string Tool() { return Quote((fs::path(TORVIX_BIN_DIR) / "torvix-track").string()); }

fs::path Card()
{
    const char* env = std::getenv("TORVIX_SAMPLECARD");
    return fs::path(env && *env ? env : TORVIX_SAMPLECARD_DIR);
}

std::vector<fs::path> Recordings()
{
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(Card()))
        if (e.is_regular_file() && e.path().filename() != "ver.txt") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::stringstream ss(s);
    while (std::getline(ss, part, sep)) parts.push_back(part);
    return parts;
}

std::map<std::string, std::string> ProbeOf(const fs::path& file)
{
    const RunResult r = RunCommand(Tool() + " probe " + Quote(file.string()) + " 2>/dev/null");
    std::map<std::string, std::string> kv;
    for (const auto& line : Split(r.out, '\n')) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) kv[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return kv;
}

} // namespace

TEST(TorvixTrack, ScanListsEveryRecordingOnceInNameOrder)
{
    ASSERT_TRUE(fs::is_directory(Card())) << Card();
    const RunResult r = RunCommand(Tool() + " scan " + Quote(Card().string()) + " --lang en");
    ASSERT_EQ(r.status, 0);
    const auto lines = Split(r.out, '\n');
    ASSERT_GE(lines.size(), 10u);
    std::string previousName;
    std::set<std::string> listed;
    for (const auto& line : lines) {
        const auto cols = Split(line, '\t');
        ASSERT_EQ(cols.size(), 5u) << line;
        ASSERT_TRUE(fs::exists(cols[4])) << line;
        const std::string name = fs::path(cols[4]).filename().string();
        EXPECT_LE(previousName, name) << "not in name order: " << line;
        previousName = name;
        listed.insert(name);
        if (cols[0] != "-") {
            EXPECT_EQ(cols[0].size(), 10u) << line; // YYYY.MM.DD
            EXPECT_EQ(cols[1].size(), 8u) << line;  // HH:MM:SS
            EXPECT_EQ(cols[0].substr(0, 4) + cols[0].substr(5, 2) + cols[0].substr(8, 2), name.substr(0, 8));
        }
        EXPECT_TRUE(cols[2] == "1CH" || cols[2] == "2CH") << line;
        const std::set<std::string> labels = {"Normal", "Event", "Parking", "Motion", "Camcoder", "MyFolder", "Unknown", "Ai Event"};
        EXPECT_TRUE(labels.count(cols[3])) << line;
    }
    // A rear file whose front file is on the card is reached through it; a lone rear file is listed.
    for (const auto& file : Recordings()) {
        const std::string name = file.filename().string();
        const auto r_ = name.find("_R_");
        if (r_ == std::string::npos) continue;
        std::string front = name;
        front.replace(r_, 3, "_F_");
        bool frontExists = false;
        for (const auto& other : Recordings()) frontExists |= other.filename() == front;
        EXPECT_EQ(listed.count(name) == 0, frontExists) << name;
        if (frontExists) {
            EXPECT_TRUE(listed.count(front)) << front;
        }
    }
}

TEST(TorvixTrack, ScanOfOneClassAndBadInputs)
{
    const RunResult normal = RunCommand(Tool() + " scan " + Quote(Card().string()) + " --class 1");
    ASSERT_EQ(normal.status, 0);
    for (const auto& line : Split(normal.out, '\n')) EXPECT_EQ(Split(line, '\t')[3], "Normal") << line;
    EXPECT_EQ(RunCommand(Tool() + " scan /no/such/card 2>/dev/null").status, 1);
    EXPECT_EQ(RunCommand(Tool() + " scan " + Quote(Card().string()) + " --class 9 2>/dev/null").status, 2);
    EXPECT_EQ(RunCommand(Tool() + " scan 2>/dev/null").status, 2);
    EXPECT_EQ(RunCommand(Tool() + " frobnicate 2>/dev/null").status, 2);
    const RunResult msg = RunCommand(Tool() + " track /no/such/file.MP4 2>&1 >/dev/null");
    EXPECT_EQ(msg.status, 1);
    EXPECT_EQ(msg.out, "torvix-track: /no/such/file.MP4: No such file or directory\n");
}

TEST(TorvixTrack, KoreanScanShowsDistrictsOfTheSeoulDrive)
{
    const RunResult r = RunCommand(Tool() + " scan " + Quote(Card().string()) + " --lang ko");
    ASSERT_EQ(r.status, 0);
    int seoul = 0;
    for (const auto& line : Split(r.out, '\n')) {
        const auto cols = Split(line, '\t');
        ASSERT_EQ(cols.size(), 5u);
        if (cols[3].rfind("서울특별시", 0) == 0) ++seoul;
        else EXPECT_EQ(cols[3], "-") << line;
    }
    EXPECT_GE(seoul, 3);
}

TEST(TorvixTrack, ProbeDecidesPlayabilityByCodecAndWidth)
{
    int hevc3840 = 0, hevc4096 = 0, mpeg4 = 0, twoStreams = 0;
    for (const auto& file : Recordings()) {
        auto kv = ProbeOf(file);
        ASSERT_EQ(kv.size(), 6u) << file;
        if (kv["codec"] == "hevc" && kv["width"] == "3840") {
            ++hevc3840;
            EXPECT_EQ(kv["playable"], "1");
        } else if (kv["codec"] == "hevc" && kv["width"] == "4096") {
            ++hevc4096;
            EXPECT_EQ(kv["playable"], "0");
        } else if (kv["codec"] == "mpeg4") {
            ++mpeg4;
            EXPECT_EQ(kv["playable"], "0");
        } else if (kv["codec"] == "h264") {
            EXPECT_EQ(kv["playable"], "1") << file;
            EXPECT_GE(std::stoi(kv["duration"]), 1) << file;
        }
        if (kv["video_streams"] == "2") {
            ++twoStreams;
            EXPECT_EQ(kv["audio_streams"], "1");
        }
    }
    EXPECT_EQ(hevc3840, 1);
    EXPECT_EQ(hevc4096, 1);
    EXPECT_EQ(mpeg4, 1);
    EXPECT_GE(twoStreams, 1);
}

TEST(TorvixTrack, EveryTrackExportsAsSchemaValidGpxCsvAndJson)
{
    const std::string schema = Quote((fs::path(TORVIX_TEST_DATA) / "gpx" / "gpx11-subset.xsd").string());
    testsupport::TempDir dir;
    int withPoints = 0;
    for (const auto& file : Recordings()) {
        const fs::path gpx = dir / (file.filename().string() + ".gpx");
        ASSERT_EQ(RunCommand(Tool() + " track " + Quote(file.string()) + " --format gpx > " + Quote(gpx.string())).status, 0);
        const RunResult lint = RunCommand("xmllint --noout --schema " + schema + " " + Quote(gpx.string()) + " 2>&1");
        EXPECT_EQ(lint.status, 0) << file << "\n" << lint.out;
        if (testsupport::ReadFile(gpx).find("<trkpt") != std::string::npos) ++withPoints;

        const RunResult csv = RunCommand(Tool() + " track " + Quote(file.string()) + " 2>/dev/null");
        ASSERT_EQ(csv.status, 0);
        const auto rows = Split(csv.out, '\n');
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0], "index,utc_time,status,latitude,longitude,speed_kmh,course,g_x,g_y,g_z");
        for (std::size_t i = 1; i < rows.size(); ++i) {
            EXPECT_EQ(Split(rows[i] + ",", ',').size(), 10u) << rows[i];
            EXPECT_EQ(rows[i].substr(0, rows[i].find(',')), std::to_string(i - 1));
        }

        const RunResult json = RunCommand(Tool() + " track " + Quote(file.string()) + " --format json | jq empty");
        EXPECT_EQ(json.status, 0) << file;
    }
    EXPECT_GE(withPoints, 4); // one per layout at least
}
