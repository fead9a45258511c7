#pragma once

// A WebKitGTK view in a real top-level window on the test's own X server, with the means a map host
// needs: load a page, hear the page's "torvixMap" messages, call page functions with arguments,
// take a snapshot, and click into the view through the X server.

#include "XvfbDisplay.h"

#include <cairo.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtk/gtk.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <webkit2/webkit2.h>

namespace uimap {

struct GObjectUnref {
    void operator()(gpointer p) const
    {
        if (p) g_object_unref(p);
    }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

struct SurfaceDestroy {
    void operator()(cairo_surface_t* s) const
    {
        if (s) cairo_surface_destroy(s);
    }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;

struct WidgetDestroy {
    void operator()(GtkWidget* w) const
    {
        if (w) gtk_widget_destroy(w);
    }
};

// Runs the default main context until done() holds or the time is up; returns done().
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        bool any = false;
        while (g_main_context_iteration(nullptr, FALSE)) any = true;
        if (!any) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline void RunFor(int ms)
{
    RunUntil([] { return false; }, ms);
}

// A snapshot as 0xAARRGGBB pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    SurfacePtr surface; // kept to write the PNG

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

inline bool Near(uint32_t pixel, uint32_t rgb, int tolerance)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF);
        const int b = static_cast<int>((rgb >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

// Pixels of the colour inside the rectangle [x0, x1) x [y0, y1), clipped to the picture.
inline int CountColour(const Picture& pic, uint32_t rgb, int tolerance, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(pic.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(pic.width, x1); ++x)
            if (Near(pic.At(x, y), rgb, tolerance)) ++n;
    return n;
}

inline int CountColour(const Picture& pic, uint32_t rgb, int tolerance)
{
    return CountColour(pic, rgb, tolerance, 0, 0, pic.width, pic.height);
}

// Pixels that differ between two pictures of the same size inside the rectangle.
inline int CountDifferent(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min({a.height, b.height, y1}); ++y)
        for (int x = std::max(0, x0); x < std::min({a.width, b.width, x1}); ++x)
            if (!Near(a.At(x, y), b.At(x, y) & 0xFFFFFF, 8)) ++n;
    return n;
}

class WebPageHarness {
public:
    // A message channel name the page posts to; empty for pages that post nothing.
    WebPageHarness(int width, int height, const char* channel)
    {
        m_manager.reset(webkit_user_content_manager_new());
        if (channel) {
            webkit_user_content_manager_register_script_message_handler(m_manager.get(), channel);
            const std::string signal = std::string("script-message-received::") + channel;
            g_signal_connect(m_manager.get(), signal.c_str(), G_CALLBACK(OnMessage), this);
        }
        m_window.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
        gtk_window_set_decorated(GTK_WINDOW(m_window.get()), FALSE);
        gtk_window_set_default_size(GTK_WINDOW(m_window.get()), width, height);
        gtk_window_move(GTK_WINDOW(m_window.get()), 0, 0);
        m_view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_user_content_manager(m_manager.get()));
        gtk_container_add(GTK_CONTAINER(m_window.get()), GTK_WIDGET(m_view));
        g_signal_connect(m_view, "load-changed", G_CALLBACK(OnLoadChanged), this);
        g_signal_connect(m_view, "load-failed", G_CALLBACK(OnLoadFailed), this);
        g_signal_connect(m_view, "web-process-terminated", G_CALLBACK(OnTerminated), this);
        gtk_widget_show_all(m_window.get());
    }
    ~WebPageHarness()
    {
        // Results of calls still on their way land in their own heap records, never in this object.
        if (m_manager) g_signal_handlers_disconnect_by_data(m_manager.get(), this);
        if (m_view) g_signal_handlers_disconnect_by_data(m_view, this);
    }
    WebPageHarness(const WebPageHarness&) = delete;
    WebPageHarness& operator=(const WebPageHarness&) = delete;

    WebKitWebView* View() const { return m_view; }
    const std::vector<std::string>& Messages() const { return m_messages; }
    void ClearMessages() { m_messages.clear(); }
    const std::string& Failure() const { return m_strFailure; }

    // Starts loading the address and returns at once.
    void Start(const std::string& uri)
    {
        m_bFinished = false;
        webkit_web_view_load_uri(m_view, uri.c_str());
    }

    // Loads the address and waits for the load to finish (or fail). The load finishes only when
    // every picture of the page has arrived or failed.
    bool Load(const std::string& uri, int timeoutMs)
    {
        m_bFinished = false;
        webkit_web_view_load_uri(m_view, uri.c_str());
        return RunUntil([this] { return m_bFinished || !m_strFailure.empty(); }, timeoutMs) && m_strFailure.empty();
    }

    // Runs the body as an async function with the vardict's entries as its local variables; gives
    // the result converted to text, or nothing (with the reason in error).
    std::optional<std::string> Call(const char* body, GVariant* args, std::string* error = nullptr, int timeoutMs = 5000)
    {
        struct Pending {
            bool done = false;
            bool ok = false;
            std::string text;
        };
        auto pending = std::make_shared<Pending>();
        auto* ticket = new std::shared_ptr<Pending>(pending); // handed through the C callback
        webkit_web_view_call_async_javascript_function(
            m_view, body, -1, args, nullptr, nullptr, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                std::unique_ptr<std::shared_ptr<Pending>> own(static_cast<std::shared_ptr<Pending>*>(data));
                Pending& p = **own;
                GError* err = nullptr;
                JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &err);
                if (value) {
                    char* text = jsc_value_to_string(value);
                    p.text = text ? text : "";
                    g_free(text);
                    g_object_unref(value);
                    p.ok = true;
                } else {
                    p.text = err ? err->message : "no result";
                }
                g_clear_error(&err);
                p.done = true;
            },
            ticket);
        const bool finished = RunUntil([&] { return pending->done; }, timeoutMs);
        if (!finished) {
            if (error) *error = "timed out";
            return std::nullopt;
        }
        if (!pending->ok) {
            if (error) *error = pending->text;
            return std::nullopt;
        }
        return pending->text;
    }

