// GTK 3 behind the presenter seam. The picture of each top-level window is copied into a cairo
// image surface of its own as it is presented (only the dirty part), so that GTK may redraw at
// any time without reaching into the loop's picture, which the loop replaces when the window is
// resized. Raw GDK events become InputEvents in client coordinates of the top-level window.

#include <zent/platform/gtk/GtkPresenter.h>

#include "GtkSupport.h"

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Text.h>
#include <zent/platform/Window.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <unordered_map>

namespace zent {

using gtkp::UniqueSurface;
using gtkp::UniqueWidget;

namespace {

constexpr auto kMoveRequestPatience = std::chrono::milliseconds(500);

const char* CursorName(CursorShape shape)
{
    switch (shape) {
    case CursorShape::Arrow: return "default";
    case CursorShape::Hand: return "pointer";
    case CursorShape::Wait: return "wait";
    case CursorShape::IBeam: return "text";
    case CursorShape::SizeAll: return "move";
    case CursorShape::Cross: return "crosshair";
    case CursorShape::No: return "not-allowed";
    case CursorShape::Hidden: return "none";
    }
    return "default";
}

} // namespace

struct ObjectReleaser {
    void operator()(GObject* p) const { g_object_unref(p); }
};

struct CGtkTop {
    CGtkPresenter::CState* pState = nullptr;
    HWND hwnd = nullptr;
    // Declared before the window: the window's handlers use it until the window is gone.
    std::unique_ptr<GObject, ObjectReleaser> pIm; // the input method context (GtkIMContext)
    UniqueWidget pWindow;
    GtkWidget* pFixed = nullptr; // owned by the window
    GtkWidget* pArea = nullptr;  // owned by the fixed container
    UniqueSurface pSurface;      // what has been presented
    RECT rc{};                   // where the loop believes the window is
    RECT rcRequested{};
    bool bRequestPending = false;
    std::chrono::steady_clock::time_point tRequest{};
    RECT rcNormal{};
    WindowState state = WindowState::Normal;
    CursorShape cursor = CursorShape::Arrow;
    // Dragging the window: the pointer's root position at the press and the window's rectangle
    // when the drag began. The left button is down while bLeftDown holds.
    bool bLeftDown = false;
    POINT ptPressRoot{};
    bool bDragging = false;
    POINT ptDragRoot{};
    RECT rcDragStart{};
};

// The picture a native child shows of its own: the caller's memory, read when GTK draws.
struct CGtkNativePicture {
    const std::uint32_t* pPixels = nullptr;
    int nWidth = 0;
    int nHeight = 0;
};

struct CGtkChild {
    HWND hwndTop = nullptr;
    // Declared before the host so that it outlives the drawing area that reads it.
    std::unique_ptr<CGtkNativePicture> pPicture;
    UniqueWidget pHost;
    GtkWidget* pArea = nullptr; // owned by the host; made with the first picture
};

struct CGtkPresenter::CState {
    std::deque<InputEvent> dqInput; // GUI thread only: GTK's handlers run there
    std::unordered_map<HWND, std::unique_ptr<CGtkTop>> mapTops;
    std::unordered_map<HWND, CGtkChild> mapChildren;
    UniqueWidget pToolTip;
    GtkWidget* pToolTipLabel = nullptr;
    HWND hwndToolTipOwner = nullptr;
    std::set<GtkWidget*> setDialogs; // message boxes still open

    CGtkTop* Top(HWND hwnd) const
    {
        auto it = mapTops.find(hwnd);
        return it == mapTops.end() ? nullptr : it->second.get();
    }
    void Push(const InputEvent& ev) { dqInput.push_back(ev); }
};

namespace {

using CState = CGtkPresenter::CState;

// --- GDK events -------------------------------------------------------------------------------------

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    if (pTop->pSurface) {
        cairo_set_source_surface(cr, pTop->pSurface.get(), 0, 0);
    } else {
        cairo_set_source_rgb(cr, 0, 0, 0);
    }
    cairo_paint(cr);
    return TRUE;
}

gboolean OnDrawNativePicture(GtkWidget*, cairo_t* cr, gpointer data)
{
    const auto* pPicture = static_cast<const CGtkNativePicture*>(data);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (!pPicture->pPixels) return TRUE;
    // 0x00RRGGBB words are cairo's RGB24 on this byte order; rows are nWidth * 4 bytes apart,
    // which is RGB24's own stride. Drawn straight from the caller's memory, without a copy.
    gtkp::UniqueSurface pSurface(cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pPicture->pPixels)), CAIRO_FORMAT_RGB24,
        pPicture->nWidth, pPicture->nHeight, pPicture->nWidth * 4));
    if (cairo_surface_status(pSurface.get()) != CAIRO_STATUS_SUCCESS) return TRUE;
    cairo_set_source_surface(cr, pSurface.get(), 0, 0);
    cairo_paint(cr);
    return TRUE;
}

MouseButton ButtonOf(guint button)
{
    switch (button) {
    case 1: return MouseButton::Left;
    case 2: return MouseButton::Middle;
    case 3: return MouseButton::Right;
    default: return MouseButton::None;
    }
}

