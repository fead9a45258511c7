#include <zent/platform/headless/HeadlessPresenter.h>

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Window.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace zent {

namespace {

struct CNative {
    bool bTopLevel = false;
    HWND hwndTop = nullptr;
    RECT rc{};
    int nShowCmd = SW_HIDE;
    int nPresents = 0;
    RECT rcLastPresent{};
    // Native children with a picture of their own: the caller's memory, valid until its next call.
    int nNativePictures = 0;
    const std::uint32_t* pNativePixels = nullptr;
    int nNativeWidth = 0;
    int nNativeHeight = 0;
    UniqueBitmap pScreen; // top-level windows: what has been presented
    CursorShape cursor = CursorShape::Arrow;
    BYTE nAlpha = 255;
    std::vector<RECT> vecInputShape;
    bool bTopMost = false;
    WindowState state = WindowState::Normal;
    RECT rcNormal{}; // where a maximised or full-screen window goes back to
    int nDrags = 0;
    POINT ptDrag{};
    std::wstring strToolTip;
    std::wstring strTitle;
    int nActivations = 0;
    POINT ptToolTip{};
};

int CautiousButton(UINT uType)
{
    switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
    }
}

} // namespace

struct CHeadlessPresenter::CState {
    explicit CState(ClockMode mode) : clockMode(mode) {}

    const ClockMode clockMode;

    std::mutex mutex;
    std::condition_variable cv;          // wakes WaitForWork: Wake, input, clock moved
    bool bWoken = false;                 // guarded by mutex
    bool bAutoAdvance = false;           // guarded by mutex
    TimePoint manualNow{};               // guarded by mutex
    std::deque<InputEvent> dqInput;      // guarded by mutex
    std::deque<int> dqBoxReplies;        // guarded by mutex
    std::deque<std::optional<std::wstring>> dqFolderReplies; // guarded by mutex
    std::vector<MessageBoxRequest> vecBoxes; // guarded by mutex
    std::vector<std::wstring> vecFolderTitles; // guarded by mutex

    std::unordered_map<HWND, CNative> mapNatives; // GUI thread only
};

CHeadlessPresenter::CHeadlessPresenter(ClockMode mode) : m_pState(std::make_unique<CState>(mode)) {}

CHeadlessPresenter::~CHeadlessPresenter() = default;

TimePoint CHeadlessPresenter::Now() const
{
    if (m_pState->clockMode == ClockMode::Real) return std::chrono::steady_clock::now();
    std::lock_guard lock(m_pState->mutex);
    return m_pState->manualNow;
}

void CHeadlessPresenter::Wake()
{
    {
        std::lock_guard lock(m_pState->mutex);
        m_pState->bWoken = true;
    }
    m_pState->cv.notify_all();
}

void CHeadlessPresenter::WaitForWork(std::optional<TimePoint> deadline)
{
    CState& s = *m_pState;
    std::unique_lock lock(s.mutex);
    const auto fnReady = [&] {
        if (s.bWoken || !s.dqInput.empty()) return true;
        return s.clockMode == ClockMode::Manual && deadline && s.manualNow >= *deadline;
    };
    if (!fnReady() && s.clockMode == ClockMode::Manual && deadline && s.bAutoAdvance) s.manualNow = *deadline;
    if (s.clockMode == ClockMode::Real && deadline)
        s.cv.wait_until(lock, *deadline, fnReady);
    else
        s.cv.wait(lock, fnReady);
    s.bWoken = false;
}

void CHeadlessPresenter::TakeInput(std::vector<InputEvent>& vecOut)
{
    std::lock_guard lock(m_pState->mutex);
    for (const InputEvent& ev : m_pState->dqInput) vecOut.push_back(ev);
    m_pState->dqInput.clear();
}

void CHeadlessPresenter::CreateTopLevel(HWND hwnd, const RECT& rcScreen, DWORD, DWORD dwExStyle)
{
    CNative& n = m_pState->mapNatives[hwnd];
    n.bTopLevel = true;
    n.hwndTop = hwnd;
    n.rc = rcScreen;
    n.bTopMost = (dwExStyle & WS_EX_TOPMOST) != 0;
}

