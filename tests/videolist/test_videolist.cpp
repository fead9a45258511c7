// The skinned video list: what its rows look like in each state, the rows' records and marks,
// the scroll bar laid over it, and what it tells the player window.

#include "tests/support/ListSkinHost.h"

#include "locale/AppFont.h"

#include <zent/platform/Font.h>

#include <algorithm>
#include <map>

using namespace zent;
using namespace listtest;

namespace {

// The ground of a band (its most frequent colour) and the colour farthest from it (the text).
struct BandColours {
    COLORREF ground = 0;
    COLORREF ink = 0;
    bool onlyBlends = true; // every pixel lies between ground and ink, channel by channel
};

int Distance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

bool Between(int v, int a, int b)
{
    return v >= std::min(a, b) && v <= std::max(a, b);
}

BandColours Analyse(const std::vector<COLORREF>& pixels)
{
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels) ++counts[c];
    BandColours out;
    out.ground = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    out.ink = out.ground;
    for (COLORREF c : pixels)
        if (Distance(c, out.ground) > Distance(out.ink, out.ground)) out.ink = c;
    for (COLORREF c : pixels)
        out.onlyBlends = out.onlyBlends && Between(GetRValue(c), GetRValue(out.ground), GetRValue(out.ink)) &&
                         Between(GetGValue(c), GetGValue(out.ground), GetGValue(out.ink)) &&
                         Between(GetBValue(c), GetBValue(out.ground), GetBValue(out.ink));
    return out;
}

RECT ListArea()
{
    return RECT{kListRect.left, kListRect.top, kListRect.right - kBarWidth, kListRect.bottom};
}

RECT BarArea()
{
    return RECT{kListRect.right - kBarWidth, kListRect.top + kHeaderHeight, kListRect.right, kListRect.bottom};
}

// The scroll bar as it must look with the thumb at thumbTop.
std::vector<COLORREF> ExpectedBar(int thumbTop)
{
    std::vector<COLORREF> out;
    for (int y = 0; y < kBarHeight; ++y)
        for (int x = 0; x < kBarWidth; ++x)
            out.push_back(y >= thumbTop && y < thumbTop + kThumbHeight ? kThumbColour : kTrackColour);
    return out;
}

class CVideoList : public CListSkinHost {
protected:
    HWND List() const { return m_list.GetSafeHwnd(); }
    HWND Bar() { return m_list.GetScrollbar()->GetSafeHwnd(); }
};

} // namespace

// --- painting ------------------------------------------------------------------------------------

TEST_F(CVideoList, RowsShowTheirStatesInTheSkinColours)
{
    // Strokes wide enough to cover whole pixels, so that the text's own colour shows.
    UniqueFont bold(CreateFont(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"DejaVu Sans"));
    SendMessage(List(), WM_SETFONT, reinterpret_cast<WPARAM>(bold.get()), TRUE);
    Fill(3);
    m_list.SetCurrentItem(1);
    m_list.SetFocusItem(2);
    Pump();

    // The header is the skin's picture (no captions were given).
    const RECT header{kListRect.left, kListRect.top, kListRect.right, kListRect.top + kHeaderHeight};
    EXPECT_EQ(ScreenOf(header), std::vector<COLORREF>(150 * kHeaderHeight, kHeaderColour));

    const struct {
        COLORREF ground, ink;
    } expected[3] = {{CSkinListCtrl::kBackground, CSkinListCtrl::kText},
                     {CSkinListCtrl::kPlayingBackground, CSkinListCtrl::kHighlightText},
                     {CSkinListCtrl::kFocusBackground, CSkinListCtrl::kHighlightText}};
    for (int i = 0; i < 3; ++i) {
        const BandColours band = Analyse(ScreenOf(RowBand(i)));
        EXPECT_EQ(band.ground, expected[i].ground) << "row " << i;
        EXPECT_EQ(band.ink, expected[i].ink) << "row " << i;
        EXPECT_TRUE(band.onlyBlends) << "row " << i;
    }
    // Below the rows only the list's ground, also where the (hidden) scroll bar would be.
    const RECT rest{kListRect.left, RowBand(3).top, kListRect.right, kListRect.bottom};
    EXPECT_EQ(ScreenOf(rest), std::vector<COLORREF>(150 * (kListRect.bottom - rest.top), CSkinListCtrl::kBackground));

    // Columns without a value read "-".
    const std::vector<COLORREF> before = ScreenOf(RowBand(0));
    m_list.SetItemText(0, 2, L"-");
    m_list.SetItemText(0, 3, L"-");
    Pump();
    EXPECT_EQ(ScreenOf(RowBand(0)), before);
    m_list.SetItemText(0, 3, L"x");
    Pump();
    EXPECT_NE(ScreenOf(RowBand(0)), before);

    // A full repaint of the dialog leaves the list's area to the list.
    const std::vector<COLORREF> list = ScreenOf(kListRect);
    m_dlg.Draw(1);
    Pump();
    EXPECT_EQ(ScreenOf(kListRect), list);
}

