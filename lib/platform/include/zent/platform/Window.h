#pragma once

// Windows: handles, window procedures and the Win32 window functions the program uses.
//
// A window belongs to the message loop of the thread that created it (MessageLoop.h) and is used
// on that thread only. The exceptions, safe from any thread, are IsWindow, PostMessage and
// SendMessage (which runs the procedure on the window's thread and waits for its result). Every
// other function called from another thread fails, as if the window did not exist.
//
// Handles are never reused: a handle that was destroyed stays invalid for the life of the process,
// so a late PostMessage to it is dropped instead of reaching a newer window.
//
// Windows have no frame: a window's client area is the whole window. A top-level window is
// placed in screen coordinates and has a picture (a 32-bit bitmap) that it and its children paint
// into; a child is placed in its parent's client coordinates and clipped to it.

#include <zent/platform/Export.h>
#include <zent/platform/Messages.h>
#include <zent/platform/Presenter.h>
#include <zent/platform/Types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zent {

// --- styles ----------------------------------------------------------------------------------

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;

constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;
// Ours: a child that the presenter shows with a native widget (video and web views, a text
// field). The loop neither paints it nor lets its parent paint over it.
constexpr DWORD WS_EX_ZENT_NATIVE = 0x40000000;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// SetWindowPos.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);

// GetWindow, GetAncestor, GetWindowLong.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;
constexpr int GWL_ID = -12;

// Below this a timer interval is raised to it, as Win32 does.
constexpr UINT USER_TIMER_MINIMUM = 10;

// --- records -----------------------------------------------------------------------------------

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0; // milliseconds of the loop's clock
    POINT pt{};     // screen coordinates of the mouse when the message was queued
};

// WM_CREATE carries a pointer to this in lParam.
struct CREATESTRUCT {
    HWND hwndParent = nullptr;
    UINT nID = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = 0;
    DWORD dwExStyle = 0;
    std::wstring_view lpszName;
    std::wstring_view lpszClass;
};

// What BeginPaint hands a WM_PAINT handler: a device context over the top-level window's picture,
// with its origin at the window's client origin and its clip at rcPaint (client coordinates).
struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    RECT rcPaint{};
};

using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// --- window objects ----------------------------------------------------------------------------

// A C++ object bound to a window: its OnMessage is the window procedure. The object outlives its
// window or destroys it: the destructor destroys a window still attached, so it must run on the
// window's thread. Destroy windows in the most derived destructor when their WM_DESTROY handling
// matters, because the base destructor can only reach CWnd's own OnMessage.
class ZENT_PLATFORM_API CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // A window of this thread's loop; null parent with WS_CHILD fails. A top-level window given a
    // parent is owned by the parent's top-level window.
    BOOL CreateEx(DWORD dwExStyle, std::wstring_view className, std::wstring_view windowName, DWORD dwStyle,
                  const RECT& rc, HWND hwndParent, UINT nID);
    BOOL DestroyWindow();

    // Takes over the procedure of an existing window (a dialog item, say); messages this object
    // leaves to DefWindowProc go to the window's former procedure.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT nID, HWND hwndParent);
    HWND UnsubclassWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The object bound to a window of this thread, or null.
    static CWnd* FromHandle(HWND hwnd);

    // Offered every queued message for this window or a descendant before it is dispatched,
    // innermost window first; TRUE takes the message (it is not dispatched).
    virtual BOOL PreTranslateMessage(MSG* pMsg);

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The former procedure of a subclassed window, else ::DefWindowProc.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY, when the handle has gone; an object that owns itself may delete itself.
    virtual void PostNcDestroy();

private:
    friend class CWndAccess;
    HWND m_hWnd = nullptr; // owning GUI thread only
};

// --- creation and destruction ------------------------------------------------------------------

// A window with a callable procedure (null: DefWindowProc). lpClassName is only remembered
// (GetClassName); no classes are registered.
ZENT_PLATFORM_API HWND CreateWindowEx(DWORD dwExStyle, std::wstring_view lpClassName, std::wstring_view lpWindowName,
                                      DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hwndParent,
                                      UINT nID, WNDPROC fnProc = {});
// WM_DESTROY goes to the window first and then to its children (which still exist while their
// parent handles it); WM_NCDESTROY goes to the children first. Windows it owns are destroyed
// before it. Its queued messages, timers, focus and capture go with it.
ZENT_PLATFORM_API BOOL DestroyWindow(HWND hwnd);
// Any thread.
ZENT_PLATFORM_API BOOL IsWindow(HWND hwnd);
// WM_CLOSE destroys the window; WM_MOUSEWHEEL goes on to the parent; WM_CANCELMODE releases the
// capture; everything else is 0.
ZENT_PLATFORM_API LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// --- messages ----------------------------------------------------------------------------------

// Any thread; never blocks. FALSE for a handle that is not (or no longer) a window.
ZENT_PLATFORM_API BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// On the window's thread a direct call. From another thread the procedure runs on the window's
// thread and the caller waits; a caller that is itself a GUI thread keeps answering messages sent
// to it meanwhile, so two GUI threads sending to each other do not deadlock. 0 for a handle that
// is not a window, or when the window or its loop goes away before answering.
ZENT_PLATFORM_API LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Ends the loop's Run (and every modal loop inside it) once the current pass is done.
ZENT_PLATFORM_API void PostQuitMessage(int nExitCode);

