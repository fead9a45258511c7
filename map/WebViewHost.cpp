#include "map/WebViewHost.h"

#include "map/UriLauncher.h"
#include "map/WebKitSupport.h"

#include "diag/Trace.h"

#include <zent/platform/Text.h>
#include <zent/platform/gtk/GtkPresenter.h>

#include <webkit2/webkit2.h>

#include <cmath>
#include <cstdio>

using namespace zent;
using mapweb::GPtr;

struct CWebViewHost::CCore {
    HWND hwndSelf = nullptr;
    HWND hwndNotify = nullptr;
    std::string strPage;
    GPtr<WebKitUserContentManager> pContent;
    GPtr<WebKitWebView> pView; // a reference of our own; the native host holds the widget
    bool bRuntime = true;      // cleared when the web process could not start or ended
    bool bReady = false;       // the page reported ready since its last load
    mapweb::CPendingCalls calls;

    ~CCore();
    void Load();
    void Disconnect();

    // A page function with its arguments (a vardict, floating or null); the result is ignored.
    void Call(const char* body, GVariant* args) const
    {
        if (!pView) {
            if (args) g_variant_unref(g_variant_ref_sink(args));
            return;
        }
        webkit_web_view_call_async_javascript_function(pView.get(), body, -1, args, nullptr, nullptr, nullptr,
                                                       nullptr, nullptr);
    }

    static void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self);
    static void OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self);
    static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self);
    static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self);
    static gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer);
};

namespace {

// A ticket through WebKit's C callbacks: the core it belongs to (which may be gone by then).
struct CCallTicket {
    std::weak_ptr<CWebViewHost::CCore> pCore;
    IMapWebView::EvalDone fnEval;
    IMapWebView::CaptureDone fnCapture;
};

GVariant* Vardict(std::initializer_list<std::pair<const char*, GVariant*>> entries)
{
    GVariantBuilder b;
    g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
    for (const auto& [name, value] : entries) g_variant_builder_add(&b, "{sv}", name, value);
    return g_variant_builder_end(&b);
}

std::string JsonField(JSCValue* object, const char* name)
{
    if (!object || !jsc_value_is_object(object)) return {};
    GPtr<JSCValue> value(jsc_value_object_get_property(object, name));
    if (!value || !jsc_value_is_string(value.get())) return {};
    char* text = jsc_value_to_string(value.get());
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

} // namespace

CWebViewHost::CCore::~CCore()
{
    Disconnect();
}

void CWebViewHost::CCore::Disconnect()
{
    if (pContent) g_signal_handlers_disconnect_by_data(pContent.get(), this);
    if (pView) g_signal_handlers_disconnect_by_data(pView.get(), this);
}

void CWebViewHost::CCore::Load()
{
    bReady = false;
    if (pView) webkit_web_view_load_uri(pView.get(), strPage.c_str());
}

void CWebViewHost::CCore::OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self)
{
    auto* core = static_cast<CCore*>(self);
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!value || !jsc_value_is_string(value)) return;
    // Every payload is JSON text; JavaScriptCore reads it back into an object.
    char* text = jsc_value_to_string(value);
    GPtr<JSCValue> message(text ? jsc_value_new_from_json(jsc_value_get_context(value), text) : nullptr);
    g_free(text);
    const std::string event = JsonField(message.get(), "event");
    if (event == "ready") {
        core->bReady = true;
        TraceA("Web Page Opened Successfully\n");
        PostMessage(core->hwndNotify, WM_MAPVIEW_PAGE_READY, JsonField(message.get(), "look") == "online" ? 1 : 0, 0);
    } else if (event == "error") {
        // The page's map library is missing: no map can be drawn, as when the browser is missing.
        core->bRuntime = false;
        core->bReady = false;
        TraceA("Failed to create webview\n");
        PostMessage(core->hwndNotify, WM_MAPVIEW_PAGE_GONE, kPageGoneNoRuntime, 0);
    }
}

void CWebViewHost::CCore::OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self)
{
    auto* core = static_cast<CCore*>(self);
    TraceA("### %s - reason=%d", "CWebViewHost::OnTerminated", static_cast<int>(reason));
    core->bRuntime = false;
    core->bReady = false;
    PostMessage(core->hwndNotify, WM_MAPVIEW_PAGE_GONE, kPageGoneTerminated, 0);
}

gboolean CWebViewHost::CCore::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self)
{
    auto* core = static_cast<CCore*>(self);
    // A load that another load replaced is no failure.
    if (error && g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) return FALSE;
    TraceA("### %s - %s: %s", "CWebViewHost::OnLoadFailed", uri ? uri : "?", error ? error->message : "?");
    core->bReady = false;
    core->bRuntime = false;
    PostMessage(core->hwndNotify, WM_MAPVIEW_PAGE_GONE, kPageGoneLoadFailed, 0);
    return FALSE;
}

