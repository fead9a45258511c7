#pragma once

// The map beside the video: the route of the open recording on our map page in a web view, or a
// placeholder picture when the map cannot be shown (the recording has no position, the internet
// cannot be reached, the web view cannot run).
//
// The player window drives it: SetGpsData and ShowRoute when a recording opens, DrawPosition
// every second of play, Replot after a jump, SetAdminDistrictName with the place of the second,
// Reset when playback stops or another recording is chosen. The web view is made once, for the
// first recording with position while the internet answers, and kept. The map keeps the route it
// has drawn, so whenever the page (re)loads it receives the whole route again in one call.
//
// To its parent dialog it posts WM_MAP_LOAD_COMPLETE when the web view's set-up has ended (the
// page is ready, or it could not be loaded) and WM_MAP_RUNTIME_MISSING when the web view cannot
// run (its web process could not start or ended, or the map library is missing); by then the map
// already shows the runtime placeholder. The next recording with position tries the web view
// again.
//
// The reachability probe runs off the GUI thread (CInternetCheck); its answer arrives as a
// message. GUI thread only.

#include "map/BmpWebLinkEx.h"
#include "recording/GpsTypes.h"

#include <zent/platform/Messages.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CInternetCheck;
class CTorvixGpsData;

// Map -> its parent dialog.
constexpr zent::UINT WM_MAP_LOAD_COMPLETE = zent::WM_USER + 5;   // 0x405
constexpr zent::UINT WM_MAP_RUNTIME_MISSING = zent::WM_USER + 6; // 0x406
// The probe's answer -> the map (wParam the answer, lParam the request's number).
constexpr zent::UINT WM_MAP_INTERNET_CHECKED = zent::WM_APP + 0x408;
// The map -> itself: the web view is to be hidden unless it has been wanted again meanwhile.
constexpr zent::UINT WM_MAP_APPLY_VISIBILITY = zent::WM_APP + 0x409;

// Skin image ids of the map area and its placeholders (language offset added: 0, 1, 2; index 3
// uses the index-0 pictures).
constexpr zent::UINT kMapAreaImage = 182;
constexpr zent::UINT kMapNoPositionImage = 183;
constexpr zent::UINT kMapOfflineImage = 186;
constexpr zent::UINT kMapNoRuntimeImage = 401;

// The control id of the map in the player window.
constexpr zent::UINT kMapControlId = 1062;

// The offset of a language index into the placeholder ids: 0, 1, 2, and 0 for index 3 (and for
// anything unknown).
int MapLanguageOffset(int nLanguageIndex);
// The map page for a language index as services.conf names it ([Map] Page<n>), with the tile
// source of [Map] Tiles handed over as its "tiles" parameter.
std::string GetMapPageAddress(int nLanguageIndex);
// A coordinate as the page receives it: narrowed to single precision and cut to six decimals,
// as the page's addPos has always been fed.
double MapCoordinate(double degrees);

class CMapView : public CBmpWebLinkEx {
public:
    CMapView();
    ~CMapView() override;

    // Makes the web view of the control: (parent dialog, rectangle, window to notify, page).
    using WebViewFactory = std::function<std::unique_ptr<IMapWebView>(zent::HWND hwndParent, const zent::RECT& rc,
                                                                      zent::HWND hwndNotify, const std::string& page)>;
    // Before InitControl (tests). The default makes a CWebViewHost.
    void SetWebViewFactory(WebViewFactory fnFactory);
    // The reachability check the map asks; null: the internet counts as unreachable. The default
    // is the program's shared check with the GTK presenter, none headless (a run without display
    // shows no map and so never probes). Not owned; it must outlive the map.
    void SetInternetCheck(CInternetCheck* pCheck);

    // The control bound to its window (SubclassDlgItem of item 1062) takes the rectangle of skin
    // image 182, registers with its dialog, makes its web view window over that rectangle and
    // shows placeholder 183 + the language offset. strPageAddress empty: GetMapPageAddress.
    // 0 without a loader or when the control cannot register.
    using zent::CBmpCtrl::InitControl;
    int InitControl(zent::QLBMLoader* pLoader, int nLanguageIndex, std::string strPageAddress = {});

    // The recording opened: its track (copied; null: none) and its duration in whole seconds.
    void SetGpsData(const CTorvixGpsData* pData, int nDuration);
    void SetTrack(std::vector<GpsFix> vecFixes, int nDuration);

