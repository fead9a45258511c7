// The on-screen keyboard on a dialog: key geometry from the skin file, Hangul composition through
// presses and releases, layout switches and their permissions, the length limit, the clear key,
// remote-control navigation and the pressed-key pictures.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpInputEx.h>

#include <string>
#include <utility>

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_KEYBOARD = 310;
constexpr UINT IDC_KEYBOARD = 21;
constexpr DialogItemTemplate kItems[] = {{L"Static", IDC_KEYBOARD, 0, 0, 10, 10}};
constexpr DialogTemplate kTemplates[] = {{IDD_KEYBOARD, 0, 0, 230, 150, WS_POPUP, 0, L"", kItems}};

constexpr UINT kPanelBgId = 150; // the whole dialog, 230 x 150
constexpr UINT kBase = 200;
constexpr int kCtrlLeft = 4;
constexpr int kCtrlTop = 6;
constexpr int kKeyLeft = 5; // relative to the control
constexpr int kKeyTop = 30;
constexpr int kKeyPitch = 21;
constexpr int kKeySize = 20;
constexpr COLORREF kKeyboardBg = RGB(40, 50, 60);
constexpr COLORREF kHangulLayout = RGB(0, 120, 0);
constexpr COLORREF kGiyeokPressed = RGB(250, 10, 10);
constexpr COLORREF kFallbackPressed = 0x00D8FF;

// Rows of each layout as the skin places them (the keys in code-table order fill them row by row).
const std::vector<int> kRows[3] = {{10, 9, 7, 4}, {10, 9, 7, 5}, {10, 7}};

// Key index of a code in a layout, read back from the control.
int IndexOf(const CBmpInputEx& kb, UINT type, wchar_t code)
{
    for (int k = 0; k < CBmpInputEx::kKeyCounts[type]; ++k)
        if (kb.GetpKey(type, k)->chCode == code) return k;
    return -1;
}

class CKeyboardPanel : public CBmpDialog {
public:
    CKeyboardPanel() : CBmpDialog(IDD_KEYBOARD, nullptr) {}
    using CBmpDialog::LoadBackground;
    struct SNote {
        UINT nMessage;
        WPARAM wParam;
        LPARAM lParam;
        std::wstring strText; // the text lParam pointed at when the message arrived
    };
    std::vector<SNote> m_vecNotes;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_BCTRL_INPUT_CHANGED)
            m_vecNotes.push_back({message, wParam, lParam, reinterpret_cast<const wchar_t*>(lParam)});
        if (message == WM_BCTRL_INPUT_TYPE_REQUEST) m_vecNotes.push_back({message, wParam, lParam, L""});
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

