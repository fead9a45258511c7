#include <zent/bctrl/BmpDialog.h>

#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <thread>

namespace zent {

int CBmpDialog::m_bRemoconProgram = 0;
std::wstring CBmpDialog::m_strSoundFileTrue;
std::wstring CBmpDialog::m_strSoundFileFalse;

namespace {
constexpr double kSlideFractions[10] = {0.2, 0.4, 0.6, 0.7, 0.75, 0.8, 0.85, 0.9, 0.95, 1.0};
constexpr auto kSlideShowPause = std::chrono::milliseconds(6);
constexpr auto kSlideHidePause = std::chrono::milliseconds(15);
// Registered control windows are parked this far left, 10 pixels apart.
constexpr int kParkX = -10000;

POINT Relative(POINT pt, const RECT& rc)
{
    return POINT{pt.x - rc.left, pt.y - rc.top};
}
} // namespace

CBmpDialog::CBmpDialog(UINT id, CWnd* parent) : CResDialog(id, parent) {}

CBmpDialog::~CBmpDialog()
{
    // Here, so that WM_DESTROY still reaches this class's handler.
    DestroyWindow();
    ReleaseResources();
    for (CBmpCtrl* ctrl : m_vecCtrls) {
        ctrl->SetParentDlg(nullptr);
        ctrl->SetParentDC(nullptr);
    }
}

void CBmpDialog::ReleaseResources()
{
    if (m_hClientDC) {
        ReleaseDC(GetSafeHwnd(), m_hClientDC);
        m_hClientDC = nullptr;
        for (CBmpCtrl* ctrl : m_vecCtrls) ctrl->SetParentDC(nullptr);
    }
    if (m_bmpComposed) {
        if (m_kBackground.GetHandleBitmap() == m_bmpComposed.get()) m_kBackground.Unload();
        m_bmpComposed.reset();
    }
    m_bmpSaved.reset();
}

void CBmpDialog::ForgetControl(CBmpCtrl* ctrl)
{
    std::erase(m_vecCtrls, ctrl);
    if (m_pCaptured == ctrl) m_pCaptured = nullptr;
    if (m_pFocusCtrl == ctrl) m_pFocusCtrl = nullptr;
    if (m_kInput.GetFocused() == ctrl) m_kInput.CleanInput();
}

// --- overridable reactions ---------------------------------------------------------------------

int CBmpDialog::LButtonDown(UINT, POINT)
{
    return 0;
}
int CBmpDialog::LButtonUp(UINT, POINT)
{
    return 0;
}
int CBmpDialog::LButtonDblClk(UINT, POINT)
{
    return 0;
}
int CBmpDialog::MouseMove(UINT, POINT)
{
    return 0;
}
int CBmpDialog::KeyDown(UINT, UINT, UINT)
{
    return 0;
}
void CBmpDialog::PaintDlg(HDC, RECT*) {}
void CBmpDialog::PaintDlg(HDC) {}

// --- background --------------------------------------------------------------------------------

void CBmpDialog::PlaceAtEntry(QLBMLoader* loader, UINT id)
{
    RECT rc{};
    if (!loader || !loader->GetRect(static_cast<int>(id), &rc)) return;
    rc.left += m_lDlgStartPoint.x;
    rc.right += m_lDlgStartPoint.x;
    rc.top += m_lDlgStartPoint.y;
    rc.bottom += m_lDlgStartPoint.y;
    if (GetSafeHwnd())
        SetWindowPos(GetSafeHwnd(), HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);
    m_kInput.SetWindowRect(rc);
}

int CBmpDialog::LoadBackground(QLBMLoader* loader, UINT id, POINT pos, COLORREF colour)
{
    const int result = m_kBackground.Load(loader, id);
    m_clrBackground = colour;
    if (result) {
        m_ptBackground = pos;
        m_nBackgroundMode = 3;
        m_pBkLoader = loader;
        m_nBkId = id;
        PlaceAtEntry(loader, id);
    }
    return result;
}

int CBmpDialog::LoadBackgroundEx(QLBMLoader* loader, UINT id, UINT type, int key, int opacity, POINT pos)
{
    m_nOpacity = opacity;
    m_nComposeType = static_cast<int>(type);
    if ((type & 1) && key == -1) key = static_cast<int>(kSkinKeyColor);
    m_clrKey = static_cast<COLORREF>(key);
    if (type == 0) return LoadBackground(loader, id, pos, 0xFFFFFF);

    RECT rc{};
    if (!loader || !loader->GetRect(static_cast<int>(id), &rc) || rc.IsEmpty()) {
        m_nBackgroundMode = 0;
        m_ptBackground = POINT{};
        m_pBkLoader = nullptr;
        m_nBkId = 0;
        return 0;
    }
    CZuImage image;
    image.Load(loader, id);
    const int w = rc.Width();
    const int h = rc.Height();
    UniqueBitmap composed(CreateCompatibleBitmap(m_hClientDC, w, h));
    int result = 0;
    if (composed) {
        {
            UniqueDC mem(CreateCompatibleDC(m_hClientDC));
            SelectObject(mem.get(), composed.get());
            if (m_hClientDC) BitBlt(mem.get(), 0, 0, w, h, m_hClientDC, rc.left, rc.top, SRCCOPY);
            if (type == 1) image.DrawTransparent(mem.get(), 0, 0, w, h, m_clrKey);
            else if (type == 2) image.DrawAlphablend(mem.get(), 0, 0, w, h);
            else image.DrawAlphaTransBlt(mem.get(), 0, 0, opacity, w, h, m_clrKey);
        }
        m_kBackground.Unload();
        result = m_kBackground.Attach(composed.get());
        // The image borrows it; the dialog keeps it until it is replaced or the dialog goes.
        if (result) m_bmpComposed = std::move(composed);
    }
    if (result) {
        m_ptBackground = pos;
        m_nBackgroundMode = 3;
        m_pBkLoader = loader;
        m_nBkId = id;
        PlaceAtEntry(loader, id);
    } else {
        m_nBackgroundMode = 0;
        m_ptBackground = POINT{};
        m_pBkLoader = nullptr;
        m_nBkId = 0;
    }
    return result;
}

int CBmpDialog::SetBackgroundBitmap(HBITMAP bmp)
{
    if (m_nBackgroundMode == 0) return 0;
    m_kBackground.Unload();
    m_kBackground.Attach(bmp);
    m_nBackgroundMode = 4;
    return 1;
}

int CBmpDialog::LoadBK()
{
    if (m_nBackgroundMode != 3 || !m_pBkLoader) return 0;
    return m_kBackground.Load(m_pBkLoader, m_nBkId);
}

int CBmpDialog::UnloadBK()
{
    if (m_nBackgroundMode == 4) return 0;
    m_kBackground.Unload();
    return 1;
}

int CBmpDialog::SetBackgroundColor(COLORREF colour)
{
    m_clrBackground = colour;
    return 1;
}

// --- painting ----------------------------------------------------------------------------------

int CBmpDialog::DrawBackground(HDC dc)
{
    if (m_kBackground.IsLoaded()) return m_kBackground.Draw(dc, m_ptBackground.x, m_ptBackground.y);
    FillSolidRect(dc, &m_rcClient, m_clrBackground);
    return 1;
}

int CBmpDialog::DrawBackground(HDC dc, RECT* rect)
{
    if (!rect) return DrawBackground(dc);
    if (m_kBackground.IsLoaded())
        return m_kBackground.DrawRect(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                                      rect->left - m_ptBackground.x, rect->top - m_ptBackground.y);
    FillSolidRect(dc, rect, m_clrBackground);
    return 1;
}

int CBmpDialog::DrawBackgroundCtrl(HDC dc, RECT* rect)
{
    if (!rect) return 0;
    const int w = rect->right - rect->left;
    const int h = rect->bottom - rect->top;
    if (m_kBackground.IsLoaded())
        return m_kBackground.DrawRect(dc, 0, 0, w, h, rect->left - m_ptBackground.x, rect->top - m_ptBackground.y);
    // Without a picture the colour stands under the control, as in a full paint.
    FillSolidRect(dc, 0, 0, w, h, m_clrBackground);
    return 1;
}

int CBmpDialog::DrawControl(HDC dc)
{
    // A control's DrawCtrl may not unregister anything, but copy anyway: it is cheap.
    const std::vector<CBmpCtrl*> ctrls = m_vecCtrls;
    for (CBmpCtrl* ctrl : ctrls) {
        const RECT rc = ctrl->GetControlPos();
        ctrl->DrawCtrl(dc, POINT{rc.left, rc.top});
        ctrl->SetDrawEnable(1);
    }
    return 1;
}

int CBmpDialog::Draw(int flush)
{
    const HWND hwnd = GetSafeHwnd();
    if (!hwnd || !m_hClientDC) return 0;
    GetClientRect(hwnd, &m_rcClient);
    const int w = m_rcClient.Width();
    const int h = m_rcClient.Height();
    if (w <= 0 || h <= 0) return 0;
    // The bitmap outlives the device context it is selected into.
    UniqueBitmap picture(CreateCompatibleBitmap(m_hClientDC, w, h));
    if (!picture) return 0;
    UniqueDC mem(CreateCompatibleDC(m_hClientDC));
    SelectObject(mem.get(), picture.get());

    if (m_bTransparentBk) {
        DrawBackgroundEx(m_hClientDC, mem.get());
    } else {
        DrawBackground(mem.get());
    }
    DrawControl(mem.get());
    PaintDlg(mem.get());

    bool bSkipFlush = false;
    if (!m_bShown) {
        if (m_bSlideShow) {
            SlideShowWnd(mem.get());
            bSkipFlush = true;
        }
        m_bShown = 1;
    }
    if (flush == 1 && !bSkipFlush) {
        UniqueRegion clip(CreateRectRgn(0, 0, w, h));
        for (HWND hwndSelf : m_vecSelfDrawn) {
            if (!IsWindow(hwndSelf) || !IsWindowVisible(hwndSelf)) continue;
            RECT rc{};
            GetWindowRect(hwndSelf, &rc);
            POINT pts[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
            MapWindowPoints(nullptr, hwnd, pts, 2);
            UniqueRegion self(CreateRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y));
            // Removed rather than toggled, so that two overlapping windows both stay uncovered.
            CombineRgn(clip.get(), clip.get(), self.get(), RGN_DIFF);
        }
        SelectClipRgn(m_hClientDC, clip.get());
        BitBlt(m_hClientDC, 0, 0, w, h, mem.get(), 0, 0, SRCCOPY);
        SelectClipRgn(m_hClientDC, nullptr);
    }
    return 1;
}

int CBmpDialog::Draw(CBmpCtrl* ctrl)
{
    if (!ctrl || !m_hClientDC || !GetSafeHwnd()) return 0;
    RECT rc = ctrl->GetControlPos();
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return 0;
    RECT client{};
    GetClientRect(GetSafeHwnd(), &client);
    UniqueBitmap picture(CreateCompatibleBitmap(m_hClientDC, std::max<LONG>(client.Width(), w),
                                                std::max<LONG>(client.Height(), h)));
    if (!picture) return 0;
    UniqueDC mem(CreateCompatibleDC(m_hClientDC));
    SelectObject(mem.get(), picture.get());
    DrawBackgroundCtrl(mem.get(), &rc);
    ctrl->DrawCtrl(mem.get(), POINT{0, 0});
    PaintDlg(mem.get(), &rc);
    BitBlt(m_hClientDC, rc.left, rc.top, w, h, mem.get(), 0, 0, SRCCOPY);
    return 1;
}

int CBmpDialog::CleanControl()
{
    for (auto it = m_vecCtrls.rbegin(); it != m_vecCtrls.rend(); ++it) {
        (*it)->Clean();
        (*it)->SetDrawEnable(0);
    }
    return 1;
}

// --- input -------------------------------------------------------------------------------------

int CBmpDialog::InputKey(UINT key, UINT repeat, UINT flags)
{
    const int handled = KeyDown(key, repeat, flags);
    if (handled == 0 && m_bRemoconProgram == 1 && (key == VK_RETURN || (key >= VK_LEFT && key <= VK_DOWN)))
        m_kInput.InputKey(static_cast<int>(key));
    return handled;
}

int CBmpDialog::SetFocusControl(CBmpCtrl* ctrl, int)
{
    return m_bRemoconProgram ? m_kInput.FocusChange(ctrl) : 0;
}

BOOL CBmpDialog::PreTranslateMessage(MSG* pMsg)
{
    const HWND hwnd = GetSafeHwnd();
    if (pMsg && pMsg->message == WM_KEYDOWN && hwnd && (pMsg->hwnd == hwnd || IsChild(hwnd, pMsg->hwnd))) {
        InputKey(static_cast<UINT>(pMsg->wParam), static_cast<UINT>(pMsg->lParam), static_cast<UINT>(pMsg->lParam));
        return TRUE;
    }
    return CResDialog::PreTranslateMessage(pMsg);
}

CBmpCtrl* CBmpDialog::HitTest(POINT pt, bool bEnabledOnly) const
{
    for (auto it = m_vecCtrls.rbegin(); it != m_vecCtrls.rend(); ++it) {
        CBmpCtrl* ctrl = *it;
        if (ctrl->GetVisibleCtrl() != 1) continue;
        if (bEnabledOnly && ctrl->GetDisableCtrl()) continue;
        if (ctrl->GetControlPos().Contains(pt)) return ctrl;
    }
    return nullptr;
}

void CBmpDialog::PlayEmptySpotSound() const
{
    const std::wstring* path = nullptr;
    if (m_nSoundState == 1) path = &m_strSoundFileTrue;
    else if (m_nSoundState == 2) path = &m_strSoundFileFalse;
    if (path && !path->empty()) g_kSndPlEffect.SndPlay(path->c_str(), nullptr, kSndAsync | kSndFileName);
}

void CBmpDialog::OnMouse(UINT message, UINT flags, POINT pt)
{
    if (m_bInputLock) return;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        m_pCaptured = nullptr;
        if (CBmpCtrl* hit = HitTest(pt, false)) {
            hit->SoundPlay();
            m_pCaptured = hit;
            const POINT rel = Relative(pt, hit->GetControlPos());
            if (message == WM_LBUTTONDOWN) hit->LButtonDown(flags, rel);
            else hit->LButtonDblClk(flags, rel);
            return;
        }
        if (message == WM_LBUTTONDOWN) {
            PlayEmptySpotSound();
            LButtonDown(flags, pt);
        } else {
            LButtonDblClk(flags, pt);
        }
        return;
    }
    case WM_LBUTTONUP:
        if (m_pCaptured) {
            m_pCaptured->LButtonUp(flags, Relative(pt, m_pCaptured->GetControlPos()));
            LButtonUp(flags, pt);
        } else if (CBmpCtrl* hit = HitTest(pt, true)) {
            hit->LButtonUp(flags, Relative(pt, hit->GetControlPos()));
        } else {
            LButtonUp(flags, pt);
        }
        return;
    case WM_MOUSEMOVE:
        if (m_pCaptured) {
            if (m_pCaptured->MouseMove(flags, Relative(pt, m_pCaptured->GetControlPos())) == 0) m_pCaptured = nullptr;
        } else if (CBmpCtrl* hit = HitTest(pt, true)) {
            hit->MouseMove(flags, Relative(pt, hit->GetControlPos()));
        }
        MouseMove(flags, pt);
        return;
    default: return;
    }
}

