#pragma once

// A headless loop per test, a skin of flat pictures for the speed gauge and the graph, a bitmap
// dialog hosting both as the player window does, settings in a folder of the test's own, and
// recordings in the older 'GPSR'/'SENS' layout written from a list of steps.

#include "tests/TestSupport.h"
#include "tests/support/TrackRecording.h"
#include "tools/skin/MergeImageWriter.h"
#include "widgets/SkinLoader.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace dashtest {

using namespace zent;

constexpr UINT IDD_HOST = 129;
constexpr UINT IDC_GAUGE = 1014;
constexpr UINT IDC_GRAPH = 1072;
constexpr DialogItemTemplate kItems[] = {{L"Static", IDC_GAUGE, 0, 0, 5, 5}, {L"Static", IDC_GRAPH, 0, 0, 5, 5}};
constexpr DialogTemplate kTemplates[] = {{IDD_HOST, 0, 0, 300, 140, WS_POPUP, 0, L"", kItems}};

// Where the pictures go, in the host's client coordinates.
constexpr RECT kGaugeRect{10, 10, 130, 130};
constexpr RECT kNeedleBar{30, 62, 68, 78}; // the opaque part of every needle picture
constexpr RECT kHubRect{60, 60, 80, 80};
constexpr RECT kLampRect{110, 14, 122, 26};
constexpr RECT kDigitsRect{30, 80, 110, 112};
constexpr RECT kUnitRect{40, 112, 100, 128};
constexpr RECT kGraphRect{150, 20, 274, 126};

constexpr COLORREF kHostBk = RGB(12, 14, 20);
constexpr COLORREF kFace = RGB(30, 34, 48);
constexpr COLORREF kHub = RGB(240, 120, 0);
constexpr COLORREF kNoFixLamp = RGB(200, 0, 0);
constexpr COLORREF kFixLamp = RGB(0, 200, 0);
constexpr COLORREF kGraphBk = RGB(20, 40, 60);
constexpr BYTE kGraphAlpha = 160;
constexpr COLORREF NeedleColour(UINT id) { return RGB(250, static_cast<int>(id), 255 - static_cast<int>(id)); }

inline std::uint32_t SkinPixel(COLORREF c, BYTE alpha = 255)
{
    return (static_cast<std::uint32_t>(alpha) << 24) | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}
// The image object's blend of one colour at alpha a over another (its ">> 8" included).
inline COLORREF Blend(COLORREF top, COLORREF under, int a)
{
    const auto ch = [&](int t, int u) { return (t * a + u * (255 - a)) >> 8; };
    return RGB(ch(GetRValue(top), GetRValue(under)), ch(GetGValue(top), GetGValue(under)),
               ch(GetBValue(top), GetBValue(under)));
}

// A picture to compare: w x h colours, drawn with the platform's own primitives.
struct CPicture {
    int w, h;
    UniqueBitmap bmp;
    UniqueDC dc;
    CPicture(int width, int height, COLORREF fill) : w(width), h(height), bmp(CreateCompatibleBitmap(nullptr, w, h))
    {
        dc.reset(CreateCompatibleDC(nullptr));
        SelectObject(dc.get(), bmp.get());
        FillSolidRect(dc.get(), 0, 0, w, h, fill);
    }
    void Fill(const RECT& rc, COLORREF c) { FillSolidRect(dc.get(), &rc, c); }
    COLORREF At(int x, int y) const
    {
        const std::uint32_t p = GetBitmapRow(bmp.get(), y)[x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

class CHost : public CBmpDialog {
public:
    CHost() : CBmpDialog(IDD_HOST, nullptr) {}
    using CBmpDialog::LoadBackground;
};

class CDashboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto presenter = std::make_unique<CHeadlessPresenter>();
        m_pPresenter = presenter.get();
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        WriteSkin();
        ASSERT_GE(m_kLoader.OpenMergeFile((m_kDir / "skin.dat").wstring(), 1), 99);
        SetSkinLoader(&m_kLoader);
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_kHost.Create(IDD_HOST, nullptr));
        m_kHost.LoadBackground(&m_kLoader, 1, POINT{0, 0}, 0);
    }
    void TearDown() override
    {
        SetSkinLoader(nullptr);
        SetDefaultResModule(nullptr);
    }

    void WriteSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        const auto add = [&](int id, const RECT& rc, const std::function<std::uint32_t(int, int)>& pixel) {
            std::vector<std::uint32_t> px;
            for (int y = rc.top; y < rc.bottom; ++y)
                for (int x = rc.left; x < rc.right; ++x) px.push_back(pixel(x, y));
            const auto u16 = [](LONG v) { return static_cast<std::uint16_t>(v); };
            ASSERT_TRUE(writer.AddCompressed(id, {u16(rc.left), u16(rc.top), u16(rc.Width()), u16(rc.Height())},
                                             rc.Width(), rc.Height(), px.data()));
        };
        const auto flat = [](COLORREF c, BYTE a = 255) { return [=](int, int) { return SkinPixel(c, a); }; };
        const auto within = [](const RECT& part, COLORREF c) {
            return [=](int x, int y) { return part.Contains(POINT{x, y}) ? SkinPixel(c) : 0u; };
        };
        add(1, RECT{0, 0, 300, 140}, flat(kHostBk));
        add(42, kGaugeRect, flat(kFace));
        for (UINT id = 43; id <= 98; ++id)
            if (id < 44 || id > 48) add(static_cast<int>(id), kGaugeRect, within(kNeedleBar, NeedleColour(id)));
        add(44, kLampRect, flat(kNoFixLamp));
        add(45, kLampRect, flat(kFixLamp));
        writer.AddEmpty(46, {30, 80, 80, 32});
        writer.AddEmpty(47, {40, 112, 60, 16});
        add(48, kGaugeRect, within(kHubRect, kHub));
        add(99, kGraphRect, flat(kGraphBk, kGraphAlpha));
        ASSERT_TRUE(writer.Write(m_kDir / "skin.dat"));
    }

    void Pump()
    {
        PostMessage(m_kHost.GetSafeHwnd(), WM_NULL, 0, 0);
        m_pLoop->PumpUntilIdle();
    }
    // "" when the screen inside rc is the expected picture, else how many pixels differ and where.
    std::string Mismatch(const RECT& rc, const CPicture& expected)
    {
        Pump();
        int bad = 0;
        std::ostringstream first;
        for (int y = 0; y < expected.h; ++y)
            for (int x = 0; x < expected.w; ++x) {
                const COLORREF got = m_pPresenter->GetScreenPixel(m_kHost.GetSafeHwnd(), rc.left + x, rc.top + y);
                if (got != expected.At(x, y) && bad++ == 0)
                    first << " first at (" << x << ", " << y << "): 0x" << std::hex << got << " not 0x" << expected.At(x, y);
            }
        return bad ? std::to_string(bad) + " pixels differ;" + first.str() : std::string();
    }

    testsupport::TempDir m_kDir;
    testsupport::ScopedEnv m_kConfig{"XDG_CONFIG_HOME", (m_kDir / "config").string()};
    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_kLoader;
    CResModule m_kModule;
    CHost m_kHost;
};

} // namespace dashtest
