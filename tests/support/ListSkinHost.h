#pragma once

// A headless player-window stand-in for the video list and the search box: a bitmap dialog with
// a plain background colour, a small skin of solid-colour pictures (header, scroll track and
// thumb, the box's two pictures, column widths), the list and the box made as the player window
// makes them, and a record of what they told the dialog.

#include "tests/TestSupport.h"
#include "tools/skin/MergeImageWriter.h"
#include "widgets/BmpSearchEdit.h"
#include "widgets/SkinListCtrl.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace listtest {

using namespace zent;

constexpr UINT IDD_HOST = 600;
constexpr UINT IDC_LIST = 1056;
constexpr UINT IDC_SEARCH = 1058;

// Skin ids, as the player window's skin numbers them.
constexpr UINT kSearchNormalId = 114;
constexpr UINT kSearchFocusId = 115;
constexpr UINT kListRectId = 117;
constexpr UINT kHeaderId = 118;
constexpr UINT kColumnIds[3] = {119, 120, 121};
constexpr int kColumnWidths[3] = {50, 40, 50};
constexpr UINT kTrackId = 123;
constexpr UINT kThumbId = 124;

// Geometry: the list shows four whole rows and half of a fifth below a 24-pixel header; the
// scroll bar is 90 pixels high with a 20-pixel thumb, so the thumb travels 70 pixels.
constexpr RECT kListRect{10, 10, 160, 124};
constexpr int kHeaderHeight = 24;
constexpr int kBarWidth = 10;
constexpr int kBarHeight = 90;
constexpr int kThumbHeight = 20;
constexpr RECT kSearchRect{10, 140, 130, 164};

constexpr COLORREF kDialogColour = RGB(5, 5, 5);
constexpr COLORREF kHeaderColour = RGB(30, 40, 60);
constexpr COLORREF kTrackColour = RGB(70, 70, 90);
constexpr COLORREF kThumbColour = RGB(200, 200, 220);
constexpr COLORREF kSearchNormalColour = RGB(20, 20, 28);
constexpr COLORREF kSearchFocusColour = RGB(150, 80, 0);

