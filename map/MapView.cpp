#include "map/MapView.h"

#include "cardtools/InternetCheck.h"
#include "map/WebKitSupport.h"
#include "map/WebViewHost.h"
#include "recording/TorvixGpsData.h"

#include "diag/Trace.h"
#include "locale/Settings.h"

#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace zent;

namespace {

// Seconds beyond this are no play position of any recording; they are not drawn, so that a wild
// value cannot make the plotted-seconds table grow without bound.
constexpr int kMaxSecond = 1000000;

std::string UriEscape(const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

bool HasPositionNumbers(const GpsFix& fix)
{
    return std::isfinite(fix.latitude) && std::isfinite(fix.longitude);
}

} // namespace

int MapLanguageOffset(int nLanguageIndex)
{
    return nLanguageIndex >= 0 && nLanguageIndex <= 2 ? nLanguageIndex : 0;
}

std::string GetMapPageAddress(int nLanguageIndex)
{
    const int index = nLanguageIndex >= 0 && nLanguageIndex <= 3 ? nLanguageIndex : 0;
    std::string page = GetServiceAddress("Map", "Page" + std::to_string(index));
    const auto tiles = GetServiceValue("Map", "Tiles");
    if (!page.empty() && tiles && !tiles->empty())
        page += (page.find('?') == std::string::npos ? "?tiles=" : "&tiles=") + UriEscape(*tiles);
    return page;
}

double MapCoordinate(double degrees)
{
    if (!std::isfinite(degrees)) return degrees;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", static_cast<double>(static_cast<float>(degrees)));
    return std::strtod(buf, nullptr);
}

CMapView::CMapView() = default;
CMapView::~CMapView() = default;

void CMapView::SetWebViewFactory(WebViewFactory fnFactory)
{
    m_fnFactory = std::move(fnFactory);
}

void CMapView::SetInternetCheck(CInternetCheck* pCheck)
{
    m_pCheck = pCheck;
    m_bCheckSet = true;
}

int CMapView::InitControl(QLBMLoader* pLoader, int nLanguageIndex, std::string strPageAddress)
{
    if (!pLoader) return 0;
    if (!CBmpCtrl::InitControl(4)) return 0;
    m_pLoader = pLoader;
    m_nLanguage = nLanguageIndex;
    RECT rc{};
    pLoader->GetRect(static_cast<int>(kMapAreaImage), &rc);
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        // The dialog paints the control from now on; its own window only takes messages.
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    m_strPage = strPageAddress.empty() ? GetMapPageAddress(nLanguageIndex) : std::move(strPageAddress);
    m_nSpeedUnit = GetSpeedUnit() ? 1 : 0;
    if (!m_bCheckSet) m_pCheck = mapweb::GetGtkPresenter() ? &CInternetCheck::Shared() : nullptr;

    if (m_fnFactory) {
        m_pWebView = m_fnFactory(GetParentWnd(), rc, GetSafeHwnd(), m_strPage);
    } else {
        auto pHost = std::make_unique<CWebViewHost>();
        if (pHost->Create(rc, GetParentWnd(), GetSafeHwnd(), m_strPage)) m_pWebView = std::move(pHost);
    }
    SetBitmap(0, pLoader, kMapNoPositionImage + static_cast<UINT>(MapLanguageOffset(nLanguageIndex)));
    return 1;
}

void CMapView::SetGpsData(const CTorvixGpsData* pData, int nDuration)
{
    std::vector<GpsFix> fixes;
    int count = 0;
    if (const GpsFix* pFixes = pData ? pData->GetGpsArray(count) : nullptr; pFixes && count > 0)
        fixes.assign(pFixes, pFixes + count);
    SetTrack(std::move(fixes), nDuration);
}

void CMapView::SetTrack(std::vector<GpsFix> vecFixes, int nDuration)
{
    m_vecFixes = std::move(vecFixes);
    m_nGpsCount = static_cast<int>(m_vecFixes.size());
    m_nDuration = std::max(nDuration, 0);
}

void CMapView::SetPlaceholder(UINT nBaseId)
{
    SetBitmap(0, m_pLoader, nBaseId + static_cast<UINT>(MapLanguageOffset(m_nLanguage)));
}

bool CMapView::CanCallPage() const
{
    return m_pWebView && m_pWebView->IsCreated() && m_bRuntimePresent && m_nInternet == 1 && m_bPageLoaded;
}

bool CMapView::IsPageLoaded() const
{
    return CanCallPage() && m_bBrowserShown;
}

void CMapView::UpdateBrowserVisibility()
{
    if (!m_pWebView) return;
    m_pWebView->MoveTo(m_rcCtrl);
    if (m_bVisible && m_bBrowserShown && CanCallPage()) {
        m_pWebView->Show(true);
        return;
    }
    // Hiding waits for the message: a reset followed at once by the next recording's route (one
    // handler of the player window) leaves the view up, rather than hiding the page, which then
    // stops painting and takes a few hundred milliseconds to come back.
    if (!m_bHidePending) m_bHidePending = PostMessage(GetSafeHwnd(), WM_MAP_APPLY_VISIBILITY, 0, 0) != FALSE;
    if (!m_bHidePending) m_pWebView->Show(false);
}

void CMapView::PostToParent(UINT message)
{
    if (const HWND hwndParent = GetParentWnd()) PostMessage(hwndParent, message, 0, 0);
}

void CMapView::ShowRoute(bool bHasPosition)
{
    m_bHasPosition = bHasPosition;
    ++m_nShowRequest;
    m_bRouteDecided = false;
    if (!bHasPosition) {
        if (CanCallPage()) m_pWebView->SetDefaultPos();
        SetAdminDistrictName(L"0, 0");
        TraceA("\nSetDrawWebBrowser\n");
        m_bBrowserShown = false;
        UpdateBrowserVisibility();
        SetPlaceholder(kMapNoPositionImage);
        Draw();
        return;
    }
    m_bPositionData = true;
    // The web view gets another chance with every recording: a web process that ended starts
    // again, and only the missing web view itself stays missing.
    m_bRuntimePresent = m_pWebView != nullptr;

    // The route starts here, before the internet has answered: the seconds played meanwhile are
    // kept and reach the page with the rest (in one call) when it can show them.
    ClearRoute();
    m_fixLastValid.reset();
    m_dLastSpeed = 0.0;
    const auto first = std::find_if(m_vecFixes.begin(), m_vecFixes.end(),
                                    [](const GpsFix& f) { return f.status[0] == 'A' && HasPositionNumbers(f); });
    if (first != m_vecFixes.end())
        AppendRoute(MapPoint{MapCoordinate(first->latitude), MapCoordinate(first->longitude),
                             std::isfinite(first->speedKmh) ? first->speedKmh : 0.0});

    if (!m_pCheck) {
        ContinueShowRoute(0);
        return;
    }
    if (const auto answer = m_pCheck->CheckAsync(GetSafeHwnd(), WM_MAP_INTERNET_CHECKED, m_nShowRequest)) {
        ContinueShowRoute(*answer);
        return;
    }
    // A probe is on its way. An older answer stands in meanwhile, so that the next recording
    // shows its route at once; the fresh answer corrects it if the network has changed.
    if (const auto last = m_pCheck->GetLastResult()) ContinueShowRoute(*last);
}

void CMapView::ContinueShowRoute(int nInternet)
{
    const int nWas = m_nInternet;
    m_nInternet = nInternet ? 1 : 0;
    m_bRouteDecided = true;
    if (m_nInternet == 1 && m_bRuntimePresent) {
        m_bBrowserShown = true;
        m_bVisible = 1;
        const bool bWasCreated = m_pWebView->IsCreated();
        if (!m_pWebView->CreateBrowser()) {
            // No browser can be made here (no display): the set-up has ended all the same.
            PostToParent(WM_MAP_LOAD_COMPLETE);
        } else if (nWas == 0 && bWasCreated) {
            // The connection came back: the page loads again for its tiles and reports ready.
            m_bPageLoaded = false;
            m_pWebView->Reload();
        } else if (bWasCreated && m_bPageLoaded) {
            SyncPage();
            PostToParent(WM_MAP_LOAD_COMPLETE);
        }
    } else {
        m_bBrowserShown = false;
    }
    if (m_nInternet == 0) SetPlaceholder(kMapOfflineImage);
    else if (!m_bRuntimePresent) SetPlaceholder(kMapNoRuntimeImage);
    UpdateBrowserVisibility();
    Draw();
}

void CMapView::SyncPage()
{
    if (!CanCallPage()) return;
    if (m_bBrowserShown && m_bHasPosition) {
        m_pWebView->ReplotPos(m_vecRoute);
    } else if (!m_bHasPosition) {
        m_pWebView->SetDefaultPos();
    }
    m_pWebView->SetAdminDistrictName(m_strDistrict);
}

void CMapView::OnPageReady()
{
    m_bPageLoaded = true;
    if (CanCallPage()) {
        m_pWebView->SetSpeedUnit(m_nSpeedUnit);
        if (m_bBrowserShown) SyncPage();
    }
    UpdateBrowserVisibility();
    Draw();
    PostToParent(WM_MAP_LOAD_COMPLETE);
}

void CMapView::OnPageGone(WPARAM nReason)
{
    TraceA("### %s - reason=%d", "CMapView::OnPageGone", static_cast<int>(nReason));
    const bool bSetUpRunning = m_bBrowserShown && !m_bPageLoaded;
    m_bRuntimePresent = false;
    m_bPageLoaded = false;
    // What the player window does with the runtime-missing message: hide the web view and reset,
    // which brings up the runtime placeholder.
    Reset();
    Draw();
    PostToParent(WM_MAP_RUNTIME_MISSING);
    if (bSetUpRunning) PostToParent(WM_MAP_LOAD_COMPLETE);
}

void CMapView::Reset()
{
    Clear();
    m_bPositionData = false;
    m_vecFixes.clear();
    m_nGpsCount = 0;
    m_nDuration = 0;
    m_bHasPosition = false;
    m_bBrowserShown = false;
    m_fixLastValid.reset();
    m_dLastSpeed = 0.0;
    m_nCurrentSecond = 0;
    m_strDistrict.clear();
    // An answer still on its way belongs to the recording that has gone.
    ++m_nShowRequest;
    m_bRouteDecided = false;
    UpdateBrowserVisibility();
    if (!m_bRuntimePresent) SetPlaceholder(kMapNoRuntimeImage);
    else SetPlaceholder(m_nInternet == 0 ? kMapOfflineImage : kMapNoPositionImage);
}

void CMapView::Clear()
{
    if (CanCallPage()) m_pWebView->DelPos();
    ClearRoute();
}

void CMapView::ClearRoute()
{
    m_vecPlotted.clear();
    m_vecPlottedMask.clear();
    m_vecRoute.clear();
}

bool CMapView::IsPlotted(int nSecond) const
{
    return nSecond >= 0 && static_cast<std::size_t>(nSecond) < m_vecPlottedMask.size() &&
           m_vecPlottedMask[static_cast<std::size_t>(nSecond)];
}

void CMapView::MarkPlotted(int nSecond)
{
    if (static_cast<std::size_t>(nSecond) >= m_vecPlottedMask.size())
        m_vecPlottedMask.resize(static_cast<std::size_t>(nSecond) + 1, false);
    m_vecPlottedMask[static_cast<std::size_t>(nSecond)] = true;
    m_vecPlotted.push_back(nSecond);
}

void CMapView::AppendRoute(const MapPoint& point)
{
    // A second without a fix repeats the last point, which the page draws only once anyway.
    if (!m_vecRoute.empty() && m_vecRoute.back().lat == point.lat && m_vecRoute.back().lng == point.lng) return;
    m_vecRoute.push_back(point);
}

MapPoint CMapView::MakePoint(const GpsFix& fix)
{
    // A record without a speed keeps the colour of the one before, as the speed graph does.
    const double speed = std::isfinite(fix.speedKmh) ? fix.speedKmh : m_dLastSpeed;
    m_dLastSpeed = speed;
    return MapPoint{MapCoordinate(fix.latitude), MapCoordinate(fix.longitude), speed};
}

std::optional<MapPoint> CMapView::PointOfSecond(int nSecond)
{
    const int k = CTorvixGpsData::GetSampleIndex(m_nGpsCount, nSecond, m_nDuration);
    if (k >= 0 && k < m_nGpsCount) {
        const GpsFix& fix = m_vecFixes[static_cast<std::size_t>(k)];
        if (HasPositionNumbers(fix)) {
            m_fixLastValid = fix;
            return MakePoint(fix);
        }
    }
    // A second without a position of its own stays where the vehicle was last seen.
    if (m_fixLastValid) return MakePoint(*m_fixLastValid);
    return std::nullopt;
}

void CMapView::DrawPosition(int nSecond)
{
    m_nCurrentSecond = nSecond;
    if (nSecond < 0 || nSecond > kMaxSecond || IsPlotted(nSecond)) return;
    const std::optional<MapPoint> point = PointOfSecond(nSecond);
    MarkPlotted(nSecond);
    if (!point) return;
    AppendRoute(*point);
    if (m_bBrowserShown && CanCallPage()) m_pWebView->AddPos(*point);
}

void CMapView::Replot(int nSecond)
{
    // The route of a recording is no longer than the recording.
    const int n = std::clamp(nSecond, 0, std::min(m_nDuration + 1, kMaxSecond));
    ClearRoute();
    // From the start, as if played: a second before the first fix must not take a position that
    // only a later second gave.
    m_fixLastValid.reset();
    m_dLastSpeed = 0.0;
    for (int s = 0; s < n; ++s) {
        const std::optional<MapPoint> point = PointOfSecond(s);
        MarkPlotted(s);
        if (point) AppendRoute(*point);
    }
    m_nCurrentSecond = n > 0 ? n - 1 : 0;
    if (m_bBrowserShown && CanCallPage()) m_pWebView->ReplotPos(m_vecRoute);
}

void CMapView::SetAdminDistrictName(const std::wstring& name)
{
    m_strDistrict = name;
    if (CanCallPage()) m_pWebView->SetAdminDistrictName(name);
}

void CMapView::SetSpeedUnit(int nUnit)
{
    m_nSpeedUnit = nUnit ? 1 : 0;
    if (CanCallPage()) m_pWebView->SetSpeedUnit(m_nSpeedUnit);
}

void CMapView::Capture(IMapWebView::CaptureDone done)
{
    if (!done) return;
    if (m_nInternet != 1 || !m_bHasPosition || !m_pWebView) {
        done(nullptr);
        return;
    }
    m_pWebView->CapturePreview(std::move(done));
}

int CMapView::DrawCtrl(HDC dc, POINT origin)
{
    // The web view follows the control wherever the dialog has put it.
    if (m_pWebView) m_pWebView->MoveTo(m_rcCtrl);
    return CBmpWebLinkEx::DrawCtrl(dc, origin);
}

int CMapView::SetVisibleCtrl(int visible, int redraw)
{
    const int result = CBmpWebLinkEx::SetVisibleCtrl(visible, redraw);
    UpdateBrowserVisibility();
    return result;
}

LRESULT CMapView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MAP_INTERNET_CHECKED:
        // Only the answer to the latest question counts; one that confirms what an older answer
        // already set up changes nothing.
        if (lParam == m_nShowRequest && m_bHasPosition &&
            (!m_bRouteDecided || m_nInternet != static_cast<int>(wParam ? 1 : 0)))
            ContinueShowRoute(static_cast<int>(wParam));
        return 0;
    case WM_MAP_APPLY_VISIBILITY:
        m_bHidePending = false;
        if (m_pWebView) m_pWebView->Show(m_bVisible && m_bBrowserShown && CanCallPage());
        return 0;
    case WM_MAPVIEW_PAGE_READY: OnPageReady(); return 0;
    case WM_MAPVIEW_PAGE_GONE: OnPageGone(wParam); return 0;
    default: break;
    }
    return CBmpWebLinkEx::OnMessage(message, wParam, lParam);
}
