#include "widgets/MemDC2.h"

#include "diag/Trace.h"

using namespace zent;

CMemDC2::CMemDC2(HDC hdcTarget, const RECT& rc) : m_hTarget(hdcTarget), m_rc(rc)
{
    if (!hdcTarget || rc.IsEmpty()) return;
    m_hDC.reset(CreateCompatibleDC(hdcTarget));
    if (!m_hDC) {
        TraceA("Failed to create compatible DC!!");
        return;
    }
    m_hBitmap.reset(CreateCompatibleBitmap(hdcTarget, rc.Width(), rc.Height()));
    if (!m_hBitmap) {
        TraceA("Failed to create compatible Bitmap!!");
        m_hDC.reset();
        return;
    }
    SelectObject(m_hDC.get(), m_hBitmap.get());
    SetViewportOrgEx(m_hDC.get(), -rc.left, -rc.top, nullptr);
}

CMemDC2::~CMemDC2()
{
    if (!IsValid() || m_bDiscard) return;
    SetViewportOrgEx(m_hDC.get(), 0, 0, nullptr);
    BitBlt(m_hTarget, m_rc.left, m_rc.top, m_rc.Width(), m_rc.Height(), m_hDC.get(), 0, 0, SRCCOPY);
}
