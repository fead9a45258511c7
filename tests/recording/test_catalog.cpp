#include "TestSupport.h"

#include "recording/RecordingCatalog.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <gtest/gtest.h>

#include <random>

using testsupport::TempDir;

namespace {

const std::wstring kWithChannel = LR"(^\d{8}-\d{2}h\d{2}m\d{2}s_(F|R|FR|FO)_(N|E|P|M|C|I).[a-zA-Z0-9]{3}$)";
const std::wstring kWithoutChannel = LR"(^\d{8}-\d{2}h\d{2}m\d{2}s_(N|E|P|M|C|I).[a-zA-Z0-9]{3}$)";

void Touch(const std::filesystem::path& p) { testsupport::WriteFile(p, "x"); }

std::vector<std::wstring> BareNames(const std::vector<std::wstring>& paths)
{
    std::vector<std::wstring> names;
    for (const auto& p : paths) names.emplace_back(zent::BareFileName(p));
    return names;
}

} // namespace

TEST(Naming, ClassFromTheNameGrammar)
{
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_F_N.MP4"), kClassNormal);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_E.AVI"), kClassEvent);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_R_P.MP4"), kClassParking);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_FR_M.MP4"), kClassMotion);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_FO_C.MP4"), kClassCamcoder);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_I.mp4"), kClassAiEvent);
    // The dot position takes any character, but the class needs "_N." itself.
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_F_NXMP4"), kClassUnknown);
    // A four-character extension fails the grammar.
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_F_N.MPEG"), kClassUnknown);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_F_N_my.MPEG"), kClassMyFolder);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"trip_my.mp4"), kClassMyFolder);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"_my.mp4"), kClassUnknown); // position 0 does not count
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"clip.mp4"), kClassUnknown);
    EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(L"20230405-13h22m10s_X_N.MP4"), kClassUnknown);
}

TEST(Naming, HandMatcherAgreesWithTheRegularExpressions)
{
    // Random mutations of real names around every position the grammar checks.
    const std::wstring alphabet = L"0123456789-hms_FROINEPMCxyz.\n\u00e9AaZ4";
    const std::wstring seeds[] = {L"20230405-13h22m10s_F_N.MP4", L"20230405-13h22m10s_FR_E.avi",
                                  L"20230405-13h22m10s_P.MP4", L"20230405-13h22m10s_FO_I.m4v"};
    std::mt19937 rng(12345);
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        std::wstring name = seeds[rng() % 4];
        const int edits = 1 + static_cast<int>(rng() % 2);
        for (int e = 0; e < edits; ++e) {
            const std::size_t pos = rng() % (name.size() + 1);
            const wchar_t c = alphabet[rng() % alphabet.size()];
            switch (rng() % 3) {
            case 0: if (pos < name.size()) name[pos] = c; break;
            case 1: name.insert(name.begin() + static_cast<std::ptrdiff_t>(pos), c); break;
            default: if (pos < name.size()) name.erase(pos, 1); break;
            }
        }
        const bool regex = CRecordingCatalog::IsMatchRegex(name, kWithChannel) || CRecordingCatalog::IsMatchRegex(name, kWithoutChannel);
        EXPECT_EQ(CRecordingCatalog::MatchesNameGrammar(name), regex) << zent::WideToUtf8(name);
        if (regex) ++matched;
    }
    EXPECT_GT(matched, 1000); // the mutations must also keep many names valid
}

TEST(Naming, MatcherAgreesOnEveryClassOutcome)
{
    // A name outside the grammar that carries "_N." is still Unknown; inside it is Normal.
    for (const std::wstring name : {L"20230405-13h22m10s_F_N.MP4", L"2023040-13h22m10s_F_N.MP4",
                                    L"20230405-13h22m10s_F_N.\nP4", L"20230405-13h22m10s_FRN.MP4",
                                    L"20230405-13h22m10s_FO_N.M\u00e94", L"20230405-13h22m10s_N.MP4x"}) {
        const bool regex = CRecordingCatalog::IsMatchRegex(name, kWithChannel) || CRecordingCatalog::IsMatchRegex(name, kWithoutChannel);
        EXPECT_EQ(CRecordingCatalog::GetCategoryIndex(name) == kClassNormal, regex) << zent::WideToUtf8(name);
    }
}

