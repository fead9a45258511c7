// The GTK presenter in this process, on an X server of the test's own: posts from other threads
// wake the GTK loop, X input arrives as window messages in client coordinates, input shapes let
// clicks through, maximising takes the screen, and a message box keeps timers and GTK running.

#include "support/UiHarness.h"

#include <zent/platform/Gdi.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/Window.h>
#include <zent/platform/gtk/GtkPresenter.h>

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>

using namespace zent;
using namespace uitest;

namespace {

// One X server for the whole process: GTK stays connected to the first display it opened.
const std::string& SharedDisplay()
{
    static CXvfb s_x;
    static const bool s_bSet = [] {
        if (!s_x.Display().empty()) setenv("DISPLAY", s_x.Display().c_str(), 1);
        unsetenv("XAUTHORITY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("NO_AT_BRIDGE", "1", 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        // GTK's own input method, whatever the machine has installed: composition is testable.
        setenv("GTK_IM_MODULE", "gtk-im-context-simple", 1);
        return true;
    }();
    (void)s_bSet;
    return s_x.Display();
}

struct SEntry {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class CGtkPresenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(SharedDisplay().empty()) << "Xvfb did not start";
        std::string error;
        auto pPresenter = CGtkPresenter::Create(&error);
        ASSERT_TRUE(pPresenter) << error;
        m_pGtk = pPresenter.get();
        m_pLoop = CMessageLoop::Create(std::move(pPresenter));
        ASSERT_TRUE(m_pLoop);
    }
    void TearDown() override
    {
        for (HWND hwnd : m_vecWindows) DestroyWindow(hwnd);
        m_pLoop.reset();
    }
    WNDPROC Proc()
    {
        return [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            m_vecLog.push_back(SEntry{hwnd, msg, w, l});
            auto it = m_mapHandlers.find(msg);
            if (it != m_mapHandlers.end()) return it->second(hwnd, msg, w, l);
            return DefWindowProc(hwnd, msg, w, l);
        };
    }
    HWND Top(int x, int y, int cx, int cy)
    {
        const HWND hwnd = CreateWindowEx(0, L"Top", L"", WS_POPUP | WS_VISIBLE, x, y, cx, cy, nullptr, 0, Proc());
        m_vecWindows.push_back(hwnd);
        return hwnd;
    }
    // Runs the loop (GTK included) until pred holds or the time is up.
    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 5s)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!pred()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            m_pLoop->PumpPending();
            m_pLoop->GetPresenter().WaitForWork(m_pLoop->Now() + 10ms);
        }
        return true;
    }
    void Settle(std::chrono::milliseconds time) { PumpUntil([] { return false; }, time); }
    int Count(UINT msg, HWND hwnd = nullptr) const
    {
        int n = 0;
        for (const SEntry& e : m_vecLog) n += e.message == msg && (!hwnd || e.hwnd == hwnd);
        return n;
    }
    const SEntry* Last(UINT msg) const
    {
        for (auto it = m_vecLog.rbegin(); it != m_vecLog.rend(); ++it)
            if (it->message == msg) return &*it;
        return nullptr;
    }
    // xdotool runs beside the loop, which must keep turning for GTK to see the input.
    bool Xdo(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        CChild child;
        if (!child.Start(argv, CleanEnvironment(SharedDisplay()))) return false;
        std::optional<int> status;
        PumpUntil([&] { return (status = child.Wait(0ms)).has_value(); }, 10s);
        return status && *status == 0;
    }

    testsupport::TempDir m_dir;
    CGtkPresenter* m_pGtk = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    std::vector<HWND> m_vecWindows;
    std::vector<SEntry> m_vecLog;
    std::map<UINT, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>> m_mapHandlers;
};

} // namespace

