#include <zent/bctrl/BmpButton.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

namespace zent {

namespace {
constexpr COLORREF kDisabledTextColour = 0x7D7D7D;
constexpr UINT kButtonTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr COLORREF kFocusColours[3] = {0x096BB6, 0x00D8FF, 0x00D8FF};
constexpr UINT kNoPlacement = static_cast<UINT>(-1);
} // namespace

CZuImage* CBmpButton::ImageSlot::Ensure()
{
    if (!image.IsLoaded()) {
        if (hAdopted) image.Attach(hAdopted);
        else if (pLoader && nId) image.Load(pLoader, nId);
    }
    return image.IsLoaded() ? &image : nullptr;
}

CBmpButton::CBmpButton() = default;

CBmpButton::~CBmpButton()
{
    // Timers belong to the window, which must not outlive this object's handler.
    DestroyWindow();
}

void CBmpButton::Place(QLBMLoader* loader, UINT rectId, UINT firstId, bool bKeepCorner)
{
    if (rectId == kNoPlacement) return;
    const UINT id = rectId ? rectId : firstId;
    RECT rc{};
    if (loader && id) loader->GetRect(static_cast<int>(id), &rc);
    if (bKeepCorner && rectId == 0) {
        const int w = rc.right - rc.left;
        const int h = rc.bottom - rc.top;
        rc = RECT{m_rcCtrl.left, m_rcCtrl.top, m_rcCtrl.left + w, m_rcCtrl.top + h};
    }
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    if (loader) m_bRemocon = loader->IsRemocon(static_cast<int>(id));
}

int CBmpButton::InitControl(int style, QLBMLoader* loader, UINT normalId, UINT pressedId, UINT disabledId,
                            UINT rectId)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    m_kNormal.Set(loader, normalId);
    m_kPressed.Set(loader, pressedId);
    m_kDisabled.Set(loader, disabledId);
    m_bCaret = 0;
    m_nCaretPos = 0;
    m_nCaretPhase = 0;
    const UINT first = normalId ? normalId : (pressedId ? pressedId : disabledId);
    Place(loader, rectId, first, false);
    return 1;
}

int CBmpButton::InitControl(int, QLBMLoader*, HBITMAP, UINT, HBITMAP, UINT)
{
    return 1;
}

int CBmpButton::ReSetCtrl(int style, QLBMLoader* loader, UINT normalId, UINT pressedId, UINT disabledId, UINT rectId)
{
    if (style) m_nCtrlStyle = style;
    if (normalId) {
        m_kNormal.Set(loader, normalId);
        m_kNormal.Ensure();
    }
    if (pressedId) m_kPressed.Set(loader, pressedId);
    if (disabledId) m_kDisabled.Set(loader, disabledId);
    const UINT first = normalId ? normalId : (pressedId ? pressedId : disabledId);
    Place(loader, rectId, first, true);
    return 1;
}

int CBmpButton::SetBitmap(int state, QLBMLoader* loader, UINT id)
{
    if (!loader || id == 0) return 0;
    ImageSlot* slot = state == 1 ? &m_kNormal : state == 2 ? &m_kPressed : state == 3 ? &m_kDisabled : nullptr;
    if (!slot) return 0;
    slot->Set(loader, id);
    slot->Ensure();
    return 1;
}

int CBmpButton::SetDisableCtrl(int disable, int redraw)
{
    if (disable != m_bDisable && GetParentWnd())
        SendMessage(GetParentWnd(), WM_BCTRL_FOCUSKILL, reinterpret_cast<WPARAM>(static_cast<CBmpCtrl*>(this)), 0);
    return CBmpCtrl::SetDisableCtrl(disable, redraw);
}

int CBmpButton::SetVisibleCtrl(int visible, int redraw)
{
    if (visible != m_bVisible && GetParentWnd())
        SendMessage(GetParentWnd(), WM_BCTRL_FOCUSKILL, reinterpret_cast<WPARAM>(static_cast<CBmpCtrl*>(this)), 0);
    return CBmpCtrl::SetVisibleCtrl(visible, redraw);
}

void CBmpButton::SendCommand(bool bPost)
{
    const HWND parent = GetParentWnd();
    if (!parent) return;
    const WPARAM w = MAKEWPARAM(GetDlgCtrlID(GetSafeHwnd()), BN_CLICKED);
    const LPARAM l = reinterpret_cast<LPARAM>(GetSafeHwnd());
    if (bPost) PostMessage(parent, WM_COMMAND, w, l);
    else SendMessage(parent, WM_COMMAND, w, l);
}