TEST(Naming, RegexHelperMatchesWholeTextAndSurvivesBadPatterns)
{
    EXPECT_TRUE(CRecordingCatalog::IsMatchRegex(L"abc", L"a.c"));
    EXPECT_FALSE(CRecordingCatalog::IsMatchRegex(L"xabc", L"a.c"));
    EXPECT_FALSE(CRecordingCatalog::IsMatchRegex(L"ABC", L"abc"));
    EXPECT_FALSE(CRecordingCatalog::IsMatchRegex(L"abc", L"(unclosed"));
}

TEST(Naming, WalkFilterLooksAtTheUpperCasedExtension)
{
    EXPECT_TRUE(CRecordingCatalog::IsAcceptedVideoName(L"a.mp4"));
    EXPECT_TRUE(CRecordingCatalog::IsAcceptedVideoName(L"a.mp4x"));
    EXPECT_TRUE(CRecordingCatalog::IsAcceptedVideoName(L"clip.MPEG"));
    EXPECT_TRUE(CRecordingCatalog::IsAcceptedVideoName(L"clip.avi"));
    EXPECT_TRUE(CRecordingCatalog::IsAcceptedVideoName(L"clip.mpg"));
    EXPECT_FALSE(CRecordingCatalog::IsAcceptedVideoName(L".mp4"));  // four characters
    EXPECT_FALSE(CRecordingCatalog::IsAcceptedVideoName(L"clip.mov"));
    EXPECT_FALSE(CRecordingCatalog::IsAcceptedVideoName(L"mp4.txt"));
    EXPECT_FALSE(CRecordingCatalog::IsAcceptedVideoName(L"ver.txt"));
}

TEST(Naming, RowTextsFromTheName)
{
    std::wstring date, time;
    ASSERT_TRUE(GetRowDateTimeTexts(L"20230405-13h22m10s_F_N.MP4", date, time));
    EXPECT_EQ(date, L"2023.04.05");
    EXPECT_EQ(time, L"13:22:10");
    EXPECT_FALSE(GetRowDateTimeTexts(L"trip_my.mp4", date, time));
    EXPECT_EQ(date, L"");
    EXPECT_EQ(time, L"");
    EXPECT_FALSE(GetRowDateTimeTexts(L"20230405-13x22m10s_F_N.MP4", date, time));
}

TEST(Pairing, PartnerIsTheExactOtherChannelName)
{
    const std::vector<std::wstring> list = {L"/c/F/20230405-13h22m10s_F_N.MP4", L"/c/R/20230405-13h22m10s_r_N.MP4",
                                            L"/c/R/20230405-13h22m10s_R_N.MP4", L"/d/R/20230405-13h22m10s_R_N.MP4"};
    EXPECT_EQ(CRecordingCatalog::FindPairFile(list[0], list), list[2]); // first in list order
    EXPECT_EQ(CRecordingCatalog::FindPairFile(list[2], list), list[0]);
    EXPECT_EQ(CRecordingCatalog::FindPairFile(L"/x/20230405-13h22m10s_FR_N.MP4", list), L"");
    EXPECT_EQ(CRecordingCatalog::FindPairFile(L"/x/20230405-13h22m10s_F_N.mp4", list), L""); // case matters
    EXPECT_EQ(CRecordingCatalog::FindPairFile(L"20230405-13h22m10s_F_N.MP4", list), list[2]);
}

struct CatalogTree : ::testing::Test {
    TempDir dir;
    CRecordingCatalog catalog;
    std::map<std::wstring, int> streams; // bare name -> video streams the fake probe reports