TEST_F(CGtkPresenterTest, PostsFromAnotherThreadWakeTheGtkLoopAndTimersRun)
{
    const HWND hwnd = Top(10, 10, 50, 50);
    ASSERT_NE(m_pGtk->GetTopLevelWidget(hwnd), nullptr);
    m_mapHandlers[WM_USER + 1] = [](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
        PostQuitMessage(static_cast<int>(w));
        return 0;
    };
    SetTimer(hwnd, 1, 20);
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(300ms);
        PostMessage(hwnd, WM_USER + 1, 7, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    const int nCode = m_pLoop->Run();
    poster.join();
    EXPECT_EQ(nCode, 7);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_GE(Count(WM_TIMER, hwnd), 5);
}

TEST_F(CGtkPresenterTest, MouseWheelAndKeysArriveAsMessagesInClientCoordinates)
{
    const HWND top = Top(100, 50, 200, 150);
    const HWND child = CreateWindowEx(0, L"Child", L"", WS_CHILD | WS_VISIBLE, 20, 10, 100, 100, top, 5, Proc());
    Settle(300ms);
    ASSERT_TRUE(Xdo({"mousemove", "130", "70", "click", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_LBUTTONUP, child) == 1; }));
    ASSERT_EQ(Count(WM_LBUTTONDOWN, child), 1);
    EXPECT_EQ(Last(WM_LBUTTONDOWN)->lParam, MAKELPARAM(10, 10));

    // A double click: down, up, double click, up, as on Win32.
    ASSERT_TRUE(Xdo({"click", "--repeat", "2", "--delay", "60", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_LBUTTONUP, child) == 3; }));
    EXPECT_EQ(Count(WM_LBUTTONDBLCLK, child), 1);
    EXPECT_EQ(Count(WM_LBUTTONDOWN, child), 2);

    ASSERT_TRUE(Xdo({"click", "4"}));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_MOUSEWHEEL, child) == 1; }));
    EXPECT_EQ(static_cast<short>(HIWORD(Last(WM_MOUSEWHEEL)->wParam)), WHEEL_DELTA);
    EXPECT_EQ(Last(WM_MOUSEWHEEL)->lParam, MAKELPARAM(130, 70)); // wheel messages carry screen points

    SetFocus(child);
    ASSERT_TRUE(Xdo({"key", "a", "Return"}));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_KEYUP, child) >= 2; }));
    EXPECT_EQ(Count(WM_KEYDOWN, child), 2);
    ASSERT_EQ(Count(WM_CHAR, child), 2);
    std::vector<WPARAM> chars;
    for (const SEntry& e : m_vecLog)
        if (e.message == WM_CHAR) chars.push_back(e.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'a', '\r'}));

    // Characters come from the input method: a dead key and a letter compose one character, in
    // UTF-16 as WM_CHAR carries it; Ctrl+C is a command, not text.
    ASSERT_TRUE(Xdo({"key", "dead_acute", "e", "ctrl+c", "b"}));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_CHAR, child) >= 4; }));
    Settle(100ms);
    chars.clear();
    for (const SEntry& e : m_vecLog)
        if (e.message == WM_CHAR) chars.push_back(e.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'a', '\r', 0xE9, 'b'}));
}

TEST_F(CGtkPresenterTest, AnInputShapeLetsClicksThroughOutsideIt)
{
    const HWND top = Top(0, 0, 200, 100);
    Settle(300ms);
    ASSERT_TRUE(SetWindowInputShape(top, {RECT{0, 0, 100, 100}}));
    Settle(100ms);
    ASSERT_TRUE(Xdo({"mousemove", "150", "50", "click", "1"}));
    Settle(300ms);
    EXPECT_EQ(Count(WM_LBUTTONDOWN, top), 0);
    ASSERT_TRUE(Xdo({"mousemove", "50", "50", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return Count(WM_LBUTTONDOWN, top) == 1; }));
    EXPECT_EQ(Last(WM_LBUTTONDOWN)->lParam, MAKELPARAM(50, 50));
}

TEST_F(CGtkPresenterTest, MaximisingTakesTheScreenAndRestoringComesBack)
{
    const HWND top = Top(30, 40, 200, 100);
    Settle(200ms);
    ASSERT_TRUE(SetWindowState(top, WindowState::Maximized));
    ASSERT_TRUE(PumpUntil([&] {
        RECT rc{};
        GetWindowRect(top, &rc);
        return rc == RECT{0, 0, 1024, 768};
    })) << "the loop never learnt the maximised rectangle";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_TRUE(SetWindowState(top, WindowState::Normal));
    EXPECT_TRUE(PumpUntil([&] {
        RECT rc{};
        GetWindowRect(top, &rc);
        return rc == RECT{30, 40, 230, 140};
    }));
}

