// The slider and the progress bar on a dialog: presses at the ends, dragging with snapping to
// values, the packed scroll notices, disabled and empty sliders, the vertical reversed volume bar,
// a release outside the window, and the two-colour bar.

#include "support/WidgetSkinHost.h"

#include "widgets/BmpProgress.h"
#include "widgets/BmpSlider.h"

using namespace zent;
using namespace widgettest;

namespace {

constexpr int kThumbW = 12;
constexpr int kVThumbH = 10;

class CSliderTest : public CWidgetHostTest {
protected:
    void SetUp() override
    {
        CWidgetHostTest::SetUp();
        ASSERT_TRUE(m_kSlider.SubclassDlgItem(IDC_VIDEO_SLIDER, Host()));
        ASSERT_TRUE(m_kVolume.SubclassDlgItem(IDC_VOLUME_SLIDER, Host()));
        ASSERT_TRUE(m_kBar.SubclassDlgItem(IDC_CARD_BAR, Host()));
        ASSERT_EQ(m_kSlider.InitControl(&m_kLoader, kTrackId, kThumbId), 1);
        m_kSlider.SetFillImage(&m_kLoader, kFillId);
        m_kSlider.SetThumbPressedImage(&m_kLoader, kThumbPressedId);
        ASSERT_EQ(m_kVolume.InitControl(&m_kLoader, kVTrackId, kVThumbId), 1);
        m_kVolume.SetFillImage(&m_kLoader, kFillId);
        m_kVolume.SetOrientation(1);
        ASSERT_EQ(m_kBar.InitControl(&m_kLoader, kBarId), 1);
        Pump();
    }

    // The positions the scroll notices of one slider carried (-1 for a notice of another kind).
    std::vector<int> Notices(const CBmpSlider& slider) const
    {
        std::vector<int> out;
        for (const CRecordedMsg& m : m_kHost.Of(WM_HSCROLL)) {
            if (m.lParam != reinterpret_cast<LPARAM>(slider.GetSafeHwnd())) continue;
            out.push_back(LOWORD(m.wParam) == SB_THUMBTRACK ? static_cast<int>(m.wParam >> 16) : -1);
        }
        return out;
    }
    // The horizontal slider as it should look: fill up to the thumb's centre, the thumb, track.
    std::function<COLORREF(int, int)> Horizontal(int thumb, COLORREF thumbColour) const
    {
        return [=](int x, int) {
            const int rel = x - kTrackRect.left;
            if (rel >= thumb && rel < thumb + kThumbW) return thumbColour;
            return rel < thumb + kThumbW / 2 ? kFill : kTrack;
        };
    }
    POINT OnSlider(int rel) const { return POINT{kTrackRect.left + rel, kTrackRect.top + 8}; }

    CBmpSlider m_kSlider;
    CBmpSlider m_kVolume;
    CBmpProgress m_kBar;
};

} // namespace

TEST_F(CSliderTest, PressAtEitherEndGivesTheLimitsAndNotifiesThePackedPosition)
{
    m_kSlider.SetMaximum(100);
    m_kSlider.SetPos(50);
    Down(OnSlider(0));
    EXPECT_EQ(m_kSlider.GetPos(), 0);
    EXPECT_EQ(m_kSlider.IsPressed(), 1);
    Up(OnSlider(0));
    Down(OnSlider(111));
    EXPECT_EQ(m_kSlider.GetPos(), 100);
    EXPECT_EQ(AreaMismatch(Host(), kTrackRect, Horizontal(100, kThumbPressed)), "");
    Up(OnSlider(111));
    EXPECT_EQ(m_kSlider.IsPressed(), 0);
    EXPECT_EQ(AreaMismatch(Host(), kTrackRect, Horizontal(100, kThumb)), "");
    // One notice per press, none for the releases.
    EXPECT_EQ(Notices(m_kSlider), (std::vector<int>{0, 100}));
}

TEST_F(CSliderTest, DragSnapsTheThumbToValuesAndFollowsOnlyInsideTheControl)
{
    // Seven values over 100 pixels: the thumb jumps to where its value lies.
    m_kSlider.SetMaximum(7);
    Down(OnSlider(56)); // thumb 50 -> value 4 -> thumb 57
    EXPECT_EQ(m_kSlider.GetPos(), 4);
    EXPECT_EQ(m_kSlider.GetThumbRect().left, 57);
    Move(OnSlider(90)); // thumb 84 -> value 6 -> thumb 86
    EXPECT_EQ(m_kSlider.GetPos(), 6);
    EXPECT_EQ(m_kSlider.IsDragging(), 1);
    // Below the control the pointer is no longer followed.
    Move(POINT{kTrackRect.left + 20, kTrackRect.bottom + 10});
    Up(POINT{kTrackRect.left + 20, kTrackRect.bottom + 10});
    EXPECT_EQ(m_kSlider.GetPos(), 6);
    EXPECT_EQ(m_kSlider.IsPressed(), 0);
    EXPECT_EQ(m_kSlider.IsDragging(), 0);
    EXPECT_EQ(Notices(m_kSlider), (std::vector<int>{4, 6}));
    EXPECT_EQ(AreaMismatch(Host(), kTrackRect, Horizontal(86, kThumb)), "");
}