POINT PointOf(double x, double y)
{
    return POINT{static_cast<LONG>(std::floor(x)), static_cast<LONG>(std::floor(y))};
}

gboolean OnButton(GtkWidget*, GdkEventButton* ev, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    const MouseButton button = ButtonOf(ev->button);
    if (button == MouseButton::None) return FALSE;
    InputEvent in;
    in.hwnd = pTop->hwnd;
    in.pt = PointOf(ev->x, ev->y);
    in.button = button;
    if (button == MouseButton::Left) {
        pTop->bLeftDown = ev->type != GDK_BUTTON_RELEASE;
        if (ev->type != GDK_BUTTON_RELEASE) pTop->ptPressRoot = PointOf(ev->x_root, ev->y_root);
        if (ev->type == GDK_BUTTON_RELEASE) pTop->bDragging = false;
    }
    switch (ev->type) {
    case GDK_BUTTON_PRESS: {
        // GDK queues the double click right behind the second press; Win32 windows see only the
        // double click in place of that press.
        std::unique_ptr<GdkEvent, decltype(&gdk_event_free)> pNext(gdk_event_peek(), gdk_event_free);
        if (pNext && pNext->type == GDK_2BUTTON_PRESS && pNext->button.button == ev->button) return TRUE;
        in.kind = InputKind::ButtonDown;
        break;
    }
    case GDK_2BUTTON_PRESS: {
        // Should the second press have been queued already, it goes.
        auto& dq = pTop->pState->dqInput;
        if (!dq.empty() && dq.back().kind == InputKind::ButtonDown && dq.back().button == button &&
            dq.back().hwnd == pTop->hwnd)
            dq.pop_back();
        in.kind = InputKind::ButtonDoubleClick;
        break;
    }
    case GDK_BUTTON_RELEASE: in.kind = InputKind::ButtonUp; break;
    default: return TRUE; // triple clicks: the presses themselves have been reported
    }
    pTop->pState->Push(in);
    return TRUE;
}

void PlaceTopNatively(CGtkTop& top, const RECT& rc);

gboolean OnMotion(GtkWidget*, GdkEventMotion* ev, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    if (pTop->bDragging) {
        // The press's implicit grab keeps the moves coming to us wherever the pointer goes; the
        // window follows the pointer and the loop hears of it only as moves of the window.
        const POINT pt = PointOf(ev->x_root, ev->y_root);
        const RECT& rc = pTop->rcDragStart;
        const LONG dx = pt.x - pTop->ptDragRoot.x;
        const LONG dy = pt.y - pTop->ptDragRoot.y;
        PlaceTopNatively(*pTop, RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy});
        return TRUE;
    }
    InputEvent in;
    in.kind = InputKind::MouseMove;
    in.hwnd = pTop->hwnd;
    in.pt = PointOf(ev->x, ev->y);
    pTop->pState->Push(in);
    return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* ev, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    int nDelta = 0;
    switch (ev->direction) {
    case GDK_SCROLL_UP: nDelta = WHEEL_DELTA; break;
    case GDK_SCROLL_DOWN: nDelta = -WHEEL_DELTA; break;
    case GDK_SCROLL_SMOOTH: nDelta = static_cast<int>(-ev->delta_y * WHEEL_DELTA); break;
    default: return FALSE;
    }
    if (nDelta == 0) return TRUE;
    InputEvent in;
    in.kind = InputKind::Wheel;
    in.hwnd = pTop->hwnd;
    in.pt = PointOf(ev->x, ev->y);
    in.nWheelDelta = nDelta;
    pTop->pState->Push(in);
    return TRUE;
}

// Text the input method settled on (a typed character, a composed one, a Hangul syllable): one
// Char per Unicode scalar value.
void OnImCommit(GtkIMContext*, const gchar* text, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    if (!text || !g_utf8_validate(text, -1, nullptr)) return;
    for (const gchar* p = text; *p; p = g_utf8_next_char(p)) {
        const gunichar ch = g_utf8_get_char(p);
        if (ch < 0x20 && ch != '\t' && ch != '\r') continue;
        InputEvent chr;
        chr.kind = InputKind::Char;
        chr.hwnd = pTop->hwnd;
        chr.chChar = static_cast<char32_t>(ch);
        pTop->pState->Push(chr);
    }
}

gboolean OnFocusChange(GtkWidget*, GdkEventFocus* ev, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    if (!pTop->pIm) return FALSE;
    if (ev->in) gtk_im_context_focus_in(GTK_IM_CONTEXT(pTop->pIm.get()));
    else gtk_im_context_focus_out(GTK_IM_CONTEXT(pTop->pIm.get()));
    return FALSE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* ev, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    const bool bDown = ev->type == GDK_KEY_PRESS;
    InputEvent in;
    in.hwnd = pTop->hwnd;
    if (const UINT nVk = gtkp::VirtualKeyOf(ev->keyval, ev->hardware_keycode); nVk != 0) {
        in.kind = bDown ? InputKind::KeyDown : InputKind::KeyUp;
        in.nVirtKey = nVk;
        pTop->pState->Push(in);
    }
    // The input method first: it composes (dead keys, Hangul, kana) and commits the text; keys it
    // lets pass, such as Return and BackSpace, give their character here as before.
    if (pTop->pIm && gtk_im_context_filter_keypress(GTK_IM_CONTEXT(pTop->pIm.get()), ev)) return TRUE;
    if (bDown) {
        const bool bCommand = (ev->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) != 0;
        if (const char32_t ch = gtkp::CharacterOf(ev->keyval); ch != 0 && !bCommand) {
            InputEvent chr;
            chr.kind = InputKind::Char;
            chr.hwnd = pTop->hwnd;
            chr.chChar = ch;
            pTop->pState->Push(chr);
        }
    }
    return TRUE;
}

