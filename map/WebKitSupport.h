#pragma once

// What the map's two web views share: ownership of GObjects, the one web context of the player,
// the GTK presenter of this thread, pictures from WebKit snapshots, and results of WebKit's
// callbacks handed to a window's message handling instead of being acted on inside GTK's.
// Internal to map/; GUI thread only.

#include <zent/platform/Bitmap.h>
#include <zent/platform/Messages.h>
#include <zent/platform/Types.h>

#include <deque>
#include <functional>
#include <memory>

#include <cairo.h>
#include <glib-object.h>

typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitSettings WebKitSettings;

namespace zent {
class CGtkPresenter;
}

namespace mapweb {

struct GObjectUnref {
    void operator()(gpointer p) const
    {
        if (p) g_object_unref(p);
    }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

// The GTK presenter of this thread's message loop, or null (headless, or no loop).
zent::CGtkPresenter* GetGtkPresenter();

// The web context of every web view of the player, made on first use and kept until the process
// ends: one network process, and every web data (caches included) in memory only.
WebKitWebContext* GetPlayerWebContext();
// Settings of a view that shows one of our pages: no developer tools, no DNS prefetching of the
// page's links (a page's link must not reach the network until someone clicks it).
WebKitSettings* NewPageSettings();

// The snapshot as a bitmap of its size, composed over black; null when it has no pixels.
zent::UniqueBitmap BitmapFromSurface(cairo_surface_t* pSurface);

// Posted by CPendingCalls to its window; the window's handler calls RunPending.
constexpr zent::UINT WM_WEBVIEW_RUN_PENDING = zent::WM_APP + 0x40A;

// Work that a GTK callback hands to a window: queued here and run when the window handles the
// message, so that what the work does (call back into the map, paint, open a dialog) happens in
// the window's own message handling and never inside GTK's dispatch.
class CPendingCalls {
public:
    void SetWindow(zent::HWND hwnd) { m_hWnd = hwnd; }
    void Post(std::function<void()> fn);
    void RunPending();

private:
    zent::HWND m_hWnd = nullptr;
    std::deque<std::function<void()>> m_dqCalls;
};

} // namespace mapweb
