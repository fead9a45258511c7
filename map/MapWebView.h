#pragma once

// What the map control needs of the web view that shows the route page, and what the web view
// tells it. The real one is CWebViewHost (WebKitGTK); tests hand the map a stand-in through
// CMapView::SetWebViewFactory. Values reach the page as arguments of its functions, never as
// script text.
//
// The web view never calls into the map: it posts the WM_MAPVIEW_* messages below to the window
// it was given, so the map's state only ever changes inside its own message handling.

#include <zent/platform/Messages.h>
#include <zent/platform/Types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// One route point as the page receives it: signed decimal degrees and the speed in km/h.
struct MapPoint {
    double lat = 0.0;
    double lng = 0.0;
    double speedKmh = 0.0;
    friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

// Web view -> map. The page reported "ready": its functions work from now on. wParam 1 when it
// shows tiles, 0 for the plain look.
constexpr zent::UINT WM_MAPVIEW_PAGE_READY = zent::WM_APP + 0x405;
// Web view -> map. The page cannot be shown: wParam kPageGoneTerminated when the web process
// ended (or could not start), kPageGoneNoRuntime when the page's map library is missing,
// kPageGoneLoadFailed when the page itself could not be loaded (a missing file, a refusing
// server). Each counts as a web view that cannot run until CreateBrowser tries again.
constexpr zent::UINT WM_MAPVIEW_PAGE_GONE = zent::WM_APP + 0x406;
constexpr zent::WPARAM kPageGoneTerminated = 0;
constexpr zent::WPARAM kPageGoneNoRuntime = 1;
constexpr zent::WPARAM kPageGoneLoadFailed = 2;

class IMapWebView {
public:
    virtual ~IMapWebView() = default;

    // The native child window the page is shown in.
    virtual zent::HWND GetHwnd() const = 0;

    // Makes the browser and loads the page the first time; after the web process has gone it
    // loads the page again in a new one. Later calls change nothing. False when no browser can
    // be made here at all (no display): nothing will be posted then.
    virtual bool CreateBrowser() = 0;
    // The browser has been made (it may still be loading, or have lost its web process).
    virtual bool IsCreated() const = 0;
    // False once the web process could not start or ended, until CreateBrowser brings it back.
    virtual bool IsRuntimePresent() const = 0;
    // Loads the page again; the page reports ready anew.
    virtual void Reload() = 0;

    // The page functions. Calls made before the page reported ready are lost: the map sends its
    // whole state again when the ready report arrives.
    virtual void AddPos(const MapPoint& point) = 0;
    virtual void DelPos() = 0;
    // delPos() and then addPos() for every point in order, in one round trip.
    virtual void ReplotPos(const std::vector<MapPoint>& points) = 0;
    virtual void SetDefaultPos() = 0;
    virtual void SetAdminDistrictName(const std::wstring& name) = 0;
    // 0 km/h, 1 mph: the speed legend's unit and limit.
    virtual void SetSpeedUnit(int nUnit) = 0;

    // Shows or hides the web view at the control's rectangle (client coordinates of the dialog).
    virtual void Show(bool bShow) = 0;
    virtual void MoveTo(const zent::RECT& rc) = 0;

    // The picture the page shows, handed to done on the GUI thread; the bitmap is valid during
    // the call only (null when there is none).
    using CaptureDone = std::function<void(zent::HBITMAP)>;
    virtual void CapturePreview(CaptureDone done) = 0;

    // Runs a script function body without arguments and hands its result as text to done on the
    // GUI thread (nothing when it failed). For reading the page's state (torvixMapState()).
    using EvalDone = std::function<void(std::optional<std::string>)>;
    virtual void Evaluate(const std::string& body, EvalDone done) = 0;
};
