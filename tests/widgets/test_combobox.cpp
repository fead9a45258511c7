// The combo box and its pop-up: where and how high the pop-up opens, choosing rows (also the one
// already chosen), the ways of leaving the list without a choice, scrolling a long list, disabled
// and destroyed combo boxes, and the text of the closed box.

#include "support/WidgetSkinHost.h"

#include "locale/AppFont.h"
#include "widgets/BmpComboBox.h"
#include "widgets/BmpSlider.h"

#include <zent/platform/Trace.h>

using namespace zent;
using namespace widgettest;

namespace {

constexpr UINT kZoomCode = 0x408;
constexpr COLORREF kBorder = RGB(100, 100, 100);
constexpr COLORREF kScrollThumb = RGB(140, 140, 140);
constexpr COLORREF kScrollTrack = RGB(56, 56, 56);
constexpr POINT kOnCombo{40, 70};

class CComboTest : public CWidgetHostTest {
protected:
    void SetUp() override
    {
        CWidgetHostTest::SetUp();
        ASSERT_TRUE(m_kCombo.SubclassDlgItem(IDC_ZOOM_LIST, Host()));
        ASSERT_TRUE(m_kSlider.SubclassDlgItem(IDC_VIDEO_SLIDER, Host()));
        ASSERT_EQ(m_kCombo.InitControl(IDC_ZOOM_LIST, kComboId, kComboOpenId, kZoomCode), 1);
        ASSERT_EQ(m_kSlider.InitControl(&m_kLoader, kTrackId, kThumbId), 1);
        m_kSlider.SetMaximum(100);
        Pump();
    }
    void AddZoomRows()
    {
        for (const wchar_t* text : {L"1x", L"1.5x", L"2x"}) m_kCombo.AddString(text);
    }
    HWND Popup() { return m_kCombo.GetListWnd()->GetSafeHwnd(); }
    HWND List() { return m_kCombo.GetDropList()->GetSafeHwnd(); }
    RECT PopupRect()
    {
        RECT rc{};
        GetWindowRect(Popup(), &rc);
        return rc;
    }
    void ClickPopup(POINT pt)
    {
        m_pPresenter->InjectClick(Popup(), pt);
        Pump();
    }
    void Key(UINT key)
    {
        m_pPresenter->InjectKey(Popup(), key);
        Pump();
    }
    // Any pixel of rc (client coordinates of top) bright enough to be white text.
    bool HasTextIn(HWND top, const RECT& rc) const
    {
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                const COLORREF c = Screen(top, x, y);
                if (GetRValue(c) > 160 && GetGValue(c) > 160 && GetBValue(c) > 160) return true;
            }
        return false;
    }

    CBmpComboBox m_kCombo;
    CBmpSlider m_kSlider;
};

} // namespace

TEST_F(CComboTest, ThreeRowsOpenFiftyFourPixelsHighUnderTheControl)
{
    AddZoomRows();
    m_kCombo.SetCurSel(1);
    Click(kOnCombo);
    EXPECT_EQ(m_kHost.Of(WM_COMBO_DROP),
              (std::vector<CRecordedMsg>{{WM_COMBO_DROP, 1, reinterpret_cast<LPARAM>(m_kCombo.GetSafeHwnd())}}));
    EXPECT_EQ(m_kCombo.IsOpen(), 1);
    ASSERT_TRUE(IsWindowVisible(Popup()));
    // Under the control on the screen: 3 x 18 rows and a border line above and below.
    const RECT expected{kHostOrigin.x + kComboRect.left, kHostOrigin.y + kComboRect.bottom,
                        kHostOrigin.x + kComboRect.right, kHostOrigin.y + kComboRect.bottom + 56};
    EXPECT_EQ(PopupRect(), expected);
    EXPECT_EQ(GetFocus(), List());
    EXPECT_EQ(GetCapture(), List());
    EXPECT_EQ(Screen(Host(), kComboRect.right - 3, kComboRect.top + 2), kComboOpen);
    // Right of the texts: the border, the grey rows and the selected row's band (its frame line
    // above it, the next row's frame over its last line).
    const auto picture = [](int x, int y) {
        if (x == 67 || y == 0 || y == 55) return kBorder;
        const int ly = y - 1;
        return (ly >= 18 && ly <= 34) ? CBmpComboBox::kSelectionColour : CBmpComboBox::kListColour;
    };
    EXPECT_EQ(AreaMismatch(Popup(), RECT{40, 0, 68, 56}, picture), "");
    EXPECT_TRUE(HasTextIn(Popup(), RECT{5, 1, 35, 19}));
    EXPECT_TRUE(HasTextIn(Popup(), RECT{5, 19, 35, 37}));
    EXPECT_EQ(m_kCombo.GetDropList()->GetFont(), GetAppFont(14, 0, 956, 5, L""));
}