class CInputExTest : public CBCtrlTest {
protected:
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        WriteKeyboardSkin();
        ASSERT_GE(m_kKbLoader.OpenMergeFile(SkinPath().wstring(), 1), 2);
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_panel.Create(IDD_KEYBOARD, nullptr));
        ASSERT_TRUE(m_kb.SubclassDlgItem(IDC_KEYBOARD, m_panel.GetSafeHwnd()));
        m_pPresenter->SetAutoAdvance(false);
        ASSERT_EQ(m_kb.InitControl(0, &m_kKbLoader, kBase, 0), 1);
        m_panel.LoadBackground(&m_kKbLoader, kPanelBgId, POINT{0, 0}, 0);
        Pump();
    }
    std::filesystem::path SkinPath() const { return m_kDir / "keyboard.dat"; }
    void WriteKeyboardSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        std::vector<std::uint32_t> panel(230 * 150, SkinPixel(RGB(1, 2, 3)));
        ASSERT_TRUE(writer.AddCompressed(kPanelBgId, {0, 0, 230, 150}, 230, 150, panel.data()));
        std::vector<std::uint32_t> bg(220 * 130, SkinPixel(kKeyboardBg));
        ASSERT_TRUE(writer.AddCompressed(kBase, {kCtrlLeft, kCtrlTop, 220, 130}, 220, 130, bg.data()));
        std::vector<std::uint32_t> layout(210 * 84, SkinPixel(kHangulLayout));
        ASSERT_TRUE(writer.AddCompressed(kBase + 1, {kCtrlLeft + kKeyLeft, kCtrlTop + kKeyTop, 210, 84}, 210, 84,
                                         layout.data()));
        for (int type = 0; type < 3; ++type) {
            int k = 0;
            for (int r = 0; r < static_cast<int>(kRows[type].size()); ++r)
                for (int c = 0; c < kRows[type][r]; ++c, ++k) {
                    const UINT id = kBase + CBmpInputEx::kKeyIdOffsets[type] + 2 * static_cast<UINT>(k);
                    writer.AddEmpty(static_cast<int>(id),
                                    {static_cast<std::uint16_t>(kCtrlLeft + kKeyLeft + c * kKeyPitch),
                                     static_cast<std::uint16_t>(kCtrlTop + kKeyTop + r * kKeyPitch), kKeySize,
                                     kKeySize});
                }
        }
        // Only the Hangul giyeok key (index 3) has a pressed picture of its own.
        std::vector<std::uint32_t> pressed(kKeySize * kKeySize, SkinPixel(kGiyeokPressed));
        ASSERT_TRUE(writer.AddCompressed(kBase + 4 + 2 * 3 + 1, {0, 0, kKeySize, kKeySize}, kKeySize, kKeySize,
                                         pressed.data()));
        ASSERT_TRUE(writer.Write(SkinPath()));
    }
    // The centre of a key in the panel's client coordinates.
    POINT KeyPoint(UINT type, int index) const
    {
        const RECT rc = m_kb.GetpKey(type, index)->rcKey;
        return POINT{kCtrlLeft + (rc.left + rc.right) / 2, kCtrlTop + (rc.top + rc.bottom) / 2};
    }
    void Down(POINT pt)
    {
        m_pPresenter->InjectButtonDown(m_panel.GetSafeHwnd(), pt);
        Pump();
    }
    void Up(POINT pt)
    {
        m_pPresenter->InjectButtonUp(m_panel.GetSafeHwnd(), pt);
        Pump();
    }
    void Tap(wchar_t code)
    {
        const int index = IndexOf(m_kb, m_kb.GetInputType(), code);
        ASSERT_GE(index, 0) << "no key " << static_cast<int>(code) << " in layout " << m_kb.GetInputType();
        const POINT pt = KeyPoint(m_kb.GetInputType(), index);
        Down(pt);
        Up(pt);
    }
    void Type(const std::wstring& codes)
    {
        for (wchar_t c : codes) Tap(c);
    }
    std::wstring Text() const { return m_kb.GetInputString(); }
    COLORREF Pixel(POINT pt) const { return Screen(m_panel.GetSafeHwnd(), pt.x, pt.y); }
    std::vector<CKeyboardPanel::SNote> TakeNotes() { return std::exchange(m_panel.m_vecNotes, {}); }

    QLBMLoader m_kKbLoader;
    CResModule m_kModule;
    CKeyboardPanel m_panel;
    CBmpInputEx m_kb;
};

} // namespace

TEST_F(CInputExTest, GeometryAndKeyGridComeFromTheSkin)
{
    const RECT rc = m_kb.GetControlPos();
    EXPECT_EQ(rc.left, kCtrlLeft);
    EXPECT_EQ(rc.top, kCtrlTop);
    EXPECT_EQ(rc.right, kCtrlLeft + 220);
    EXPECT_EQ(rc.bottom, kCtrlTop + 130);

    // Key 11 of the Hangul layout is the second key of the second row, relative to the control.
    const RECT key = m_kb.GetpKey(CBmpInputEx::kTypeHangul, 11)->rcKey;
    EXPECT_EQ(key.left, kKeyLeft + kKeyPitch);
    EXPECT_EQ(key.top, kKeyTop + kKeyPitch);
    EXPECT_EQ(key.right - key.left, kKeySize);
    EXPECT_EQ(m_kb.GetpKey(CBmpInputEx::kTypeHangul, 30), nullptr);
    EXPECT_EQ(m_kb.GetpKey(CBmpInputEx::kTypeNumber, 16)->chCode, CBmpInputEx::kCodeToEnglish);
    EXPECT_EQ(m_kb.GetpKey(3u, 0), nullptr);

    for (UINT type = 0; type < 3; ++type) {
        if (type != m_kb.GetInputType()) m_kb.SetInputType(type, 0);
        ASSERT_EQ(m_kb.GetCurrentKeyMapMaxItemNum(-1), static_cast<int>(kRows[type].size())) << type;
        for (int r = 0; r < static_cast<int>(kRows[type].size()); ++r)
            EXPECT_EQ(m_kb.GetCurrentKeyMapMaxItemNum(r), kRows[type][r]) << type << "/" << r;
        EXPECT_EQ(m_kb.GetCurrentKeyMapMaxItemNum(9), 0);
    }
    EXPECT_EQ(m_kb.SetInputType(3, 0), 0);
    EXPECT_EQ(m_kb.GetInputType(), CBmpInputEx::kTypeNumber);
}

