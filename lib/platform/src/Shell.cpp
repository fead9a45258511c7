// What the native side shows besides the windows' pictures: pointer shapes, opacity, input
// shapes, window states, dragging, tool tips, and the modal native dialogs. Each call reaches the
// presenter of the calling thread's loop for the top-level window of hwnd.

#include "LoopCore.h"

#include <memory>

namespace zent {

using wnd::CLoopCore;
using wnd::CWindowRecord;

namespace {

// The loop of the calling thread and hwnd's top-level record, or nulls.
std::pair<CLoopCore*, CWindowRecord*> TopOf(HWND hwnd)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore || !pCore->Find(hwnd)) return {nullptr, nullptr};
    return {pCore, pCore->Find(pCore->Root(hwnd))};
}

// Disables the owner's top-level window for the life of a native modal dialog, as DoModal does,
// and gives it back its state and focus afterwards.
class COwnerDisabled {
public:
    COwnerDisabled(CLoopCore& core, HWND hwndOwner) : m_core(core)
    {
        m_hwndTop = hwndOwner ? core.Root(hwndOwner) : nullptr;
        m_hwndFocus = core.GetFocus();
        if (m_hwndTop && core.IsEnabled(m_hwndTop)) {
            core.EnableWindow(m_hwndTop, FALSE);
            m_bReenable = true;
        }
    }
    ~COwnerDisabled()
    {
        if (m_bReenable && m_core.Find(m_hwndTop)) m_core.EnableWindow(m_hwndTop, TRUE);
        if (m_hwndFocus && m_core.Find(m_hwndFocus) && m_core.IsEnabled(m_hwndFocus)) m_core.SetFocus(m_hwndFocus);
    }
    COwnerDisabled(const COwnerDisabled&) = delete;
    COwnerDisabled& operator=(const COwnerDisabled&) = delete;

private:
    CLoopCore& m_core;
    HWND m_hwndTop = nullptr;
    HWND m_hwndFocus = nullptr;
    bool m_bReenable = false;
};

} // namespace

BOOL SetWindowCursor(HWND hwnd, CursorShape shape)
{
    auto [pCore, pTop] = TopOf(hwnd);
    if (!pTop) return FALSE;
    pCore->Presenter().SetCursor(pTop->hwnd, shape);
    return TRUE;
}

BOOL PresentNativePicture(HWND hwnd, const std::uint32_t* pPixels, int nWidth, int nHeight)
{
    CLoopCore* pCore = CLoopCore::Current();
    CWindowRecord* pRec = pCore ? pCore->Find(hwnd) : nullptr;
    if (!pRec || !pRec->bNative) return FALSE;
    pCore->Presenter().PresentNativePicture(hwnd, pPixels, nWidth, nHeight);
    return TRUE;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE bAlpha, DWORD dwFlags)
{
    CLoopCore* pCore = CLoopCore::Current();
    CWindowRecord* pRec = pCore ? pCore->Find(hwnd) : nullptr;
    // Colour keys would need a shape from the picture; nothing here asks for one.
    if (!pRec || !pRec->IsTopLevel() || (dwFlags & LWA_COLORKEY)) return FALSE;
    pRec->dwExStyle |= WS_EX_LAYERED;
    if (dwFlags & LWA_ALPHA) pCore->Presenter().SetOpacity(hwnd, bAlpha);
    return TRUE;
}

BOOL SetWindowInputShape(HWND hwnd, const std::vector<RECT>& vecRects)
{
    CLoopCore* pCore = CLoopCore::Current();
    CWindowRecord* pRec = pCore ? pCore->Find(hwnd) : nullptr;
    if (!pRec || !pRec->IsTopLevel()) return FALSE;
    const RECT rcClient{0, 0, pRec->Width(), pRec->Height()};
    std::vector<RECT> vecClipped;
    for (const RECT& rc : vecRects) {
        const RECT rcIn = wnd::IntersectRc(rc, rcClient);
        if (!rcIn.IsEmpty()) vecClipped.push_back(rcIn);
    }
    // Rectangles that all fell outside leave nothing to click, which differs from "no shape".
    if (!vecRects.empty() && vecClipped.empty()) vecClipped.push_back(RECT{0, 0, 0, 0});
    pCore->Presenter().SetInputShape(hwnd, vecClipped);
    return TRUE;
}

