#include "widgets/BmpProgress.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>

using namespace zent;

CBmpProgress::CBmpProgress() = default;
CBmpProgress::~CBmpProgress() = default;

int CBmpProgress::InitControl(QLBMLoader* loader, UINT imageId)
{
    if (!loader) return 0;
    if (!CBmpCtrl::InitControl(1)) return 0;
    m_nPos = 0;
    RECT rc{};
    loader->GetRect(static_cast<int>(imageId), &rc);
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        // The dialog paints the control from now on; its own window only stays out of the way.
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    m_rcBar = RECT{0, 0, rc.Width(), rc.Height()};
    return 1;
}

void CBmpProgress::SetPos(int percent, int redraw)
{
    m_nPos = std::clamp(percent, 0, 100);
    if (redraw) Draw();
}

void CBmpProgress::SetColors(COLORREF background, COLORREF fill)
{
    m_clrBackground = background;
    m_clrFill = fill;
}

int CBmpProgress::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const int w = m_rcBar.Width();
    const int h = m_rcBar.Height();
    if (w <= 0 || h <= 0) return 1;
    const int x = origin.x + m_rcBar.left;
    const int y = origin.y + m_rcBar.top;
    FillSolidRect(dc, x, y, w, h, m_clrBackground);
    // Single precision, as the bar was always measured.
    const int filled = static_cast<int>(static_cast<float>(w) * static_cast<float>(m_nPos) / 100.0f);
    if (filled > 0) FillSolidRect(dc, x, y, filled, h, m_clrFill);
    return 1;
}