    // A recording was opened; bHasPosition: its track has records and at least one valid fix.
    void ShowRoute(bool bHasPosition);
    // Playback stopped or ended, or another recording is about to open.
    void Reset();
    // Removes the route from the page and forgets the plotted seconds.
    void Clear();
    // One second of play: the second's point is added unless that second was drawn already.
    void DrawPosition(int nSecond);
    // After a jump to nSecond: the route of seconds 0 .. nSecond - 1, sent in one call.
    void Replot(int nSecond);
    // The district label of the page (kept, and sent whenever the page can show it).
    void SetAdminDistrictName(const std::wstring& name);
    // The speed unit of the route legend: 0 km/h, 1 mph.
    void SetSpeedUnit(int nUnit);

    // The page shows this recording's route and takes calls.
    bool IsPageLoaded() const;
    // The picture of the map for a capture: done gets the bitmap on the GUI thread (valid during
    // the call only), or null at once when no route is shown.
    void Capture(IMapWebView::CaptureDone done);

    // --- state, for the player window and tests ---
    int GetLanguageIndex() const { return m_nLanguage; }
    // 1 reachable, 0 not, -1 not asked yet.
    int GetInternetState() const { return m_nInternet; }
    bool IsRuntimeAvailable() const { return m_bRuntimePresent; }
    bool HasPositionData() const { return m_bPositionData; }
    int GetCurrentSecond() const { return m_nCurrentSecond; }
    // The seconds drawn since the last clear, in the order they were drawn.
    const std::vector<int>& GetPlottedSeconds() const { return m_vecPlotted; }
    bool IsPlotted(int nSecond) const;
    // The route the page has (or receives when it next loads), consecutive repeats left out.
    const std::vector<MapPoint>& GetRoute() const { return m_vecRoute; }
    const std::wstring& GetDistrictName() const { return m_strDistrict; }

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
    int SetVisibleCtrl(int visible, int redraw) override;

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void ContinueShowRoute(int nInternet);
    void OnPageReady();
    void OnPageGone(zent::WPARAM nReason);
    // Page calls go out only when the web view exists, can run, the internet answered and the
    // page reported ready.
    bool CanCallPage() const;
    // Sends the route, default view and district the page should show.
    void SyncPage();
    void SetPlaceholder(zent::UINT nBaseId);
    void UpdateBrowserVisibility();
    void PostToParent(zent::UINT message);
    // The point of a second (and the last valid fix it leaves behind); nothing before the first
    // fix with a position.
    std::optional<MapPoint> PointOfSecond(int nSecond);
    MapPoint MakePoint(const GpsFix& fix);
    void MarkPlotted(int nSecond);
    // Forgets the plotted seconds and their points without telling the page.
    void ClearRoute();
    void AppendRoute(const MapPoint& point);

    WebViewFactory m_fnFactory;
    CInternetCheck* m_pCheck = nullptr; // not owned
    bool m_bCheckSet = false;           // SetInternetCheck was called (else the default applies)
    int m_nLanguage = 0;
    std::string m_strPage;

    // Track data of the open recording (a copy: the graph replaces its holder at every open).
    std::vector<GpsFix> m_vecFixes;
    int m_nGpsCount = 0;
    int m_nDuration = 0;

    int m_nInternet = -1;          // the last answer of the reachability check, -1 before the first
    bool m_bPositionData = false;  // a recording with position data was handed over
    bool m_bHasPosition = false;   // the last value given to ShowRoute
    int m_nCurrentSecond = 0;
    std::vector<int> m_vecPlotted;        // seconds drawn since the last clear, in order
    std::vector<bool> m_vecPlottedMask;   // the same, by second, for the lookup
    std::vector<MapPoint> m_vecRoute;     // the points those seconds gave
    std::optional<GpsFix> m_fixLastValid; // the last record that had a position
    double m_dLastSpeed = 0.0;            // a record without a speed repeats the one before
    std::wstring m_strDistrict;
    bool m_bDistrictSet = false;
    int m_nSpeedUnit = 0;
    zent::LPARAM m_nShowRequest = 0; // numbers ShowRoute's probe questions; older answers are stale
    bool m_bRouteDecided = false;    // ShowRoute's request has had an answer to act on
    bool m_bHidePending = false;     // a WM_MAP_APPLY_VISIBILITY is on its way
};
