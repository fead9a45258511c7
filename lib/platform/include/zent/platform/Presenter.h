#pragma once

// The seam between the window layer and whatever shows windows: the GTK presenter for the real
// program, the headless presenter for tests and the command line. A presenter owns the native
// side only (top-level windows, the few native children, the clock, waiting and waking, raw
// input); windows, messages, timers, focus, capture and painting stay in the message loop, so
// both presenters behave the same above this line.
//
// Threads: Wake() may be called from any thread and never blocks for long. Everything else is
// called by the message loop on its GUI thread only.

#include <zent/platform/Export.h>
#include <zent/platform/Types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

using TimePoint = std::chrono::steady_clock::time_point;

// WindowMoved: the native side placed a top-level window itself (a drag, the window manager,
// maximising); rcWindow is its new screen rectangle. CloseRequest: the user asked the native
// side to close the window; the loop posts WM_CLOSE.
enum class InputKind { MouseMove, ButtonDown, ButtonUp, ButtonDoubleClick, Wheel, KeyDown, KeyUp, Char, WindowMoved,
                       CloseRequest };
enum class MouseButton { None, Left, Right, Middle };

// One raw input event as the native side saw it. Mouse points are client coordinates of hwnd,
// which may be any window the presenter knows (a top-level, or a native child); the loop turns
// them into screen coordinates and routes them to the capture or the window under the point.
// Key and character events go to the focus when it lies inside hwnd's top-level window, else to
// that top-level window.
struct InputEvent {
    InputKind kind = InputKind::MouseMove;
    HWND hwnd = nullptr;
    POINT pt{};
    MouseButton button = MouseButton::None;
    int nWheelDelta = 0; // multiples of WHEEL_DELTA, positive away from the user
    UINT nVirtKey = 0;   // KeyDown / KeyUp
    char32_t chChar = 0; // Char: one Unicode scalar value; the loop splits it into UTF-16 units
    RECT rcWindow{};     // WindowMoved
};

// The pointer shapes a top-level window can show.
enum class CursorShape { Arrow, Hand, Wait, IBeam, SizeAll, Cross, No, Hidden };

// What a top-level window fills: its own rectangle, the whole screen, or nothing on screen.
enum class WindowState { Normal, Minimized, Maximized, FullScreen };

// A message box: MB_* type bits of Window.h; the answer is an ID* button code.
struct MessageBoxRequest {
    HWND hwndOwner = nullptr;
    std::wstring strText;
    std::wstring strCaption;
    UINT uType = 0;
};

// Native dialogs answer later through these; the loop keeps running until they have.
using MessageBoxDone = std::function<void(int nResult)>;
// No value: the user cancelled.
using FolderDone = std::function<void(std::optional<std::wstring> folder)>;

class ZENT_PLATFORM_API IPresenter {
public:
    virtual ~IPresenter() = default;

    // The clock of timers and message times.
    virtual TimePoint Now() const = 0;
    // Any thread: makes a WaitForWork that runs now, or the next one, return.
    virtual void Wake() = 0;
    // Returns at the deadline (none: no timer pending), after Wake, or when input arrived.
    virtual void WaitForWork(std::optional<TimePoint> deadline) = 0;
    // Appends the input gathered since the last call, oldest first.
    virtual void TakeInput(std::vector<InputEvent>& vecOut) = 0;

    // Top-level windows: rcScreen is the whole window (they have no frame: the client area is the
    // window). Native children sit in their top-level window at rcInTop.
    virtual void CreateTopLevel(HWND hwnd, const RECT& rcScreen, DWORD dwStyle, DWORD dwExStyle) = 0;
    virtual void CreateNativeChild(HWND hwnd, HWND hwndTop, const RECT& rcInTop) = 0;
    virtual void DestroyNative(HWND hwnd) = 0;
    // Top-level: screen rectangle; native child: rectangle in its top-level window.
    virtual void MoveNative(HWND hwnd, const RECT& rc) = 0;
    // SW_HIDE hides; the other SW_ commands show (minimise and maximise are the presenter's to
    // honour). For a native child this is its effective visibility, ancestors included.
    virtual void ShowNative(HWND hwnd, int nCmdShow) = 0;
    // The top-level window's picture has new pixels inside rcDirty (client coordinates). The
    // picture belongs to the loop; a presenter copies or shows what it needs before returning
    // or keeps reading the same memory until the window is destroyed or resized.
    virtual void Present(HWND hwndTop, HBITMAP hPicture, const RECT& rcDirty) = 0;
    // A native child that shows a picture of its own (a video view): nWidth x nHeight pixels
    // 0x00RRGGBB, rows top-down and nWidth * 4 bytes apart, drawn at the child's top-left corner.
    // The memory stays the caller's and valid until the next call for hwnd or its destruction;
    // null shows nothing. GUI thread.
    virtual void PresentNativePicture(HWND hwnd, const std::uint32_t* pPixels, int nWidth, int nHeight) = 0;

    // --- top-level window looks and behaviour ---
    virtual void SetCursor(HWND hwndTop, CursorShape shape) = 0;
    // 255 opaque, 0 invisible (and still there for input).
    virtual void SetOpacity(HWND hwndTop, BYTE nAlpha) = 0;
    // Input reaches the window only inside these rectangles (client coordinates); empty: all of it.
    virtual void SetInputShape(HWND hwndTop, const std::vector<RECT>& vecRects) = 0;
    virtual void SetTopMost(HWND hwndTop, bool bTopMost) = 0;
    virtual void SetWindowState(HWND hwndTop, WindowState state) = 0;
    // The user moves the window with the pointer from ptScreen (the press that asked for it)
    // until the button goes up.
    virtual void BeginWindowDrag(HWND hwndTop, POINT ptScreen) = 0;
    // A tool tip near ptScreen; empty text hides it.
    virtual void ShowToolTip(HWND hwndTop, std::wstring_view text, POINT ptScreen) = 0;
    // The title the desktop shows for a top-level window (task bar, window switcher).
    virtual void SetTitle(HWND /*hwndTop*/, std::wstring_view /*title*/) {}
    // Raise the window and ask the desktop to give it the keyboard (another start of the program
    // asked for it); a minimised window is shown again first.
    virtual void Activate(HWND /*hwndTop*/) {}

    // --- native dialogs: started here, answered through the callback (possibly before return) ---
    virtual void ShowMessageBox(const MessageBoxRequest& request, MessageBoxDone fnDone) = 0;
    virtual void ChooseFolder(HWND hwndOwner, std::wstring_view title, std::wstring_view initialFolder,
                              FolderDone fnDone) = 0;
};

} // namespace zent