TEST_F(CInputExTest, HangulIsComposedOnReleaseAndEveryChangeIsReported)
{
    const POINT giyeok = KeyPoint(CBmpInputEx::kTypeHangul, IndexOf(m_kb, 0, L'\x3131'));
    Down(giyeok);
    EXPECT_EQ(Text(), L"");
    EXPECT_TRUE(m_panel.m_vecNotes.empty());
    Up(giyeok);
    EXPECT_EQ(Text(), L"\x3131");

    Type(L"\x314F\x3134"); // ㅏ ㄴ
    EXPECT_EQ(Text(), L"\xAC04"); // 간
    EXPECT_EQ(m_kb.GetInputState(), CZuInput::kStateFinal);
    EXPECT_EQ(m_kb.GetNCaretEditPos(), 1);
    Tap(L'\x314F'); // ㅏ steals the final
    EXPECT_EQ(Text(), L"\xAC00\xB098"); // 가나

    const auto notes = TakeNotes();
    ASSERT_EQ(notes.size(), 4u);
    const std::wstring seen[] = {L"\x3131", L"\xAC00", L"\xAC04", L"\xAC00\xB098"};
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].nMessage, WM_BCTRL_INPUT_CHANGED);
        EXPECT_EQ(notes[i].wParam, static_cast<WPARAM>(IDC_KEYBOARD));
        EXPECT_EQ(notes[i].lParam, reinterpret_cast<LPARAM>(m_kb.GetInputString()));
        EXPECT_EQ(notes[i].strText, seen[i]) << i;
    }

    Tap(CBmpInputEx::kCodeBackspace);
    EXPECT_EQ(Text(), L"\xAC00\x3134");
}

TEST_F(CInputExTest, ReleaseAwayFromTheKeyCancelsIt)
{
    const POINT giyeok = KeyPoint(CBmpInputEx::kTypeHangul, IndexOf(m_kb, 0, L'\x3131'));
    Down(giyeok);
    Up(POINT{giyeok.x + kKeyPitch, giyeok.y});
    EXPECT_EQ(Text(), L"");
    EXPECT_TRUE(m_panel.m_vecNotes.empty());
    // A press outside every key does nothing either.
    Down(POINT{kCtrlLeft + 2, kCtrlTop + 128});
    Up(POINT{kCtrlLeft + 2, kCtrlTop + 128});
    EXPECT_TRUE(m_panel.m_vecNotes.empty());
}

TEST_F(CInputExTest, SpaceInHangulOnlyFinishesTheSyllable)
{
    Type(L"\x3131\x314F "); // ㄱ ㅏ space
    EXPECT_EQ(Text(), L"\xAC00");
    EXPECT_EQ(m_kb.GetInputState(), CZuInput::kStateNone);
    Tap(L'\x314F'); // a vowel now starts anew instead of joining 가
    EXPECT_EQ(Text(), L"\xAC00\x314F");
    Tap(L' ');
    Tap(L' '); // nothing composed: a real space
    EXPECT_EQ(Text(), L"\xAC00\x314F ");
}

TEST_F(CInputExTest, LayoutSwitchesFollowThePermissions)
{
    m_kb.SetEnableInputType(1, 0, 1);
    Tap(CBmpInputEx::kCodeToEnglish);
    EXPECT_EQ(m_kb.GetInputType(), CBmpInputEx::kTypeHangul);
    auto notes = TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].nMessage, WM_BCTRL_INPUT_TYPE_REQUEST);
    EXPECT_EQ(notes[0].wParam, static_cast<WPARAM>(IDC_KEYBOARD));
    EXPECT_EQ(notes[0].lParam, 1);

    Tap(CBmpInputEx::kCodeToNumber);
    EXPECT_EQ(m_kb.GetInputType(), CBmpInputEx::kTypeNumber);
    EXPECT_TRUE(TakeNotes().empty());
    Type(L"12");
    Tap(CBmpInputEx::kCodeToEnglish);
    EXPECT_EQ(m_kb.GetInputType(), CBmpInputEx::kTypeNumber);
    m_kb.SetEnableInputType(1, 1, 1);
    Tap(CBmpInputEx::kCodeToEnglish);
    ASSERT_EQ(m_kb.GetInputType(), CBmpInputEx::kTypeEnglish);
    Type(L"XX");
    EXPECT_EQ(Text(), L"12Y");
}