gboolean OnConfigure(GtkWidget* pWidget, GdkEventConfigure* ev, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    GdkWindow* pGdk = gtk_widget_get_window(pWidget);
    int x = ev->x;
    int y = ev->y;
    if (pGdk) gdk_window_get_origin(pGdk, &x, &y);
    const RECT rcNow{x, y, x + ev->width, y + ev->height};
    if (pTop->bRequestPending) {
        const bool bStale = std::chrono::steady_clock::now() - pTop->tRequest > kMoveRequestPatience;
        if (rcNow == pTop->rcRequested || bStale) pTop->bRequestPending = false;
        // The window manager may still be going through earlier requests of ours.
        if (!bStale) return FALSE;
    }
    if (rcNow == pTop->rc) return FALSE;
    pTop->rc = rcNow;
    InputEvent in;
    in.kind = InputKind::WindowMoved;
    in.hwnd = pTop->hwnd;
    in.rcWindow = rcNow;
    pTop->pState->Push(in);
    return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    InputEvent in;
    in.kind = InputKind::CloseRequest;
    in.hwnd = pTop->hwnd;
    pTop->pState->Push(in);
    return TRUE; // the window goes when the program destroys it
}

void ApplyCursor(CGtkTop& top)
{
    GdkWindow* pGdk = gtk_widget_get_window(top.pWindow.get());
    if (!pGdk) return;
    GdkCursor* pCursor = gdk_cursor_new_from_name(gdk_window_get_display(pGdk), CursorName(top.cursor));
    gdk_window_set_cursor(pGdk, pCursor);
    if (pCursor) g_object_unref(pCursor);
}

void OnRealize(GtkWidget* pWidget, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    ApplyCursor(*pTop);
    if (pTop->pIm) gtk_im_context_set_client_window(GTK_IM_CONTEXT(pTop->pIm.get()), gtk_widget_get_window(pWidget));
}

void OnUnrealize(GtkWidget*, gpointer data)
{
    auto* pTop = static_cast<CGtkTop*>(data);
    if (pTop->pIm) gtk_im_context_set_client_window(GTK_IM_CONTEXT(pTop->pIm.get()), nullptr);
}

// Sets a top-level window's size and place as the loop has them.
void PlaceTop(CGtkTop& top, const RECT& rc)
{
    const int w = std::max<int>(rc.Width(), 1);
    const int h = std::max<int>(rc.Height(), 1);
    top.rcRequested = rc;
    top.bRequestPending = true;
    top.tRequest = std::chrono::steady_clock::now();
    top.rc = rc;
    gtk_widget_set_size_request(top.pArea, w, h);
    gtk_window_resize(GTK_WINDOW(top.pWindow.get()), w, h);
    gtk_window_move(GTK_WINDOW(top.pWindow.get()), rc.left, rc.top);
}

// The native side places the window itself (maximising, full screen), and the loop learns it as
// a move.
void PlaceTopNatively(CGtkTop& top, const RECT& rc)
{
    const int w = std::max<int>(rc.Width(), 1);
    const int h = std::max<int>(rc.Height(), 1);
    gtk_widget_set_size_request(top.pArea, w, h);
    gtk_window_resize(GTK_WINDOW(top.pWindow.get()), w, h);
    gtk_window_move(GTK_WINDOW(top.pWindow.get()), rc.left, rc.top);
    top.bRequestPending = false;
    if (rc == top.rc) return;
    top.rc = rc;
    InputEvent in;
    in.kind = InputKind::WindowMoved;
    in.hwnd = top.hwnd;
    in.rcWindow = rc;
    top.pState->Push(in);
}

RECT MonitorRect(GtkWidget* pWindow, bool bWorkArea)
{
    GdkDisplay* pDisplay = gtk_widget_get_display(pWindow);
    GdkWindow* pGdk = gtk_widget_get_window(pWindow);
    GdkMonitor* pMonitor = pGdk ? gdk_display_get_monitor_at_window(pDisplay, pGdk) : nullptr;
    if (!pMonitor) pMonitor = gdk_display_get_primary_monitor(pDisplay);
    if (!pMonitor) pMonitor = gdk_display_get_monitor(pDisplay, 0);
    GdkRectangle r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (pMonitor) {
        if (bWorkArea)
            gdk_monitor_get_workarea(pMonitor, &r);
        else
            gdk_monitor_get_geometry(pMonitor, &r);
    }
    return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

gboolean TimeoutDone(gpointer)
{
    return G_SOURCE_REMOVE;
}

} // namespace