void CHeadlessPresenter::CreateNativeChild(HWND hwnd, HWND hwndTop, const RECT& rcInTop)
{
    CNative& n = m_pState->mapNatives[hwnd];
    n.hwndTop = hwndTop;
    n.rc = rcInTop;
}

void CHeadlessPresenter::DestroyNative(HWND hwnd)
{
    m_pState->mapNatives.erase(hwnd);
}

void CHeadlessPresenter::MoveNative(HWND hwnd, const RECT& rc)
{
    auto it = m_pState->mapNatives.find(hwnd);
    if (it != m_pState->mapNatives.end()) it->second.rc = rc;
}

void CHeadlessPresenter::ShowNative(HWND hwnd, int nCmdShow)
{
    auto it = m_pState->mapNatives.find(hwnd);
    if (it == m_pState->mapNatives.end()) return;
    it->second.nShowCmd = nCmdShow;
    if (!it->second.bTopLevel) return;
    // The window states the show commands stand for, as the GTK side honours them.
    switch (nCmdShow) {
    case SW_SHOWMAXIMIZED: SetWindowState(hwnd, WindowState::Maximized); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: SetWindowState(hwnd, WindowState::Minimized); break;
    case SW_RESTORE:
    case SW_SHOWNORMAL: SetWindowState(hwnd, WindowState::Normal); break;
    default: break;
    }
}

void CHeadlessPresenter::Present(HWND hwndTop, HBITMAP hPicture, const RECT& rcDirty)
{
    auto it = m_pState->mapNatives.find(hwndTop);
    BITMAP bm{};
    if (it == m_pState->mapNatives.end() || !hPicture || !GetObject(hPicture, &bm)) return;
    CNative& n = it->second;
    BITMAP bmScreen{};
    if (!n.pScreen || !GetObject(n.pScreen.get(), &bmScreen) || bmScreen.bmWidth != bm.bmWidth ||
        bmScreen.bmHeight != bm.bmHeight) {
        n.pScreen.reset(CreateDIBSection(nullptr, bm.bmWidth, bm.bmHeight, nullptr));
        if (!n.pScreen) return;
    }
    const int nLeft = std::max<int>(rcDirty.left, 0);
    const int nRight = std::min<int>(rcDirty.right, bm.bmWidth);
    for (int y = std::max<int>(rcDirty.top, 0); y < std::min<int>(rcDirty.bottom, bm.bmHeight) && nLeft < nRight; ++y)
        std::memcpy(GetBitmapRow(n.pScreen.get(), y) + nLeft, GetBitmapRow(hPicture, y) + nLeft,
                    static_cast<std::size_t>(nRight - nLeft) * sizeof(std::uint32_t));
    ++n.nPresents;
    n.rcLastPresent = rcDirty;
}

namespace {

// A top-level record of the map, or null.
template <typename Map>
auto* TopRecord(Map& map, HWND hwndTop)
{
    auto it = map.find(hwndTop);
    return it != map.end() && it->second.bTopLevel ? &it->second : nullptr;
}

} // namespace

void CHeadlessPresenter::SetCursor(HWND hwndTop, CursorShape shape)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) p->cursor = shape;
}

void CHeadlessPresenter::SetOpacity(HWND hwndTop, BYTE nAlpha)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) p->nAlpha = nAlpha;
}

void CHeadlessPresenter::SetInputShape(HWND hwndTop, const std::vector<RECT>& vecRects)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) p->vecInputShape = vecRects;
}

void CHeadlessPresenter::SetTopMost(HWND hwndTop, bool bTopMost)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) p->bTopMost = bTopMost;
}

void CHeadlessPresenter::SetWindowState(HWND hwndTop, WindowState state)
{
    CNative* p = TopRecord(m_pState->mapNatives, hwndTop);
    if (!p || p->state == state) return;
    if (p->state == WindowState::Normal) p->rcNormal = p->rc;
    p->state = state;
    RECT rcNew = p->rc;
    if (state == WindowState::Maximized || state == WindowState::FullScreen)
        rcNew = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    else if (state == WindowState::Normal)
        rcNew = p->rcNormal;
    if (rcNew == p->rc) return;
    p->rc = rcNew;
    InputEvent ev;
    ev.kind = InputKind::WindowMoved;
    ev.hwnd = hwndTop;
    ev.rcWindow = rcNew;
    Inject(ev);
}