TEST_F(CVideoList, PlayingRowKeepsItsColourWhenTheUserSelectsIt)
{
    Fill(3);
    m_list.SetCurrentItem(1);
    Pump();
    const std::vector<COLORREF> playing = ScreenOf(ListArea());

    m_pPresenter->InjectClick(List(), RowPoint(1));
    Pump();
    EXPECT_EQ(m_list.GetSelectedItem(), 1);
    EXPECT_EQ(m_list.GetFocusItem(), 1);
    EXPECT_EQ(ScreenOf(ListArea()), playing);

    // Another row takes the focus colour; the playing row stays as it was.
    m_pPresenter->InjectClick(List(), RowPoint(2));
    Pump();
    EXPECT_EQ(Analyse(ScreenOf(RowBand(2))).ground, CSkinListCtrl::kFocusBackground);
    EXPECT_EQ(Analyse(ScreenOf(RowBand(1))).ground, CSkinListCtrl::kPlayingBackground);
    EXPECT_EQ(m_list.GetCurrentItem(), 1);
}

// --- rows ----------------------------------------------------------------------------------------

TEST_F(CVideoList, DeleteAllFreesEveryRowAndForgetsThePlayingRow)
{
    const std::vector<COLORREF> empty = ScreenOf(kListRect);
    Fill(10);
    m_list.SetCurrentItem(5);
    m_list.SetFocusItem(6);
    m_list.SetSelectionMark(6);
    m_list.SetItemSelected(6, true);
    m_list.Scroll(100);
    Pump();
    ASSERT_TRUE(m_list.IsScrollbarVisible());

    m_list.DeleteAllItems();
    Pump();
    EXPECT_EQ(m_list.GetItemCount(), 0);
    EXPECT_EQ(m_list.GetItemData(0), nullptr);
    EXPECT_EQ(m_list.GetCurrentItem(), -1);
    EXPECT_EQ(m_list.GetSelectedItem(), -1);
    EXPECT_EQ(m_list.GetFocusItem(), -1);
    EXPECT_EQ(m_list.GetSelectionMark(), -1);
    EXPECT_EQ(m_list.GetTopIndex(), 0);
    EXPECT_FALSE(m_list.IsScrollbarVisible());
    EXPECT_EQ(ScreenOf(kListRect), empty);

    // A new fill starts clean: no row plays until told.
    Fill(2);
    ASSERT_NE(m_list.GetItemData(1), nullptr);
    EXPECT_EQ(*m_list.GetItemData(1), L"/card/rec1.mp4*x");
    EXPECT_EQ(Analyse(ScreenOf(RowBand(0))).ground, CSkinListCtrl::kBackground);
    EXPECT_EQ(Analyse(ScreenOf(RowBand(1))).ground, CSkinListCtrl::kBackground);
}

