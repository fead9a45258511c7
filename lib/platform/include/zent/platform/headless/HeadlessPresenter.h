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
#include <string_view>

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

    // --- the native side (GUI thread) ---
    bool HasNative(HWND hwnd) const;
    bool IsNativeVisible(HWND hwnd) const;
    int GetNativeShowCommand(HWND hwnd) const;
    RECT GetNativeRect(HWND hwnd) const;
    int GetPresentCount(HWND hwndTop) const;
    RECT GetLastPresentRect(HWND hwndTop) const;
    // What has been presented of a top-level window: null before its first present.
    HBITMAP GetScreen(HWND hwndTop) const;
    // A presented pixel as 0x00BBGGRR, or 0xFFFFFFFF outside the screen picture.
    COLORREF GetScreenPixel(HWND hwndTop, int x, int y) const;

private:
    void Inject(const InputEvent& ev);

    struct CState;
    std::unique_ptr<CState> m_pState;
};

} // namespace zent