// --- messages ----------------------------------------------------------------------------------

BOOL CBmpDialog::OnInitDialog()
{
    CResDialog::OnInitDialog();
    const HWND hwnd = GetSafeHwnd();
    if (!m_hClientDC) m_hClientDC = GetDC(hwnd);
    GetClientRect(hwnd, &m_rcClient);
    m_kInput.SetControlArray(&m_vecCtrls);
    m_kInput.SetWindowRect(m_rcClient);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    return TRUE;
}

LRESULT CBmpDialog::OnControlInit(CBmpCtrl* ctrl)
{
    if (!ctrl) return -1;
    // Registered once: a second registration would record the parked place as its rectangle.
    if (std::find(m_vecCtrls.begin(), m_vecCtrls.end(), ctrl) != m_vecCtrls.end()) return 0;
    const HWND hwndCtrl = ctrl->GetSafeHwnd();
    RECT rc{};
    if (hwndCtrl) {
        GetWindowRect(hwndCtrl, &rc);
        POINT pts[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
        MapWindowPoints(nullptr, GetSafeHwnd(), pts, 2);
        rc = RECT{pts[0].x, pts[0].y, pts[1].x, pts[1].y};
    }
    ctrl->SetParentDlg(this);
    ctrl->SetControlPos(rc);
    ctrl->SetParentDC(m_hClientDC);
    if (hwndCtrl)
        MoveWindow(hwndCtrl, static_cast<int>(m_vecCtrls.size()) * 10 + kParkX, rc.top, 10, 10, FALSE);
    m_vecCtrls.push_back(ctrl);
    return 0;
}

LRESULT CBmpDialog::OnControlSelfDraw(HWND hwnd)
{
    if (!hwnd) return -1;
    m_vecSelfDrawn.push_back(hwnd);
    return 0;
}

void CBmpDialog::OnPaint()
{
    PAINTSTRUCT ps;
    BeginPaint(GetSafeHwnd(), &ps);
    Draw(1);
    EndPaint(GetSafeHwnd(), &ps);
    m_bInputLock = 0;
}

LRESULT CBmpDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_BCTRL_INIT: return OnControlInit(reinterpret_cast<CBmpCtrl*>(wParam));
    case WM_BCTRL_DESTROY: return 0;
    case WM_BCTRL_FOCUS: m_kInput.FocusChange(reinterpret_cast<CBmpCtrl*>(wParam)); return 0;
    case WM_BCTRL_FOCUSKILL: m_kInput.FocusKill(reinterpret_cast<CBmpCtrl*>(wParam)); return 0;
    case WM_BCTRL_SELFDRAW: return OnControlSelfDraw(reinterpret_cast<HWND>(wParam));
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE: OnMouse(message, static_cast<UINT>(wParam), MakePoint(lParam)); return 0;
    case WM_KEYDOWN:
        InputKey(static_cast<UINT>(wParam), static_cast<UINT>(lParam), static_cast<UINT>(lParam));
        return 0;
    case WM_KILLFOCUS:
        for (auto it = m_vecCtrls.rbegin(); it != m_vecCtrls.rend(); ++it) (*it)->Clean();
        return 0;
    case WM_DESTROY: {
        const LRESULT result = CResDialog::OnMessage(message, wParam, lParam);
        ReleaseResources();
        return result;
    }
    default: return CResDialog::OnMessage(message, wParam, lParam);
    }
}