BOOL SetWindowState(HWND hwnd, WindowState state)
{
    CLoopCore* pCore = CLoopCore::Current();
    CWindowRecord* pRec = pCore ? pCore->Find(hwnd) : nullptr;
    if (!pRec || !pRec->IsTopLevel()) return FALSE;
    pRec->windowState = state;
    pCore->Presenter().SetWindowState(hwnd, state);
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    auto [pCore, pTop] = TopOf(hwnd);
    if (!pTop) return FALSE;
    if (pTop->windowState == WindowState::Minimized) {
        pTop->windowState = WindowState::Normal;
        pCore->Presenter().SetWindowState(pTop->hwnd, WindowState::Normal);
    }
    pCore->Presenter().Activate(pTop->hwnd);
    return TRUE;
}

WindowState GetWindowState(HWND hwnd)
{
    CLoopCore* pCore = CLoopCore::Current();
    const CWindowRecord* pRec = pCore ? pCore->Find(hwnd) : nullptr;
    return pRec && pRec->IsTopLevel() ? pRec->windowState : WindowState::Normal;
}

BOOL BeginWindowDrag(HWND hwnd)
{
    auto [pCore, pTop] = TopOf(hwnd);
    if (!pTop) return FALSE;
    if (pCore->GetCapture()) pCore->ReleaseCapture();
    pCore->Presenter().BeginWindowDrag(pTop->hwnd, pCore->LastMousePoint());
    return TRUE;
}

BOOL ShowToolTip(HWND hwnd, std::wstring_view text, POINT ptClient)
{
    auto [pCore, pTop] = TopOf(hwnd);
    if (!pTop) return FALSE;
    const POINT org = pCore->OriginOnScreen(hwnd);
    pCore->Presenter().ShowToolTip(pTop->hwnd, text, POINT{ptClient.x + org.x, ptClient.y + org.y});
    return TRUE;
}

int MessageBox(HWND hwnd, std::wstring_view text, std::wstring_view caption, UINT uType)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore) return 0;
    // Shared with the callback, which may run after a quit has ended the wait.
    auto pAnswer = std::make_shared<std::optional<int>>();
    MessageBoxRequest request;
    request.hwndOwner = pCore->Find(hwnd) ? pCore->Root(hwnd) : nullptr;
    request.strText = std::wstring(text);
    request.strCaption = std::wstring(caption);
    request.uType = uType;
    COwnerDisabled owner(*pCore, request.hwndOwner);
    pCore->Presenter().ShowMessageBox(request, [pAnswer](int nResult) { *pAnswer = nResult; });
    if (!pCore->RunModalUntil([&] { return pAnswer->has_value(); })) return 0;
    return **pAnswer;
}

std::optional<std::wstring> BrowseForFolder(HWND hwnd, std::wstring_view title, std::wstring_view initialFolder)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore) return std::nullopt;
    struct SAnswer {
        bool bDone = false;
        std::optional<std::wstring> folder;
    };
    auto pAnswer = std::make_shared<SAnswer>();
    const HWND hwndOwner = pCore->Find(hwnd) ? pCore->Root(hwnd) : nullptr;
    COwnerDisabled owner(*pCore, hwndOwner);
    pCore->Presenter().ChooseFolder(hwndOwner, title, initialFolder, [pAnswer](std::optional<std::wstring> folder) {
        pAnswer->folder = std::move(folder);
        pAnswer->bDone = true;
    });
    if (!pCore->RunModalUntil([&] { return pAnswer->bDone; })) return std::nullopt;
    return pAnswer->folder;
}

} // namespace zent