// --- timers ------------------------------------------------------------------------------------

// Per window: the same id again restarts the timer (and drops a tick already queued). WM_TIMER
// (wParam: id) is queued once the interval has passed on the loop's clock; a tick is never
// queued twice, so a slow handler gets one tick, not a burst. 0 when hwnd is not a window.
ZENT_PLATFORM_API UINT_PTR SetTimer(HWND hwnd, UINT_PTR nIDEvent, UINT uElapse);
// Also drops a tick already queued for this timer.
ZENT_PLATFORM_API BOOL KillTimer(HWND hwnd, UINT_PTR nIDEvent);

// --- focus, capture, enabling, showing ---------------------------------------------------------

// WM_KILLFOCUS (wParam: the new focus) to the old, then WM_SETFOCUS (wParam: the old) to the new.
// Returns the previous focus; null, with nothing changed, for a disabled window.
ZENT_PLATFORM_API HWND SetFocus(HWND hwnd);
ZENT_PLATFORM_API HWND GetFocus();
// Mouse input goes to the capture wherever the mouse is. WM_CAPTURECHANGED (lParam: the new
// capture, or null) tells the window that loses it.
ZENT_PLATFORM_API HWND SetCapture(HWND hwnd);
ZENT_PLATFORM_API BOOL ReleaseCapture();
ZENT_PLATFORM_API HWND GetCapture();
// A disabled window and everything inside it takes no input; disabling drops the focus and the
// capture held inside it. WM_ENABLE on a change. Returns nonzero when it was disabled before.
ZENT_PLATFORM_API BOOL EnableWindow(HWND hwnd, BOOL bEnable);
// The window and all its ancestors are enabled.
ZENT_PLATFORM_API BOOL IsWindowEnabled(HWND hwnd);
// WM_SHOWWINDOW before a change. Returns nonzero when it was visible before.
ZENT_PLATFORM_API BOOL ShowWindow(HWND hwnd, int nCmdShow);
// The window and all its ancestors have WS_VISIBLE.
ZENT_PLATFORM_API BOOL IsWindowVisible(HWND hwnd);
// The key's state as of the input translated so far: the high bit when down.
ZENT_PLATFORM_API SHORT GetKeyState(int nVirtKey);

// --- geometry ----------------------------------------------------------------------------------

// WM_MOVE (lParam: the new position in the parent's client coordinates) and WM_SIZE
// (lParam: the new size) when they change.
ZENT_PLATFORM_API BOOL MoveWindow(HWND hwnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint);
ZENT_PLATFORM_API BOOL SetWindowPos(HWND hwnd, HWND hwndInsertAfter, int x, int y, int cx, int cy, UINT uFlags);
// Screen coordinates.
ZENT_PLATFORM_API BOOL GetWindowRect(HWND hwnd, RECT* prc);
// (0, 0, width, height).
ZENT_PLATFORM_API BOOL GetClientRect(HWND hwnd, RECT* prc);
ZENT_PLATFORM_API BOOL ClientToScreen(HWND hwnd, POINT* ppt);
ZENT_PLATFORM_API BOOL ScreenToClient(HWND hwnd, POINT* ppt);
// From one window's client coordinates to another's; a null handle means the screen. Returns the
// offset added, packed as MAKELONG(dx, dy).
ZENT_PLATFORM_API int MapWindowPoints(HWND hwndFrom, HWND hwndTo, POINT* ppt, UINT cPoints);

// --- relations and attributes ------------------------------------------------------------------

// The parent of a child; the owner of a top-level window (as Win32 answers).
ZENT_PLATFORM_API HWND GetParent(HWND hwnd);
ZENT_PLATFORM_API HWND GetAncestor(HWND hwnd, UINT gaFlags);
// Siblings in z-order, topmost first; GW_CHILD is the topmost child.
ZENT_PLATFORM_API HWND GetWindow(HWND hwnd, UINT uCmd);
ZENT_PLATFORM_API BOOL IsChild(HWND hwndParent, HWND hwnd);
// The topmost child whose rectangle holds pt (client coordinates of hwndParent), hidden and
// disabled children included; hwndParent itself when none does; null outside it.
ZENT_PLATFORM_API HWND ChildWindowFromPoint(HWND hwndParent, POINT pt);
ZENT_PLATFORM_API HWND GetDlgItem(HWND hwndDlg, int nIDDlgItem);
ZENT_PLATFORM_API int GetDlgCtrlID(HWND hwnd);
ZENT_PLATFORM_API LONG_PTR GetWindowLong(HWND hwnd, int nIndex);
// Style bits change as they are; use ShowWindow and EnableWindow for their messages.
ZENT_PLATFORM_API LONG_PTR SetWindowLong(HWND hwnd, int nIndex, LONG_PTR dwNewLong);
// For a top-level window the presenter shows it as the window's title.
ZENT_PLATFORM_API BOOL SetWindowText(HWND hwnd, std::wstring_view text);
ZENT_PLATFORM_API std::wstring GetWindowText(HWND hwnd);
ZENT_PLATFORM_API std::wstring GetClassName(HWND hwnd);