TEST_F(CSliderTest, DisabledOrEmptySlidersStayPut)
{
    m_kSlider.SetMaximum(100);
    m_kSlider.SetPos(30);
    m_kSlider.SetDisableCtrl(1, 1);
    Click(OnSlider(100));
    EXPECT_EQ(m_kSlider.GetPos(), 30);
    EXPECT_EQ(m_kSlider.IsPressed(), 0);
    EXPECT_TRUE(Notices(m_kSlider).empty());

    // Nothing loaded: a maximum of 0 holds the position at 0 and the thumb at the start, also
    // under a press at the far end (no division by zero).
    m_kSlider.SetDisableCtrl(0, 1);
    m_kSlider.SetMaximum(0);
    m_kSlider.SetPos(5);
    EXPECT_EQ(m_kSlider.GetPos(), 0);
    Down(OnSlider(111));
    EXPECT_EQ(m_kSlider.GetPos(), 0);
    EXPECT_EQ(AreaMismatch(Host(), kTrackRect, Horizontal(0, kThumbPressed)), "");
    Up(OnSlider(111));
    EXPECT_EQ(Notices(m_kSlider), (std::vector<int>{0}));
}

TEST_F(CSliderTest, VerticalReversedSliderRunsDownAndFillsBelowTheThumb)
{
    m_kVolume.SetMaximum(100);
    m_kVolume.SetReverse(1);
    m_kVolume.SetPos(30); // thumb at 27 of 90 pixels
    Pump();
    const auto picture = [](int thumb) {
        return [thumb](int, int y) {
            const int rel = y - kVTrackRect.top;
            if (rel >= thumb && rel < thumb + kVThumbH) return kThumb;
            return rel >= thumb + kVThumbH / 2 ? kFill : kTrack;
        };
    };
    EXPECT_EQ(AreaMismatch(Host(), kVTrackRect, picture(27)), "");
    Click(POINT{kVTrackRect.left + 8, kVTrackRect.bottom - 1});
    EXPECT_EQ(m_kVolume.GetPos(), 100);
    EXPECT_EQ(AreaMismatch(Host(), kVTrackRect, picture(90)), "");
    EXPECT_EQ(Notices(m_kVolume), (std::vector<int>{100}));
    EXPECT_TRUE(Notices(m_kSlider).empty());
}

TEST_F(CSliderTest, ReleaseOutsideTheWindowEndsThePress)
{
    m_kSlider.SetMaximum(100);
    Down(OnSlider(40));
    ASSERT_EQ(m_kSlider.IsPressed(), 1);
    Move(POINT{-40, kTrackRect.top + 8});
    Up(POINT{-40, kTrackRect.top + 8});
    EXPECT_EQ(m_kSlider.IsPressed(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
    // The owner moves the thumb again once the user has let go.
    m_kSlider.SetPos(80);
    Pump();
    EXPECT_EQ(AreaMismatch(Host(), kTrackRect, Horizontal(80, kThumb)), "");
}

TEST_F(CSliderTest, ProgressBarFillsItsShareFromTheLeft)
{
    constexpr COLORREF kGround = RGB(1, 2, 3);
    constexpr COLORREF kShare = RGB(200, 100, 0);
    m_kBar.SetColors(kGround, kShare);
    const auto picture = [](int filled) {
        return [filled](int x, int) { return x - kBarRect.left < filled ? kShare : kGround; };
    };
    m_kBar.SetPos(0);
    Pump();
    EXPECT_EQ(AreaMismatch(Host(), kBarRect, picture(0)), "");
    m_kBar.SetPos(33); // 90 x 0.33 = 29.7
    Pump();
    EXPECT_EQ(AreaMismatch(Host(), kBarRect, picture(29)), "");
    m_kBar.SetPos(100);
    Pump();
    EXPECT_EQ(AreaMismatch(Host(), kBarRect, picture(90)), "");
    m_kBar.SetPos(250);
    EXPECT_EQ(m_kBar.GetPos(), 100);
    m_kBar.SetPos(-3);
    EXPECT_EQ(m_kBar.GetPos(), 0);
}
