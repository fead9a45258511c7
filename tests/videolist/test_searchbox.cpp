// The search box: the text field it opens, what reaches the owner when the user types and presses
// Enter, and what the box keeps when the user leaves the field.

#include "tests/support/ListSkinHost.h"

#include <zent/platform/Font.h>

#include <algorithm>
#include <map>

using namespace zent;
using namespace listtest;

namespace {

constexpr POINT kInBox{40, 150};
constexpr POINT kElsewhere{200, 180};

// The most frequent colour of a picture and the one farthest from it (the text).
std::pair<COLORREF, COLORREF> GroundAndInk(const std::vector<COLORREF>& pixels)
{
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels) ++counts[c];
    const COLORREF ground =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    auto distance = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
               std::abs(GetBValue(a) - GetBValue(b));
    };
    COLORREF ink = ground;
    for (COLORREF c : pixels)
        if (distance(c, ground) > distance(ink, ground)) ink = c;
    return {ground, ink};
}

class CSearchBox : public CListSkinHost {
protected:
    void SetUp() override
    {
        CListSkinHost::SetUp();
        // Strokes wide enough to cover whole pixels, so that the text's own colour shows.
        m_font.reset(CreateFont(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"DejaVu Sans"));
        m_box.SetFont(m_font.get(), 0);
        m_box.SetHintText(L"Search");
        Pump();
    }
    void Open()
    {
        m_pPresenter->InjectClick(Dlg(), kInBox);
        Pump();
        ASSERT_TRUE(m_box.IsInputOpen());
    }
    std::pair<COLORREF, COLORREF> Box() const { return GroundAndInk(ScreenOf(kSearchRect)); }

    UniqueFont m_font;
};

} // namespace

TEST_F(CSearchBox, TypedTextAndEnterReachTheOwner)
{
    EXPECT_EQ(Box(), std::make_pair(kSearchNormalColour, CBmpSearchEdit::kHintColour));
    Open();
    EXPECT_EQ(GetFocus(), m_box.GetInputDlg()->GetEdit().GetSafeHwnd());
    // The field lies exactly over the box.
    EXPECT_EQ(Screen(kSearchRect.left, kSearchRect.top), CMyEdit::kBackground);
    EXPECT_EQ(Screen(kSearchRect.right - 1, kSearchRect.bottom - 1), CMyEdit::kBackground);
    EXPECT_EQ(Screen(kSearchRect.left - 1, kSearchRect.top), kDialogColour);
    EXPECT_EQ(Screen(kSearchRect.right, kSearchRect.bottom - 1), kDialogColour);

    TypeChars(Dlg(), U"ab");
    Wait(20);
    EXPECT_EQ(m_box.GetText(), L"ab");
    EXPECT_EQ(Box(), std::make_pair(CMyEdit::kBackground, CMyEdit::kTextColour));

    // Composed characters arrive whole; one beyond the first plane comes in two halves.
    TypeChars(Dlg(), U"c검색\U0001F600");
    // Enter straight after the last character, before the field's notice of it.
    TypeKey(Dlg(), VK_RETURN, U'\r');
    Pump();
    ASSERT_EQ(m_dlg.m_vecSearches.size(), 1u);
    EXPECT_EQ(m_dlg.m_vecSearches[0].hwndBox, m_box.GetSafeHwnd());
    EXPECT_EQ(m_dlg.m_vecSearches[0].text, L"abc검색\U0001F600");
    EXPECT_EQ(m_box.GetText(), L"abc검색\U0001F600");
    EXPECT_TRUE(m_box.IsInputOpen());
    // What was typed never reached the dialog's own key handling (its shortcuts).
    EXPECT_TRUE(m_dlg.m_vecKeys.empty());
}

