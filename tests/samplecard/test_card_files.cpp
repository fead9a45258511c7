// The sample card as the program and stock tools see it: every file decodes without an error,
// the names cover the camera's grammar and the cases around it, and the files look as the
// camera leaves them.

#include "SampleCardFixture.h"

#include "engine/StreamProbe.h"
#include "recording/RecordingCatalog.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <algorithm>
#include <fstream>
#include <set>

namespace {

using samplecard::PlannedRecording;
using samplecard::VideoCodec;
using namespace samplecard_test;
namespace fs = std::filesystem;

using zent::BareFileName;
using zent::PathToWide;
using zent::WideToPath;

std::wstring Wide(const std::string& s) { return zent::Utf8ToWide(s); }

std::vector<std::string> ReadLines(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(SampleCardFiles, EveryPlannedFileIsThereAndDecodesWithoutError)
{
    const auto& plan = GetFixturePlan();
    ASSERT_FALSE(plan.vecRecordings.empty());
    for (const PlannedRecording& r : plan.vecRecordings) {
        SCOPED_TRACE(r.strRelativePath);
        ASSERT_TRUE(fs::is_regular_file(GetCardPath(r)));
        EXPECT_EQ(DecodeErrors(GetCardPath(r)), "");
    }
}

TEST(SampleCardFiles, CardHoldsNoScratchFiles)
{
    for (const auto& entry : fs::recursive_directory_iterator(GetCardDir())) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        for (const char* scratch : {".part", ".enc", ".enc.avi"})
            EXPECT_FALSE(name.ends_with(scratch)) << entry.path();
    }
}

TEST(SampleCardFiles, NamesCoverEveryClassChannelCodeAndTheCasesAroundTheGrammar)
{
    const auto& plan = GetFixturePlan();
    std::set<int> classes;
    std::set<std::string> codes;
    bool bLowerCaseExtension = false, bMpegExtension = false, bRearFolderBesideFront = false;
    for (const PlannedRecording& r : plan.vecRecordings) {
        const std::wstring name = Wide(r.GetFileName());
        EXPECT_TRUE(CRecordingCatalog::IsAcceptedVideoName(name)) << r.strRelativePath;
        const int cls = CRecordingCatalog::GetCategoryIndex(name);
        classes.insert(cls);
        if (CRecordingCatalog::MatchesNameGrammar(name)) codes.insert(r.channelCode);
        const std::string ext = r.GetFileName().substr(r.GetFileName().rfind('.') + 1);
        bLowerCaseExtension |= ext == "mp4" && CRecordingCatalog::MatchesNameGrammar(name);
        bMpegExtension |= ext == "MPEG" && cls == kClassUnknown;
        const fs::path folder = fs::path(r.strRelativePath).parent_path();
        if (folder.filename() == "R" && r.channelCode == "R") {
            std::string front = r.GetFileName();
            front.replace(front.find("_R_"), 3, "_F_");
            bRearFolderBesideFront |= plan.Find((folder.parent_path() / "F" / front).generic_string()) != nullptr;
        }
    }
    for (int cls = kClassNormal; cls < kClassCount; ++cls) EXPECT_TRUE(classes.count(cls)) << "class " << cls;
    for (const char* code : {"F", "R", "FR", "FO", ""}) EXPECT_TRUE(codes.count(code)) << "code '" << code << "'";
    EXPECT_TRUE(bLowerCaseExtension);
    EXPECT_TRUE(bMpegExtension);
    EXPECT_TRUE(bRearFolderBesideFront);
}

TEST(SampleCardFiles, FolderWalkPairsFrontAndRearAcrossSiblingFoldersAndKeepsTheLoneRear)
{
    CRecordingCatalog catalog;
    catalog.SetStreamCounter([](const std::wstring& path) { return GetVidoeStreamCount(path); });
    catalog.SearchVideoFiles(PathToWide(GetCardDir()));
    catalog.BuildSelectionList(kClassAll);

    int pairs = 0, pairsAcrossFolders = 0, loneRears = 0, twoStreamFiles = 0;
    for (const auto& [path, entry] : catalog.GetEntries()) {
        const std::wstring name(BareFileName(path));
        if (name.find(L"_F_") != std::wstring::npos && entry.channelText == L"2CH") {
            ++pairs;
            const std::wstring rear = CRecordingCatalog::FindPairFile(path, catalog.GetSelectionList());
            if (WideToPath(rear).parent_path() != WideToPath(path).parent_path()) ++pairsAcrossFolders;
        }
        if (name.find(L"_R_") != std::wstring::npos) {
            EXPECT_EQ(entry.channelText, L"1CH");
            ++loneRears;
        }
        if (name.find(L"_FR_") != std::wstring::npos) {
            EXPECT_EQ(entry.channelText, L"2CH");
            ++twoStreamFiles;
        }
    }
    EXPECT_GE(pairs, 2);
    EXPECT_GE(pairsAcrossFolders, 1);
    EXPECT_GE(loneRears, 1);
    EXPECT_EQ(twoStreamFiles, 1);

    // Every planned recording was found by the walk.
    std::set<fs::path> listed;
    for (int cls = kClassNormal; cls < kClassCount; ++cls)
        for (const std::wstring& path : catalog.GetCategoryListByIndex(cls)) listed.insert(WideToPath(path));
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) EXPECT_TRUE(listed.count(GetCardPath(r))) << r.strRelativePath;
}

