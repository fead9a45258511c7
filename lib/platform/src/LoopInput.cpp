// Turning the presenter's raw input into mouse and key messages: mouse input goes to the capture
// or to the window under the point, keys to the focus; disabled windows take nothing. Events are
// routed one at a time, just before their messages are dispatched, so that a press whose handler
// takes the capture has the moves that follow it routed to the capture.

#include "LoopCore.h"

namespace zent::wnd {

namespace {

UINT ButtonVirtKey(MouseButton button)
{
    switch (button) {
    case MouseButton::Left: return VK_LBUTTON;
    case MouseButton::Right: return VK_RBUTTON;
    case MouseButton::Middle: return VK_MBUTTON;
    case MouseButton::None: break;
    }
    return 0;
}

UINT MouseMessage(InputKind kind, MouseButton button)
{
    // Down, up and double click of each button are consecutive message numbers.
    UINT nBase = 0;
    switch (button) {
    case MouseButton::Left: nBase = WM_LBUTTONDOWN; break;
    case MouseButton::Right: nBase = WM_RBUTTONDOWN; break;
    case MouseButton::Middle: nBase = WM_MBUTTONDOWN; break;
    case MouseButton::None: return 0;
    }
    switch (kind) {
    case InputKind::ButtonDown: return nBase;
    case InputKind::ButtonUp: return nBase + 1;
    case InputKind::ButtonDoubleClick: return nBase + 2;
    default: return 0;
    }
}

} // namespace

bool CLoopCore::TakeInput()
{
    std::vector<InputEvent> vecEvents;
    m_pPresenter->TakeInput(vecEvents);
    for (const InputEvent& ev : vecEvents) m_dqRawInput.push_back(ev);
    return !vecEvents.empty();
}

SHORT CLoopCore::GetKeyState(int nVirtKey) const
{
    if (nVirtKey < 0 || nVirtKey >= static_cast<int>(m_arrKeyDown.size())) return 0;
    return m_arrKeyDown[static_cast<std::size_t>(nVirtKey)] ? static_cast<SHORT>(0x8000) : 0;
}

void CLoopCore::RouteInput(const InputEvent& ev)
{
    const DWORD dwTime = NowMillis();
    switch (ev.kind) {
    case InputKind::KeyDown:
    case InputKind::KeyUp:
    case InputKind::Char: {
        bool bWasDown = false;
        if (ev.kind != InputKind::Char && ev.nVirtKey < m_arrKeyDown.size()) {
            bWasDown = m_arrKeyDown[ev.nVirtKey];
            m_arrKeyDown[ev.nVirtKey] = ev.kind == InputKind::KeyDown;
        }
        const HWND hwndTop = Root(ev.hwnd);
        if (!hwndTop) return;
        const HWND hwndTarget = (m_hwndFocus && Root(m_hwndFocus) == hwndTop) ? m_hwndFocus : hwndTop;
        if (!IsEnabled(hwndTarget)) return;
        const POINT ptMouse = OriginOnScreen(hwndTop);
        if (ev.kind == InputKind::KeyDown) {
            // Bit 30: the key was already down (auto-repeat); repeat count 1.
            const LPARAM lParam = 1 | (bWasDown ? (LPARAM{1} << 30) : 0);
            m_dqInputMsgs.push_back(MSG{hwndTarget, WM_KEYDOWN, ev.nVirtKey, lParam, dwTime, ptMouse});
        } else if (ev.kind == InputKind::KeyUp) {
            const LPARAM lParam = 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31);
            m_dqInputMsgs.push_back(MSG{hwndTarget, WM_KEYUP, ev.nVirtKey, lParam, dwTime, ptMouse});
        } else if (ev.chChar > 0xFFFF && ev.chChar <= 0x10FFFF) {
            // Characters beyond the first plane arrive as two UTF-16 units, as on Win32.
            const char32_t v = ev.chChar - 0x10000;
            m_dqInputMsgs.push_back(MSG{hwndTarget, WM_CHAR, static_cast<WPARAM>(0xD800 + (v >> 10)), 1, dwTime, ptMouse});
            m_dqInputMsgs.push_back(MSG{hwndTarget, WM_CHAR, static_cast<WPARAM>(0xDC00 + (v & 0x3FF)), 1, dwTime, ptMouse});
        } else if (ev.chChar <= 0xFFFF) {
            m_dqInputMsgs.push_back(MSG{hwndTarget, WM_CHAR, static_cast<WPARAM>(ev.chChar), 1, dwTime, ptMouse});
        }
        return;
    }
    case InputKind::WindowMoved: {
        // The native side moved or resized the window itself: the record follows, with the
        // usual WM_MOVE and WM_SIZE. Only a top-level window can be moved this way.
        const CWindowRecord* pRec = Find(ev.hwnd);
        if (!pRec || !pRec->IsTopLevel() || ev.rcWindow.IsEmpty() || ev.rcWindow == pRec->rc) return;
        SetWindowPos(ev.hwnd, nullptr, ev.rcWindow.left, ev.rcWindow.top, ev.rcWindow.Width(), ev.rcWindow.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    case InputKind::CloseRequest: {
        const CWindowRecord* pRec = Find(ev.hwnd);
        if (pRec && pRec->IsTopLevel()) m_dqInputMsgs.push_back(MSG{ev.hwnd, WM_CLOSE, 0, 0, dwTime, m_ptMouse});
        return;
    }
    case InputKind::MouseMove:
    case InputKind::ButtonDown:
    case InputKind::ButtonUp:
    case InputKind::ButtonDoubleClick:
    case InputKind::Wheel: break;
    }

    // The physical buttons change even when nobody receives the event.
    if (const UINT nVk = ButtonVirtKey(ev.button); nVk != 0) {
        if (ev.kind == InputKind::ButtonDown || ev.kind == InputKind::ButtonDoubleClick) m_arrKeyDown[nVk] = true;
        if (ev.kind == InputKind::ButtonUp) m_arrKeyDown[nVk] = false;
    }
    if (!Find(ev.hwnd)) return;
    const POINT org = OriginOnScreen(ev.hwnd);
    const POINT ptScreen{ev.pt.x + org.x, ev.pt.y + org.y};
    m_ptMouse = ptScreen;

    HWND hwndTarget = m_hwndCapture;
    if (!hwndTarget) {
        // The deepest visible child under the point; a disabled one hands the input to its
        // parent, as a click on a disabled control reaches the dialog.
        const HWND hwndTop = Root(ev.hwnd);
        const CWindowRecord* pTop = Find(hwndTop);
        if (!pTop || !IsVisible(hwndTop) || (pTop->dwStyle & WS_DISABLED)) return;
        if (!pTop->rc.Contains(ptScreen)) return;
        hwndTarget = hwndTop;
        POINT pt{ptScreen.x - pTop->rc.left, ptScreen.y - pTop->rc.top};
        for (bool bDeeper = true; bDeeper;) {
            bDeeper = false;
            const CWindowRecord* pRec = Find(hwndTarget);
            for (auto it = pRec->vecChildren.rbegin(); it != pRec->vecChildren.rend(); ++it) {
                const CWindowRecord* pChild = Find(*it);
                if (!pChild || !(pChild->dwStyle & WS_VISIBLE) || !pChild->rc.Contains(pt)) continue;
                if (pChild->dwStyle & WS_DISABLED) break;
                hwndTarget = *it;
                pt.x -= pChild->rc.left;
                pt.y -= pChild->rc.top;
                bDeeper = true;
                break;
            }
        }
    } else if (!IsEnabled(hwndTarget)) {
        return;
    }

    WPARAM wKeys = 0;
    if (m_arrKeyDown[VK_LBUTTON]) wKeys |= MK_LBUTTON;
    if (m_arrKeyDown[VK_RBUTTON]) wKeys |= MK_RBUTTON;
    if (m_arrKeyDown[VK_MBUTTON]) wKeys |= MK_MBUTTON;
    if (m_arrKeyDown[VK_SHIFT]) wKeys |= MK_SHIFT;
    if (m_arrKeyDown[VK_CONTROL]) wKeys |= MK_CONTROL;

    if (ev.kind == InputKind::Wheel) {
        // Wheel messages carry screen coordinates.
        m_dqInputMsgs.push_back(MSG{hwndTarget, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(wKeys), ev.nWheelDelta),
                      MAKELPARAM(ptScreen.x, ptScreen.y), dwTime, ptScreen});
        return;
    }
    const POINT orgTarget = OriginOnScreen(hwndTarget);
    const LPARAM lParam = MAKELPARAM(ptScreen.x - orgTarget.x, ptScreen.y - orgTarget.y);
    const UINT nMessage = ev.kind == InputKind::MouseMove ? WM_MOUSEMOVE : MouseMessage(ev.kind, ev.button);
    if (nMessage == 0) return;
    m_dqInputMsgs.push_back(MSG{hwndTarget, nMessage, wKeys, lParam, dwTime, ptScreen});
}

} // namespace zent::wnd
