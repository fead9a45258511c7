#include "map/WebView.h"

#include "map/WebKitSupport.h"

#include "diag/Trace.h"

#include <zent/platform/Window.h>

#include <webkit2/webkit2.h>

using namespace zent;
using mapweb::GPtr;

struct CWebView::CCore : std::enable_shared_from_this<CCore> {
    HWND hwndNotify = nullptr;
    GtkWidget* pWindow = nullptr; // the off-screen window, ours to destroy
    GPtr<WebKitWebView> pView;
    bool bNavigated = false;
    std::string strFirstLink;
    mapweb::CPendingCalls calls;

    ~CCore()
    {
        if (pView) g_signal_handlers_disconnect_by_data(pView.get(), this);
        pView.reset();
        if (pWindow) gtk_widget_destroy(pWindow);
    }

    void OnDocumentComplete();

    static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self)
    {
        if (event == WEBKIT_LOAD_FINISHED) static_cast<CCore*>(self)->OnDocumentComplete();
    }
    static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer self)
    {
        if (error && g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) return FALSE;
        auto* core = static_cast<CCore*>(self);
        // The finished-load signal follows a failure; the page must not count as loaded then.
        core->bNavigated = false;
        PostMessage(core->hwndNotify, WM_BROWSER_UPDATE_FAIL, 0, 0);
        return FALSE;
    }
    static void OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self)
    {
        auto* core = static_cast<CCore*>(self);
        core->bNavigated = false;
        PostMessage(core->hwndNotify, WM_BROWSER_UPDATE_FAIL, 0, 0);
    }
    static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer)
    {
        // Nobody sees this view: whatever the page tries to open besides itself is refused.
        if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
            webkit_policy_decision_ignore(decision);
            return TRUE;
        }
        return FALSE;
    }
};

namespace {

struct CLinkTicket {
    std::weak_ptr<CWebView::CCore> pCore;
};

struct CSnapshotTicket {
    std::weak_ptr<CWebView::CCore> pCore;
    IPageView::SnapshotDone fnDone;
};

} // namespace

void CWebView::CCore::OnDocumentComplete()
{
    TraceA("### %s()", "CWebView::OnDocumentComplete");
    if (!bNavigated || !pView) {
        PostMessage(hwndNotify, WM_BROWSER_UPDATE_FAIL, 0, 0);
        return;
    }
    // The panel opens the document's first link on a click: read once, when the page is there.
    static constexpr const char* kFirstLink =
        "const a = document.getElementsByTagName('a')[0]; return a && a.href ? String(a.href) : '';";
    webkit_web_view_call_async_javascript_function(
        pView.get(), kFirstLink, -1, nullptr, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<CLinkTicket> own(static_cast<CLinkTicket*>(data));
            GError* error = nullptr;
            JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
            g_clear_error(&error);
            std::string link;
            if (value) {
                if (jsc_value_is_string(value)) {
                    char* text = jsc_value_to_string(value);
                    link = text ? text : "";
                    g_free(text);
                }
                g_object_unref(value);
            }
            auto core = own->pCore.lock();
            if (!core) return;
            core->strFirstLink = link;
            PostMessage(core->hwndNotify, core->bNavigated ? WM_BROWSER_UPDATE : WM_BROWSER_UPDATE_FAIL, 0, 0);
        },
        new CLinkTicket{weak_from_this()});
}

std::unique_ptr<CWebView> CWebView::Create(int nWidth, int nHeight, HWND hwndNotify)
{
    if (!mapweb::GetGtkPresenter() || nWidth <= 0 || nHeight <= 0) return nullptr;
    auto core = std::make_shared<CCore>();
    core->hwndNotify = hwndNotify;
    core->calls.SetWindow(hwndNotify);
    core->pWindow = gtk_offscreen_window_new();
    gtk_window_set_default_size(GTK_WINDOW(core->pWindow), nWidth, nHeight);
    GPtr<WebKitSettings> settings(mapweb::NewPageSettings());
    GtkWidget* pWidget = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", mapweb::GetPlayerWebContext(),
                                                 "settings", settings.get(), nullptr));
    core->pView.reset(WEBKIT_WEB_VIEW(g_object_ref_sink(pWidget)));
    gtk_widget_set_size_request(pWidget, nWidth, nHeight);
    g_signal_connect(pWidget, "load-changed", G_CALLBACK(&CCore::OnLoadChanged), core.get());
    g_signal_connect(pWidget, "load-failed", G_CALLBACK(&CCore::OnLoadFailed), core.get());
    g_signal_connect(pWidget, "web-process-terminated", G_CALLBACK(&CCore::OnTerminated), core.get());
    g_signal_connect(pWidget, "decide-policy", G_CALLBACK(&CCore::OnDecidePolicy), core.get());
    gtk_container_add(GTK_CONTAINER(core->pWindow), pWidget);
    // Off screen: drawn for snapshots, never shown on the desktop.
    gtk_widget_show_all(core->pWindow);
    return std::unique_ptr<CWebView>(new CWebView(std::move(core)));
}

CWebView::CWebView(std::shared_ptr<CCore> pCore) : m_pCore(std::move(pCore)) {}

CWebView::~CWebView() = default;

void CWebView::Navigate(const std::string& uri)
{
    m_pCore->bNavigated = true;
    m_pCore->strFirstLink.clear();
    webkit_web_view_load_uri(m_pCore->pView.get(), uri.c_str());
}

bool CWebView::IsNavigated() const
{
    return m_pCore->bNavigated;
}

std::string CWebView::GetFirstLink() const
{
    return m_pCore->strFirstLink;
}

void CWebView::Snapshot(SnapshotDone done)
{
    if (!done) return;
    webkit_web_view_get_snapshot(
        m_pCore->pView.get(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<CSnapshotTicket> own(static_cast<CSnapshotTicket*>(data));
            GError* error = nullptr;
            cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
            g_clear_error(&error);
            std::shared_ptr<BitmapObject> bmp(mapweb::BitmapFromSurface(surface).release(), BitmapDeleter());
            if (surface) cairo_surface_destroy(surface);
            if (auto core = own->pCore.lock())
                core->calls.Post([fn = std::move(own->fnDone), bmp] { fn(bmp.get()); });
        },
        new CSnapshotTicket{m_pCore, std::move(done)});
}

void CWebView::RunPending()
{
    m_pCore->calls.RunPending();
}