void CHeadlessPresenter::BeginWindowDrag(HWND hwndTop, POINT ptScreen)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) {
        ++p->nDrags;
        p->ptDrag = ptScreen;
    }
}

void CHeadlessPresenter::ShowToolTip(HWND hwndTop, std::wstring_view text, POINT ptScreen)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) {
        p->strToolTip = std::wstring(text);
        p->ptToolTip = ptScreen;
    }
}

void CHeadlessPresenter::ShowMessageBox(const MessageBoxRequest& request, MessageBoxDone fnDone)
{
    int nResult = CautiousButton(request.uType);
    {
        std::lock_guard lock(m_pState->mutex);
        m_pState->vecBoxes.push_back(request);
        if (!m_pState->dqBoxReplies.empty()) {
            nResult = m_pState->dqBoxReplies.front();
            m_pState->dqBoxReplies.pop_front();
        }
    }
    if (fnDone) fnDone(nResult);
}

void CHeadlessPresenter::ChooseFolder(HWND, std::wstring_view title, std::wstring_view, FolderDone fnDone)
{
    std::optional<std::wstring> folder;
    {
        std::lock_guard lock(m_pState->mutex);
        m_pState->vecFolderTitles.emplace_back(title);
        if (!m_pState->dqFolderReplies.empty()) {
            folder = std::move(m_pState->dqFolderReplies.front());
            m_pState->dqFolderReplies.pop_front();
        }
    }
    if (fnDone) fnDone(std::move(folder));
}

void CHeadlessPresenter::ScriptMessageBoxReply(int nResult)
{
    std::lock_guard lock(m_pState->mutex);
    m_pState->dqBoxReplies.push_back(nResult);
}

void CHeadlessPresenter::ScriptFolderReply(std::optional<std::wstring> folder)
{
    std::lock_guard lock(m_pState->mutex);
    m_pState->dqFolderReplies.push_back(std::move(folder));
}

std::vector<MessageBoxRequest> CHeadlessPresenter::GetMessageBoxes() const
{
    std::lock_guard lock(m_pState->mutex);
    return m_pState->vecBoxes;
}

std::vector<std::wstring> CHeadlessPresenter::GetFolderTitles() const
{
    std::lock_guard lock(m_pState->mutex);
    return m_pState->vecFolderTitles;
}

CursorShape CHeadlessPresenter::GetCursor(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->cursor : CursorShape::Arrow;
}

BYTE CHeadlessPresenter::GetOpacity(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->nAlpha : BYTE{255};
}

std::vector<RECT> CHeadlessPresenter::GetInputShape(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->vecInputShape : std::vector<RECT>{};
}

bool CHeadlessPresenter::IsTopMost(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p && p->bTopMost;
}

WindowState CHeadlessPresenter::GetWindowState(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->state : WindowState::Normal;
}

int CHeadlessPresenter::GetDragCount(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->nDrags : 0;
}

POINT CHeadlessPresenter::GetLastDragPoint(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->ptDrag : POINT{};
}

void CHeadlessPresenter::SetTitle(HWND hwndTop, std::wstring_view title)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) p->strTitle = std::wstring(title);
}

void CHeadlessPresenter::Activate(HWND hwndTop)
{
    if (auto* p = TopRecord(m_pState->mapNatives, hwndTop)) ++p->nActivations;
}

std::wstring CHeadlessPresenter::GetTitle(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->strTitle : std::wstring{};
}

int CHeadlessPresenter::GetActivateCount(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->nActivations : 0;
}

std::wstring CHeadlessPresenter::GetToolTip(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->strToolTip : std::wstring{};
}

POINT CHeadlessPresenter::GetToolTipPoint(HWND hwndTop) const
{
    const auto* p = TopRecord(m_pState->mapNatives, hwndTop);
    return p ? p->ptToolTip : POINT{};
}

void CHeadlessPresenter::AdvanceClock(std::chrono::milliseconds duration)
{
    if (m_pState->clockMode != ClockMode::Manual) return;
    {
        std::lock_guard lock(m_pState->mutex);
        m_pState->manualNow += duration;
    }
    m_pState->cv.notify_all();
}