    void SetUp() override
    {
        catalog.SetLanguageId(1033);
        catalog.SetStreamCounter([this](const std::wstring& path) {
            const auto it = streams.find(std::wstring(zent::BareFileName(path)));
            return it == streams.end() ? 1 : it->second;
        });
        Touch(dir / "DCIM/Normal/F/20230405-13h22m10s_F_N.MP4");
        Touch(dir / "DCIM/Normal/R/20230405-13h22m10s_R_N.MP4");
        Touch(dir / "DCIM/Normal/F/20230405-13h23m10s_F_N.MP4");       // front alone
        Touch(dir / "DCIM/Event/R/20230405-13h24m00s_R_E.MP4");        // lone rear
        Touch(dir / "DCIM/Event/F/20230405-13h25m00s_F_P.MP4");        // front in Parking
        Touch(dir / "DCIM/Event/R/20230405-13h25m00s_R_E.MP4");        // its partner name differs in class
        Touch(dir / "DCIM/Manual/20230405-13h20m00s_FR_C.MP4");
        Touch(dir / "DCIM/Manual/20230405-13h21m00s_FO_C.MP4");
        Touch(dir / "DCIM/Ai/20230405-13h26m00s_I.mp4");
        Touch(dir / "Mine/trip_my.mp4");
        Touch(dir / "Mine/clip.mp4");
        Touch(dir / "Mine/20230405-13h27m00s_F_N.MPEG");
        Touch(dir / "Mine/notes.txt");
        Touch(dir / "ver.txt");
        streams[L"20230405-13h20m00s_FR_C.MP4"] = 2;
    }
};

TEST_F(CatalogTree, WalkFilesEveryAcceptedFileIntoItsClass)
{
    catalog.SearchVideoFiles(zent::PathToWide(dir.Path()));
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassNormal).size(), 3u);
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassEvent).size(), 2u);
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassParking).size(), 1u);
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassCamcoder).size(), 2u);
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassAiEvent).size(), 1u);
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassMyFolder).size(), 1u);
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassUnknown).size(), 2u); // clip.mp4 and the .MPEG
    EXPECT_TRUE(catalog.GetCategoryListByIndex(kClassAll).empty());
    EXPECT_TRUE(catalog.GetCategoryListByIndex(9).empty());

    catalog.ClearCategoryLists();
    for (int i = 0; i < kClassCount; ++i) EXPECT_TRUE(catalog.GetCategoryListByIndex(i).empty());
}

TEST_F(CatalogTree, AllClassesAreSortedByNameWithPairsFolded)
{
    catalog.SearchVideoFiles(zent::PathToWide(dir.Path()));
    EXPECT_EQ(catalog.BuildSelectionList(kClassAll), 12);
    const std::vector<std::wstring> expected = {
        L"20230405-13h20m00s_FR_C.MP4", L"20230405-13h21m00s_FO_C.MP4", L"20230405-13h22m10s_F_N.MP4",
        L"20230405-13h22m10s_R_N.MP4",  L"20230405-13h23m10s_F_N.MP4",  L"20230405-13h24m00s_R_E.MP4",
        L"20230405-13h25m00s_F_P.MP4",  L"20230405-13h25m00s_R_E.MP4",  L"20230405-13h26m00s_I.mp4",
        L"20230405-13h27m00s_F_N.MPEG", L"clip.mp4",                   L"trip_my.mp4"};
    EXPECT_EQ(BareNames(catalog.GetSelectionList()), expected);

    auto entryOf = [&](const std::wstring& bare) -> const RecordingEntry* {
        for (const auto& p : catalog.GetSelectionList())
            if (zent::BareFileName(p) == bare) return catalog.FindEntry(p);
        return nullptr;
    };
    ASSERT_TRUE(entryOf(L"20230405-13h22m10s_F_N.MP4"));
    EXPECT_EQ(entryOf(L"20230405-13h22m10s_F_N.MP4")->channelText, L"2CH");
    EXPECT_EQ(entryOf(L"20230405-13h22m10s_R_N.MP4"), nullptr); // reached through its front file
    EXPECT_EQ(entryOf(L"20230405-13h23m10s_F_N.MP4")->channelText, L"1CH");
    EXPECT_EQ(entryOf(L"20230405-13h24m00s_R_E.MP4")->channelText, L"1CH");
    EXPECT_EQ(entryOf(L"20230405-13h24m00s_R_E.MP4")->classLabel, L"Event");
    EXPECT_EQ(entryOf(L"20230405-13h26m00s_I.mp4")->classLabel, L"Ai Event");
    EXPECT_EQ(entryOf(L"20230405-13h21m00s_FO_C.MP4")->classLabel, L"Camcoder");
    EXPECT_EQ(entryOf(L"trip_my.mp4")->classLabel, L"MyFolder");
    EXPECT_EQ(entryOf(L"clip.mp4")->classLabel, L"Unknown");
    EXPECT_EQ(entryOf(L"clip.mp4")->districtText, L"-");
    EXPECT_EQ(catalog.GetEntries().size(), 11u);

    // Channel count from the stream probe for names without a front/rear code; the running
    // flag turns on at the first multi-stream file and stays on for the rows after it.
    EXPECT_EQ(entryOf(L"20230405-13h20m00s_FR_C.MP4")->channelText, L"2CH");
    EXPECT_EQ(entryOf(L"20230405-13h20m00s_FR_C.MP4")->multiStream, 1);
    EXPECT_EQ(entryOf(L"20230405-13h21m00s_FO_C.MP4")->channelText, L"1CH");
    EXPECT_EQ(entryOf(L"20230405-13h21m00s_FO_C.MP4")->multiStream, 1);
    EXPECT_EQ(entryOf(L"trip_my.mp4")->multiStream, 1);
}

