#pragma once

// A skinned control that stands for a web view: it owns the web view (a native child window over
// its rectangle) and a placeholder picture from the skin that it paints whenever the web view is
// not to be seen. A click on it while the web view cannot run opens the help page about the
// missing runtime. GUI thread only.

#include "map/MapWebView.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/util/ZuImage.h>

#include <memory>
#include <string>

class CBmpWebLinkEx : public zent::CBmpCtrl {
public:
    CBmpWebLinkEx();
    ~CBmpWebLinkEx() override;

    // The placeholder picture: skin image id of loader (kept for later changes of the picture).
    int SetBitmap(int state, zent::QLBMLoader* loader, zent::UINT id) override;
    // Paints the placeholder at the control's place.
    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
    // While the web view cannot run: opens the help page (GetRuntimeHelpAddress).
    int LButtonDown(zent::UINT flags, zent::POINT pt) override;

    zent::UINT GetPlaceholderId() const { return m_nPlaceholderId; }
    bool IsBrowserShown() const { return m_bBrowserShown; }
    IMapWebView* GetWebView() const { return m_pWebView.get(); }

    // Where the user learns how to install what the map needs (services.conf [Map] RuntimeHelp,
    // else the project's page about WebKitGTK).
    static std::string GetRuntimeHelpAddress();

protected:
    zent::CZuImage m_kImage;                  // the placeholder picture
    std::unique_ptr<IMapWebView> m_pWebView;  // null until the control is set up (or no display)
    bool m_bBrowserShown = false;             // the web view is what the control shows
    bool m_bPageLoaded = false;               // the page reported ready since it was last loaded
    bool m_bRuntimePresent = true;            // the web view can run (cleared when it could not)
    zent::QLBMLoader* m_pLoader = nullptr;    // not owned
    zent::UINT m_nPlaceholderId = 0;
};