// --- slide effects -----------------------------------------------------------------------------

int CBmpDialog::SetSlideWndMode(int enable, int hideEnable, int type, int transparent)
{
    if (!enable) {
        m_bSlideShow = 0;
        m_bSlideHide = 0;
        m_nShowType = 0;
        m_nSlideDirection = kSlideFromRight;
        m_bShown = 1;
        return 1;
    }
    m_bSlideShow = enable;
    m_bSlideHide = hideEnable;
    if (type > 2) {
        if (type >= kSlideFromRight && type <= kSlideFromTop) m_nSlideDirection = type;
        m_nShowType = 0;
    } else {
        m_nShowType = std::max(type, 0);
    }
    if (transparent) m_nShowType += 0x100;
    m_bShown = 0;
    return 1;
}

int CBmpDialog::SetSlideDirection(UINT dir, int enable, int hideEnable)
{
    if (dir < static_cast<UINT>(kSlideFromRight) || dir > static_cast<UINT>(kSlideFromTop)) return 0;
    m_bSlideShow = enable;
    m_bSlideHide = hideEnable;
    m_nShowType = 0;
    m_nSlideDirection = static_cast<int>(dir);
    return 1;
}

void CBmpDialog::DrawSlideStep(HDC picture, double fraction, bool bShowing)
{
    const int w = m_rcClient.Width();
    const int h = m_rcClient.Height();
    const bool bHorizontal = m_nSlideDirection == kSlideFromRight || m_nSlideDirection == kSlideFromLeft;
    const int vis = static_cast<int>((bHorizontal ? w : h) * fraction);
    // Where the visible part of the picture comes from and where it lands on the screen.
    int sx = 0, sy = 0, dx = 0, dy = 0, cx = w, cy = h;
    switch (m_nSlideDirection) {
    case kSlideFromLeft: sx = w - vis; cx = vis; break;
    case kSlideFromBottom: dy = h - vis; cy = vis; break;
    case kSlideFromTop: sy = h - vis; cy = vis; break;
    default: dx = w - vis; cx = vis; break;
    }
    // A client device context taken while the window was hidden keeps an empty clip until one is
    // selected; the full paint selects its own, the slide steps select the client area.
    UniqueRegion clip(CreateRectRgn(0, 0, w, h));
    SelectClipRgn(m_hClientDC, clip.get());
    if (!bShowing) FillSolidRect(m_hClientDC, &m_rcClient, m_clrBackground);
    if (m_nShowType & 0x100) TransparentBlt(m_hClientDC, dx, dy, cx, cy, picture, sx, sy, cx, cy, kSkinKeyColor);
    else BitBlt(m_hClientDC, dx, dy, cx, cy, picture, sx, sy, SRCCOPY);
    SelectClipRgn(m_hClientDC, nullptr);
}