gboolean CWebViewHost::CCore::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                             WebKitPolicyDecisionType type, gpointer)
{
    // The view shows the route page and nothing else: a link the user follows (the tile credit)
    // opens in the desktop browser instead of replacing the map.
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
        return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const bool bLink = webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED;
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && !bLink) return FALSE;
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (uri) OpenInBrowser(uri);
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

gboolean CWebViewHost::CCore::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer)
{
    // "Back", "Reload" and the like would take the page away from the map's state.
    return TRUE;
}

// ---- CWebViewHost --------------------------------------------------------------------------------

CWebViewHost::CWebViewHost() : m_pCore(std::make_shared<CCore>()) {}

CWebViewHost::~CWebViewHost()
{
    m_pCore->Disconnect();
    if (m_pCore->pView) {
        // The view goes with its native host; taking it out first ends its web process now.
        GtkWidget* pWidget = GTK_WIDGET(m_pCore->pView.get());
        if (GtkWidget* pParent = gtk_widget_get_parent(pWidget)) gtk_container_remove(GTK_CONTAINER(pParent), pWidget);
        m_pCore->pView.reset();
    }
    m_pCore->pContent.reset();
    DestroyWindow();
}

BOOL CWebViewHost::Create(const RECT& rc, HWND hwndParent, HWND hwndNotify, std::string strPage)
{
    // Hidden until the map shows it: style child + clip-children, visible only through Show.
    if (!CreateEx(WS_EX_ZENT_NATIVE, kWebViewClassName, L"", WS_CHILD | WS_CLIPCHILDREN, rc, hwndParent,
                  kWebViewControlId))
        return FALSE;
    m_pCore->hwndSelf = GetSafeHwnd();
    m_pCore->hwndNotify = hwndNotify;
    m_pCore->strPage = std::move(strPage);
    m_pCore->calls.SetWindow(GetSafeHwnd());
    return TRUE;
}

const std::string& CWebViewHost::GetPageAddress() const
{
    return m_pCore->strPage;
}

bool CWebViewHost::IsPageReady() const
{
    return m_pCore->bReady;
}

bool CWebViewHost::CreateBrowser()
{
    TraceA("### %s", "CWebViewHost::CreateBrowser");
    CCore& core = *m_pCore;
    if (core.pView) {
        // The web process ended: the next load starts a new one.
        if (!core.bRuntime) {
            core.bRuntime = true;
            core.Load();
        }
        return true;
    }
    zent::CGtkPresenter* pGtk = mapweb::GetGtkPresenter();
    GtkWidget* pHost = pGtk ? pGtk->GetNativeHost(GetSafeHwnd()) : nullptr;
    if (!pHost) return false;

    core.pContent.reset(webkit_user_content_manager_new());
    webkit_user_content_manager_register_script_message_handler(core.pContent.get(), kMapMessageChannel);
    const std::string signal = std::string("script-message-received::") + kMapMessageChannel;
    g_signal_connect(core.pContent.get(), signal.c_str(), G_CALLBACK(&CCore::OnScriptMessage), &core);

    GPtr<WebKitSettings> settings(mapweb::NewPageSettings());
    GtkWidget* pWidget = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", mapweb::GetPlayerWebContext(),
                                                 "user-content-manager", core.pContent.get(), "settings",
                                                 settings.get(), nullptr));
    core.pView.reset(WEBKIT_WEB_VIEW(g_object_ref_sink(pWidget)));
    g_signal_connect(pWidget, "web-process-terminated", G_CALLBACK(&CCore::OnTerminated), &core);
    g_signal_connect(pWidget, "load-failed", G_CALLBACK(&CCore::OnLoadFailed), &core);
    g_signal_connect(pWidget, "decide-policy", G_CALLBACK(&CCore::OnDecidePolicy), &core);
    g_signal_connect(pWidget, "context-menu", G_CALLBACK(&CCore::OnContextMenu), &core);
    gtk_container_add(GTK_CONTAINER(pHost), pWidget);
    gtk_widget_show(pWidget);
    core.bRuntime = true;
    core.Load();
    return true;
}

bool CWebViewHost::IsCreated() const
{
    return m_pCore->pView != nullptr;
}

bool CWebViewHost::IsRuntimePresent() const
{
    return m_pCore->bRuntime;
}

void CWebViewHost::Reload()
{
    m_pCore->Load();
}

void CWebViewHost::TerminateWebProcess()
{
    if (m_pCore->pView) webkit_web_view_terminate_web_process(m_pCore->pView.get());
}

