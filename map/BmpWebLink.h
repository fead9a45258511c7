#pragma once

// The speed-camera information panel: a small page of the speed-camera service, loaded into a
// hidden web view (CWebView) and painted into the panel as a picture. Until the page is there the
// panel shows the waiting picture (skin image 41). A click on the loaded panel opens the page's
// first link in the desktop's default browser. The page is asked for only when the internet
// answers; the probe runs off the GUI thread. GUI thread only.

#include "map/WebView.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/platform/Bitmap.h>
#include <zent/util/ZuImage.h>

#include <functional>
#include <memory>
#include <string>

class CInternetCheck;

// The waiting picture and, by its rectangle, the panel's place in the player window.
constexpr zent::UINT kSpeedcamWaitingImage = 41;
// The probe's answer -> the panel (wParam the answer).
constexpr zent::UINT WM_SPEEDCAM_INTERNET_CHECKED = zent::WM_APP + 0x7503;
// The panel waits this long after the page has loaded before it takes the picture, so that the
// page's last layout has been painted.
constexpr zent::UINT kSpeedcamSettleMs = 250;

// The speed-camera page for a language index as services.conf names it ([SpeedcamPanel] Page<n>).
std::string GetSpeedcamPageAddress(int nLanguageIndex);

class CBmpWebLink : public zent::CBmpCtrl {
public:
    CBmpWebLink();
    ~CBmpWebLink() override;

    using PageViewFactory = std::function<std::unique_ptr<IPageView>(int nWidth, int nHeight, zent::HWND hwndNotify)>;
    // Before Create (tests). The default makes a CWebView (none without a display).
    void SetPageViewFactory(PageViewFactory fnFactory);
    // The reachability check; null: never online. Default: the program's shared check with the
    // GTK presenter, none headless. Not owned.
    void SetInternetCheck(CInternetCheck* pCheck);

    // The panel as a child window at rc of hwndParent, registered with that dialog, showing the
    // waiting picture, with its hidden view; the page (strPage, empty: GetSpeedcamPageAddress)
    // is asked for once the internet answers. 0 when the window cannot be made or registered.
    int Create(const zent::RECT& rc, zent::HWND hwndParent, zent::UINT nID, zent::QLBMLoader* pLoader,
               int nLanguageIndex, std::string strPage = {});

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
    int LButtonDown(zent::UINT flags, zent::POINT pt) override;

    bool IsLoaded() const { return m_bLoaded; }
    // The page's picture has arrived and is what the panel paints.
    bool HasPagePicture() const { return m_bmpPage != nullptr; }
    const std::string& GetPageAddress() const { return m_strPage; }

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void OnInitialUpdate();
    void OnBrowserUpdate();
    void OnBrowserUpdateFail();
    void TakePicture();

    PageViewFactory m_fnFactory;
    CInternetCheck* m_pCheck = nullptr; // not owned
    bool m_bCheckSet = false;
    std::unique_ptr<IPageView> m_pView;
    std::string m_strPage;
    bool m_bLoaded = false;        // the page finished loading
    bool m_bShown = false;         // the view itself is never shown: the page is painted as a picture
    zent::RECT m_rcPanel{};        // the panel in its dialog
    zent::CZuImage m_kWaiting;     // skin image 41
    zent::RECT m_rcWaiting{};
    zent::UniqueBitmap m_bmpPage;  // the page's picture, once taken
};