// --- the presenter -------------------------------------------------------------------------------

CGtkPresenter::CGtkPresenter(PrivateTag) : m_pState(std::make_unique<CState>()) {}

CGtkPresenter::~CGtkPresenter()
{
    // Message boxes still open answer nobody any more.
    const std::set<GtkWidget*> setOpen = m_pState->setDialogs;
    for (GtkWidget* pDialog : setOpen) gtk_widget_destroy(pDialog);
    m_pState->mapChildren.clear();
    m_pState->mapTops.clear();
    m_pState->pToolTip.reset();
    // Let GTK finish unmapping what went; bounded, as idle work may keep coming.
    for (int i = 0; i < 100 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
}

std::unique_ptr<CGtkPresenter> CGtkPresenter::Create(std::string* pError)
{
    if (!gtk_init_check(nullptr, nullptr)) {
        if (pError) *pError = "GTK cannot open the display (is DISPLAY set?)";
        return nullptr;
    }
    auto pPresenter = std::make_unique<CGtkPresenter>(PrivateTag{});
    GdkDisplay* pDisplay = gdk_display_get_default();
    GdkMonitor* pMonitor = pDisplay ? gdk_display_get_primary_monitor(pDisplay) : nullptr;
    if (!pMonitor && pDisplay) pMonitor = gdk_display_get_monitor(pDisplay, 0);
    if (pMonitor) {
        GdkRectangle r{};
        gdk_monitor_get_geometry(pMonitor, &r);
        SetScreenMetrics(r.width, r.height);
    }
    return pPresenter;
}

TimePoint CGtkPresenter::Now() const
{
    return std::chrono::steady_clock::now();
}

void CGtkPresenter::Wake()
{
    // The context's wake-up stays raised until the next poll, so a wake that comes before the
    // wait is not lost.
    g_main_context_wakeup(g_main_context_default());
}

void CGtkPresenter::WaitForWork(std::optional<TimePoint> deadline)
{
    GMainContext* pContext = g_main_context_default();
    if (!m_pState->dqInput.empty()) {
        g_main_context_iteration(pContext, FALSE);
        return;
    }
    GSource* pTimeout = nullptr;
    if (deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Now());
        if (left.count() <= 0) {
            g_main_context_iteration(pContext, FALSE);
            return;
        }
        pTimeout = g_timeout_source_new(static_cast<guint>(std::min<long long>(left.count(), G_MAXINT)));
        g_source_set_callback(pTimeout, TimeoutDone, nullptr, nullptr);
        g_source_attach(pTimeout, pContext);
    }
    g_main_context_iteration(pContext, TRUE);
    if (pTimeout) {
        g_source_destroy(pTimeout);
        g_source_unref(pTimeout);
    }
}

void CGtkPresenter::TakeInput(std::vector<InputEvent>& vecOut)
{
    for (const InputEvent& ev : m_pState->dqInput) vecOut.push_back(ev);
    m_pState->dqInput.clear();
}

void CGtkPresenter::CreateTopLevel(HWND hwnd, const RECT& rcScreen, DWORD, DWORD dwExStyle)
{
    auto pTop = std::make_unique<CGtkTop>();
    CGtkTop* p = pTop.get();
    p->pState = m_pState.get();
    p->hwnd = hwnd;
    p->pIm.reset(G_OBJECT(gtk_im_multicontext_new()));
    g_signal_connect(p->pIm.get(), "commit", G_CALLBACK(OnImCommit), p);
    p->pWindow = gtkp::Adopt(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkWindow* pWindow = GTK_WINDOW(p->pWindow.get());
    gtk_window_set_decorated(pWindow, FALSE);
    gtk_widget_set_app_paintable(p->pWindow.get(), TRUE);
    if (dwExStyle & WS_EX_TOPMOST) gtk_window_set_keep_above(pWindow, TRUE);
    if (dwExStyle & WS_EX_TOOLWINDOW) {
        gtk_window_set_skip_taskbar_hint(pWindow, TRUE);
        gtk_window_set_type_hint(pWindow, GDK_WINDOW_TYPE_HINT_UTILITY);
    }
    if (dwExStyle & WS_EX_NOACTIVATE) gtk_window_set_accept_focus(pWindow, FALSE);

    p->pFixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(pWindow), p->pFixed);
    p->pArea = gtk_drawing_area_new();
    gtk_widget_add_events(p->pArea, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                         GDK_SCROLL_MASK);
    gtk_fixed_put(GTK_FIXED(p->pFixed), p->pArea, 0, 0);
    gtk_widget_add_events(p->pWindow.get(),
                          GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK | GDK_FOCUS_CHANGE_MASK);

    g_signal_connect(p->pArea, "draw", G_CALLBACK(OnDraw), p);
    g_signal_connect(p->pArea, "button-press-event", G_CALLBACK(OnButton), p);
    g_signal_connect(p->pArea, "button-release-event", G_CALLBACK(OnButton), p);
    g_signal_connect(p->pArea, "motion-notify-event", G_CALLBACK(OnMotion), p);
    g_signal_connect(p->pArea, "scroll-event", G_CALLBACK(OnScroll), p);
    g_signal_connect(p->pWindow.get(), "key-press-event", G_CALLBACK(OnKey), p);
    g_signal_connect(p->pWindow.get(), "key-release-event", G_CALLBACK(OnKey), p);
    g_signal_connect(p->pWindow.get(), "configure-event", G_CALLBACK(OnConfigure), p);
    g_signal_connect(p->pWindow.get(), "delete-event", G_CALLBACK(OnDelete), p);
    g_signal_connect(p->pWindow.get(), "realize", G_CALLBACK(OnRealize), p);
    g_signal_connect(p->pWindow.get(), "unrealize", G_CALLBACK(OnUnrealize), p);
    g_signal_connect(p->pWindow.get(), "focus-in-event", G_CALLBACK(OnFocusChange), p);
    g_signal_connect(p->pWindow.get(), "focus-out-event", G_CALLBACK(OnFocusChange), p);
    gtk_widget_show(p->pArea);
    gtk_widget_show(p->pFixed);
    PlaceTop(*p, rcScreen);
    p->rcNormal = rcScreen;
    m_pState->mapTops[hwnd] = std::move(pTop);
}