void CWebViewHost::AddPos(const MapPoint& point)
{
    m_pCore->Call("return addPos(lat, lng, speed);",
                  Vardict({{"lat", g_variant_new_double(point.lat)},
                           {"lng", g_variant_new_double(point.lng)},
                           {"speed", g_variant_new_double(point.speedKmh)}}));
}

void CWebViewHost::DelPos()
{
    m_pCore->Call("return delPos();", nullptr);
}

std::string CWebViewHost::PointsJson(const std::vector<MapPoint>& points)
{
    std::string json;
    json.reserve(points.size() * 36 + 2);
    json.push_back('[');
    char buf[96];
    for (const MapPoint& p : points) {
        // JSON has no NaN: a point without a number would make the whole text unreadable.
        if (!std::isfinite(p.lat) || !std::isfinite(p.lng)) continue;
        const double speed = std::isfinite(p.speedKmh) ? p.speedKmh : 0.0;
        const int n = std::snprintf(buf, sizeof buf, "%s[%.6f,%.6f,%.1f]", json.size() > 1 ? "," : "", p.lat, p.lng, speed);
        if (n > 0) json.append(buf, static_cast<std::size_t>(n));
    }
    json.push_back(']');
    return json;
}

void CWebViewHost::ReplotPos(const std::vector<MapPoint>& points)
{
    // The page takes the points as one JSON text argument: WebKit passes numbers, strings and
    // dictionaries to a function, not arrays.
    const std::string json = PointsJson(points);
    m_pCore->Call("return replotPos(JSON.parse(points));", Vardict({{"points", g_variant_new_string(json.c_str())}}));
}

void CWebViewHost::SetDefaultPos()
{
    m_pCore->Call("return setDefaultPos();", nullptr);
}

void CWebViewHost::SetAdminDistrictName(const std::wstring& name)
{
    const std::string text = WideToUtf8(name);
    m_pCore->Call("return setAdminDistrictName(name);", Vardict({{"name", g_variant_new_string(text.c_str())}}));
}

void CWebViewHost::SetSpeedUnit(int nUnit)
{
    m_pCore->Call("return setSpeedUnit(unit);", Vardict({{"unit", g_variant_new_int32(nUnit ? 1 : 0)}}));
}

void CWebViewHost::Show(bool bShow)
{
    if (GetSafeHwnd()) ShowWindow(GetSafeHwnd(), bShow ? SW_SHOWNA : SW_HIDE);
}

void CWebViewHost::MoveTo(const RECT& rc)
{
    if (!GetSafeHwnd()) return;
    RECT now{};
    GetWindowRect(GetSafeHwnd(), &now);
    POINT pts[2] = {{now.left, now.top}, {now.right, now.bottom}};
    MapWindowPoints(nullptr, GetParent(GetSafeHwnd()), pts, 2);
    if (pts[0].x == rc.left && pts[0].y == rc.top && pts[1].x == rc.right && pts[1].y == rc.bottom) return;
    MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
}

void CWebViewHost::CapturePreview(CaptureDone done)
{
    if (!done) return;
    if (!m_pCore->pView || !m_pCore->bRuntime) {
        done(nullptr);
        return;
    }
    auto* ticket = new CCallTicket{m_pCore, {}, std::move(done)};
    webkit_web_view_get_snapshot(
        m_pCore->pView.get(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<CCallTicket> own(static_cast<CCallTicket*>(data));
            GError* error = nullptr;
            cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
            g_clear_error(&error);
            std::shared_ptr<BitmapObject> bmp(mapweb::BitmapFromSurface(surface).release(), BitmapDeleter());
            if (surface) cairo_surface_destroy(surface);
            if (auto core = own->pCore.lock())
                core->calls.Post([fn = std::move(own->fnCapture), bmp] { fn(bmp.get()); });
        },
        ticket);
}

void CWebViewHost::Evaluate(const std::string& body, EvalDone done)
{
    if (!done) return;
    if (!m_pCore->pView) {
        done(std::nullopt);
        return;
    }
    auto* ticket = new CCallTicket{m_pCore, std::move(done), {}};
    webkit_web_view_call_async_javascript_function(
        m_pCore->pView.get(), body.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<CCallTicket> own(static_cast<CCallTicket*>(data));
            GError* error = nullptr;
            JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
            g_clear_error(&error);
            std::optional<std::string> text;
            if (value) {
                char* s = jsc_value_to_string(value);
                text = s ? s : "";
                g_free(s);
                g_object_unref(value);
            }
            if (auto core = own->pCore.lock()) core->calls.Post([fn = std::move(own->fnEval), text] { fn(text); });
        },
        ticket);
}

LRESULT CWebViewHost::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == mapweb::WM_WEBVIEW_RUN_PENDING) {
        m_pCore->calls.RunPending();
        return 0;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}