TEST(SampleCardFiles, VersionFileHoldsModelVersionAndLogLineAsTheCardReaderReadsThem)
{
    const std::vector<std::string> lines = ReadLines(GetCardDir() / "ver.txt");
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) {
        EXPECT_NE(line.find('='), std::string::npos) << line;
        EXPECT_EQ(line.find('\r'), std::string::npos) << "the version value is read untrimmed";
    }
    const std::string model = lines[0].substr(lines[0].find('=') + 1);
    EXPECT_EQ(model, GetFixturePlan().strModel);
    EXPECT_FALSE(lines[1].substr(lines[1].find('=') + 1).empty());
    const std::string level = lines[2].substr(lines[2].find('=') + 1);
    EXPECT_TRUE(!level.empty() && std::all_of(level.begin(), level.end(), ::isdigit)) << lines[2];
    // A model outside the 4K list would make the player refuse every recording of the card.
    EXPECT_TRUE(Is4KModel(Wide(model)));
}

TEST(SampleCardFiles, FileTimesAreTheNamedStartOnTheCameraClock)
{
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) {
        SCOPED_TRACE(r.strRelativePath);
        const auto written = fs::last_write_time(GetCardPath(r));
        const auto sys = std::chrono::file_clock::to_sys(written);
        // 09:10:41 on the camera (UTC+9) is 00:10:41 UTC.
        const std::int64_t utc = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
        EXPECT_EQ(utc + 9 * 3600, samplecard::ToEpochSeconds(r.start));
        if (CRecordingCatalog::MatchesNameGrammar(Wide(r.GetFileName()))) {
            EXPECT_EQ(r.GetFileName().substr(0, 18), samplecard::FormatNameTime(r.start));
        }
    }
}

TEST(SampleCardFiles, StreamsAndPlayabilityWithoutAKnownModel)
{
    int h264 = 0, playableUhd = 0, refusedUhd = 0, refusedMpeg4 = 0;
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) {
        SCOPED_TRACE(r.strRelativePath);
        const std::wstring path = PathToWide(GetCardPath(r));
        if (r.container != samplecard::Container::MpegProgram) {
            // A program stream announces its streams only as they come, so the open-only count
            // does not apply to it.
            EXPECT_EQ(GetVidoeStreamCount(path), r.GetVideoStreamCount());
            EXPECT_EQ(GetAudioStreamCount(path), 1);
        }
        EXPECT_EQ(GetVideoWidth(path), r.width);
        EXPECT_NEAR(GetFileDurationSeconds(GetCardPath(r).string()), r.durationSeconds, 0.15);
        const bool bPlayable = IsPlayable(L"", path);
        switch (r.codec) {
        case VideoCodec::H264:
            EXPECT_EQ(GetVideoCodecName(path), "h264");
            EXPECT_TRUE(bPlayable);
            ++h264;
            break;
        case VideoCodec::Hevc:
            EXPECT_EQ(GetVideoCodecName(path), "hevc");
            EXPECT_EQ(bPlayable, r.width <= 3840);
            ++(bPlayable ? playableUhd : refusedUhd);
            break;
        case VideoCodec::Mpeg4Part2:
            EXPECT_EQ(GetVideoCodecName(path), "mpeg4");
            EXPECT_FALSE(bPlayable);
            ++refusedMpeg4;
            break;
        case VideoCodec::Mpeg1:
            EXPECT_FALSE(bPlayable);
            break;
        }
    }
    EXPECT_GE(h264, 10);
    EXPECT_EQ(playableUhd, 1);
    EXPECT_EQ(refusedUhd, 1);
    EXPECT_EQ(refusedMpeg4, 1);
}

} // namespace