TEST_F(CComboTest, ChoosingARowReportsItEvenWhenItWasSelected)
{
    AddZoomRows();
    m_kCombo.SetCurSel(1);
    Click(kOnCombo);
    ClickPopup(POINT{20, 1 + 18 + 9});
    EXPECT_EQ(m_kHost.Of(WM_COMBO_SELECT), (std::vector<CRecordedMsg>{{WM_COMBO_SELECT, kZoomCode, 1}}));
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_EQ(m_kCombo.IsOpen(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Screen(Host(), kComboRect.right - 3, kComboRect.top + 2), kCombo);

    Click(kOnCombo);
    ClickPopup(POINT{20, 1 + 36 + 9});
    EXPECT_EQ(m_kHost.Of(WM_COMBO_SELECT).size(), 2u);
    EXPECT_EQ(m_kHost.Of(WM_COMBO_SELECT).back(), (CRecordedMsg{WM_COMBO_SELECT, kZoomCode, 2}));
    EXPECT_EQ(m_kCombo.GetCurText(), L"2x");
}

TEST_F(CComboTest, LeavingTheListClosesItWithoutAChoice)
{
    AddZoomRows();
    m_kCombo.SetCurSel(2);
    Click(kOnCombo);
    const bool bTrace = IsTraceEnabled();
    SetTraceEnabled(true);
    testing::internal::CaptureStderr();
    // A press on another control closes the list and does nothing else.
    Click(POINT{kTrackRect.left + 60, kTrackRect.top + 8});
    const std::string trace = testing::internal::GetCapturedStderr();
    SetTraceEnabled(bTrace);
    EXPECT_NE(trace.find("##### CListWnd::OnActivate(0, 0x0, 0)"), std::string::npos) << trace;
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_EQ(m_kCombo.IsOpen(), 0);
    EXPECT_TRUE(m_kHost.Of(WM_HSCROLL).empty());
    EXPECT_EQ(m_kSlider.GetPos(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetFocus(), Host());

    // Keys move the highlight; Escape leaves the selection as it was.
    Click(kOnCombo);
    Key(VK_UP);
    EXPECT_EQ(m_kCombo.GetDropList()->GetHotRow(), 1);
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_EQ(m_kCombo.IsOpen(), 0);

    // The list losing the keyboard focus counts as leaving it too.
    Click(kOnCombo);
    SetFocus(Host());
    Pump();
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_EQ(m_kCombo.IsOpen(), 0);

    EXPECT_EQ(m_kCombo.GetCurSel(), 2);
    EXPECT_TRUE(m_kHost.Of(WM_COMBO_SELECT).empty());
    EXPECT_EQ(m_kHost.Of(WM_COMBO_DEACTIVATE).size(), 0u); // told to the combo box, not the dialog
}

TEST_F(CComboTest, PressOnTheOpenComboClosesItAsItsOwnPress)
{
    AddZoomRows();
    Click(kOnCombo);
    Click(kOnCombo);
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_EQ(m_kCombo.IsOpen(), 0);
    Click(kOnCombo);
    EXPECT_TRUE(IsWindowVisible(Popup()));
    std::vector<WPARAM> drops;
    for (const CRecordedMsg& m : m_kHost.Of(WM_COMBO_DROP)) drops.push_back(m.wParam);
    EXPECT_EQ(drops, (std::vector<WPARAM>{1, 0, 1}));
    EXPECT_TRUE(m_kHost.Of(WM_COMBO_SELECT).empty());
}

TEST_F(CComboTest, FortyRowsOpenAtTheLimitAndScroll)
{
    for (int i = 0; i < 40; ++i) m_kCombo.AddString(L"Row " + std::to_wstring(i));
    m_kCombo.SetCurSel(0);
    Click(kOnCombo);
    EXPECT_EQ(PopupRect().bottom - PopupRect().top, 502);
    CDropList* list = m_kCombo.GetDropList();
    EXPECT_EQ(list->HasScrollBar(), 1);
    EXPECT_EQ(list->GetPageRows(), 27);
    // The thin bar at the list's right edge: its thumb shows 27 of 40 rows.
    EXPECT_EQ(Screen(Popup(), 63, 10), kScrollThumb);
    EXPECT_EQ(Screen(Popup(), 63, 450), kScrollTrack);

    m_pPresenter->InjectWheel(Popup(), POINT{30, 100}, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(list->GetTopIndex(), 3);
    Key(VK_HOME);
    EXPECT_EQ(list->GetTopIndex(), 0);
    // Dragging the bar's thumb down to the end shows the last rows.
    m_pPresenter->InjectDrag(Popup(), POINT{63, 100}, POINT{63, 450});
    Pump();
    EXPECT_EQ(list->GetTopIndex(), 13);
    EXPECT_TRUE(IsWindowVisible(Popup()));

    Key(VK_END);
    EXPECT_EQ(list->GetHotRow(), 39);
    Key(VK_RETURN);
    EXPECT_EQ(m_kHost.Of(WM_COMBO_SELECT), (std::vector<CRecordedMsg>{{WM_COMBO_SELECT, kZoomCode, 39}}));
    EXPECT_EQ(m_kCombo.GetCurSel(), 39);
    EXPECT_FALSE(IsWindowVisible(Popup()));
}

TEST_F(CComboTest, DropDirectionOffsetWidthAndHeightLimitPlaceThePopup)
{
    AddZoomRows();
    m_kCombo.SetDropDirection(1);
    Click(kOnCombo);
    // Above: the pop-up's last line is one pixel above the control.
    EXPECT_EQ(PopupRect().bottom, kHostOrigin.y + kComboRect.top);
    EXPECT_EQ(PopupRect().top, kHostOrigin.y + kComboRect.top - 56);
    Click(kOnCombo);

    m_kCombo.SetDropDirection(0);
    m_kCombo.SetListOffset(5);
    m_kCombo.SetListWidth(100);
    m_kCombo.SetListHeightLimit(30);
    Click(kOnCombo);
    const RECT expected{kHostOrigin.x + kComboRect.left + 5, kHostOrigin.y + kComboRect.bottom,
                        kHostOrigin.x + kComboRect.left + 105, kHostOrigin.y + kComboRect.bottom + 32};
    EXPECT_EQ(PopupRect(), expected);
}

TEST_F(CComboTest, DisabledComboIgnoresPressesAndClosesWhenDisabledOpen)
{
    AddZoomRows();
    m_kCombo.SetDisableCtrl(1, 1);
    Click(kOnCombo);
    EXPECT_EQ(m_kCombo.IsOpen(), 0);
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_TRUE(m_kHost.Of(WM_COMBO_DROP).empty());

    m_kCombo.SetDisableCtrl(0, 1);
    Click(kOnCombo);
    ASSERT_TRUE(IsWindowVisible(Popup()));
    m_kCombo.SetDisableCtrl(1, 1);
    EXPECT_FALSE(IsWindowVisible(Popup()));
    EXPECT_EQ(m_kCombo.IsOpen(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CComboTest, ComboDestroyedWhileOpenTakesItsPopupAlong)
{
    auto combo = std::make_unique<CBmpComboBox>();
    ASSERT_TRUE(combo->CreateEx(0, L"Static", L"", WS_CHILD | WS_VISIBLE, RECT{0, 100, 68, 126}, Host(), 2000));
    ASSERT_EQ(combo->InitControl(2000, kComboId, kComboOpenId, kZoomCode), 1);
    combo->AddString(L"1x");
    Pump();
    Click(POINT{40, 70});
    const HWND popup = combo->GetListWnd()->GetSafeHwnd();
    ASSERT_TRUE(IsWindowVisible(popup));
    combo.reset();
    Pump();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(GetCapture(), nullptr);
    // The dialog goes on without it.
    Click(POINT{kTrackRect.left + 60, kTrackRect.top + 8});
    EXPECT_EQ(m_kHost.Of(WM_HSCROLL).size(), 1u);
}

TEST_F(CComboTest, ClosedBoxShowsTheChosenTextLeftOfTheArrow)
{
    AddZoomRows();
    const auto plain = [](int, int) { return kCombo; };
    EXPECT_EQ(AreaMismatch(Host(), kComboRect, plain), "");
    m_kCombo.SetCurSel(1);
    Pump();
    EXPECT_EQ(m_kCombo.GetCurText(), L"1.5x");
    const RECT rcText{kComboRect.left, kComboRect.top, kComboRect.right - CBmpComboBox::kArrowWidth,
                      kComboRect.bottom};
    const RECT rcArrow{kComboRect.right - CBmpComboBox::kArrowWidth, kComboRect.top, kComboRect.right,
                       kComboRect.bottom};
    EXPECT_TRUE(HasTextIn(Host(), rcText));
    EXPECT_EQ(AreaMismatch(Host(), rcArrow, plain), "");
}
