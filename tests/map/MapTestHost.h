#pragma once

// What the map tests stand on: a skin file with the map's placeholders in colours of their own, a
// bitmap dialog that hosts the map and records what it is told, stand-ins for the web views that
// record every page call, and an HTTP server on the loopback interface for the probe.

#include "tests/TestSupport.h"
#include "tests/support/LocalHttpServer.h"
#include "tools/skin/MergeImageWriter.h"

#include "map/BmpWebLink.h"
#include "map/MapView.h"
#include "map/MapWebView.h"
#include "map/UriLauncher.h"
#include "map/WebView.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Window.h>
#include <zent/util/QLBMLoader.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace maptest {

using namespace zent;

// The host dialog: 700 x 420 at (0, 0); the map area (skin 182) and the speed-camera panel.
constexpr UINT kBkId = 1;
constexpr int kHostWidth = 700;
constexpr int kHostHeight = 420;
constexpr RECT kMapRect{10, 10, 330, 186};
constexpr RECT kPanelRect{10, 200, 370, 410};
constexpr RECT kWaitingRect{10, 200, 370, 410};
constexpr UINT IDD_MAPHOST = 129;
constexpr UINT IDC_PANEL = 1090;

constexpr COLORREF kBk = RGB(30, 30, 30);
constexpr COLORREF kWaiting = RGB(90, 90, 160);

// A colour of its own for every placeholder id (183..188, 401..403).
inline COLORREF PlaceholderColour(UINT id)
{
    const int n = static_cast<int>(id >= 401 ? id - 401 + 6 : id - 183);
    return RGB(40 + 20 * n, 200 - 15 * n, (n * 67) % 256);
}

constexpr DialogItemTemplate kHostItems[] = {{L"Static", kMapControlId, 0, 0, 10, 10}};
constexpr DialogTemplate kHostTemplates[] = {
    {IDD_MAPHOST, 0, 0, kHostWidth, kHostHeight, WS_POPUP | WS_VISIBLE, 0, L"", kHostItems}};

