#pragma once

// The web view of the map: a WebKitGTK view inside a native child window (WS_EX_ZENT_NATIVE) of
// the player window, at the map control's rectangle. It loads the route page once and keeps it
// for the life of the program; the map drives the page's functions through IMapWebView and hears
// back through posted WM_MAPVIEW_* messages.
//
// Without the GTK presenter (headless runs) the window exists but no browser can be made.
// GUI thread only. WebKit's callbacks run on this thread too (inside the presenter's wait); they
// never call the map: they post to it.

#include "map/MapWebView.h"

#include <zent/platform/Window.h>

#include <memory>
#include <string>

// What the page's script message channel is called (see docs/map-pages.md).
inline constexpr const char* kMapMessageChannel = "torvixMap";
// The window's class name and control id.
inline constexpr const wchar_t* kWebViewClassName = L"WebViewForEdge";
inline constexpr zent::UINT kWebViewControlId = 10001;

class CWebViewHost final : public zent::CWnd, public IMapWebView {
public:
    CWebViewHost();
    ~CWebViewHost() override;

    // The native child window (child, visible, clip-children; hidden until Show) at rc of
    // hwndParent; hwndNotify hears the page's news; strPage is the page's address. FALSE when the
    // window cannot be made.
    zent::BOOL Create(const zent::RECT& rc, zent::HWND hwndParent, zent::HWND hwndNotify, std::string strPage);

    // The page's address.
    const std::string& GetPageAddress() const;
    // Whether the page has reported ready since it was last loaded.
    bool IsPageReady() const;

    // Ends the web process as if it had crashed (tests of the recovery).
    void TerminateWebProcess();

    // --- IMapWebView ---
    zent::HWND GetHwnd() const override { return GetSafeHwnd(); }
    bool CreateBrowser() override;
    bool IsCreated() const override;
    bool IsRuntimePresent() const override;
    void Reload() override;
    void AddPos(const MapPoint& point) override;
    void DelPos() override;
    void ReplotPos(const std::vector<MapPoint>& points) override;
    void SetDefaultPos() override;
    void SetAdminDistrictName(const std::wstring& name) override;
    void SetSpeedUnit(int nUnit) override;
    void Show(bool bShow) override;
    void MoveTo(const zent::RECT& rc) override;
    void CapturePreview(CaptureDone done) override;
    void Evaluate(const std::string& body, EvalDone done) override;

    // The JSON text of the points as replotPos receives it: [[lat,lng,speed],...], numbers
    // with six decimals for degrees and one for the speed.
    static std::string PointsJson(const std::vector<MapPoint>& points);

    struct CCore; // GTK side; defined in the .cpp

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    std::shared_ptr<CCore> m_pCore; // GUI thread; WebKit's pending callbacks hold weak references
};
