#pragma once

// A headless loop per test, a skin file (written with the skin writer) holding the pictures of
// the value widgets, and a bitmap dialog that hosts them and records what they tell it.

#include "tests/TestSupport.h"
#include "tools/skin/MergeImageWriter.h"
#include "widgets/SkinLoader.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace widgettest {

using namespace zent;

// The host dialog: 240 x 160, placed on the screen at (200, 300) by its background.
constexpr UINT kBkId = 1;
constexpr POINT kHostOrigin{200, 300};
constexpr int kHostWidth = 240;
constexpr int kHostHeight = 160;
// Horizontal slider: a 112 x 16 track at (10, 10), its fill, a 12 x 16 thumb and its pressed look.
constexpr UINT kTrackId = 2;
constexpr UINT kFillId = 3;
constexpr UINT kThumbId = 4;
constexpr UINT kThumbPressedId = 5;
constexpr RECT kTrackRect{10, 10, 122, 26};
// Vertical slider: a 16 x 100 track at (200, 20) and a 16 x 10 thumb.
constexpr UINT kVTrackId = 6;
constexpr UINT kVThumbId = 7;
constexpr RECT kVTrackRect{200, 20, 216, 120};
// Progress bar: a slot without a picture, 90 x 8 at (10, 40).
constexpr UINT kBarId = 8;
constexpr RECT kBarRect{10, 40, 100, 48};
// Combo box: 68 x 26 at (20, 60), closed and open pictures.
constexpr UINT kComboId = 9;
constexpr UINT kComboOpenId = 10;
constexpr RECT kComboRect{20, 60, 88, 86};

constexpr COLORREF kBk = RGB(20, 30, 40);
constexpr COLORREF kTrack = RGB(50, 60, 200);
constexpr COLORREF kFill = RGB(0, 200, 0);
constexpr COLORREF kThumb = RGB(240, 240, 0);
constexpr COLORREF kThumbPressed = RGB(255, 128, 0);
constexpr COLORREF kCombo = RGB(40, 90, 40);
constexpr COLORREF kComboOpen = RGB(90, 40, 40);

// Dialog and control ids as the player window has them.
constexpr UINT IDD_HOST = 129;
constexpr UINT IDC_VIDEO_SLIDER = 1025;
constexpr UINT IDC_VOLUME_SLIDER = 1065;
constexpr UINT IDC_CARD_BAR = 1082;
constexpr UINT IDC_ZOOM_LIST = 1032;
constexpr DialogItemTemplate kHostItems[] = {
    {L"Static", IDC_VIDEO_SLIDER, 0, 0, 5, 5},
    {L"Static", IDC_VOLUME_SLIDER, 0, 0, 5, 5},
    {L"Static", IDC_CARD_BAR, 0, 0, 5, 5},
    {L"Static", IDC_ZOOM_LIST, 0, 0, 5, 5},
};
constexpr DialogTemplate kHostTemplates[] = {{IDD_HOST, 0, 0, kHostWidth, kHostHeight, WS_POPUP, 0, L"", kHostItems}};