TEST_F(CInputExTest, TheLengthLimitRefusesOverlongInput)
{
    EXPECT_EQ(m_kb.GetMaxString(), 50u);
    m_kb.SetInputType(CBmpInputEx::kTypeNumber, 0);
    for (int i = 0; i < 50; ++i) Tap(static_cast<wchar_t>(L'0' + i % 10));
    ASSERT_EQ(Text().size(), 50u);
    const std::wstring full = Text();
    TakeNotes();
    Tap(L'7');
    EXPECT_EQ(Text(), full);
    EXPECT_TRUE(TakeNotes().empty());
    Tap(CBmpInputEx::kCodeBackspace);
    EXPECT_EQ(Text(), full.substr(0, 49));
    EXPECT_EQ(TakeNotes().size(), 1u);

    // A composing syllable counts: at the limit a consonant is refused, a joining vowel is not.
    m_kb.SetMaxString(2);
    m_kb.SetInputString(L"ab");
    m_kb.SetInputType(CBmpInputEx::kTypeHangul, 0);
    Tap(L'\x3131');
    EXPECT_EQ(Text(), L"ab");
    m_kb.SetInputString(L"a");
    Type(L"\x3131\x314F\x3134"); // ㄱ ㅏ ㄴ → a간
    EXPECT_EQ(Text(), L"a\xAC04");
    Tap(L'\x314F'); // stealing the final would need three characters
    EXPECT_EQ(Text(), L"a\xAC04");
    EXPECT_EQ(m_kb.GetInputState(), CZuInput::kStateFinal);

    // Texts set from outside are held to the limit, and so is the limit to the composer's size.
    m_kb.SetInputString(L"abcdef");
    EXPECT_EQ(Text(), L"ab");
    m_kb.SetMaxString(100000);
    EXPECT_EQ(m_kb.GetMaxString(), static_cast<UINT>(CZuInput::kMaxLength));
}

TEST_F(CInputExTest, ClearEmptiesTheLineAndReportsIt)
{
    m_kb.SetInputType(CBmpInputEx::kTypeNumber, 0);
    Type(L"123");
    m_kb.SetNCaretPos(1);
    TakeNotes();
    Tap(CBmpInputEx::kCodeClear);
    EXPECT_EQ(Text(), L"");
    EXPECT_EQ(m_kb.GetNCaretEditPos(), 0);
    const auto notes = TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].nMessage, WM_BCTRL_INPUT_CHANGED);
    EXPECT_EQ(notes[0].strText, L"");
    Tap(L'4');
    EXPECT_EQ(Text(), L"4");
}

TEST_F(CInputExTest, CaretEditsInTheMiddle)
{
    m_kb.SetInputType(CBmpInputEx::kTypeEnglish, 0);
    Type(L"AC");
    // Moving the caret keeps the character still held by the composer.
    m_kb.SetNCaretPos(1);
    EXPECT_EQ(Text(), L"AC");
    EXPECT_EQ(m_kb.GetInputState(), CZuInput::kStateNone);
    Tap(L'B');
    EXPECT_EQ(Text(), L"ABC");
    EXPECT_EQ(m_kb.GetNCaretEditPos(), 2);
    Tap(CBmpInputEx::kCodeBackspace);
    Tap(CBmpInputEx::kCodeBackspace);
    EXPECT_EQ(Text(), L"C");
}