TEST_F(CSearchBox, EditingKeysMoveTheCaretAndChangeTheText)
{
    m_box.SetText(L"abc", 1);
    Open();
    CMyEdit& edit = m_box.GetInputDlg()->GetEdit();
    EXPECT_EQ(edit.GetCaretIndex(), 3);
    const int endX = edit.GetCaretX();
    m_pPresenter->InjectKey(Dlg(), VK_LEFT);
    m_pPresenter->InjectKey(Dlg(), VK_LEFT);
    TypeChars(Dlg(), U"x");
    Pump();
    EXPECT_EQ(edit.GetText(), L"axbc");
    m_pPresenter->InjectKey(Dlg(), VK_HOME);
    m_pPresenter->InjectKey(Dlg(), VK_DELETE);
    Pump();
    EXPECT_EQ(edit.GetText(), L"xbc");
    EXPECT_EQ(edit.GetCaretIndex(), 0);
    m_pPresenter->InjectKey(Dlg(), VK_END);
    TypeKey(Dlg(), VK_BACK, U'\b');
    m_pPresenter->InjectKey(Dlg(), VK_RIGHT); // already at the end
    Pump();
    EXPECT_EQ(edit.GetText(), L"xb");
    EXPECT_EQ(edit.GetCaretIndex(), 2);
    EXPECT_LT(edit.GetCaretX(), endX);

    // A press in the field puts the caret at the nearest character boundary.
    m_pPresenter->InjectClick(edit.GetSafeHwnd(), POINT{1, 10});
    Pump();
    EXPECT_EQ(edit.GetCaretIndex(), 0);
    EXPECT_TRUE(m_box.IsInputOpen());
}

TEST_F(CSearchBox, ClickingElsewhereClosesTheFieldAndKeepsTheText)
{
    Open();
    TypeChars(Dlg(), U"abc");
    Pump();
    m_pPresenter->InjectClick(Dlg(), kElsewhere);
    Pump();
    EXPECT_FALSE(m_box.IsInputOpen());
    EXPECT_EQ(m_box.GetText(), L"abc");
    EXPECT_TRUE(m_dlg.m_vecSearches.empty());
    // The box shows its normal picture with the text, and the click still reached the dialog.
    EXPECT_EQ(Box(), std::make_pair(kSearchNormalColour, CBmpSearchEdit::kTextColour));
    ASSERT_EQ(m_dlg.m_vecPresses.size(), 1u);
    EXPECT_EQ(m_dlg.m_vecPresses[0], kElsewhere);

    // A click on the list leaves the field too, and the list takes it.
    Fill(3);
    Open();
    m_pPresenter->InjectClick(m_list.GetSafeHwnd(), RowPoint(1));
    Pump();
    EXPECT_FALSE(m_box.IsInputOpen());
    EXPECT_EQ(m_list.GetSelectedItem(), 1);
    EXPECT_EQ(GetFocus(), m_list.GetSafeHwnd());
    EXPECT_EQ(m_box.GetText(), L"abc");
}

TEST_F(CSearchBox, DeletingEveryCharacterAndLeavingLeavesNoText)
{
    m_box.SetText(L"ab", 1);
    Pump();
    EXPECT_EQ(Box(), std::make_pair(kSearchNormalColour, CBmpSearchEdit::kTextColour));
    Open();
    TypeKey(Dlg(), VK_BACK, U'\b');
    TypeKey(Dlg(), VK_BACK, U'\b');
    Wait(20);
    EXPECT_EQ(m_box.GetText(), L"");
    m_pPresenter->InjectClick(Dlg(), kElsewhere);
    Pump();
    EXPECT_FALSE(m_box.IsInputOpen());
    EXPECT_EQ(m_box.GetText(), L"");
    EXPECT_EQ(m_box.HasText(), 0);
    EXPECT_EQ(Box(), std::make_pair(kSearchNormalColour, CBmpSearchEdit::kHintColour));
}

TEST_F(CSearchBox, EscapeLeavesTheFieldWithTheTextItHadBefore)
{
    m_box.SetText(L"abc", 1);
    SetFocus(m_list.GetSafeHwnd());
    Open();
    TypeChars(Dlg(), U"d");
    Wait(20);
    EXPECT_EQ(m_box.GetText(), L"abcd");
    TypeKey(Dlg(), VK_ESCAPE, U'\x1b');
    Pump();
    EXPECT_FALSE(m_box.IsInputOpen());
    EXPECT_EQ(m_box.GetText(), L"abc");
    EXPECT_TRUE(m_dlg.m_vecSearches.empty());
    // The keys go back where they went before the field opened.
    EXPECT_EQ(GetFocus(), m_list.GetSafeHwnd());
    EXPECT_TRUE(m_dlg.m_vecKeys.empty());
}