TEST_F(CVideoList, MarksStayWithTheirRecordingsWhenRowsComeAndGo)
{
    Fill(6);
    m_list.SetCurrentItem(3);
    m_list.SetSelectionMark(4);
    m_list.SetFocusItem(1);

    EXPECT_TRUE(m_list.DeleteItem(1));
    EXPECT_EQ(m_list.GetCurrentItem(), 2);
    EXPECT_EQ(m_list.GetSelectionMark(), 3);
    EXPECT_EQ(m_list.GetFocusItem(), -1);
    EXPECT_EQ(*m_list.GetItemData(2), L"/card/rec3.mp4*x");
    EXPECT_EQ(m_list.GetItemText(2, 1), L"3");

    m_list.InsertItem(0, L"/card/new.mp4");
    EXPECT_EQ(m_list.GetCurrentItem(), 3);
    EXPECT_EQ(m_list.GetSelectionMark(), 4);
    EXPECT_EQ(*m_list.GetItemData(0), L"/card/new.mp4");
    EXPECT_EQ(m_list.GetItemText(0, 1), L"");

    // Deleting the playing row leaves none playing; a row past the end is refused.
    EXPECT_TRUE(m_list.DeleteItem(3));
    EXPECT_EQ(m_list.GetCurrentItem(), -1);
    EXPECT_FALSE(m_list.DeleteItem(m_list.GetItemCount()));
    EXPECT_EQ(m_list.GetItemCount(), 5);
}

// --- scroll bar ----------------------------------------------------------------------------------

TEST_F(CVideoList, ScrollbarIsHiddenWhileRowsFitAndItsThumbFollowsTheList)
{
    ASSERT_EQ(m_list.GetCountPerPage(), 4);
    Fill(4);
    EXPECT_FALSE(m_list.IsScrollbarVisible());
    EXPECT_EQ(m_list.GetScrollLimit(), 0);
    EXPECT_EQ(m_list.GetScrollbar()->GetThumbTop(), 0);

    Fill(1);
    EXPECT_TRUE(m_list.IsScrollbarVisible());
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(0));
    m_list.Scroll(1);
    Pump();
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(70)); // one row of scrolling is the whole travel

    Fill(19); // 24 rows, 20 rows of scrolling
    m_list.Scroll(-1);
    m_list.Scroll(7);
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 7);
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(24)); // trunc(70 / 20 * 7)

    // Back to rows that fit: the bar goes, its strip shows the list again, the thumb is at the top.
    while (m_list.GetItemCount() > 4) m_list.DeleteItem(0);
    Pump();
    EXPECT_FALSE(m_list.IsScrollbarVisible());
    EXPECT_EQ(m_list.GetTopIndex(), 0);
    EXPECT_EQ(m_list.GetScrollbar()->GetThumbTop(), 0);
    EXPECT_EQ(Analyse(ScreenOf(BarArea())).ground, CSkinListCtrl::kBackground);
}

TEST_F(CVideoList, DraggingTheThumbScrollsWholeRows)
{
    Fill(24);
    m_pPresenter->InjectDrag(Bar(), POINT{5, 10}, POINT{5, 45});
    Pump();
    // The thumb moved 35 of 70 pixels: half of the 20 rows.
    EXPECT_EQ(m_list.GetTopIndex(), 10);
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(35));
    EXPECT_EQ(m_list.GetSelectedItem(), -1);

    m_pPresenter->InjectDrag(Bar(), POINT{5, 40}, POINT{5, 400});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 20);
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(70));

    m_pPresenter->InjectDrag(Bar(), POINT{5, 80}, POINT{5, -300});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 0);
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(0));

    // Between rows the thumb settles on the row the list shows; the release point, now below
    // the settled thumb, ends the drag and pages nothing.
    m_pPresenter->InjectDrag(Bar(), POINT{5, 19}, POINT{5, 59});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 11); // trunc(20 * 40 / 70)
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(38));
}