    // Runs a body that takes no arguments.
    std::optional<std::string> Eval(const char* body, std::string* error = nullptr) { return Call(body, nullptr, error); }

    std::optional<Picture> Snapshot(int timeoutMs = 5000)
    {
        struct Pending {
            bool done = false;
            SurfacePtr surface;
        };
        auto pending = std::make_shared<Pending>();
        auto* ticket = new std::shared_ptr<Pending>(pending);
        webkit_web_view_get_snapshot(
            m_view, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                std::unique_ptr<std::shared_ptr<Pending>> own(static_cast<std::shared_ptr<Pending>*>(data));
                GError* err = nullptr;
                (*own)->surface.reset(webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &err));
                g_clear_error(&err);
                (*own)->done = true;
            },
            ticket);
        if (!RunUntil([&] { return pending->done; }, timeoutMs) || !pending->surface) return std::nullopt;

        // Whatever kind of surface came back, read it through an image surface of our own.
        cairo_surface_t* src = pending->surface.get();
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        cairo_t* probe = cairo_create(src);
        cairo_clip_extents(probe, &x1, &y1, &x2, &y2);
        cairo_destroy(probe);
        Picture pic;
        pic.width = static_cast<int>(x2 - x1);
        pic.height = static_cast<int>(y2 - y1);
        if (pic.width <= 0 || pic.height <= 0) return std::nullopt;
        pic.surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, pic.width, pic.height));
        cairo_t* cr = cairo_create(pic.surface.get());
        cairo_set_source_surface(cr, src, -x1, -y1);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(pic.surface.get());
        const unsigned char* data = cairo_image_surface_get_data(pic.surface.get());
        const int stride = cairo_image_surface_get_stride(pic.surface.get());
        pic.pixels.resize(static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height));
        for (int y = 0; y < pic.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
            for (int x = 0; x < pic.width; ++x)
                pic.pixels[static_cast<size_t>(y) * static_cast<size_t>(pic.width) + static_cast<size_t>(x)] = row[x] | 0xFF000000u;
        }
        return pic;
    }

    // The view's top-left corner on the X screen.
    std::pair<int, int> ScreenOrigin() const
    {
        int x = 0, y = 0;
        GdkWindow* w = gtk_widget_get_window(GTK_WIDGET(m_view));
        if (w) gdk_window_get_origin(w, &x, &y);
        return {x, y};
    }

    // Presses and releases the first mouse button at a point of the view, through the X server
    // (xdotool), so that the click takes the same path as a user's.
    bool ClickAt(int x, int y, std::string* error)
    {
        const auto [ox, oy] = ScreenOrigin();
        const std::string sx = std::to_string(ox + x);
        const std::string sy = std::to_string(oy + y);
        const char* argv[] = {"xdotool", "mousemove", sx.c_str(), sy.c_str(), "click", "1", nullptr};
        pid_t pid = -1;
        if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
            *error = "cannot start xdotool";
            return false;
        }
        // xdotool finishes quickly; keep the main loop turning meanwhile so that the view answers.
        int status = 0;
        bool exited = RunUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10000);
        if (!exited) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            *error = "xdotool hung";
            return false;
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            *error = "xdotool failed";
            return false;
        }
        return true;
    }

private:
    static void OnMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self)
    {
        JSCValue* value = webkit_javascript_result_get_js_value(result);
        char* text = value ? jsc_value_to_string(value) : nullptr;
        static_cast<WebPageHarness*>(self)->m_messages.emplace_back(text ? text : "");
        g_free(text);
    }
    static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self)
    {
        if (event == WEBKIT_LOAD_FINISHED) static_cast<WebPageHarness*>(self)->m_bFinished = true;
    }
    static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self)
    {
        static_cast<WebPageHarness*>(self)->m_strFailure =
            std::string("load of ") + (uri ? uri : "?") + " failed: " + (error ? error->message : "?");
        return FALSE;
    }
    static void OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self)
    {
        static_cast<WebPageHarness*>(self)->m_strFailure = "web process ended, reason " + std::to_string(static_cast<int>(reason));
    }

    GPtr<WebKitUserContentManager> m_manager;
    std::unique_ptr<GtkWidget, WidgetDestroy> m_window; // owns the view
    WebKitWebView* m_view = nullptr;
    std::vector<std::string> m_messages; // main thread only
    bool m_bFinished = false;
    std::string m_strFailure;
};

} // namespace uimap
