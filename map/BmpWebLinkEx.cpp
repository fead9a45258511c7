#include "map/BmpWebLinkEx.h"

#include "cardtools/InternetCheck.h"
#include "map/UriLauncher.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

using namespace zent;

namespace {

constexpr const char* kDefaultRuntimeHelp = "https://www.torvix.example/support/webkitgtk/";

} // namespace

CBmpWebLinkEx::CBmpWebLinkEx() = default;
CBmpWebLinkEx::~CBmpWebLinkEx() = default;

std::string CBmpWebLinkEx::GetRuntimeHelpAddress()
{
    const std::string address = GetServiceAddress("Map", "RuntimeHelp");
    return address.empty() ? std::string(kDefaultRuntimeHelp) : address;
}

int CBmpWebLinkEx::SetBitmap(int, QLBMLoader* loader, UINT id)
{
    if (loader) m_pLoader = loader;
    m_nPlaceholderId = id;
    if (!m_pLoader) return 0;
    m_kImage.Load(m_pLoader, id);
    return m_kImage.IsLoaded();
}

int CBmpWebLinkEx::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    if (m_kImage.IsLoaded()) {
        m_kImage.Draw(dc, origin.x, origin.y, m_rcCtrl.Width(), m_rcCtrl.Height());
    } else {
        // A skin without the picture still covers the area rather than leaving what was there.
        FillSolidRect(dc, origin.x, origin.y, m_rcCtrl.Width(), m_rcCtrl.Height(), RGB(0, 0, 0));
    }
    return 1;
}

int CBmpWebLinkEx::LButtonDown(UINT, POINT)
{
    if (!m_bRuntimePresent) OpenInBrowser(GetRuntimeHelpAddress());
    return 1;
}