TEST_F(CInputExTest, RemoteKeysWalkTheGridAndEnterTypes)
{
    EXPECT_EQ(m_kb.GetFocusItem().x, 0);
    EXPECT_EQ(m_kb.KeyInput(VK_UP), 0); // the top row hands the focus on
    EXPECT_EQ(m_kb.KeyInput(VK_LEFT), 1); // rows wrap
    EXPECT_EQ(m_kb.GetFocusItem().x, 9);
    EXPECT_EQ(m_kb.KeyInput(VK_DOWN), 1);
    EXPECT_EQ(m_kb.GetFocusItem().x, 8); // the shorter row holds the column
    EXPECT_EQ(m_kb.GetFocusItem().y, 1);
    EXPECT_EQ(m_kb.GetpKey(m_kb.GetFocusItem())->chCode, L'\x3163');
    EXPECT_EQ(m_kb.KeyInput(VK_RETURN), 1);
    EXPECT_EQ(Text(), L"\x3163");

    EXPECT_EQ(m_kb.SetFocusItem(POINT{3, 3}), 1);
    EXPECT_EQ(m_kb.SetFocusItem(POINT{4, 3}), 0);
    EXPECT_EQ(m_kb.KeyInput(VK_DOWN), 0);
    // Enter on a switch key changes the layout and starts its grid at the corner.
    ASSERT_EQ(m_kb.GetpKey(m_kb.GetFocusItem())->chCode, CBmpInputEx::kCodeToNumber);
    EXPECT_EQ(m_kb.KeyInput(VK_RETURN), 1);
    EXPECT_EQ(m_kb.GetInputType(), CBmpInputEx::kTypeNumber);
    EXPECT_EQ(m_kb.GetFocusItem().x, 0);
    EXPECT_EQ(m_kb.GetFocusItem().y, 0);
    EXPECT_EQ(m_kb.KeyInput('A'), 0);

    m_kb.SetDisableCtrl(1, 0);
    EXPECT_EQ(m_kb.KeyInput(VK_RETURN), 0);
    Tap(L'1');
    EXPECT_EQ(Text(), L"\x3163");
}

TEST_F(CInputExTest, PressedKeysShowTheirPicture)
{
    const POINT giyeok = KeyPoint(CBmpInputEx::kTypeHangul, IndexOf(m_kb, 0, L'\x3131'));
    const POINT nieun = KeyPoint(CBmpInputEx::kTypeHangul, IndexOf(m_kb, 0, L'\x3134'));
    EXPECT_EQ(Pixel(giyeok), kHangulLayout);
    EXPECT_EQ(Pixel(POINT{kCtrlLeft + 2, kCtrlTop + 128}), kKeyboardBg);
    EXPECT_EQ(Pixel(POINT{kCtrlLeft + 200, kCtrlTop + 12}), RGB(255, 255, 255)); // the input line
    Down(giyeok);
    EXPECT_EQ(Pixel(giyeok), kGiyeokPressed);
    Up(giyeok);
    EXPECT_EQ(Pixel(giyeok), kHangulLayout);
    Down(nieun);
    EXPECT_EQ(Pixel(nieun), kFallbackPressed);
    m_pPresenter->InjectMouseMove(m_panel.GetSafeHwnd(), POINT{nieun.x, nieun.y + kKeyPitch});
    Pump();
    EXPECT_EQ(Pixel(nieun), kHangulLayout);
    Up(POINT{nieun.x, nieun.y + kKeyPitch});
    EXPECT_EQ(Text(), L"\x3131");

    // The English layout has no picture: its keys lie on the background.
    m_kb.SetInputType(CBmpInputEx::kTypeEnglish, 1);
    PostMessage(m_panel.GetSafeHwnd(), WM_NULL, 0, 0);
    Pump();
    EXPECT_EQ(Pixel(giyeok), kKeyboardBg);
}

TEST_F(CInputExTest, OwnSkinFileIsOpenedOnlyWhenItExists)
{
    Type(L"\x3131");
    EXPECT_EQ(m_kb.InitControl(0, L"/nonexistent/keyboard.dat", kBase, 0), 0);
    EXPECT_EQ(m_kb.InitControl(0, static_cast<const wchar_t*>(nullptr), kBase, 0), 0);
    EXPECT_EQ(Text(), L"\x3131");

    // The control's own loader replaces the borrowed one.
    const std::wstring path = SkinPath().wstring();
    ASSERT_EQ(m_kb.InitControl(0, path.c_str(), kBase, 0), 1);
    EXPECT_EQ(Text(), L"");
    EXPECT_EQ(m_kb.GetCurrentKeyMapMaxItemNum(-1), 4);
    Type(L"\x3131\x314F");
    EXPECT_EQ(Text(), L"\xAC00");
    // Adopting a loader again lets the own one go.
    ASSERT_EQ(m_kb.InitControl(0, &m_kKbLoader, kBase, 0), 1);
    EXPECT_EQ(m_kb.GetpKey(CBmpInputEx::kTypeEnglish, 30)->chCode, CBmpInputEx::kCodeClear);
}
