#pragma once

// The presenter without a display, for tests and the command line. Top-level windows and native
// children are records; presenting copies the dirty part of a window's picture into a "screen"
// picture of its own, so a test reads exactly what a user would have seen. Input is injected by
// the test and routed by the loop like real input. The clock is either the real monotonic clock
// or a manual one that moves only when told to, so timer tests never depend on real time.

#include <zent/platform/Export.h>
#include <zent/platform/Presenter.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zent {

class ZENT_PLATFORM_API CHeadlessPresenter final : public IPresenter {
public:
    enum class ClockMode { Manual, Real };

    explicit CHeadlessPresenter(ClockMode mode = ClockMode::Manual);
    ~CHeadlessPresenter() override;
    CHeadlessPresenter(const CHeadlessPresenter&) = delete;
    CHeadlessPresenter& operator=(const CHeadlessPresenter&) = delete;

    // --- IPresenter ---
    TimePoint Now() const override;
    void Wake() override;
    void WaitForWork(std::optional<TimePoint> deadline) override;
    void TakeInput(std::vector<InputEvent>& vecOut) override;
    void CreateTopLevel(HWND hwnd, const RECT& rcScreen, DWORD dwStyle, DWORD dwExStyle) override;
    void CreateNativeChild(HWND hwnd, HWND hwndTop, const RECT& rcInTop) override;
    void DestroyNative(HWND hwnd) override;
    void MoveNative(HWND hwnd, const RECT& rc) override;
    void ShowNative(HWND hwnd, int nCmdShow) override;
    void Present(HWND hwndTop, HBITMAP hPicture, const RECT& rcDirty) override;
    void PresentNativePicture(HWND hwnd, const std::uint32_t* pPixels, int nWidth, int nHeight) override;
    void SetCursor(HWND hwndTop, CursorShape shape) override;
    void SetOpacity(HWND hwndTop, BYTE nAlpha) override;
    void SetInputShape(HWND hwndTop, const std::vector<RECT>& vecRects) override;
    void SetTopMost(HWND hwndTop, bool bTopMost) override;
    // Maximised and full-screen windows take the screen (GetSystemMetrics) and a normal one gets
    // its rectangle back, reported to the loop as the native side would.
    void SetWindowState(HWND hwndTop, WindowState state) override;
    void BeginWindowDrag(HWND hwndTop, POINT ptScreen) override;
    void ShowToolTip(HWND hwndTop, std::wstring_view text, POINT ptScreen) override;
    void SetTitle(HWND hwndTop, std::wstring_view title) override;
    void Activate(HWND hwndTop) override;
    // Answered at once: with the next scripted reply, else with the most cautious button the box
    // has (Cancel, else No, else Abort, else OK), so an unattended run never agrees to anything.
    void ShowMessageBox(const MessageBoxRequest& request, MessageBoxDone fnDone) override;
    // Answered at once with the next scripted reply, else cancelled.
    void ChooseFolder(HWND hwndOwner, std::wstring_view title, std::wstring_view initialFolder,
                      FolderDone fnDone) override;

    // --- scripted answers of the native dialogs (any thread), first in first out ---
    void ScriptMessageBoxReply(int nResult);
    void ScriptFolderReply(std::optional<std::wstring> folder);
    // What was asked so far.
    std::vector<MessageBoxRequest> GetMessageBoxes() const;
    std::vector<std::wstring> GetFolderTitles() const;

    // --- the manual clock (any thread) ---
    // Moves the clock on and wakes a waiting loop. Ignored with the real clock.
    void AdvanceClock(std::chrono::milliseconds duration);
    // When on, a loop that would wait for its next timer instead finds the clock moved to it
    // (virtual time), so Run and DoModal go through timed sequences at once. Off by default.
    void SetAutoAdvance(bool bAutoAdvance);

    // --- input (any thread; points in client coordinates of hwnd) ---
    void InjectMouseMove(HWND hwnd, POINT pt);
    void InjectButtonDown(HWND hwnd, POINT pt, MouseButton button = MouseButton::Left);
    void InjectButtonUp(HWND hwnd, POINT pt, MouseButton button = MouseButton::Left);
    void InjectClick(HWND hwnd, POINT pt, MouseButton button = MouseButton::Left);
    // Down, up, double click, up: the order in which a native double click arrives.
    void InjectDoubleClick(HWND hwnd, POINT pt, MouseButton button = MouseButton::Left);
    // Down at ptFrom, nSteps moves ending at ptTo, up at ptTo.
    void InjectDrag(HWND hwnd, POINT ptFrom, POINT ptTo, int nSteps = 4, MouseButton button = MouseButton::Left);
    void InjectWheel(HWND hwnd, POINT pt, int nDelta);
    // Keys and characters arrive at hwnd's top-level window, as they would at a native window
    // that has the keyboard.
    void InjectKeyDown(HWND hwnd, UINT nVirtKey);
    void InjectKeyUp(HWND hwnd, UINT nVirtKey);
    void InjectKey(HWND hwnd, UINT nVirtKey);
    void InjectChar(HWND hwnd, char32_t ch);
    void InjectText(HWND hwnd, std::u32string_view text);
    // The user asked the native side to close hwnd's window (the window manager's close button).
    void InjectCloseRequest(HWND hwnd);

    // --- the native side (GUI thread) ---
    bool HasNative(HWND hwnd) const;
    bool IsNativeVisible(HWND hwnd) const;
    int GetNativeShowCommand(HWND hwnd) const;
    RECT GetNativeRect(HWND hwnd) const;
    int GetPresentCount(HWND hwndTop) const;
    // Pictures a native child showed of its own, and the pixel (x, y) of the last one as
    // 0x00RRGGBB (0xFFFFFFFF outside it or when there is none).
    int GetNativePictureCount(HWND hwnd) const;
    std::uint32_t GetNativePicturePixel(HWND hwnd, int x, int y) const;
    RECT GetLastPresentRect(HWND hwndTop) const;
    // What has been presented of a top-level window: null before its first present.
    HBITMAP GetScreen(HWND hwndTop) const;
    // A presented pixel as 0x00BBGGRR, or 0xFFFFFFFF outside the screen picture.
    COLORREF GetScreenPixel(HWND hwndTop, int x, int y) const;
    CursorShape GetCursor(HWND hwndTop) const;
    BYTE GetOpacity(HWND hwndTop) const;
    std::vector<RECT> GetInputShape(HWND hwndTop) const;
    bool IsTopMost(HWND hwndTop) const;
    WindowState GetWindowState(HWND hwndTop) const;
    // Drags begun on the window and the screen point of the last one.
    int GetDragCount(HWND hwndTop) const;
    POINT GetLastDragPoint(HWND hwndTop) const;
    // The tool tip shown for the window (empty: none) and its screen point.
    std::wstring GetToolTip(HWND hwndTop) const;
    POINT GetToolTipPoint(HWND hwndTop) const;
    std::wstring GetTitle(HWND hwndTop) const;
    // How often the window was brought to the front with the keyboard.
    int GetActivateCount(HWND hwndTop) const;

private:
    void Inject(const InputEvent& ev);

    struct CState;
    std::unique_ptr<CState> m_pState;
};

} // namespace zent