void CHeadlessPresenter::SetAutoAdvance(bool bAutoAdvance)
{
    {
        std::lock_guard lock(m_pState->mutex);
        m_pState->bAutoAdvance = bAutoAdvance;
    }
    m_pState->cv.notify_all();
}

void CHeadlessPresenter::Inject(const InputEvent& ev)
{
    {
        std::lock_guard lock(m_pState->mutex);
        m_pState->dqInput.push_back(ev);
    }
    m_pState->cv.notify_all();
}

namespace {

InputEvent MouseEvent(InputKind kind, HWND hwnd, POINT pt, MouseButton button = MouseButton::None)
{
    InputEvent ev;
    ev.kind = kind;
    ev.hwnd = hwnd;
    ev.pt = pt;
    ev.button = button;
    return ev;
}

InputEvent KeyEvent(InputKind kind, HWND hwnd, UINT nVirtKey)
{
    InputEvent ev;
    ev.kind = kind;
    ev.hwnd = hwnd;
    ev.nVirtKey = nVirtKey;
    return ev;
}

} // namespace

void CHeadlessPresenter::InjectMouseMove(HWND hwnd, POINT pt)
{
    Inject(MouseEvent(InputKind::MouseMove, hwnd, pt));
}

void CHeadlessPresenter::InjectButtonDown(HWND hwnd, POINT pt, MouseButton button)
{
    Inject(MouseEvent(InputKind::ButtonDown, hwnd, pt, button));
}

void CHeadlessPresenter::InjectButtonUp(HWND hwnd, POINT pt, MouseButton button)
{
    Inject(MouseEvent(InputKind::ButtonUp, hwnd, pt, button));
}

void CHeadlessPresenter::InjectClick(HWND hwnd, POINT pt, MouseButton button)
{
    InjectButtonDown(hwnd, pt, button);
    InjectButtonUp(hwnd, pt, button);
}

void CHeadlessPresenter::InjectDoubleClick(HWND hwnd, POINT pt, MouseButton button)
{
    InjectClick(hwnd, pt, button);
    Inject(MouseEvent(InputKind::ButtonDoubleClick, hwnd, pt, button));
    InjectButtonUp(hwnd, pt, button);
}

void CHeadlessPresenter::InjectDrag(HWND hwnd, POINT ptFrom, POINT ptTo, int nSteps, MouseButton button)
{
    nSteps = std::max(nSteps, 1);
    InjectButtonDown(hwnd, ptFrom, button);
    for (int i = 1; i <= nSteps; ++i) {
        const POINT pt{ptFrom.x + (ptTo.x - ptFrom.x) * i / nSteps, ptFrom.y + (ptTo.y - ptFrom.y) * i / nSteps};
        InjectMouseMove(hwnd, pt);
    }
    InjectButtonUp(hwnd, ptTo, button);
}

void CHeadlessPresenter::InjectWheel(HWND hwnd, POINT pt, int nDelta)
{
    InputEvent ev = MouseEvent(InputKind::Wheel, hwnd, pt);
    ev.nWheelDelta = nDelta;
    Inject(ev);
}

void CHeadlessPresenter::InjectKeyDown(HWND hwnd, UINT nVirtKey)
{
    Inject(KeyEvent(InputKind::KeyDown, hwnd, nVirtKey));
}

void CHeadlessPresenter::InjectKeyUp(HWND hwnd, UINT nVirtKey)
{
    Inject(KeyEvent(InputKind::KeyUp, hwnd, nVirtKey));
}

void CHeadlessPresenter::InjectKey(HWND hwnd, UINT nVirtKey)
{
    InjectKeyDown(hwnd, nVirtKey);
    InjectKeyUp(hwnd, nVirtKey);
}

void CHeadlessPresenter::InjectChar(HWND hwnd, char32_t ch)
{
    InputEvent ev;
    ev.kind = InputKind::Char;
    ev.hwnd = hwnd;
    ev.chChar = ch;
    Inject(ev);
}

void CHeadlessPresenter::InjectText(HWND hwnd, std::u32string_view text)
{
    for (char32_t ch : text) InjectChar(hwnd, ch);
}