int CBmpDialog::DrawBackgroundEx(HDC screen, HDC picture)
{
    if (!screen || !picture) return 0;
    BitBlt(picture, 0, 0, m_rcClient.Width(), m_rcClient.Height(), screen, 0, 0, SRCCOPY);
    if (m_kBackground.IsLoaded())
        m_kBackground.DrawTransparent(picture, m_ptBackground.x, m_ptBackground.y,
                                      static_cast<int>(m_kBackground.GetWidth()),
                                      static_cast<int>(m_kBackground.GetHeight()), kSkinKeyColor);
    return 1;
}

int CBmpDialog::DrawShowSliding(HDC picture, int step)
{
    if (!picture || !m_hClientDC || step < 0 || step >= static_cast<int>(std::size(kSlideFractions))) return 0;
    GetClientRect(GetSafeHwnd(), &m_rcClient);
    DrawSlideStep(picture, kSlideFractions[step], true);
    return 1;
}

int CBmpDialog::DrawHideSliding(int step)
{
    const int last = static_cast<int>(std::size(kSlideFractions)) - 1;
    if (!m_bmpSaved || !m_hClientDC || step < 0 || step > last) return 0;
    GetClientRect(GetSafeHwnd(), &m_rcClient);
    UniqueDC mem(CreateCompatibleDC(m_hClientDC));
    CSelectObject<HBITMAP> sel(mem.get(), m_bmpSaved.get());
    DrawSlideStep(mem.get(), kSlideFractions[last - step], false);
    return 1;
}

int CBmpDialog::SlideShowWnd(HDC picture)
{
    if (!picture || !m_hClientDC) return 0;
    for (int step = 0; step < static_cast<int>(std::size(kSlideFractions)); ++step) {
        DrawShowSliding(picture, step);
        std::this_thread::sleep_for(kSlideShowPause);
    }
    // Kept for the hide effect.
    const int w = m_rcClient.Width();
    const int h = m_rcClient.Height();
    m_bmpSaved.reset(CreateCompatibleBitmap(picture, w, h));
    if (m_bmpSaved) {
        UniqueDC mem(CreateCompatibleDC(picture));
        SelectObject(mem.get(), m_bmpSaved.get());
        BitBlt(mem.get(), 0, 0, w, h, picture, 0, 0, SRCCOPY);
    }
    return 1;
}

int CBmpDialog::SlideHideWnd()
{
    if (!m_bSlideHide || !m_bmpSaved || !m_hClientDC) return 0;
    for (int step = 0; step < static_cast<int>(std::size(kSlideFractions)); ++step) {
        DrawHideSliding(step);
        std::this_thread::sleep_for(kSlideHidePause);
    }
    return 1;
}

} // namespace zent
