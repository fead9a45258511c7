#pragma once

// An off-screen picture over one rectangle of a device context: drawing into it uses the target's
// own coordinates, and what was drawn reaches the target in one copy when the object goes. This
// keeps a self-drawn window from ever showing a half-painted state. GUI thread only.

#include <zent/platform/Gdi.h>

class CMemDC2 {
public:
    // rc in the target's logical coordinates. Traces and stays invalid when the picture cannot be
    // made; an empty rectangle is simply invalid.
    CMemDC2(zent::HDC hdcTarget, const zent::RECT& rc);
    ~CMemDC2();
    CMemDC2(const CMemDC2&) = delete;
    CMemDC2& operator=(const CMemDC2&) = delete;

    bool IsValid() const { return m_hDC != nullptr && m_hBitmap != nullptr; }
    zent::HDC GetSafeHdc() const { return m_hDC.get(); }
    operator zent::HDC() const { return m_hDC.get(); }
    const zent::RECT& GetRect() const { return m_rc; }
    // Nothing is copied to the target when the object goes.
    void Discard() { m_bDiscard = true; }

private:
    zent::HDC m_hTarget;
    zent::RECT m_rc;
    bool m_bDiscard = false;
    // Declared before the device context so that the context lets go of it first.
    zent::UniqueBitmap m_hBitmap;
    zent::UniqueDC m_hDC;
};