inline std::uint32_t SkinPixel(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

inline bool WriteMapSkin(const std::filesystem::path& file)
{
    torvix::skin::CMergeImageWriter writer;
    auto place = [](const RECT& rc) {
        return torvix::skin::Placement{static_cast<std::uint16_t>(rc.left), static_cast<std::uint16_t>(rc.top),
                                       static_cast<std::uint16_t>(rc.Width()), static_cast<std::uint16_t>(rc.Height())};
    };
    auto add = [&](int id, const RECT& rc, COLORREF colour) {
        std::vector<std::uint32_t> px(static_cast<std::size_t>(rc.Width() * rc.Height()), SkinPixel(colour));
        return writer.AddCompressed(id, place(rc), rc.Width(), rc.Height(), px.data());
    };
    bool ok = add(static_cast<int>(kBkId), RECT{0, 0, kHostWidth, kHostHeight}, kBk);
    ok = ok && add(static_cast<int>(kSpeedcamWaitingImage), kWaitingRect, kWaiting);
    writer.AddEmpty(static_cast<int>(kMapAreaImage), place(kMapRect));
    for (UINT id : {183u, 184u, 185u, 186u, 187u, 188u, 401u, 402u, 403u})
        ok = ok && add(static_cast<int>(id), kMapRect, PlaceholderColour(id));
    return ok && writer.Write(file);
}

// The dialog that hosts the map and the panel; it records the map's messages to it.
class CMapHostDialog : public CBmpDialog {
public:
    CMapHostDialog() : CBmpDialog(IDD_MAPHOST, nullptr) {}
    using CBmpDialog::LoadBackground;

    int Count(UINT message) const
    {
        int n = 0;
        for (UINT m : m_vecMessages) n += m == message;
        return n;
    }
    std::vector<UINT> m_vecMessages; // WM_MAP_LOAD_COMPLETE and WM_MAP_RUNTIME_MISSING, in order

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_MAP_LOAD_COMPLETE || message == WM_MAP_RUNTIME_MISSING) m_vecMessages.push_back(message);
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

// Everything the map asked of its web view.
struct CFakeWebState {
    std::vector<std::string> calls; // one word per call, in order
    std::vector<MapPoint> added;
    std::vector<std::vector<MapPoint>> replots;
    std::vector<std::wstring> districts;
    std::vector<int> units;
    bool canCreate = true; // false: no browser can be made here
    bool created = false;
    bool runtime = true;
    bool shown = false;
    int nHides = 0; // times a shown view was hidden
    int nCreateCalls = 0;
    RECT rc{};
    HWND hwndNotify = nullptr;
    std::string page;

    int CountOf(const std::string& word) const
    {
        int n = 0;
        for (const auto& c : calls) n += c == word;
        return n;
    }
};

class CFakeWebView : public IMapWebView {
public:
    explicit CFakeWebView(std::shared_ptr<CFakeWebState> state) : m_pState(std::move(state)) {}
    HWND GetHwnd() const override { return nullptr; }
    bool CreateBrowser() override
    {
        ++m_pState->nCreateCalls;
        if (!m_pState->canCreate) return false;
        if (!m_pState->created || !m_pState->runtime) m_pState->calls.push_back("create");
        m_pState->created = true;
        m_pState->runtime = true;
        return true;
    }
    bool IsCreated() const override { return m_pState->created; }
    bool IsRuntimePresent() const override { return m_pState->runtime; }
    void Reload() override { m_pState->calls.push_back("reload"); }
    void AddPos(const MapPoint& p) override
    {
        m_pState->calls.push_back("addPos");
        m_pState->added.push_back(p);
    }
    void DelPos() override { m_pState->calls.push_back("delPos"); }
    void ReplotPos(const std::vector<MapPoint>& points) override
    {
        m_pState->calls.push_back("replotPos");
        m_pState->replots.push_back(points);
    }
    void SetDefaultPos() override { m_pState->calls.push_back("setDefaultPos"); }
    void SetAdminDistrictName(const std::wstring& name) override
    {
        m_pState->calls.push_back("district");
        m_pState->districts.push_back(name);
    }
    void SetSpeedUnit(int nUnit) override
    {
        m_pState->calls.push_back("speedUnit");
        m_pState->units.push_back(nUnit);
    }
    void Show(bool bShow) override
    {
        if (!bShow && m_pState->shown) ++m_pState->nHides;
        m_pState->shown = bShow;
    }
    void MoveTo(const RECT& rc) override { m_pState->rc = rc; }
    void CapturePreview(CaptureDone done) override { done(nullptr); }
    void Evaluate(const std::string&, EvalDone done) override { done(std::nullopt); }

private:
    std::shared_ptr<CFakeWebState> m_pState;
};

// What the panel asked of its page.
struct CFakePageState {
    std::vector<std::string> navigated;
    int nSnapshots = 0;
    COLORREF clrPage = RGB(16, 22, 29);
    std::string firstLink;
};

class CFakePageView : public IPageView {
public:
    CFakePageView(std::shared_ptr<CFakePageState> state, int w, int h) : m_pState(std::move(state)), m_nW(w), m_nH(h) {}
    void Navigate(const std::string& uri) override { m_pState->navigated.push_back(uri); }
    bool IsNavigated() const override { return !m_pState->navigated.empty(); }
    void Snapshot(SnapshotDone done) override
    {
        ++m_pState->nSnapshots;
        void* bits = nullptr;
        UniqueBitmap bmp(CreateDIBSection(nullptr, m_nW, m_nH, &bits));
        for (int y = 0; y < m_nH; ++y)
            for (int x = 0; x < m_nW; ++x) GetBitmapRow(bmp.get(), y)[x] = SkinPixel(m_pState->clrPage) & 0xFFFFFF;
        done(bmp.get());
    }
    std::string GetFirstLink() const override { return m_pState->firstLink; }

private:
    std::shared_ptr<CFakePageState> m_pState;
    int m_nW, m_nH;
};

// Records the addresses handed to the desktop browser instead of starting one.
class CRecordingOpener {
public:
    CRecordingOpener()
    {
        SetUriOpener([this](const std::string& uri) {
            m_vecOpened.push_back(uri);
            return true;
        });
    }
    ~CRecordingOpener() { SetUriOpener({}); }
    CRecordingOpener(const CRecordingOpener&) = delete;
    CRecordingOpener& operator=(const CRecordingOpener&) = delete;
    std::vector<std::string> m_vecOpened;
};


// A fix of the track: valid ("A" and parsed) when it has a position.
inline GpsFix Fix(double lat, double lng, double speed)
{
    GpsFix f = GpsFix::Empty();
    f.latitude = lat;
    f.longitude = lng;
    f.speedKmh = speed;
    if (std::isfinite(lat)) {
        f.status[0] = 'A';
        f.status[1] = 1;
    }
    return f;
}

// A drive north-east from Seoul city hall: one fix a second, speed growing by one km/h a second.
inline std::vector<GpsFix> Drive(int seconds, int noFixBefore = 0)
{
    std::vector<GpsFix> fixes;
    for (int i = 0; i < seconds; ++i) {
        if (i < noFixBefore) fixes.push_back(GpsFix::Empty());
        else fixes.push_back(Fix(37.566535 + 0.0001 * i, 126.977969 + 0.0001 * i, 20.0 + i));
    }
    return fixes;
}

} // namespace maptest
