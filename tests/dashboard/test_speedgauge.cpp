// The speed gauge: which needle, lamp and figures a track sample gives in either unit, the whole
// picture the dialog shows for them, and the needles past the dial that are loaded on demand.

#include "support/DashboardHost.h"

#include "locale/AppFont.h"
#include "widgets/SpeedGaugeWnd.h"

#include <limits>

using namespace zent;
using namespace dashtest;

namespace {

class CGaugeTest : public CDashboardTest {
protected:
    void SetUp() override
    {
        CDashboardTest::SetUp();
        ASSERT_TRUE(m_kGauge.SubclassDlgItem(IDC_GAUGE, m_kHost.GetSafeHwnd()));
        ASSERT_EQ(m_kGauge.InitControl(), 1);
        m_kGauge.SetFont(GetAppFont(40, 0, 400, 0, L"Roboto"), 0);
        m_kGauge.ShowState(CSpeedGaugeWnd::GetIdleState(false, 0));
        Pump();
    }

    // Face, needle bar, hub over it, lamp, then the figures and the unit in Roboto, centred.
    static CPicture Gauge(UINT needle, COLORREF lamp, const std::wstring& figures, const wchar_t* unit)
    {
        const auto local = [](const RECT& rc) {
            return RECT{rc.left - kGaugeRect.left, rc.top - kGaugeRect.top, rc.right - kGaugeRect.left,
                        rc.bottom - kGaugeRect.top};
        };
        CPicture p(kGaugeRect.Width(), kGaugeRect.Height(), kFace);
        p.Fill(local(kNeedleBar), Blend(NeedleColour(needle), 0, 255));
        p.Fill(local(kHubRect), Blend(kHub, 0, 255));
        p.Fill(local(kLampRect), Blend(lamp, 0, 255));
        SetBkMode(p.dc.get(), TRANSPARENT);
        SetTextColor(p.dc.get(), RGB(255, 255, 255));
        constexpr UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        RECT rc = local(kDigitsRect);
        SelectObject(p.dc.get(), GetAppFont(40, 0, 400, 0, L"Roboto"));
        if (!figures.empty()) DrawText(p.dc.get(), figures, &rc, format);
        UniqueFont unitFont(CreateAppFont(18, 0, 500, 0, L"Roboto"));
        SelectObject(p.dc.get(), unitFont.get());
        rc = local(kUnitRect);
        DrawText(p.dc.get(), unit, &rc, format);
        return p;
    }

    CSpeedGaugeWnd m_kGauge;
};

} // namespace

void PrintTo(const CSpeedGaugeState& s, std::ostream* os)
{
    *os << "{lamp " << s.nIndicatorId << ", needle " << s.nNeedleId << ", \"" << std::string(s.strSpeed.begin(), s.strSpeed.end())
        << "\", unit " << s.nUnit << "}";
}

TEST(SpeedGaugeState, NeedleFiguresAndLampFollowSpeedUnitAndFix)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double kmh;
        int unit;
        bool fix;
        CSpeedGaugeState want;
    };
    const Case cases[] = {
        {0.0, 0, true, {45, 49, L"0", 0}},
        {4.99, 0, true, {45, 49, L"4", 0}},
        {5.0, 0, true, {45, 50, L"5", 0}},
        {100.0, 0, true, {45, 69, L"100", 0}},
        {100.0, 1, true, {45, 61, L"62", 1}},
        {4.99, 1, true, {45, 49, L"3", 1}},
        {5.0, 1, true, {45, 49, L"3", 1}},
        {100.0, 0, false, {44, 43, L"", 0}},
        {100.0, 1, false, {44, 43, L"", 1}},
        {nan, 1, true, {45, 43, L"", 1}},   // a fix without a speed field
        {-3.0, 0, true, {45, 49, L"0", 0}}, // never below the dial
        // Beyond the dial the skin's resting needles take over, the last of them for everything
        // faster: the ids after them are other pictures.
        {219.9, 0, true, {45, 92, L"219", 0}},
        {220.0, 0, true, {45, 93, L"220", 0}},
        {244.9, 0, true, {45, 97, L"244", 0}},
        {249.9, 0, true, {45, 98, L"249", 0}},
        {250.0, 0, true, {45, 98, L"250", 0}},
        {1e12, 0, true, {45, 98, L"2147483647", 0}},
    };
    for (const Case& c : cases) {
        const CSpeedGaugeState got = CSpeedGaugeWnd::GetSpeedState(c.kmh, c.unit, c.fix);
        EXPECT_EQ(got, c.want) << c.kmh << " unit " << c.unit << " fix " << c.fix;
    }
    EXPECT_EQ(CSpeedGaugeWnd::GetIdleState(true, 2), (CSpeedGaugeState{45, 43, L"", 1}));
}

TEST_F(CGaugeTest, PictureShowsNeedleUnderHubLampFiguresAndUnit)
{
    m_kGauge.ShowState(CSpeedGaugeWnd::GetSpeedState(100.0, 0, true));
    EXPECT_EQ(Mismatch(kGaugeRect, Gauge(69, kFixLamp, L"100", L"km/h")), "");

    m_kGauge.ShowState(CSpeedGaugeWnd::GetSpeedState(100.0, 1, true));
    EXPECT_EQ(Mismatch(kGaugeRect, Gauge(61, kFixLamp, L"62", L"mph")), "");

    // Without a fix: idle needle and no figures, but the unit stays.
    m_kGauge.ShowState(CSpeedGaugeWnd::GetSpeedState(100.0, 1, false));
    EXPECT_EQ(Mismatch(kGaugeRect, Gauge(43, kNoFixLamp, L"", L"mph")), "");

    m_kGauge.SetVisibleCtrl(0, 1);
    EXPECT_EQ(Mismatch(kGaugeRect, CPicture(kGaugeRect.Width(), kGaugeRect.Height(), kHostBk)), "");
}

TEST_F(CGaugeTest, NeedlesPastTheDialAreLoadedOnDemandAndKept)
{
    // The dial 43..92 is loaded up front, and only it.
    EXPECT_EQ(m_kGauge.GetCachedImageCount(), 50u);
    m_kGauge.ShowState(CSpeedGaugeWnd::GetSpeedState(231.0, 0, true));
    EXPECT_EQ(m_kGauge.GetNeedleId(), 95u);
    EXPECT_EQ(m_kGauge.GetCachedImageCount(), 51u);
    EXPECT_EQ(Mismatch(kGaugeRect, Gauge(95, kFixLamp, L"231", L"km/h")), "");

    // Without a loader an id not held yet changes nothing; one held needs none.
    m_kGauge.SetNeedleImage(97, nullptr);
    EXPECT_EQ(m_kGauge.GetNeedleId(), 95u);
    m_kGauge.SetNeedleImage(50, nullptr);
    EXPECT_EQ(m_kGauge.GetNeedleId(), 50u);
    m_kGauge.ShowState(CSpeedGaugeWnd::GetSpeedState(231.0, 0, true));
    EXPECT_EQ(m_kGauge.GetCachedImageCount(), 51u);
}