void CGtkPresenter::CreateNativeChild(HWND hwnd, HWND hwndTop, const RECT& rcInTop)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    if (!pTop) return;
    // The map holds a reference of its own, so the host outlives its window's destruction order.
    UniqueWidget pOwnedHost = gtkp::Adopt(gtk_event_box_new());
    GtkWidget* pHost = pOwnedHost.get();
    gtk_widget_set_size_request(pHost, std::max<int>(rcInTop.Width(), 1), std::max<int>(rcInTop.Height(), 1));
    gtk_fixed_put(GTK_FIXED(pTop->pFixed), pHost, rcInTop.left, rcInTop.top);
    CGtkChild& child = m_pState->mapChildren[hwnd];
    child.hwndTop = hwndTop;
    child.pHost = std::move(pOwnedHost);
}

void CGtkPresenter::DestroyNative(HWND hwnd)
{
    if (m_pState->Top(hwnd)) {
        std::erase_if(m_pState->mapChildren, [hwnd](const auto& pair) { return pair.second.hwndTop == hwnd; });
        if (m_pState->hwndToolTipOwner == hwnd && m_pState->pToolTip) gtk_widget_hide(m_pState->pToolTip.get());
        // Input it left behind would name a window the loop no longer has.
        std::erase_if(m_pState->dqInput, [hwnd](const InputEvent& ev) { return ev.hwnd == hwnd; });
        m_pState->mapTops.erase(hwnd);
        return;
    }
    m_pState->mapChildren.erase(hwnd);
}

void CGtkPresenter::MoveNative(HWND hwnd, const RECT& rc)
{
    if (CGtkTop* pTop = m_pState->Top(hwnd)) {
        if (rc == pTop->rc) return;
        PlaceTop(*pTop, rc);
        if (pTop->state == WindowState::Normal) pTop->rcNormal = rc;
        return;
    }
    auto it = m_pState->mapChildren.find(hwnd);
    if (it == m_pState->mapChildren.end()) return;
    CGtkTop* pTop = m_pState->Top(it->second.hwndTop);
    if (!pTop) return;
    GtkWidget* pHost = it->second.pHost.get();
    gtk_widget_set_size_request(pHost, std::max<int>(rc.Width(), 1), std::max<int>(rc.Height(), 1));
    gtk_fixed_move(GTK_FIXED(pTop->pFixed), pHost, rc.left, rc.top);
}

void CGtkPresenter::ShowNative(HWND hwnd, int nCmdShow)
{
    if (CGtkTop* pTop = m_pState->Top(hwnd)) {
        GtkWidget* pWindow = pTop->pWindow.get();
        if (nCmdShow == SW_HIDE) {
            gtk_widget_hide(pWindow);
            return;
        }
        switch (nCmdShow) {
        case SW_SHOWMAXIMIZED: SetWindowState(hwnd, WindowState::Maximized); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE: SetWindowState(hwnd, WindowState::Minimized); break;
        case SW_RESTORE:
        case SW_SHOWNORMAL: SetWindowState(hwnd, WindowState::Normal); break;
        default: break;
        }
        const bool bActivate = nCmdShow != SW_SHOWNOACTIVATE && nCmdShow != SW_SHOWNA &&
                               nCmdShow != SW_SHOWMINNOACTIVE && gtk_window_get_accept_focus(GTK_WINDOW(pWindow));
        gtk_window_set_focus_on_map(GTK_WINDOW(pWindow), bActivate);
        gtk_widget_show(pWindow);
        if (bActivate && pTop->state != WindowState::Minimized) gtk_window_present(GTK_WINDOW(pWindow));
        return;
    }
    auto it = m_pState->mapChildren.find(hwnd);
    if (it == m_pState->mapChildren.end()) return;
    if (nCmdShow == SW_HIDE)
        gtk_widget_hide(it->second.pHost.get());
    else
        gtk_widget_show_all(it->second.pHost.get());
}