void CHeadlessPresenter::InjectCloseRequest(HWND hwnd)
{
    InputEvent ev;
    ev.kind = InputKind::CloseRequest;
    ev.hwnd = hwnd;
    Inject(ev);
}

bool CHeadlessPresenter::HasNative(HWND hwnd) const
{
    return m_pState->mapNatives.count(hwnd) != 0;
}

bool CHeadlessPresenter::IsNativeVisible(HWND hwnd) const
{
    auto it = m_pState->mapNatives.find(hwnd);
    return it != m_pState->mapNatives.end() && it->second.nShowCmd != SW_HIDE;
}

int CHeadlessPresenter::GetNativeShowCommand(HWND hwnd) const
{
    auto it = m_pState->mapNatives.find(hwnd);
    return it == m_pState->mapNatives.end() ? SW_HIDE : it->second.nShowCmd;
}

RECT CHeadlessPresenter::GetNativeRect(HWND hwnd) const
{
    auto it = m_pState->mapNatives.find(hwnd);
    return it == m_pState->mapNatives.end() ? RECT{} : it->second.rc;
}

void CHeadlessPresenter::PresentNativePicture(HWND hwnd, const std::uint32_t* pPixels, int nWidth, int nHeight)
{
    auto it = m_pState->mapNatives.find(hwnd);
    if (it == m_pState->mapNatives.end() || it->second.bTopLevel) return;
    CNative& n = it->second;
    const bool bShown = pPixels && nWidth > 0 && nHeight > 0;
    n.pNativePixels = bShown ? pPixels : nullptr;
    n.nNativeWidth = bShown ? nWidth : 0;
    n.nNativeHeight = bShown ? nHeight : 0;
    ++n.nNativePictures;
}

int CHeadlessPresenter::GetNativePictureCount(HWND hwnd) const
{
    auto it = m_pState->mapNatives.find(hwnd);
    return it == m_pState->mapNatives.end() ? 0 : it->second.nNativePictures;
}

std::uint32_t CHeadlessPresenter::GetNativePicturePixel(HWND hwnd, int x, int y) const
{
    auto it = m_pState->mapNatives.find(hwnd);
    if (it == m_pState->mapNatives.end()) return 0xFFFFFFFFu;
    const CNative& n = it->second;
    if (!n.pNativePixels || x < 0 || y < 0 || x >= n.nNativeWidth || y >= n.nNativeHeight) return 0xFFFFFFFFu;
    return n.pNativePixels[static_cast<std::size_t>(y) * n.nNativeWidth + x] & 0xFFFFFFu;
}

int CHeadlessPresenter::GetPresentCount(HWND hwndTop) const
{
    auto it = m_pState->mapNatives.find(hwndTop);
    return it == m_pState->mapNatives.end() ? 0 : it->second.nPresents;
}

RECT CHeadlessPresenter::GetLastPresentRect(HWND hwndTop) const
{
    auto it = m_pState->mapNatives.find(hwndTop);
    return it == m_pState->mapNatives.end() ? RECT{} : it->second.rcLastPresent;
}

HBITMAP CHeadlessPresenter::GetScreen(HWND hwndTop) const
{
    auto it = m_pState->mapNatives.find(hwndTop);
    return it == m_pState->mapNatives.end() ? nullptr : it->second.pScreen.get();
}

COLORREF CHeadlessPresenter::GetScreenPixel(HWND hwndTop, int x, int y) const
{
    const HBITMAP hScreen = GetScreen(hwndTop);
    BITMAP bm{};
    if (!hScreen || !GetObject(hScreen, &bm) || x < 0 || x >= bm.bmWidth) return 0xFFFFFFFF;
    const std::uint32_t* pRow = GetBitmapRow(hScreen, y);
    if (!pRow) return 0xFFFFFFFF;
    // Bytes B, G, R, X in memory: 0xXXRRGGBB as a number, red and blue swapped against COLORREF.
    const std::uint32_t px = pRow[x];
    return RGB(static_cast<int>((px >> 16) & 0xFF), static_cast<int>((px >> 8) & 0xFF), static_cast<int>(px & 0xFF));
}

} // namespace zent
