#pragma once

// cairo over the pixels of a device context's bitmap (CAIRO_FORMAT_RGB24 shares the B, G, R, X
// byte order), clipped like the device context. Lives for one drawing call.

#include "GdiObjects.h"

#include <cairo.h>

namespace zent {

class CCairoCanvas {
public:
    explicit CCairoCanvas(const DeviceContext& dc)
    {
        if (!dc.m_pBitmap) return;
        const std::vector<RECT> clip = EffectiveClip(dc);
        if (clip.empty()) return;
        const BitmapObject& bmp = *dc.m_pBitmap;
        m_pBitmap = &bmp;
        m_pSurface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(bmp.m_pPixels),
                                                         CAIRO_FORMAT_RGB24, bmp.m_nWidth, bmp.m_nHeight,
                                                         bmp.m_nStride * 4);
        if (cairo_surface_status(m_pSurface) != CAIRO_STATUS_SUCCESS) return;
        m_pCairo = cairo_create(m_pSurface);
        for (const RECT& r : clip) cairo_rectangle(m_pCairo, r.left, r.top, r.Width(), r.Height());
        cairo_clip(m_pCairo);
    }
    ~CCairoCanvas()
    {
        if (!m_vecSaved.empty()) FinishTopBytes();
        if (m_pCairo) cairo_destroy(m_pCairo);
        if (m_pSurface) {
            cairo_surface_finish(m_pSurface);
            cairo_surface_destroy(m_pSurface);
        }
    }
    CCairoCanvas(const CCairoCanvas&) = delete;
    CCairoCanvas& operator=(const CCairoCanvas&) = delete;

    // cairo writes 0xFF into the top byte of every pixel it composites over, even where nothing
    // changed. GDI writes 0 where it draws and leaves other pixels alone: remember the top bytes
    // of the box that a drawing may touch, and settle them afterwards (FinishTopBytes).
    void GuardTopBytes(const RECT& box)
    {
        const BitmapObject& bmp = *m_pBitmap;
        m_rcGuard = IntersectRects(box, RECT{0, 0, bmp.m_nWidth, bmp.m_nHeight});
        m_vecSaved.clear();
        for (int y = m_rcGuard.top; y < m_rcGuard.bottom; ++y)
            m_vecSaved.insert(m_vecSaved.end(), bmp.Row(y) + m_rcGuard.left, bmp.Row(y) + m_rcGuard.right);
    }
    void FinishTopBytes()
    {
        if (m_pSurface) cairo_surface_flush(m_pSurface);
        const BitmapObject& bmp = *m_pBitmap;
        std::size_t i = 0;
        for (int y = m_rcGuard.top; y < m_rcGuard.bottom; ++y) {
            std::uint32_t* row = bmp.Row(y);
            for (int x = m_rcGuard.left; x < m_rcGuard.right; ++x, ++i) {
                const std::uint32_t before = m_vecSaved[i];
                row[x] = ((row[x] ^ before) & 0xFFFFFFu) ? (row[x] & 0xFFFFFFu) : before;
            }
        }
        m_vecSaved.clear();
        m_rcGuard = RECT{};
    }

    bool IsValid() const { return m_pCairo && cairo_status(m_pCairo) == CAIRO_STATUS_SUCCESS; }
    cairo_t* Get() const { return m_pCairo; }
    void SetSourceColor(COLORREF c) const
    {
        cairo_set_source_rgb(m_pCairo, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
    }

private:
    const BitmapObject* m_pBitmap = nullptr;
    RECT m_rcGuard{};
    std::vector<std::uint32_t> m_vecSaved;
    cairo_surface_t* m_pSurface = nullptr;
    cairo_t* m_pCairo = nullptr;
};

} // namespace zent