void CGtkPresenter::PresentNativePicture(HWND hwnd, const std::uint32_t* pPixels, int nWidth, int nHeight)
{
    auto it = m_pState->mapChildren.find(hwnd);
    if (it == m_pState->mapChildren.end()) return;
    CGtkChild& child = it->second;
    if (!child.pArea) {
        child.pPicture = std::make_unique<CGtkNativePicture>();
        child.pArea = gtk_drawing_area_new();
        g_signal_connect(child.pArea, "draw", G_CALLBACK(OnDrawNativePicture), child.pPicture.get());
        gtk_container_add(GTK_CONTAINER(child.pHost.get()), child.pArea);
        gtk_widget_show(child.pArea);
    }
    const bool bShown = pPixels && nWidth > 0 && nHeight > 0;
    *child.pPicture = bShown ? CGtkNativePicture{pPixels, nWidth, nHeight} : CGtkNativePicture{};
    gtk_widget_queue_draw(child.pArea);
}

void CGtkPresenter::Present(HWND hwndTop, HBITMAP hPicture, const RECT& rcDirty)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    BITMAP bm{};
    if (!pTop || !hPicture || !GetObject(hPicture, &bm)) return;
    cairo_surface_t* pSurface = pTop->pSurface.get();
    if (!pSurface || cairo_image_surface_get_width(pSurface) != bm.bmWidth ||
        cairo_image_surface_get_height(pSurface) != bm.bmHeight) {
        pTop->pSurface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, bm.bmWidth, bm.bmHeight));
        pSurface = pTop->pSurface.get();
        if (cairo_surface_status(pSurface) != CAIRO_STATUS_SUCCESS) {
            pTop->pSurface.reset();
            return;
        }
    }
    // Both are bytes B, G, R, unused: rows copy as they are.
    cairo_surface_flush(pSurface);
    unsigned char* pData = cairo_image_surface_get_data(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    const int nLeft = std::max<int>(rcDirty.left, 0);
    const int nRight = std::min<int>(rcDirty.right, bm.bmWidth);
    const int nTop = std::max<int>(rcDirty.top, 0);
    const int nBottom = std::min<int>(rcDirty.bottom, bm.bmHeight);
    if (nLeft >= nRight || nTop >= nBottom) return;
    for (int y = nTop; y < nBottom; ++y) {
        const std::uint32_t* pRow = GetBitmapRow(hPicture, y);
        if (!pRow) continue;
        std::memcpy(pData + static_cast<std::ptrdiff_t>(y) * nStride + nLeft * 4, pRow + nLeft,
                    static_cast<std::size_t>(nRight - nLeft) * 4);
    }
    cairo_surface_mark_dirty_rectangle(pSurface, nLeft, nTop, nRight - nLeft, nBottom - nTop);
    gtk_widget_queue_draw_area(pTop->pArea, nLeft, nTop, nRight - nLeft, nBottom - nTop);
}

void CGtkPresenter::SetCursor(HWND hwndTop, CursorShape shape)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    if (!pTop || pTop->cursor == shape) return;
    pTop->cursor = shape;
    ApplyCursor(*pTop);
}

void CGtkPresenter::SetOpacity(HWND hwndTop, BYTE nAlpha)
{
    if (CGtkTop* pTop = m_pState->Top(hwndTop)) gtk_widget_set_opacity(pTop->pWindow.get(), nAlpha / 255.0);
}

void CGtkPresenter::SetInputShape(HWND hwndTop, const std::vector<RECT>& vecRects)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    if (!pTop) return;
    if (vecRects.empty()) {
        gtk_widget_input_shape_combine_region(pTop->pWindow.get(), nullptr);
        return;
    }
    gtkp::UniqueRegion pRegion(cairo_region_create());
    for (const RECT& rc : vecRects) {
        if (rc.IsEmpty()) continue;
        const cairo_rectangle_int_t r{rc.left, rc.top, rc.Width(), rc.Height()};
        cairo_region_union_rectangle(pRegion.get(), &r);
    }
    gtk_widget_input_shape_combine_region(pTop->pWindow.get(), pRegion.get());
}

void CGtkPresenter::SetTopMost(HWND hwndTop, bool bTopMost)
{
    if (CGtkTop* pTop = m_pState->Top(hwndTop)) gtk_window_set_keep_above(GTK_WINDOW(pTop->pWindow.get()), bTopMost);
}

void CGtkPresenter::SetWindowState(HWND hwndTop, WindowState state)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    if (!pTop || pTop->state == state) return;
    GtkWindow* pWindow = GTK_WINDOW(pTop->pWindow.get());
    const WindowState old = pTop->state;
    if (old == WindowState::Normal) pTop->rcNormal = pTop->rc;
    pTop->state = state;
    if (old == WindowState::FullScreen) gtk_window_unfullscreen(pWindow);
    if (old == WindowState::Minimized) gtk_window_deiconify(pWindow);
    switch (state) {
    case WindowState::Minimized: gtk_window_iconify(pWindow); break;
    case WindowState::Maximized:
        // Placed by us rather than by the window manager, which may be missing or may ignore
        // maximising an undecorated window.
        PlaceTopNatively(*pTop, MonitorRect(pTop->pWindow.get(), true));
        break;
    case WindowState::FullScreen:
        PlaceTopNatively(*pTop, MonitorRect(pTop->pWindow.get(), false));
        gtk_window_fullscreen(pWindow);
        break;
    case WindowState::Normal:
        if (old != WindowState::Minimized) PlaceTopNatively(*pTop, pTop->rcNormal);
        break;
    }
}