inline std::uint32_t SkinPixel(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

constexpr DialogItemTemplate kHostItems[] = {{L"Static", IDC_SEARCH, 0, 0, 10, 10}};
constexpr DialogTemplate kHostTemplates[] = {{IDD_HOST, 0, 0, 220, 200, WS_POPUP | WS_VISIBLE, 0, L"", kHostItems}};

struct Notice {
    int code = 0;
    UINT_PTR idFrom = 0;
    HWND hwndFrom = nullptr;
    int item = -2;
    UINT key = 0;
};

struct SearchRequest {
    HWND hwndBox = nullptr;
    std::wstring text;
};

class CHostDlg : public CBmpDialog {
public:
    CHostDlg() : CBmpDialog(IDD_HOST, nullptr) {}

    std::vector<Notice> m_vecNotices;
    std::vector<SearchRequest> m_vecSearches;
    std::vector<POINT> m_vecPresses; // presses on the dialog's own ground
    std::vector<UINT> m_vecKeys;     // key-downs the dialog's own key handling saw

    int LButtonDown(UINT, POINT pt) override
    {
        m_vecPresses.push_back(pt);
        return 0;
    }
    int KeyDown(UINT key, UINT, UINT) override
    {
        m_vecKeys.push_back(key);
        return 0;
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            Notice n{hdr->code, hdr->idFrom, hdr->hwndFrom};
            if (hdr->code == NM_DBLCLK) n.item = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
            if (hdr->code == LVN_KEYDOWN) n.key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
            m_vecNotices.push_back(n);
            return 0;
        }
        if (message == WM_SEARCH_ENTER) {
            m_vecSearches.push_back({reinterpret_cast<HWND>(wParam), *reinterpret_cast<const std::wstring*>(lParam)});
            return 0;
        }
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

class CListSkinHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto presenter = std::make_unique<CHeadlessPresenter>();
        m_pPresenter = presenter.get();
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        WriteSkin();
        ASSERT_GT(m_kLoader.OpenMergeFile((m_kDir / "skin.dat").wstring(), 1), 0);
        m_kModule.templates = kHostTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_dlg.Create(IDD_HOST, nullptr));
        m_dlg.SetBackgroundColor(kDialogColour);

        RECT rc{};
        ASSERT_TRUE(m_kLoader.GetRect(static_cast<int>(kListRectId), &rc));
        ASSERT_TRUE(m_list.Create(rc, m_dlg.GetSafeHwnd(), IDC_LIST));
        m_list.SetSkinImages(&m_kLoader, kHeaderId, kTrackId, kThumbId);
        m_list.Initialise();
        m_list.SetColumnOption(0, L"", 0);
        for (int i = 0; i < 3; ++i) m_list.SetColumnOption(i + 1, L"", kColumnIds[i]);

        ASSERT_TRUE(m_box.SubclassDlgItem(IDC_SEARCH, m_dlg.GetSafeHwnd()));
        ASSERT_EQ(m_box.InitControl(&m_kLoader, kSearchNormalId, kSearchFocusId), 1);
        Pump();
    }
    void TearDown() override { SetDefaultResModule(nullptr); }

    void WriteSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        auto solid = [&](UINT id, RECT rc, COLORREF colour) {
            const int w = rc.right - rc.left;
            const int h = rc.bottom - rc.top;
            std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h), SkinPixel(colour));
            ASSERT_TRUE(writer.AddCompressed(static_cast<int>(id), Place(rc), w, h, px.data()));
        };
        writer.AddEmpty(static_cast<int>(kListRectId), Place(kListRect));
        solid(kHeaderId, RECT{kListRect.left, kListRect.top, kListRect.right, kListRect.top + kHeaderHeight},
              kHeaderColour);
        int x = kListRect.left;
        for (int i = 0; i < 3; ++i) {
            writer.AddEmpty(static_cast<int>(kColumnIds[i]),
                            Place(RECT{x, kListRect.top, x + kColumnWidths[i], kListRect.top + kHeaderHeight}));
            x += kColumnWidths[i];
        }
        const int barLeft = kListRect.right - kBarWidth;
        const int barTop = kListRect.top + kHeaderHeight;
        solid(kTrackId, RECT{barLeft, barTop, kListRect.right, barTop + kBarHeight}, kTrackColour);
        solid(kThumbId, RECT{barLeft, barTop, kListRect.right, barTop + kThumbHeight}, kThumbColour);
        solid(kSearchNormalId, kSearchRect, kSearchNormalColour);
        solid(kSearchFocusId, kSearchRect, kSearchFocusColour);
        ASSERT_TRUE(writer.Write(m_kDir / "skin.dat"));
    }
    static torvix::skin::Placement Place(RECT rc)
    {
        return {static_cast<std::uint16_t>(rc.left), static_cast<std::uint16_t>(rc.top),
                static_cast<std::uint16_t>(rc.right - rc.left), static_cast<std::uint16_t>(rc.bottom - rc.top)};
    }

    // A pass presents what controls drew through the dialog's device context only when it
    // dispatched something, so a change made from here between passes gets a message to carry it.
    void Pump()
    {
        if (Dlg()) PostMessage(Dlg(), WM_NULL, 0, 0);
        m_pLoop->PumpUntilIdle();
    }
    // Handles what is pending, then lets ms pass on the clock.
    void Wait(int ms)
    {
        Pump();
        m_pPresenter->AdvanceClock(std::chrono::milliseconds(ms));
        Pump();
    }
    HWND Dlg() const { return m_dlg.GetSafeHwnd(); }

    // What the user sees of a rectangle of the dialog, row by row.
    std::vector<COLORREF> ScreenOf(RECT rc) const
    {
        std::vector<COLORREF> out;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) out.push_back(m_pPresenter->GetScreenPixel(Dlg(), x, y));
        return out;
    }
    COLORREF Screen(int x, int y) const { return m_pPresenter->GetScreenPixel(Dlg(), x, y); }

    // A row of the list on the screen (dialog coordinates), without the scroll bar's strip.
    static RECT RowBand(int visibleIndex)
    {
        const int top = kListRect.top + kHeaderHeight + visibleIndex * CSkinListCtrl::kRowHeight;
        return RECT{kListRect.left, top, kListRect.right - kBarWidth, top + CSkinListCtrl::kRowHeight};
    }
    static POINT RowPoint(int visibleIndex)
    {
        return POINT{20, kHeaderHeight + visibleIndex * CSkinListCtrl::kRowHeight + CSkinListCtrl::kRowHeight / 2};
    }

    void Fill(int count)
    {
        for (int i = 0; i < count; ++i) {
            const int row = m_list.InsertItem(m_list.GetItemCount(), L"/card/rec" + std::to_wstring(i) + L".mp4*x");
            m_list.SetItemText(row, 1, std::to_wstring(i));
        }
        Pump();
    }

    // Keys as the native side delivers them: the key-down, then the character it types.
    void TypeChars(HWND hwnd, std::u32string_view text)
    {
        for (char32_t ch : text) {
            const UINT vk = (ch >= U'a' && ch <= U'z') ? static_cast<UINT>(ch - U'a' + U'A') : VK_PROCESSKEY;
            m_pPresenter->InjectKeyDown(hwnd, vk);
            m_pPresenter->InjectChar(hwnd, ch);
            m_pPresenter->InjectKeyUp(hwnd, vk);
        }
    }
    // A key that types a control character (Enter, Backspace, Escape).
    void TypeKey(HWND hwnd, UINT vk, char32_t ch)
    {
        m_pPresenter->InjectKeyDown(hwnd, vk);
        m_pPresenter->InjectChar(hwnd, ch);
        m_pPresenter->InjectKeyUp(hwnd, vk);
    }

    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    testsupport::TempDir m_kDir;
    QLBMLoader m_kLoader;
    CResModule m_kModule;
    CHostDlg m_dlg;
    CSkinListCtrl m_list;
    CBmpSearchEdit m_box;
};

} // namespace listtest
