#include "map/BmpWebLink.h"

#include "cardtools/InternetCheck.h"
#include "map/UriLauncher.h"
#include "map/WebKitSupport.h"

#include "diag/Trace.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cstring>

using namespace zent;

namespace {

constexpr UINT_PTR kSettleTimer = 0x7501;

// A copy of a bitmap whose handle is only lent for the length of a call.
UniqueBitmap CopyBitmap(HBITMAP hSource)
{
    BITMAP bm;
    if (!hSource || !GetObject(hSource, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
    void* pBits = nullptr;
    UniqueBitmap copy(CreateDIBSection(nullptr, bm.bmWidth, bm.bmHeight, &pBits));
    if (!copy) return nullptr;
    for (int y = 0; y < bm.bmHeight; ++y) {
        const std::uint32_t* row = GetBitmapRow(hSource, y);
        if (row) std::memcpy(GetBitmapRow(copy.get(), y), row, static_cast<std::size_t>(bm.bmWidth) * 4);
    }
    return copy;
}

} // namespace

std::string GetSpeedcamPageAddress(int nLanguageIndex)
{
    const int index = nLanguageIndex >= 0 && nLanguageIndex <= 3 ? nLanguageIndex : 0;
    return GetServiceAddress("SpeedcamPanel", "Page" + std::to_string(index));
}

CBmpWebLink::CBmpWebLink() = default;

CBmpWebLink::~CBmpWebLink()
{
    // The view posts to this window: it goes first.
    m_pView.reset();
    DestroyWindow();
}

void CBmpWebLink::SetPageViewFactory(PageViewFactory fnFactory)
{
    m_fnFactory = std::move(fnFactory);
}

void CBmpWebLink::SetInternetCheck(CInternetCheck* pCheck)
{
    m_pCheck = pCheck;
    m_bCheckSet = true;
}

int CBmpWebLink::Create(const RECT& rc, HWND hwndParent, UINT nID, QLBMLoader* pLoader, int nLanguageIndex,
                        std::string strPage)
{
    if (!CreateEx(0, L"BmpWebLink", L"", WS_CHILD | WS_VISIBLE, rc, hwndParent, nID)) return 0;
    if (!CBmpCtrl::InitControl(4)) return 0;
    m_rcPanel = rc;
    m_rcCtrl = rc;
    m_strPage = strPage.empty() ? GetSpeedcamPageAddress(nLanguageIndex) : std::move(strPage);
    if (!m_bCheckSet) m_pCheck = mapweb::GetGtkPresenter() ? &CInternetCheck::Shared() : nullptr;
    m_pView = m_fnFactory ? m_fnFactory(rc.Width(), rc.Height(), GetSafeHwnd())
                          : std::unique_ptr<IPageView>(CWebView::Create(rc.Width(), rc.Height(), GetSafeHwnd()));
    if (pLoader) {
        m_kWaiting.Load(pLoader, kSpeedcamWaitingImage);
        pLoader->GetRect(static_cast<int>(kSpeedcamWaitingImage), &m_rcWaiting);
    }
    OnInitialUpdate();
    return 1;
}

void CBmpWebLink::OnInitialUpdate()
{
    if (!m_pView || !m_pCheck || m_strPage.empty()) return;
    const auto answer = m_pCheck->CheckAsync(GetSafeHwnd(), WM_SPEEDCAM_INTERNET_CHECKED, 0);
    if (answer && *answer) m_pView->Navigate(m_strPage);
}

void CBmpWebLink::OnBrowserUpdate()
{
    TraceA("OnBrowserUpdate\n");
    m_bLoaded = true;
    // A timer rather than a pause: the window keeps running while the page settles.
    SetTimer(GetSafeHwnd(), kSettleTimer, kSpeedcamSettleMs);
}

void CBmpWebLink::OnBrowserUpdateFail()
{
    TraceA("OnBrowserUpdateFail\n");
    KillTimer(GetSafeHwnd(), kSettleTimer);
    m_bLoaded = false;
    m_bmpPage.reset();
    Draw();
}

void CBmpWebLink::TakePicture()
{
    if (!m_pView || !m_bLoaded) return;
    m_pView->Snapshot([this](HBITMAP hBitmap) {
        // A failure that came meanwhile has the last word.
        if (!m_bLoaded) return;
        if (UniqueBitmap copy = CopyBitmap(hBitmap)) m_bmpPage = std::move(copy);
        Draw();
    });
}

int CBmpWebLink::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const int w = m_rcPanel.Width(), h = m_rcPanel.Height();
    if (w <= 0 || h <= 0) return 1;
    // The panel's own picture starts black, as an empty off-screen bitmap does.
    FillSolidRect(dc, origin.x, origin.y, w, h, RGB(0, 0, 0));
    if (m_bLoaded && m_bmpPage) {
        BITMAP bm;
        GetObject(m_bmpPage.get(), &bm);
        UniqueDC mem(CreateCompatibleDC(dc));
        SelectObject(mem.get(), m_bmpPage.get());
        BitBlt(dc, origin.x, origin.y, std::min<int>(w, bm.bmWidth), std::min<int>(h, bm.bmHeight), mem.get(), 0, 0,
               SRCCOPY);
        SelectObject(mem.get(), static_cast<HBITMAP>(nullptr));
    } else if (m_kWaiting.IsLoaded()) {
        const int iw = static_cast<int>(m_kWaiting.GetWidth()), ih = static_cast<int>(m_kWaiting.GetHeight());
        m_kWaiting.Draw(dc, origin.x + (w - iw) / 2, origin.y + (h - ih) / 2);
    }
    return 1;
}

int CBmpWebLink::LButtonDown(UINT, POINT)
{
    if (m_bShown || !m_bLoaded || !m_pView) return 1;
    const std::string link = m_pView->GetFirstLink();
    if (link.empty()) {
        TraceA("Could not retreave item %d from collection", 0);
        return 1;
    }
    OpenInBrowser(link);
    return 1;
}

LRESULT CBmpWebLink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SPEEDCAM_INTERNET_CHECKED:
        if (wParam && m_pView && !m_pView->IsNavigated()) m_pView->Navigate(m_strPage);
        return 0;
    case WM_BROWSER_UPDATE: OnBrowserUpdate(); return 0;
    case WM_BROWSER_UPDATE_FAIL: OnBrowserUpdateFail(); return 0;
    case WM_TIMER:
        if (wParam == kSettleTimer) {
            KillTimer(GetSafeHwnd(), kSettleTimer);
            TakePicture();
            return 0;
        }
        break;
    case mapweb::WM_WEBVIEW_RUN_PENDING:
        if (m_pView) m_pView->RunPending();
        return 0;
    default: break;
    }
    return CBmpCtrl::OnMessage(message, wParam, lParam);
}