void CGtkPresenter::BeginWindowDrag(HWND hwndTop, POINT)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    // Only while the button that asked for it is down, and not for a window that fills the screen.
    if (!pTop || !pTop->bLeftDown || pTop->state != WindowState::Normal) return;
    // Moved by us from the pointer's moves rather than handed to the window manager: the same
    // with or without one, and an undecorated window has no frame for it to grab anyway.
    pTop->bDragging = true;
    pTop->ptDragRoot = pTop->ptPressRoot;
    pTop->rcDragStart = pTop->rc;
}

void CGtkPresenter::SetTitle(HWND hwndTop, std::wstring_view title)
{
    if (CGtkTop* pTop = m_pState->Top(hwndTop))
        gtk_window_set_title(GTK_WINDOW(pTop->pWindow.get()), WideToUtf8(title).c_str());
}

void CGtkPresenter::Activate(HWND hwndTop)
{
    CGtkTop* pTop = m_pState->Top(hwndTop);
    if (!pTop) return;
    GtkWindow* pWindow = GTK_WINDOW(pTop->pWindow.get());
    gtk_window_deiconify(pWindow);
    // The time stamp of the request that came from another process is unknown; the current
    // server time lets focus-stealing prevention judge it as a fresh user request.
    gtk_window_present_with_time(pWindow, GDK_CURRENT_TIME);
}

void CGtkPresenter::ShowToolTip(HWND hwndTop, std::wstring_view text, POINT ptScreen)
{
    CState& s = *m_pState;
    if (text.empty()) {
        if (s.pToolTip && s.hwndToolTipOwner == hwndTop) gtk_widget_hide(s.pToolTip.get());
        return;
    }
    CGtkTop* pTop = s.Top(hwndTop);
    if (!pTop) return;
    if (!s.pToolTip) {
        s.pToolTip = gtkp::Adopt(gtk_window_new(GTK_WINDOW_POPUP));
        gtk_window_set_type_hint(GTK_WINDOW(s.pToolTip.get()), GDK_WINDOW_TYPE_HINT_TOOLTIP);
        gtk_style_context_add_class(gtk_widget_get_style_context(s.pToolTip.get()), GTK_STYLE_CLASS_TOOLTIP);
        s.pToolTipLabel = gtk_label_new(nullptr);
        g_object_set(s.pToolTipLabel, "margin", 4, nullptr);
        gtk_container_add(GTK_CONTAINER(s.pToolTip.get()), s.pToolTipLabel);
    }
    s.hwndToolTipOwner = hwndTop;
    gtk_label_set_text(GTK_LABEL(s.pToolTipLabel), WideToUtf8(text).c_str());
    gtk_window_set_transient_for(GTK_WINDOW(s.pToolTip.get()), GTK_WINDOW(pTop->pWindow.get()));
    // Below and right of the pointer, as tool tips usually sit.
    gtk_window_move(GTK_WINDOW(s.pToolTip.get()), ptScreen.x + 12, ptScreen.y + 20);
    gtk_widget_show_all(s.pToolTip.get());
}

GtkWidget* CGtkPresenter::GetNativeHost(HWND hwnd) const
{
    auto it = m_pState->mapChildren.find(hwnd);
    return it == m_pState->mapChildren.end() ? nullptr : it->second.pHost.get();
}

GtkWidget* CGtkPresenter::GetTopLevelWidget(HWND hwnd) const
{
    CGtkTop* pTop = m_pState->Top(hwnd);
    return pTop ? pTop->pWindow.get() : nullptr;
}

// --- native dialogs ------------------------------------------------------------------------------

namespace {

struct SBoxCall {
    MessageBoxDone fnDone;
    int nOnClose = IDCANCEL;
};

void FreeBoxCall(gpointer data, GClosure*)
{
    std::unique_ptr<SBoxCall> owned(static_cast<SBoxCall*>(data));
}

void OnBoxResponse(GtkDialog* pDialog, gint nResponse, gpointer data)
{
    auto* pCall = static_cast<SBoxCall*>(data);
    // Our buttons answer with the ID* code itself; closing the box counts as its cautious button.
    const int nResult = nResponse > 0 ? nResponse : pCall->nOnClose;
    MessageBoxDone fnDone = std::move(pCall->fnDone);
    pCall->fnDone = nullptr;
    gtk_widget_destroy(GTK_WIDGET(pDialog)); // frees pCall
    if (fnDone) fnDone(nResult);
}

void OnBoxDestroyed(GtkWidget* pDialog, gpointer data)
{
    static_cast<CState*>(data)->setDialogs.erase(pDialog);
}

struct SFolderCall {
    FolderDone fnDone;
};

void OnFolderResponse(GtkNativeDialog* pDialog, gint nResponse, gpointer data)
{
    std::unique_ptr<SFolderCall> pCall(static_cast<SFolderCall*>(data));
    std::optional<std::wstring> folder;
    if (nResponse == GTK_RESPONSE_ACCEPT) {
        gtkp::UniqueGChars pPath(gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pDialog)));
        if (pPath) {
            gtkp::UniqueGChars pUtf8(g_filename_to_utf8(pPath.get(), -1, nullptr, nullptr, nullptr));
            if (pUtf8) folder = Utf8ToWide(pUtf8.get());
        }
    }
    g_object_unref(pDialog);
    if (pCall->fnDone) pCall->fnDone(std::move(folder));
}

} // namespace

