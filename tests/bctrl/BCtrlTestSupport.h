#pragma once

// A headless loop per test, a skin file written with the skin writer, a resource module of
// dialog templates, and a control that records what its dialog asked of it.

#include "tests/TestSupport.h"
#include "tools/skin/MergeImageWriter.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace bctrltest {

using namespace zent;

// Skin ids used by the tests.
constexpr UINT kBkId = 1;      // 60 x 40 background, two halves of colour, placed at (100, 50)
constexpr UINT kOverlayId = 2; // 20 x 10, magenta on the left half

constexpr UINT kNormalId = 3;   // 20 x 10 at (10, 10): the three button states
constexpr UINT kPressedId = 4;
constexpr UINT kDisabledId = 5;
constexpr UINT kStaticRectId = 6; // an empty slot with a 7 x 5 placement at (40, 20)
constexpr COLORREF kNormalColour = RGB(200, 0, 0);
constexpr COLORREF kPressedColour = RGB(0, 0, 200);
constexpr COLORREF kDisabledColour = RGB(90, 90, 90);

constexpr COLORREF kBkLeft = RGB(10, 20, 30);
constexpr COLORREF kBkRight = RGB(200, 100, 50);

// Pixels as the skin stores them (B, G, R, A) from a 0x00BBGGRR colour.
inline std::uint32_t SkinPixel(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

// Records every call of its dialog in one shared log, so tests can state the order.
class CTestCtrl : public CBmpCtrl {
public:
    CTestCtrl(std::string name, std::vector<std::string>* log, COLORREF colour)
        : m_clrFill(colour), m_strName(std::move(name)), m_pLog(log)
    {
    }
    int DrawCtrl(HDC dc, POINT origin) override
    {
        ++m_nDraws;
        if (!GetVisibleCtrl()) return 1;
        const RECT rc = GetControlPos();
        FillSolidRect(dc, origin.x, origin.y, rc.right - rc.left, rc.bottom - rc.top, m_clrFill);
        return 1;
    }
    int SoundPlay() override { return Note("sound"); }
    int Clean() override { return Note("clean"); }
    int LButtonDown(UINT, POINT pt) override { return Note("down", pt); }
    int LButtonUp(UINT, POINT pt) override { return Note("up", pt); }
    int LButtonDblClk(UINT, POINT pt) override { return Note("dbl", pt); }
    int MouseMove(UINT, POINT pt) override
    {
        Note("move", pt);
        return m_nMoveResult;
    }
    int KeyInput(UINT key) override
    {
        Note("key" + std::to_string(key));
        return m_nKeyResult;
    }

    int m_nMoveResult = 1;
    int m_nKeyResult = 0;
    int m_nDraws = 0;
    COLORREF m_clrFill;

private:
    int Note(const std::string& what, POINT pt = POINT{-1, -1})
    {
        std::string s = m_strName + ":" + what;
        if (pt.x != -1 || pt.y != -1) s += "@" + std::to_string(pt.x) + "," + std::to_string(pt.y);
        if (m_pLog) m_pLog->push_back(s);
        return 1;
    }
    std::string m_strName;
    std::vector<std::string>* m_pLog;
};

// Touch sounds are process-wide: a fixture that presses controls turns them off for its life and
// gives back whatever was set before.
class CTouchSoundOff {
public:
    CTouchSoundOff() : m_bOld(CBmpCtrl::GetTouchSound()) { CBmpCtrl::SetTouchSound(0); }
    ~CTouchSoundOff() { CBmpCtrl::SetTouchSound(m_bOld); }
    CTouchSoundOff(const CTouchSoundOff&) = delete;
    CTouchSoundOff& operator=(const CTouchSoundOff&) = delete;

private:
    int m_bOld;
};

class CBCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto presenter = std::make_unique<CHeadlessPresenter>();
        m_pPresenter = presenter.get();
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        WriteSkin();
        ASSERT_GE(m_kLoader.OpenMergeFile((m_kDir / "skin.dat").wstring(), 1), 2);
    }
    void TearDown() override
    {
        SetDefaultResModule(nullptr);
        CResDialog::m_lDlgStartPoint = POINT{0, 0};
        CBmpDialog::m_bRemoconProgram = 0;
    }
    void WriteSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        std::vector<std::uint32_t> bk(60 * 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) bk[y * 60 + x] = SkinPixel(x < 30 ? kBkLeft : kBkRight);
        ASSERT_TRUE(writer.AddCompressed(kBkId, {100, 50, 60, 40}, 60, 40, bk.data()));
        std::vector<std::uint32_t> ov(20 * 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) ov[y * 20 + x] = SkinPixel(x < 10 ? kSkinKeyColor : RGB(0, 255, 0));
        ASSERT_TRUE(writer.AddCompressed(kOverlayId, {5, 5, 20, 10}, 20, 10, ov.data()));
        for (auto [id, colour] : {std::pair{kNormalId, kNormalColour}, std::pair{kPressedId, kPressedColour},
                                  std::pair{kDisabledId, kDisabledColour}}) {
            std::vector<std::uint32_t> px(20 * 10, SkinPixel(colour));
            ASSERT_TRUE(writer.AddCompressed(static_cast<int>(id), {10, 10, 20, 10}, 20, 10, px.data()));
        }
        writer.AddEmpty(kStaticRectId, {40, 20, 7, 5});
        ASSERT_TRUE(writer.Write(m_kDir / "skin.dat"));
    }
    void Pump() { m_pLoop->PumpUntilIdle(); }
    // What the user sees of a top-level window.
    COLORREF Screen(HWND top, int x, int y) const { return m_pPresenter->GetScreenPixel(top, x, y); }

    testsupport::TempDir m_kDir;
    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_kLoader;
};

// The pixels of a device context's bitmap, for whole-picture comparisons.
inline std::vector<std::uint32_t> PixelsOf(HBITMAP bmp)
{
    BITMAP bm;
    std::vector<std::uint32_t> out;
    if (!GetObject(bmp, &bm)) return out;
    for (int y = 0; y < bm.bmHeight; ++y) {
        const std::uint32_t* row = GetBitmapRow(bmp, y);
        for (int x = 0; x < bm.bmWidth; ++x) out.push_back(row[x] & 0xFFFFFF);
    }
    return out;
}

} // namespace bctrltest