TEST_F(CGtkPresenterTest, AMessageBoxKeepsTimersAndGtkRunningUntilAnswered)
{
    const HWND owner = Top(0, 0, 300, 200);
    const HWND other = Top(400, 0, 50, 50);
    Settle(200ms);
    bool bOwnerDisabled = false;
    m_mapHandlers[WM_TIMER] = [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        bOwnerDisabled = !IsWindowEnabled(owner);
        if (Count(WM_TIMER) != 5) return 0;
        // Answer as the user would, through the dialog GTK shows.
        GList* pTops = gtk_window_list_toplevels();
        for (GList* p = pTops; p; p = p->next)
            if (GTK_IS_MESSAGE_DIALOG(p->data)) gtk_dialog_response(GTK_DIALOG(p->data), IDYES);
        g_list_free(pTops);
        return 0;
    };
    SetTimer(other, 1, 30);
    EXPECT_EQ(MessageBox(owner, L"Format the card?", L"Torvix", MB_YESNO | MB_ICONWARNING), IDYES);
    EXPECT_EQ(Count(WM_TIMER), 5);
    EXPECT_TRUE(bOwnerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    KillTimer(other, 1);
}

TEST_F(CGtkPresenterTest, NativeChildrenSitAtTheirPixelsAndToolTipsAndOpacityShow)
{
    const HWND top = Top(50, 50, 300, 200);
    const HWND panel = CreateWindowEx(0, L"Panel", L"", WS_CHILD | WS_VISIBLE, 10, 20, 200, 150, top, 1, Proc());
    const HWND native =
        CreateWindowEx(WS_EX_ZENT_NATIVE, L"Video", L"", WS_CHILD | WS_VISIBLE, 5, 6, 120, 80, panel, 2, Proc());
    GtkWidget* pHost = m_pGtk->GetNativeHost(native);
    ASSERT_NE(pHost, nullptr);
    gtk_container_add(GTK_CONTAINER(pHost), gtk_drawing_area_new());
    ShowWindow(native, SW_SHOW);
    Settle(200ms);
    GtkAllocation a{};
    gtk_widget_get_allocation(pHost, &a);
    EXPECT_EQ((std::array<int, 4>{a.x, a.y, a.width, a.height}), (std::array<int, 4>{15, 26, 120, 80}));
    EXPECT_TRUE(gtk_widget_get_visible(pHost));
    MoveWindow(panel, 40, 30, 200, 150, TRUE);
    Settle(200ms);
    gtk_widget_get_allocation(pHost, &a);
    EXPECT_EQ((std::array<int, 2>{a.x, a.y}), (std::array<int, 2>{45, 36}));
    ShowWindow(panel, SW_HIDE);
    Settle(100ms);
    EXPECT_FALSE(gtk_widget_get_visible(pHost));

    // The pointer shape reaches the window's GDK window (a child asks for its top-level's).
    ASSERT_TRUE(SetWindowCursor(panel, CursorShape::Hand));
    GdkWindow* pGdk = gtk_widget_get_window(m_pGtk->GetTopLevelWidget(top));
    ASSERT_NE(pGdk, nullptr);
    GdkCursor* pHand = gdk_window_get_cursor(pGdk);
    ASSERT_NE(pHand, nullptr);
    g_object_ref(pHand); // held, so that a new cursor cannot take its address
    ASSERT_TRUE(SetWindowCursor(top, CursorShape::Wait));
    EXPECT_NE(gdk_window_get_cursor(pGdk), pHand);
    g_object_unref(pHand);

    ASSERT_TRUE(SetLayeredWindowAttributes(top, 0, 128, LWA_ALPHA));
    EXPECT_NEAR(gtk_widget_get_opacity(m_pGtk->GetTopLevelWidget(top)), 128 / 255.0, 0.01);

    ASSERT_TRUE(ShowToolTip(top, L"Play the clip", POINT{10, 10}));
    Settle(100ms);
    std::string shown;
    GList* pTops = gtk_window_list_toplevels();
    for (GList* p = pTops; p; p = p->next) {
        GtkWidget* pWindow = GTK_WIDGET(p->data);
        if (gtk_window_get_window_type(GTK_WINDOW(pWindow)) != GTK_WINDOW_POPUP || !gtk_widget_get_visible(pWindow))
            continue;
        if (GtkWidget* pLabel = gtk_bin_get_child(GTK_BIN(pWindow)); pLabel && GTK_IS_LABEL(pLabel))
            shown = gtk_label_get_text(GTK_LABEL(pLabel));
    }
    g_list_free(pTops);
    EXPECT_EQ(shown, "Play the clip");
    ASSERT_TRUE(ShowToolTip(top, L"", POINT{}));
}

TEST_F(CGtkPresenterTest, TheFolderChooserAnswersTheChosenFolderOrNothing)
{
    const HWND owner = Top(0, 0, 300, 200);
    const std::filesystem::path chosen = m_dir.Path();
    Settle(200ms);
    int nTicks = 0;
    bool bAccept = true;
    m_mapHandlers[WM_TIMER] = [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        ++nTicks;
        GList* pTops = gtk_window_list_toplevels();
        for (GList* p = pTops; p; p = p->next) {
            if (!GTK_IS_FILE_CHOOSER_DIALOG(p->data) || !gtk_widget_get_visible(GTK_WIDGET(p->data))) continue;
            if (nTicks == 3) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(p->data), chosen.c_str());
            if (nTicks == 12)
                gtk_dialog_response(GTK_DIALOG(p->data), bAccept ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
        }
        g_list_free(pTops);
        return 0;
    };
    SetTimer(owner, 1, 40);
    const std::optional<std::wstring> folder = BrowseForFolder(owner, L"Backup folder", L"");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(std::filesystem::path(*folder), chosen);
    EXPECT_TRUE(IsWindowEnabled(owner));

    nTicks = 0;
    bAccept = false;
    EXPECT_EQ(BrowseForFolder(owner, L"Again", L"/tmp"), std::nullopt);
    KillTimer(owner, 1);
}

// A video view shows its own picture as a native child: drawn from the view's memory at the
// child's place, over the window's picture, and following a new buffer at once.
TEST_F(CGtkPresenterTest, NativeChildPicturesAreDrawnFromTheCallersMemory)
{
    const HWND top = Top(60, 60, 200, 120);
    const HWND view =
        CreateWindowEx(WS_EX_ZENT_NATIVE, L"Video", L"", WS_CHILD | WS_VISIBLE, 20, 10, 80, 60, top, 1, Proc());
    const HWND plain = CreateWindowEx(0, L"Plain", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, 2, Proc());
    EXPECT_FALSE(PresentNativePicture(plain, nullptr, 0, 0)); // only native children have one
    std::vector<std::uint32_t> picture(80 * 60, 0x00FF0000u); // red
    for (int y = 30; y < 60; ++y)
        for (int x = 40; x < 80; ++x) picture[static_cast<std::size_t>(y) * 80 + x] = 0x000000FFu; // blue corner
    ASSERT_TRUE(PresentNativePicture(view, picture.data(), 80, 60));
    Settle(200ms);

    GtkWidget* pTop = m_pGtk->GetTopLevelWidget(top);
    ASSERT_NE(pTop, nullptr);
    auto render = [&] {
        std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> pSurface(
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 120), &cairo_surface_destroy);
        cairo_t* cr = cairo_create(pSurface.get());
        gtk_widget_draw(pTop, cr);
        cairo_destroy(cr);
        cairo_surface_flush(pSurface.get());
        return pSurface;
    };
    auto pixel = [](cairo_surface_t* s, int x, int y) {
        const unsigned char* data = cairo_image_surface_get_data(s);
        return *reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(s) + x * 4) &
               0xFFFFFFu;
    };
    auto shot = render();
    EXPECT_EQ(pixel(shot.get(), 25, 15), 0xFF0000u);  // the view's red, at its place
    EXPECT_EQ(pixel(shot.get(), 95, 65), 0x0000FFu);  // its blue corner
    EXPECT_NE(pixel(shot.get(), 10, 5), 0xFF0000u);   // outside the view: the window's picture
    EXPECT_NE(pixel(shot.get(), 150, 100), 0x0000FFu);

    // A new buffer (a resized view) is what shows from then on; null shows black.
    std::vector<std::uint32_t> green(80 * 60, 0x0000FF00u);
    ASSERT_TRUE(PresentNativePicture(view, green.data(), 80, 60));
    picture.clear();
    picture.shrink_to_fit();
    Settle(100ms);
    shot = render();
    EXPECT_EQ(pixel(shot.get(), 25, 15), 0x00FF00u);
    ASSERT_TRUE(PresentNativePicture(view, nullptr, 0, 0));
    Settle(100ms);
    shot = render();
    EXPECT_EQ(pixel(shot.get(), 25, 15), 0x000000u);
    DestroyWindow(view); // the drawing area goes with its host; nothing reads the buffer after
    Settle(100ms);
}