void CGtkPresenter::ShowMessageBox(const MessageBoxRequest& request, MessageBoxDone fnDone)
{
    CGtkTop* pOwner = m_pState->Top(request.hwndOwner);
    GtkMessageType type = GTK_MESSAGE_OTHER;
    switch (request.uType & MB_ICONMASK) {
    case MB_ICONERROR: type = GTK_MESSAGE_ERROR; break;
    case MB_ICONQUESTION: type = GTK_MESSAGE_QUESTION; break;
    case MB_ICONWARNING: type = GTK_MESSAGE_WARNING; break;
    case MB_ICONINFORMATION: type = GTK_MESSAGE_INFO; break;
    default: break;
    }
    GtkWidget* pDialog = gtk_message_dialog_new(pOwner ? GTK_WINDOW(pOwner->pWindow.get()) : nullptr,
                                                static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type,
                                                GTK_BUTTONS_NONE, "%s", WideToUtf8(request.strText).c_str());
    gtk_window_set_title(GTK_WINDOW(pDialog), WideToUtf8(request.strCaption).c_str());
    auto pCall = std::make_unique<SBoxCall>();
    pCall->fnDone = std::move(fnDone);
    const auto fnAdd = [pDialog](const char* label, int nId) { gtk_dialog_add_button(GTK_DIALOG(pDialog), label, nId); };
    switch (request.uType & MB_TYPEMASK) {
    case MB_OKCANCEL: fnAdd("_Cancel", IDCANCEL); fnAdd("_OK", IDOK); break;
    case MB_ABORTRETRYIGNORE:
        fnAdd("_Abort", IDABORT); fnAdd("_Retry", IDRETRY); fnAdd("_Ignore", IDIGNORE);
        pCall->nOnClose = IDABORT;
        break;
    case MB_YESNOCANCEL: fnAdd("_Cancel", IDCANCEL); fnAdd("_No", IDNO); fnAdd("_Yes", IDYES); break;
    case MB_YESNO: fnAdd("_No", IDNO); fnAdd("_Yes", IDYES); pCall->nOnClose = IDNO; break;
    case MB_RETRYCANCEL: fnAdd("_Cancel", IDCANCEL); fnAdd("_Retry", IDRETRY); break;
    default: fnAdd("_OK", IDOK); pCall->nOnClose = IDOK; break;
    }
    m_pState->setDialogs.insert(pDialog);
    g_signal_connect(pDialog, "destroy", G_CALLBACK(OnBoxDestroyed), m_pState.get());
    g_signal_connect_data(pDialog, "response", G_CALLBACK(OnBoxResponse), pCall.release(), FreeBoxCall,
                          GConnectFlags{});
    gtk_widget_show_all(pDialog);
}

void CGtkPresenter::ChooseFolder(HWND hwndOwner, std::wstring_view title, std::wstring_view initialFolder,
                                 FolderDone fnDone)
{
    CGtkTop* pOwner = m_pState->Top(hwndOwner);
    GtkFileChooserNative* pChooser = gtk_file_chooser_native_new(
        WideToUtf8(title).c_str(), pOwner ? GTK_WINDOW(pOwner->pWindow.get()) : nullptr,
        GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select", "_Cancel");
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(pChooser), TRUE);
    if (!initialFolder.empty()) {
        gtkp::UniqueGChars pPath(g_filename_from_utf8(WideToUtf8(initialFolder).c_str(), -1, nullptr, nullptr, nullptr));
        if (pPath) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(pChooser), pPath.get());
    }
    auto pCall = std::make_unique<SFolderCall>();
    pCall->fnDone = std::move(fnDone);
    g_signal_connect(pChooser, "response", G_CALLBACK(OnFolderResponse), pCall.release());
    gtk_native_dialog_show(GTK_NATIVE_DIALOG(pChooser));
}

// --- choosing ------------------------------------------------------------------------------------

std::unique_ptr<IPresenter> CreatePresenter(bool bHeadless, std::string* pError)
{
    const char* pEnv = std::getenv("TORVIX_HEADLESS");
    if (bHeadless || (pEnv && std::strcmp(pEnv, "1") == 0))
        return std::make_unique<CHeadlessPresenter>(CHeadlessPresenter::ClockMode::Real);
    return CGtkPresenter::Create(pError);
}

} // namespace zent