TEST_F(CatalogTree, PairsAreFoundOnlyInsideTheShownClass)
{
    catalog.SearchVideoFiles(zent::PathToWide(dir.Path()));
    // In "all", the Parking front file pairs with the Event rear file of the same moment...
    catalog.BuildSelectionList(kClassAll);
    const auto frontPath = zent::PathToWide(dir / "DCIM/Event/F/20230405-13h25m00s_F_P.MP4");
    ASSERT_TRUE(catalog.FindEntry(frontPath));
    EXPECT_EQ(catalog.FindEntry(frontPath)->channelText, L"1CH"); // partner name is ..._R_P, not ..._R_E

    // ...and when Event alone is shown, its rear files are listed alone.
    EXPECT_EQ(catalog.BuildSelectionList(kClassEvent), 2);
    EXPECT_EQ(catalog.GetEntries().size(), 2u);
    for (const auto& [path, entry] : catalog.GetEntries()) EXPECT_EQ(entry.channelText, L"1CH");

    EXPECT_EQ(catalog.BuildSelectionList(kClassNormal), 3);
    EXPECT_EQ(catalog.GetEntries().size(), 2u);
}

TEST_F(CatalogTree, KoreanRowsShowTheDistrictInsteadOfTheClass)
{
    catalog.SetLanguageId(1042);
    catalog.SearchVideoFiles(zent::PathToWide(dir.Path()));
    catalog.BuildSelectionList(kClassAll);
    for (const auto& [path, entry] : catalog.GetEntries()) {
        EXPECT_EQ(entry.classLabel, L"");
        // These files hold no track: the zero fix has latitude == longitude, so no position.
        EXPECT_EQ(entry.districtText, L"-");
    }
}

TEST(CatalogWalk, LinkLoopsAndMissingFoldersEndTheWalk)
{
    TempDir dir;
    Touch(dir / "a/20230405-13h22m10s_F_N.MP4");
    std::filesystem::create_directory_symlink(dir.Path(), dir / "a/loop");
    std::filesystem::create_symlink(dir / "a/20230405-13h22m10s_F_N.MP4", dir / "a/20230405-13h22m11s_F_N.MP4");
    CRecordingCatalog catalog;
    catalog.SearchVideoFiles(zent::PathToWide(dir.Path()));
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassNormal).size(), 2u); // the file link counts, the folder link does not
    catalog.SearchVideoFiles(L"/no/such/folder");
    EXPECT_EQ(catalog.GetCategoryListByIndex(kClassNormal).size(), 2u);
}