// Pixels as the skin stores them (B, G, R, A) from a 0x00BBGGRR colour.
inline std::uint32_t SkinPixel(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

struct CRecordedMsg {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    friend bool operator==(const CRecordedMsg&, const CRecordedMsg&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const CRecordedMsg& m)
{
    return os << "{0x" << std::hex << m.message << ", 0x" << m.wParam << ", " << std::dec << m.lParam << "}";
}

// Records the scroll notices of sliders and the drop and choice messages of combo boxes.
class CHostDialog : public CBmpDialog {
public:
    CHostDialog() : CBmpDialog(IDD_HOST, nullptr) {}
    using CBmpDialog::LoadBackground;

    std::vector<CRecordedMsg> Of(UINT message) const
    {
        std::vector<CRecordedMsg> out;
        for (const CRecordedMsg& m : m_vecMsgs)
            if (m.message == message) out.push_back(m);
        return out;
    }
    std::vector<CRecordedMsg> m_vecMsgs;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_HSCROLL || (message >= 0x466 && message <= 0x468)) m_vecMsgs.push_back({message, wParam, lParam});
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

class CWidgetHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto presenter = std::make_unique<CHeadlessPresenter>();
        m_pPresenter = presenter.get();
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        WriteSkin();
        ASSERT_GE(m_kLoader.OpenMergeFile((m_kDir / "skin.dat").wstring(), 1), 2);
        SetSkinLoader(&m_kLoader);
        m_kModule.templates = kHostTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_kHost.Create(IDD_HOST, nullptr));
        m_kHost.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, 0);
    }
    void TearDown() override
    {
        SetSkinLoader(nullptr);
        SetDefaultResModule(nullptr);
    }

    void WriteSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        const auto add = [&](UINT id, const RECT& rc, COLORREF colour) {
            std::vector<std::uint32_t> px(static_cast<std::size_t>(rc.Width() * rc.Height()), SkinPixel(colour));
            ASSERT_TRUE(writer.AddCompressed(static_cast<int>(id),
                                             {static_cast<std::uint16_t>(rc.left), static_cast<std::uint16_t>(rc.top),
                                              static_cast<std::uint16_t>(rc.Width()),
                                              static_cast<std::uint16_t>(rc.Height())},
                                             rc.Width(), rc.Height(), px.data()));
        };
        add(kBkId, RECT{kHostOrigin.x, kHostOrigin.y, kHostOrigin.x + kHostWidth, kHostOrigin.y + kHostHeight}, kBk);
        add(kTrackId, kTrackRect, kTrack);
        add(kFillId, kTrackRect, kFill);
        add(kThumbId, RECT{kTrackRect.left, kTrackRect.top, kTrackRect.left + 12, kTrackRect.bottom}, kThumb);
        add(kThumbPressedId, RECT{kTrackRect.left, kTrackRect.top, kTrackRect.left + 12, kTrackRect.bottom},
            kThumbPressed);
        add(kVTrackId, kVTrackRect, kTrack);
        add(kVThumbId, RECT{kVTrackRect.left, kVTrackRect.top, kVTrackRect.right, kVTrackRect.top + 10}, kThumb);
        writer.AddEmpty(kBarId, {static_cast<std::uint16_t>(kBarRect.left), static_cast<std::uint16_t>(kBarRect.top),
                                 static_cast<std::uint16_t>(kBarRect.Width()),
                                 static_cast<std::uint16_t>(kBarRect.Height())});
        add(kComboId, kComboRect, kCombo);
        add(kComboOpenId, kComboRect, kComboOpen);
        ASSERT_TRUE(writer.Write(m_kDir / "skin.dat"));
    }

    // Also what controls drew outside the loop (a redraw asked for by the test) reaches the
    // screen: that happens at the end of a pass with work to do.
    void Pump()
    {
        if (Host()) PostMessage(Host(), WM_NULL, 0, 0);
        m_pLoop->PumpUntilIdle();
    }
    HWND Host() const { return m_kHost.GetSafeHwnd(); }
    // Input at the host's client coordinates, each followed by the loop's work.
    void Down(POINT pt) { m_pPresenter->InjectButtonDown(Host(), pt); Pump(); }
    void Up(POINT pt) { m_pPresenter->InjectButtonUp(Host(), pt); Pump(); }
    void Move(POINT pt) { m_pPresenter->InjectMouseMove(Host(), pt); Pump(); }
    void Click(POINT pt) { m_pPresenter->InjectClick(Host(), pt); Pump(); }

    COLORREF Screen(HWND top, int x, int y) const { return m_pPresenter->GetScreenPixel(top, x, y); }
    // "" when every pixel of rc (client coordinates of top) is what expected says, else the
    // number of differing pixels and the first of them.
    std::string AreaMismatch(HWND top, const RECT& rc, const std::function<COLORREF(int, int)>& expected) const
    {
        int bad = 0;
        std::ostringstream first;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                const COLORREF want = expected(x, y);
                const COLORREF got = Screen(top, x, y);
                if (got == want) continue;
                if (bad++ == 0) first << " first at (" << x << ", " << y << "): 0x" << std::hex << got << " not 0x" << want;
            }
        return bad ? std::to_string(bad) + " pixels differ;" + first.str() : std::string();
    }

    testsupport::TempDir m_kDir;
    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_kLoader;
    CResModule m_kModule;
    CHostDialog m_kHost;
};

} // namespace widgettest
