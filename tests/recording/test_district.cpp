#include "TestSupport.h"

#include "recording/AdminDistrict.h"

#include <zent/platform/Text.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <limits>

namespace {

const std::filesystem::path kShippedTable = std::filesystem::path(TORVIX_BIN_DIR) / "data" / "AdminDistrictInfo.dat";

std::string Utf8(const std::wstring& w) { return zent::WideToUtf8(w); }

} // namespace

TEST(District, EveryReferencePointOfTheShippedTableNamesItsOwnDistrict)
{
    CAdminDistrict districts;
    ASSERT_EQ(districts.LoadAdminDistrictFile(kShippedTable), 3503);
    // The source rows: code, province, district, longitude, latitude.
    std::ifstream tsv(std::filesystem::path(TORVIX_SOURCE_DIR) / "data/districts/districts_dong.tsv");
    std::string line;
    int rows = 0, wrong = 0;
    while (std::getline(tsv, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string field; std::getline(ss, field, '\t');) f.push_back(field);
        ASSERT_EQ(f.size(), 5u);
        std::string expected = f[1] + "\u00a0" + f[2];
        for (std::size_t p; (p = expected.find(' ')) != std::string::npos;) expected.replace(p, 1, "\u00a0");
        const std::string got = Utf8(districts.GetAdminDistrictName(std::stod(f[4]), std::stod(f[3])));
        if (got != expected && ++wrong <= 5) ADD_FAILURE() << line << " -> " << got;
        ++rows;
    }
    EXPECT_EQ(rows, 3503);
    EXPECT_EQ(wrong, 0);
    for (std::size_t i = 0; i < districts.GetCount(); ++i)
        ASSERT_EQ(std::wstring(districts.GetAt(i).name).find(L' '), std::wstring::npos);
}

TEST(District, PlacesBetweenReferencePoints)
{
    CAdminDistrict districts;
    ASSERT_EQ(districts.LoadAdminDistrictFile(kShippedTable), 3503);
    EXPECT_EQ(Utf8(districts.GetAdminDistrictName(33.5070, 126.4930)), "제주특별자치도\u00a0제주시"); // airport
    EXPECT_EQ(Utf8(districts.GetAdminDistrictName(37.4563, 126.7052)), "인천광역시\u00a0남동구");
}

TEST(District, PositionsThatCannotBePlacedAreUnknown)
{
    CAdminDistrict districts;
    districts.LoadAdminDistrictFile(kShippedTable);
    const std::wstring unknown = CAdminDistrict::kUnknownName;
    EXPECT_EQ(districts.GetAdminDistrictName(-33.86, 151.2), unknown);
    EXPECT_EQ(districts.GetAdminDistrictName(37.5, -122.4), unknown);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(districts.GetAdminDistrictName(nan, 127.0), unknown);
    EXPECT_EQ(districts.GetAdminDistrictName(37.5, nan), unknown);
    EXPECT_EQ(districts.GetAdminDistrictName(1e300, 127.0), unknown);
    EXPECT_EQ(districts.GetAdminDistrictName(std::numeric_limits<double>::infinity(), 127.0), unknown);

    CAdminDistrict empty;
    EXPECT_EQ(empty.LoadAdminDistrictFile("/no/such/AdminDistrictInfo.dat"), 0);
    EXPECT_EQ(empty.GetAdminDistrictName(37.5663, 126.9779), unknown);
}

TEST(District, BandedSearchFallsBackToTheWholeTable)
{
    CAdminDistrict d;
    // North to south; no entry lies within six bands north of 36.00.
    ASSERT_EQ(d.LoadAdminDistrictText(L"1 North 127.0 38.00 2 Middle 127.0 37.00 3 South 127.0 35.00"), 3);
    EXPECT_EQ(d.GetAdminDistrictName(36.10, 127.0), L"Middle");
    EXPECT_EQ(d.GetAdminDistrictName(35.20, 127.0), L"South");
    EXPECT_EQ(d.GetAdminDistrictName(39.00, 127.0), L"North");
}

TEST(District, StopWidthLimitsTheWalkSouthOfTheFoundBand)
{
    CAdminDistrict d;
    // The position's band (3700) has an entry; the walk covers down to about 0.1 degrees below
    // the band that was found, so the far entry, although nearer in longitude, is never reached.
    ASSERT_EQ(d.LoadAdminDistrictText(L"1 Near 128.00 37.06 2 Far 127.00 36.80"), 2);
    EXPECT_EQ(d.GetAdminDistrictName(37.00, 127.00), L"Near");
}

TEST(District, CacheAnswersPositionsEqualToFourDecimals)
{
    CAdminDistrict d;
    ASSERT_EQ(d.LoadAdminDistrictText(L"1 A 127.0000 37.5000 2 B 127.0001 37.50005"), 2);
    const std::wstring first = d.GetAdminDistrictName(37.50001, 127.00009);
    // Same key (truncated to 1/10000 degree): the cached answer, even though B is nearer now.
    EXPECT_EQ(d.GetAdminDistrictName(37.50009, 127.00009), first);
}

TEST(District, TokensEndAtTheFirstEmptyOneAndLongNamesAreCut)
{
    CAdminDistrict d;
    EXPECT_EQ(d.LoadAdminDistrictText(L"1 A 127.0 37.5  2 B 127.0 36.0"), 1);
    const std::wstring longName(50, L'\ud55c');
    EXPECT_EQ(d.LoadAdminDistrictText(L"7 " + longName + L" 127.0 37.5"), 1);
    EXPECT_EQ(std::wstring(d.GetAt(0).name), longName.substr(0, 33));
    // Junk numbers count as 0 and latitudes out of range are left out rather than banded.
    EXPECT_EQ(d.LoadAdminDistrictText(L"x A y 37.5 2 B 127 1e308 3 C 127 nan"), 1);
    EXPECT_EQ(d.GetAt(0).code, 0);
    EXPECT_EQ(d.GetAt(0).longitude, 0.0);
}

TEST(District, FileEncodingFollowsTheByteOrderMark)
{
    testsupport::TempDir dir;
    const std::string line = "11010 \xEC\x84\x9C\xEC\x9A\xB8 126.97 37.57";
    testsupport::WriteFile(dir / "utf8.dat", "\xEF\xBB\xBF" + line + "\nignored 1 2 3");
    CAdminDistrict d;
    ASSERT_EQ(d.LoadAdminDistrictFile(dir / "utf8.dat"), 1);
    EXPECT_EQ(d.GetAdminDistrictName(37.57, 126.97), L"\uc11c\uc6b8");

    std::string be = "\xFE\xFF";
    for (char16_t u : zent::WideToUtf16(zent::Utf8ToWide(line))) {
        be.push_back(static_cast<char>(u >> 8));
        be.push_back(static_cast<char>(u & 0xFF));
    }
    testsupport::WriteFile(dir / "be.dat", be);
    ASSERT_EQ(d.LoadAdminDistrictFile(dir / "be.dat"), 1);
    EXPECT_EQ(d.GetAt(0).code, 11010);
}
