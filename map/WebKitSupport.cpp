#include "map/WebKitSupport.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Window.h>
#include <zent/platform/gtk/GtkPresenter.h>

#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace mapweb {

zent::CGtkPresenter* GetGtkPresenter()
{
    zent::CMessageLoop* pLoop = zent::CMessageLoop::Current();
    return pLoop ? dynamic_cast<zent::CGtkPresenter*>(&pLoop->GetPresenter()) : nullptr;
}

WebKitWebContext* GetPlayerWebContext()
{
    // Kept in memory only: our pages keep nothing worth keeping, and no web data on disk means no
    // two players (or tests) sharing a store, and nothing that outlives the process.
    static WebKitWebContext* s_pContext = webkit_web_context_new_ephemeral();
    return s_pContext;
}

WebKitSettings* NewPageSettings()
{
    WebKitSettings* pSettings = webkit_settings_new();
    webkit_settings_set_enable_developer_extras(pSettings, FALSE);
    // Deprecated in newer WebKit (and off there anyway); set by name so that no warning is raised.
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(pSettings), "enable-dns-prefetching"))
        g_object_set(pSettings, "enable-dns-prefetching", FALSE, nullptr);
    return pSettings;
}

zent::UniqueBitmap BitmapFromSurface(cairo_surface_t* pSurface)
{
    if (!pSurface) return nullptr;
    // Whatever kind of surface WebKit made, read it through an image surface of our own.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_t* probe = cairo_create(pSurface);
    cairo_clip_extents(probe, &x1, &y1, &x2, &y2);
    cairo_destroy(probe);
    const int width = static_cast<int>(x2 - x1);
    const int height = static_cast<int>(y2 - y1);
    if (width <= 0 || height <= 0) return nullptr;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_source_surface(cr, pSurface, -x1, -y1);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image);
    void* pBits = nullptr;
    zent::UniqueBitmap bmp(zent::CreateDIBSection(nullptr, width, height, &pBits));
    if (bmp && cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        // RGB24 keeps B, G, R, X in memory order, which is the bitmap's own layout.
        const unsigned char* src = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < height; ++y) {
            auto* row = static_cast<std::uint32_t*>(pBits) + static_cast<std::size_t>(y) * width;
            std::memcpy(row, src + static_cast<std::ptrdiff_t>(y) * stride, static_cast<std::size_t>(width) * 4);
            for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFFu;
        }
    }
    cairo_surface_destroy(image);
    return bmp;
}

void CPendingCalls::Post(std::function<void()> fn)
{
    m_dqCalls.push_back(std::move(fn));
    if (m_dqCalls.size() == 1) zent::PostMessage(m_hWnd, WM_WEBVIEW_RUN_PENDING, 0, 0);
}

void CPendingCalls::RunPending()
{
    // Work may queue more work: that waits for the next message.
    std::deque<std::function<void()>> calls;
    calls.swap(m_dqCalls);
    for (auto& fn : calls) fn();
}

} // namespace mapweb