// --- painting ----------------------------------------------------------------------------------

// Adds a rectangle (client coordinates; null: the whole client area) to the dirty rectangle of
// the window's top-level picture, clipped to what of the window can be seen. Dirty rectangles
// merge into their bounding rectangle, which is painted back to front at the end of the loop's
// pass.
ZENT_PLATFORM_API BOOL InvalidateRect(HWND hwnd, const RECT* prc, BOOL bErase);
// Paints the window's top-level picture now if any of it is dirty.
ZENT_PLATFORM_API BOOL UpdateWindow(HWND hwnd);
// The dirty rectangle as far as it lies over the window, in its client coordinates.
ZENT_PLATFORM_API BOOL GetUpdateRect(HWND hwnd, RECT* prc, BOOL bErase);
// Inside WM_PAINT: the device context and the part to paint. Outside it the rectangle is empty.
// The device context lives until EndPaint or the end of the handler.
ZENT_PLATFORM_API HDC BeginPaint(HWND hwnd, PAINTSTRUCT* pps);
ZENT_PLATFORM_API BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* pps);
// A device context over the window's part of its top-level picture, clipped to the window; what
// is drawn reaches the presenter at the end of the loop pass that drew it, and on ReleaseDC.
ZENT_PLATFORM_API HDC GetDC(HWND hwnd);
ZENT_PLATFORM_API int ReleaseDC(HWND hwnd, HDC hdc);
// The picture of the window's top-level window (valid until that window is resized or destroyed).
ZENT_PLATFORM_API HBITMAP GetWindowPicture(HWND hwnd);

// --- dialogs -----------------------------------------------------------------------------------

// Ends the modal loop running for hwnd with nResult once the current message has been handled;
// a dialog that is not running modally is hidden. FALSE when hwnd is not a window.
ZENT_PLATFORM_API BOOL EndDialog(HWND hwnd, INT_PTR nResult);

// --- what the native side shows besides pictures -----------------------------------------------

// MessageBox types: buttons (low 4 bits) and icons.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;

// SetLayeredWindowAttributes: only the alpha is honoured; a colour key is refused.
constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;

// The pointer shown over hwnd's top-level window.
ZENT_PLATFORM_API BOOL SetWindowCursor(HWND hwnd, CursorShape shape);
// A native child (WS_EX_ZENT_NATIVE) that shows a picture of its own, such as a video view: the
// presenter draws pPixels (nWidth x nHeight, 0x00RRGGBB, rows nWidth * 4 bytes apart) at the
// child's top-left corner. The memory must stay valid and unchanged until the next call for hwnd
// or its destruction; null shows nothing. FALSE for other windows.
ZENT_PLATFORM_API BOOL PresentNativePicture(HWND hwnd, const std::uint32_t* pPixels, int nWidth, int nHeight);
// Opacity of a top-level window (WS_EX_LAYERED is added). FALSE for a child, or for LWA_COLORKEY.
ZENT_PLATFORM_API BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags);
// A top-level window that is only partly there takes input only inside these rectangles (client
// coordinates, clipped to the window); none: all of it again.
ZENT_PLATFORM_API BOOL SetWindowInputShape(HWND hwnd, const std::vector<RECT>& vecRects);
// Normal, minimised, maximised or full screen; WM_SIZE follows when the native side has
// resized the window.
ZENT_PLATFORM_API BOOL SetWindowState(HWND hwnd, WindowState state);
// Restores hwnd's top-level window when it is minimised and brings it to the front with the
// keyboard, as far as the desktop allows.
ZENT_PLATFORM_API BOOL SetForegroundWindow(HWND hwnd);
ZENT_PLATFORM_API WindowState GetWindowState(HWND hwnd);
// Moves hwnd's top-level window with the pointer while the left button stays down: call it from
// the press (as DefWindowProc does for WM_NCLBUTTONDOWN with HTCAPTION).
ZENT_PLATFORM_API BOOL BeginWindowDrag(HWND hwnd);
// A tool tip for hwnd at ptClient (its client coordinates); empty text hides it.
ZENT_PLATFORM_API BOOL ShowToolTip(HWND hwnd, std::wstring_view text, POINT ptClient);
// A modal message box owned by hwnd's top-level window: the owner is disabled and the loop keeps
// running (timers, painting, other threads' messages) until the user answers. The ID* code of the
// button, or 0 without a loop on this thread.
ZENT_PLATFORM_API int MessageBox(HWND hwnd, std::wstring_view text, std::wstring_view caption, UINT uType);
// The folder chooser, modal like MessageBox. No value when the user cancelled.
ZENT_PLATFORM_API std::optional<std::wstring> BrowseForFolder(HWND hwnd, std::wstring_view title,
                                                              std::wstring_view initialFolder);

} // namespace zent