void CBmpButton::DrawImageByStyle(CZuImage& image, HDC dc, POINT origin)
{
    const int w = static_cast<int>(image.GetWidth());
    const int h = static_cast<int>(image.GetHeight());
    switch (m_nCtrlStyle & BCS_IMAGE_KEYED_BLEND) {
    case BCS_IMAGE_KEYED_BLEND:
        if (m_nAlphaRate > 254) image.Draw(dc, origin.x, origin.y);
        image.DrawAlphaTransBlt(dc, origin.x, origin.y, m_nAlphaRate, w, h, kSkinKeyColor);
        break;
    case BCS_IMAGE_KEYED: image.DrawTransparent(dc, origin.x, origin.y, w, h, kSkinKeyColor); break;
    case BCS_IMAGE_ALPHA: image.DrawAlphablend(dc, origin.x, origin.y); break;
    default: image.Draw(dc, origin.x, origin.y); break;
    }
}

void CBmpButton::DrawFocusFrame(HDC dc, const RECT& rc)
{
    constexpr int kArm = 6;
    for (int i = 0; i < 3; ++i) {
        UniquePen pen(CreatePen(PS_SOLID, 1, kFocusColours[i]));
        CSelectObject<HPEN> sel(dc, pen.get());
        const int l = rc.left + i, t = rc.top + i, r = rc.right - 1 - i, b = rc.bottom - 1 - i;
        const POINT corners[4][3] = {{{l, t + kArm}, {l, t}, {l + kArm, t}},
                                     {{r - kArm, t}, {r, t}, {r, t + kArm}},
                                     {{r, b - kArm}, {r, b}, {r - kArm, b}},
                                     {{l + kArm, b}, {l, b}, {l, b - kArm}}};
        for (const auto& c : corners) Polyline(dc, c, 3);
    }
}

int CBmpButton::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    if ((m_nCtrlStyle & BCS_CARET_BLINK) && GetSafeHwnd()) SetTimer(GetSafeHwnd(), kBlinkTimerId, kBlinkIntervalMs);
    const int w = m_rcCtrl.right - m_rcCtrl.left;
    const int h = m_rcCtrl.bottom - m_rcCtrl.top;
    RECT target{origin.x, origin.y, origin.x + w, origin.y + h};

    ImageSlot& slot = m_bDisable ? m_kDisabled : (m_bPressed ? m_kPressed : m_kNormal);
    if (CZuImage* image = slot.Ensure()) DrawImageByStyle(*image, dc, origin);

    if ((m_nCtrlStyle & BCS_CHECK_IMAGE) && m_nCheck && !m_bDisable && m_nCheckId && m_pCheckLoader) {
        CZuImage check;
        check.Load(m_pCheckLoader, m_nCheckId);
        if (check.IsLoaded()) check.DrawAlphablend(dc, origin.x + m_rcCheck.left, origin.y + m_rcCheck.top);
    }

    if (m_nCtrlStyle & (BCS_ICON | BCS_ICON_LEFT)) {
        if (m_hIconSource) {
            BITMAP bm;
            if (GetObject(GetCurrentBitmap(m_hIconSource), &bm)) {
                const int x = (m_nCtrlStyle & BCS_ICON_LEFT) ? origin.x + 10 : origin.x + (w - bm.bmWidth) / 2;
                const int y = origin.y + (h - bm.bmHeight) / 2;
                TransparentBltFromDC(dc, x, y, m_hIconSource, bm.bmWidth, bm.bmHeight, kSkinKeyColor, 0, 0);
                if (!m_strOverImageText.empty()) {
                    UniqueFont gulim(CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                                L"Gulim"));
                    RECT rcText{x + bm.bmWidth + 2, origin.y, origin.x + w, origin.y + h};
                    DrawTextW(BCS_TEXT_PLAIN, DT_LEFT | DT_VCENTER | DT_SINGLELINE, m_strOverImageText, dc, &rcText,
                              gulim.get(), m_clrText, m_clrEffect);
                }
            }
        } else if (CZuImage* icon = m_kDisabled.Ensure()) {
            DrawImageByStyle(*icon, dc, origin);
        }
    }

    const bool bBlinking = (m_nCtrlStyle & BCS_CARET_BLINK) && m_bCaret;
    if (!m_strText.empty() || bBlinking) {
        RECT rcText = target;
        rcText.top += m_nMargin[1];
        DrawTextW(GetTextDrawStyle(), kButtonTextFormat, m_strText, dc, &rcText, m_hFont,
                  m_bDisable ? kDisabledTextColour : m_clrText, m_clrEffect);
    }

    if (m_bCaret && m_bVisibleCaret && m_nCaretPhase) {
        SIZE extent{};
        CSelectObject<HFONT> sel(dc, m_hFont);
        GetTextExtentPoint32(dc, m_strText, &extent);
        if (extent.cx + 4 < w - 6) {
            const int caretH = std::max<int>(extent.cy, 1);
            const int x = origin.x + (w + extent.cx) / 2 + 3;
            const int y = origin.y + (h - caretH) / 2;
            FillSolidRect(dc, x, y, 2, caretH, m_clrCaret == kSkinKeyColor ? m_clrText : m_clrCaret);
        }
    }

    if (m_bFocus) DrawFocusFrame(dc, target);
    return 1;
}

