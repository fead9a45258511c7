#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpDialog.h>

#include <zent/platform/Font.h>

#include <algorithm>
#include <array>
#include <utility>

namespace zent {

namespace {

std::wstring SoundPath(const wchar_t* name)
{
    return std::wstring(L"\\Application\\APP") + L"\\" + name;
}

// Made once, on first use, and kept for the life of the process (the library's fonts).
struct StockFonts {
    std::array<UniqueFont, 6> fonts;
    StockFonts()
    {
        static constexpr int kHeights[3] = {14, 16, 18};
        for (int i = 0; i < 6; ++i)
            fonts[i].reset(CreateFont(kHeights[i % 3], 0, 0, 0, i < 3 ? FW_NORMAL : FW_BOLD, 0, 0, 0, DEFAULT_CHARSET,
                                      0, 0, 0, 0, L"Tahoma"));
    }
};

} // namespace

HFONT GetBCtrlStockFont(int index)
{
    static StockFonts s_fonts;
    if (index < 0 || index > 5) index = 0;
    HFONT font = s_fonts.fonts[index].get();
    // Never hand out null: a control must always have something to draw text with.
    return font ? font : GetStockFont(DEFAULT_GUI_FONT);
}

int CBmpCtrl::m_bTouchSoundUse = 1;
std::wstring CBmpCtrl::m_strSoundFileTrue = SoundPath(L"TouchOK.wav");
std::wstring CBmpCtrl::m_strSoundFilePrev = SoundPath(L"TouchCancel.wav");
std::wstring CBmpCtrl::m_strSoundFileKeyboard = SoundPath(L"TouchKeyboard.wav");
std::wstring CBmpCtrl::m_strSoundFileFalse;

CBmpCtrl::CBmpCtrl() : m_hFont(GetBCtrlStockFont(0))
{
    m_strSoundFileTrue = SoundPath(L"TouchOK.wav");
    m_strSoundFilePrev = SoundPath(L"TouchCancel.wav");
    m_strSoundFileKeyboard = SoundPath(L"TouchKeyboard.wav");
    m_strSoundFileFalse.clear();
}

CBmpCtrl::~CBmpCtrl()
{
    // The dialog would otherwise keep painting and routing input to a dead control.
    if (m_pParentDlg) m_pParentDlg->ForgetControl(this);
}

HWND CBmpCtrl::GetParentWnd() const
{
    return GetSafeHwnd() ? GetParent(GetSafeHwnd()) : nullptr;
}

int CBmpCtrl::SetDisableCtrl(int disable, int redraw)
{
    m_bDisable = disable;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpCtrl::SetVisibleCtrl(int visible, int redraw)
{
    m_bVisible = visible;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpCtrl::InitControl(int style)
{
    const HWND hwndParent = GetParentWnd();
    if (m_bParentCheck == 1 && !hwndParent) return 0;
    m_nCtrlStyle = style;
    if (!hwndParent) return 0;
    SendMessage(hwndParent, WM_BCTRL_INIT, reinterpret_cast<WPARAM>(this), 0);
    return 1;
}

int CBmpCtrl::DestroyControl()
{
    const HWND hwndParent = GetParentWnd();
    if (!hwndParent) return 0;
    SendMessage(hwndParent, WM_BCTRL_DESTROY, reinterpret_cast<WPARAM>(this), 0);
    return 1;
}

int CBmpCtrl::DrawCtrl(HDC, POINT)
{
    return 0;
}

int CBmpCtrl::TransparentBltFromDC(HDC dst, int x, int y, HDC src, int srcWidth, int srcHeight, COLORREF key,
                                   int width, int height)
{
    if (width == 0) width = srcWidth;
    if (height == 0) height = srcHeight;
    return TransparentBlt(dst, x, y, width, height, src, 0, 0, srcWidth, srcHeight, key);
}

int CBmpCtrl::SoundPlay()
{
    return 0;
}

int CBmpCtrl::Clean()
{
    return 1;
}

int CBmpCtrl::LButtonDown(UINT, POINT)
{
    return 0;
}

int CBmpCtrl::LButtonUp(UINT, POINT)
{
    return 0;
}

int CBmpCtrl::LButtonDblClk(UINT, POINT)
{
    return 0;
}

int CBmpCtrl::MouseMove(UINT, POINT)
{
    return 0;
}

int CBmpCtrl::KeyInput(UINT)
{
    return 0;
}

int CBmpCtrl::SetBitmap(int, QLBMLoader*, UINT)
{
    return 0;
}

int CBmpCtrl::FocusChange(int focus, UINT)
{
    m_bFocus = focus;
    return 1;
}

int CBmpCtrl::Draw()
{
    if (m_pParentDlg) {
        if (m_bDrawEnable == 1) m_pParentDlg->Draw(this);
        return 1;
    }
    if (!GetSafeHwnd()) return 0;
    const HDC dc = GetDC(GetSafeHwnd());
    if (!dc) return 0;
    const int result = DrawCtrl(dc, POINT{0, 0});
    ReleaseDC(GetSafeHwnd(), dc);
    return result;
}

int CBmpCtrl::SetFont(HFONT font, int redraw)
{
    m_hFont = font;
    if (redraw == 1) Draw();
    if (m_bShowCaret) SetShowCaret(1);
    return 1;
}

int CBmpCtrl::SetFont(FontHook hook, int a, int b, int c, DWORD d, const wchar_t* face)
{
    if (!hook) return 0;
    hook(this, a, b, c, d, face);
    return 1;
}

int CBmpCtrl::SetShowCaret(int show)
{
    // The platform has no system caret: the flag is what the text controls draw their own caret by.
    m_bShowCaret = show == 1 ? 1 : 0;
    return 1;
}

POINT CBmpCtrl::GetCenterPos() const
{
    return POINT{(m_rcCtrl.left + m_rcCtrl.right) / 2, (m_rcCtrl.top + m_rcCtrl.bottom) / 2};
}

int CBmpCtrl::GetImageDrawStyle() const
{
    const int style = m_nCtrlStyle & BCS_IMAGE_STYLE_MASK;
    return style ? style : 1;
}

int CBmpCtrl::GetTextDrawStyle() const
{
    const int style = m_nCtrlStyle & BCS_TEXT_STYLE_MASK;
    return style ? style : BCS_TEXT_PLAIN;
}

int CBmpCtrl::DrawImage(int type, DWORD rop, HBITMAP bmp, HDC dc, const RECT* rect, COLORREF key)
{
    if (!bmp || !dc || !rect) return 0;
    BITMAP bm;
    if (!GetObject(bmp, &bm)) return 0;
    UniqueDC mem(CreateCompatibleDC(dc));
    SelectObject(mem.get(), bmp);
    if (GetCurrentBitmap(mem.get()) != bmp) return 0;
    if (type == 2)
        StretchBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, mem.get(), 0, 0,
                   bm.bmWidth, bm.bmHeight, rop);
    else if (type == 4)
        TransparentBlt(dc, rect->left, rect->top, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, bm.bmWidth, bm.bmHeight,
                       key);
    else
        BitBlt(dc, rect->left, rect->top, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, rop);
    return 1;
}

int CBmpCtrl::DrawRect(HDC dc, RECT rect, COLORREF colour)
{
    if (rect.right < rect.left) std::swap(rect.left, rect.right);
    const int top = std::min(rect.top, rect.bottom);
    const int bottom = std::max(rect.top, rect.bottom);
    UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    CSelectObject<HPEN> sel(dc, pen.get());
    MoveToEx(dc, rect.left, top, nullptr);
    LineTo(dc, rect.right, top);
    MoveToEx(dc, rect.left, bottom, nullptr);
    LineTo(dc, rect.right, bottom);
    MoveToEx(dc, rect.left, top, nullptr);
    LineTo(dc, rect.left, bottom);
    MoveToEx(dc, rect.right, top, nullptr);
    LineTo(dc, rect.right, bottom + 1);
    return 1;
}

int CBmpCtrl::DrawTextW(int style, UINT format, const std::wstring& text, HDC dc, RECT* rect, HFONT font,
                        COLORREF colour, COLORREF effect)
{
    if (!dc || !rect) return 0;
    // The platform's text drawing knows no mnemonic prefixes, so an ampersand is already shown as
    // it is; doubling it here would show two.
    const std::wstring& shown = text;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = GetTextColor(dc);
    CSelectObject<HFONT> sel(dc, font ? font : m_hFont);
    const RECT saved = *rect;
    auto drawAt = [&](int dx, int dy, COLORREF c) {
        RECT rc{saved.left + dx, saved.top + dy, saved.right + dx, saved.bottom + dy};
        SetTextColor(dc, c);
        DrawText(dc, shown, &rc, format);
    };
    if (style == BCS_TEXT_SHADOW) {
        drawAt(1, 1, effect);
    } else if (style == BCS_TEXT_OUTLINE) {
        drawAt(-1, -1, effect);
        drawAt(1, -1, effect);
        drawAt(1, 1, effect);
        drawAt(-1, 1, effect);
    }
    drawAt(0, 0, colour);
    *rect = saved;
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    return 1;
}

} // namespace zent
