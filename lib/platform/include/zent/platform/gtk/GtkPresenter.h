#pragma once

// The presenter of the real program: GTK 3 on the display. Every top-level window is an
// undecorated GtkWindow whose whole client area shows the window's picture; native children are
// containers at pixel positions above it, into which their owners put their widgets. Waiting
// runs the GLib main context, so GTK keeps working while the message loop waits, also inside
// modal loops; Wake from another thread wakes that context.
//
// Create it on the thread that runs the message loop; GTK belongs to that thread from then on.

#include <zent/platform/Export.h>
#include <zent/platform/Presenter.h>

#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace zent {

class ZENT_PLATFORM_API CGtkPresenter final : public IPresenter {
public:
    // Null, with the reason in *pError, when GTK cannot open a display.
    static std::unique_ptr<CGtkPresenter> Create(std::string* pError = nullptr);
    ~CGtkPresenter() override;
    CGtkPresenter(const CGtkPresenter&) = delete;
    CGtkPresenter& operator=(const CGtkPresenter&) = delete;

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
    void SetWindowState(HWND hwndTop, WindowState state) override;
    void BeginWindowDrag(HWND hwndTop, POINT ptScreen) override;
    void ShowToolTip(HWND hwndTop, std::wstring_view text, POINT ptScreen) override;
    void SetTitle(HWND hwndTop, std::wstring_view title) override;
    void Activate(HWND hwndTop) override;
    void ShowMessageBox(const MessageBoxRequest& request, MessageBoxDone fnDone) override;
    void ChooseFolder(HWND hwndOwner, std::wstring_view title, std::wstring_view initialFolder,
                      FolderDone fnDone) override;

    // The container of a native child, where its owner puts the widget it shows (a web view, a
    // video area, a text field); null for an unknown window. It lives as long as the window.
    GtkWidget* GetNativeHost(HWND hwnd) const;
    // A top-level window's GtkWindow, or null.
    GtkWidget* GetTopLevelWidget(HWND hwnd) const;

    // For Create only.
    class PrivateTag {
        friend class CGtkPresenter;
        PrivateTag() = default;
    };
    explicit CGtkPresenter(PrivateTag);

    struct CState;

private:
    std::unique_ptr<CState> m_pState;
};

// The presenter the program was asked for: headless (real clock) when bHeadless is set or the
// environment has TORVIX_HEADLESS=1, else GTK. Null, with the reason in *pError, when GTK cannot
// open a display.
ZENT_PLATFORM_API std::unique_ptr<IPresenter> CreatePresenter(bool bHeadless, std::string* pError = nullptr);

} // namespace zent