int CBmpButton::SoundPlay()
{
    if (!m_bTouchSoundUse) return 0;
    const std::wstring* path = nullptr;
    std::uint32_t flags = kSndFileName | kSndAsync;
    if (m_bDisable) {
        path = &m_strSoundFileFalse;
    } else {
        switch (m_nSoundType) {
        case 0:
            path = &m_strSoundFileTrue;
            if (m_nCtrlStyle & BCS_SOUND_SYNC) flags = kSndFileName;
            break;
        case 1: path = &m_strSoundFilePrev; break;
        case 2: path = &m_strSoundFileFalse; break;
        case 3: path = &m_strSoundFileKeyboard; break;
        default: break;
        }
    }
    if (path && !path->empty()) g_kSndPlEffect.SndPlay(path->c_str(), nullptr, flags);
    return 1;
}

int CBmpButton::Clean()
{
    m_kNormal.image.Unload();
    m_kPressed.image.Unload();
    m_kDisabled.image.Unload();
    m_bPressed = 0;
    if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kPressTimerId);
    return 1;
}

int CBmpButton::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    m_bPressed = 1;
    if (!m_strText.empty()) {
        m_ptPress = pt;
        m_bPressValid = 1;
    }
    Draw();
    if (m_nCtrlStyle & BCS_COMMAND_ON_PRESS) SendCommand(true);
    if (GetSafeHwnd()) SetTimer(GetSafeHwnd(), kPressTimerId, kPressLookMs);
    return 1;
}

int CBmpButton::LButtonUp(UINT, POINT)
{
    if (m_bDisable || !m_bVisible) {
        m_bPressed = 0;
        return 0;
    }
    if (!m_bPressed) return 1;
    m_bPressed = 0;
    Draw();
    if (m_nCtrlStyle & BCS_COMMAND_ON_RELEASE) SendCommand(false);
    return 1;
}

int CBmpButton::MouseMove(UINT, POINT pt)
{
    if (!m_bPressed) return 1;
    const int w = m_rcCtrl.right - m_rcCtrl.left;
    const int h = m_rcCtrl.bottom - m_rcCtrl.top;
    if (pt.x >= 0 && pt.y >= 0 && pt.x < w && pt.y < h) return 1;
    m_bPressed = 0;
    Draw();
    return 0;
}

int CBmpButton::KeyInput(UINT key)
{
    if (key != VK_RETURN) return 0;
    SendCommand(false);
    return 1;
}

int CBmpButton::FocusChange(int focus, UINT key)
{
    if (const HWND parent = GetParentWnd()) {
        const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd()));
        SendMessage(parent, focus ? WM_BCTRL_FOCUSIN : WM_BCTRL_FOCUSOUT, id, 0);
    }
    if (!focus) m_bPressed = 0;
    return CBmpCtrl::FocusChange(focus, key);
}

int CBmpButton::SetButtonText(const std::wstring& text, int redraw)
{
    m_strText = text;
    m_nCaretPos = static_cast<int>(text.size());
    m_nCaretPhase = 1;
    if (redraw) Draw();
    return 1;
}

int CBmpButton::SetButtonText(const std::wstring& text, int m1, int m2, int m3, int redraw)
{
    SetButtonTextMargin(m1, m2, m3);
    return SetButtonText(text, redraw);
}

int CBmpButton::SetButtonOverImageText(const std::wstring& text, int redraw)
{
    m_strOverImageText = text;
    if (redraw) Draw();
    return 1;
}

void CBmpButton::SetButtonTextMargin(int m1, int m2, int m3)
{
    m_nMargin[0] = m1;
    m_nMargin[1] = m2;
    m_nMargin[2] = m3;
}

void CBmpButton::GetButtonTextMargin(int* m1, int* m2, int* m3) const
{
    if (m1) *m1 = m_nMargin[0];
    if (m2) *m2 = m_nMargin[1];
    if (m3) *m3 = m_nMargin[2];
}

void CBmpButton::SetTextColor(COLORREF text, COLORREF effect)
{
    m_clrText = text;
    m_clrEffect = effect;
}

int CBmpButton::SetCheck(int check, int redraw)
{
    m_nCheck = check;
    if (redraw) Draw();
    return 1;
}

int CBmpButton::SetCheckBox(QLBMLoader* loader, UINT id)
{
    RECT rc{};
    if (loader) loader->GetRect(static_cast<int>(id), &rc);
    return SetCheckBox(loader, id, rc);
}

int CBmpButton::SetCheckBox(QLBMLoader* loader, UINT id, const RECT& rc)
{
    m_pCheckLoader = loader;
    m_nCheckId = id;
    m_rcCheck = rc;
    return 1;
}

LRESULT CBmpButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kPressTimerId) {
        KillTimer(GetSafeHwnd(), kPressTimerId);
        m_bPressed = 0;
        Draw();
        return 0;
    }
    if (message == WM_TIMER && wParam == kBlinkTimerId) {
        m_nCaretPhase = !m_nCaretPhase;
        Draw();
        return 0;
    }
    return CBmpCtrl::OnMessage(message, wParam, lParam);
}

} // namespace zent