TEST_F(CVideoList, ReleaseOnTheTrackPagesAndTheWheelScrollsThreeRows)
{
    Fill(24);
    m_pPresenter->InjectClick(Bar(), POINT{5, 60});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 4);
    EXPECT_EQ(ScreenOf(BarArea()), ExpectedBar(14));
    m_pPresenter->InjectClick(Bar(), POINT{5, 80});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 8);
    m_pPresenter->InjectClick(Bar(), POINT{5, 5});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 4);
    // A click on the thumb itself pages nothing.
    m_pPresenter->InjectClick(Bar(), POINT{5, 20});
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 4);

    m_pPresenter->InjectWheel(List(), RowPoint(1), -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 7);
    m_pPresenter->InjectWheel(Bar(), POINT{5, 5}, 2 * WHEEL_DELTA);
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 1);
    // Half notches add up.
    m_pPresenter->InjectWheel(List(), RowPoint(1), -WHEEL_DELTA / 2);
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 1);
    m_pPresenter->InjectWheel(List(), RowPoint(1), -WHEEL_DELTA / 2);
    Pump();
    EXPECT_EQ(m_list.GetTopIndex(), 4);
}

// --- what the parent hears -----------------------------------------------------------------------

TEST_F(CVideoList, DoubleClickReportsTheRowUnderThePointer)
{
    Fill(6);
    m_pPresenter->InjectDoubleClick(List(), RowPoint(2));
    Pump();
    m_list.Scroll(2);
    Pump();
    m_pPresenter->InjectDoubleClick(List(), RowPoint(0));
    Pump();
    // The header is no row: nothing to report.
    m_pPresenter->InjectDoubleClick(List(), POINT{20, 5});
    Pump();
    while (m_list.GetItemCount() > 2) m_list.DeleteItem(2);
    Pump();
    m_pPresenter->InjectDoubleClick(List(), RowPoint(3));
    Pump();

    std::vector<int> items;
    for (const Notice& n : m_dlg.m_vecNotices) {
        EXPECT_EQ(n.code, NM_DBLCLK);
        EXPECT_EQ(n.idFrom, IDC_LIST);
        EXPECT_EQ(n.hwndFrom, List());
        items.push_back(n.item);
    }
    EXPECT_EQ(items, (std::vector<int>{2, 2, -1}));
}

TEST_F(CVideoList, KeysMoveTheSelectionAndEveryKeyIsReported)
{
    Fill(10);
    // The player window hands keys to the list itself: its dialog takes every key-down first.
    auto key = [&](UINT vk) { SendMessage(List(), WM_KEYDOWN, vk, 1); };
    key(VK_DOWN);
    EXPECT_EQ(m_list.GetSelectedItem(), 0);
    EXPECT_EQ(m_list.GetSelectionMark(), 0);
    key(VK_END);
    EXPECT_EQ(m_list.GetFocusItem(), 9);
    EXPECT_EQ(m_list.GetTopIndex(), 6);
    key(VK_PRIOR);
    EXPECT_EQ(m_list.GetSelectedItem(), 5);
    EXPECT_EQ(m_list.GetTopIndex(), 5);
    key(VK_UP);
    EXPECT_EQ(m_list.GetSelectedItem(), 4);
    EXPECT_EQ(m_list.GetTopIndex(), 4);
    key(VK_NEXT);
    EXPECT_EQ(m_list.GetSelectedItem(), 8);
    key(VK_HOME);
    EXPECT_EQ(m_list.GetSelectedItem(), 0);
    EXPECT_EQ(m_list.GetTopIndex(), 0);
    key(VK_DELETE);
    EXPECT_EQ(m_list.GetSelectedItem(), 0);
    EXPECT_EQ(m_list.GetItemCount(), 10);

    std::vector<UINT> keys;
    for (const Notice& n : m_dlg.m_vecNotices) {
        EXPECT_EQ(n.code, LVN_KEYDOWN);
        EXPECT_EQ(n.hwndFrom, List());
        keys.push_back(n.key);
    }
    EXPECT_EQ(keys, (std::vector<UINT>{VK_DOWN, VK_END, VK_PRIOR, VK_UP, VK_NEXT, VK_HOME, VK_DELETE}));
}
