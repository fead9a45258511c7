#pragma once

// The player window under test: a headless loop on a manual clock that moves on by itself, the
// delivered skin and language table, settings in a folder of the test's own, a card of named
// files (their content does not matter), and a player that records what it was asked instead of
// playing.

#include "app/Resources.h"
#include "app/TorvixPlayerDlg.h"
#include "app/TorvixPlayerMainDlg.h"
#include "cardtools/TorvixPlayerHelpDlg.h"
#include "cardtools/TorvixPlayerPopUpDlg.h"
#include "locale/LangRes.h"
#include "tests/TestSupport.h"
#include "widgets/SkinLoader.h"

#include <zent/bctrl/ResModule.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

using namespace zent;

// Plays nothing; keeps the state codes as the real player does and the calls it got.
class CFakePlayer final : public IZentPlayer {
public:
    struct Shared {
        std::vector<std::string> calls;
        std::vector<std::wstring> opened;
        int nDuration = 60;
        int nFileCountOverride = -1;
    };
    explicit CFakePlayer(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    void Configure(int) override {}
    int GetFileDuration(const std::string&) override { return m_shared->nDuration; }
    int GetDuration() override { return m_vecFilePath.empty() ? 0 : m_shared->nDuration; }
    int GetPlayTime(int) override { return m_nTime; }
    int GetState() override { return m_nState; }
    int GetFileCount() override
    {
        return m_shared->nFileCountOverride >= 0 ? m_shared->nFileCountOverride : static_cast<int>(m_vecFilePath.size());
    }
    BOOL IsPlaying() override { return m_nState == ZENT_PLAYER_PLAYING || m_nState == ZENT_PLAYER_PAUSED; }
    void SetPlayTimer(HWND, int) override {}
    void SetPlayVolume(int v) override { Note("volume " + std::to_string(v)); }
    std::wstring GetFilePath(int i) override
    {
        return i >= 0 && i < static_cast<int>(m_shared->opened.size()) ? m_shared->opened[static_cast<std::size_t>(i)] : L"";
    }
    int Open(const wchar_t* first, const wchar_t* second) override
    {
        m_vecFilePath.clear();
        m_shared->opened.clear();
        for (const wchar_t* p : {first, second}) {
            if (!p) continue;
            m_vecFilePath.push_back(WideToUtf8(p));
            m_shared->opened.emplace_back(p);
        }
        Note("open " + std::to_string(m_vecFilePath.size()));
        m_nState = ZENT_PLAYER_READY;
        return 1;
    }
    int Play(float) override
    {
        Note("play");
        m_nState = ZENT_PLAYER_PLAYING;
        return 1;
    }
    int Speed(float) override { return 1; }
    int Pause() override
    {
        Note("pause");
        m_nState = ZENT_PLAYER_PAUSED;
        return 1;
    }
    int Step() override { return 1; }
    int Stop() override
    {
        if (m_nState != ZENT_PLAYER_STOPPED && m_nState != ZENT_PLAYER_READY) Note("stop");
        m_nState = ZENT_PLAYER_STOPPED;
        return 1;
    }
    int Seek(int s) override
    {
        Note("seek " + std::to_string(s));
        m_nTime = s;
        return 1;
    }
    int Reset() override { return 1; }
    int VideoSyncCorrection(int) override { return 0; }
    void SetMonochrome(int on) override { Note("mono " + std::to_string(on)); }
    int DrawSnapshot(int, HDC, const std::wstring&, const RECT&) override { return 0; }
    BOOL GetVideoSize(int, unsigned*, unsigned*) override { return FALSE; }
    void Zoom(int, float, int, int) override {}
    void SetContrast(float) override {}
    int GetVidoeStreamCount(const std::wstring&) override { return 1; }
    int GetAudioStreamCount(const std::wstring&) override { return 1; }

private:
    void Note(const std::string& s) { m_shared->calls.push_back(s); }
    std::shared_ptr<Shared> m_shared;
    int m_nTime = 0;
};

// The player program's windows on a headless loop, with a card folder of the test's own.
class CPlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto presenter = std::make_unique<CHeadlessPresenter>(CHeadlessPresenter::ClockMode::Manual);
        m_pPresenter = presenter.get();
        m_pPresenter->SetAutoAdvance(true);
        // A clock that starts well away from zero, as a real one does.
        m_pPresenter->AdvanceClock(std::chrono::hours(1));
        m_pLoop = CMessageLoop::Create(std::move(presenter));
        ASSERT_TRUE(m_pLoop);
        ASSERT_TRUE(LoadLanguageFile(kLangIndexEnglish));
        ASSERT_GE(m_loader.OpenMergeFile(PathToWide(FindDataFile("TorvixPlayerImg.dat")), 1), 2);
        SetSkinLoader(&m_loader);
        CTorvixPlayerPopUpDlg::SetUnattended(true);
        CTorvixPlayerMainDlg::SetPlayableRule(
            [this](const std::wstring&, const std::wstring& path) { return !IsUnplayable(path); });
        CTorvixPlayerMainDlg::SetPlayerMaker([this](const std::array<HWND, 4>&) {
            return std::make_unique<CFakePlayer>(m_shared);
        });
    }
    void TearDown() override
    {
        m_pDlg.reset();
        CTorvixPlayerMainDlg::SetPlayerMaker({});
        CTorvixPlayerMainDlg::SetPlayableRule({});
        CTorvixPlayerPopUpDlg::SetUnattended(false);
        SetSkinLoader(nullptr);
        m_pLoop.reset();
    }

    // Empty files with the camera's names, under the card folder.
    void MakeCard(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) testsupport::WriteFile(m_dir / ("card/" + name), "x");
    }
    std::wstring Card() const { return PathToWide(m_dir / "card"); }

    // The top-level window with the player window in it, the card scanned and listed.
    CTorvixPlayerMainDlg& Open()
    {
        m_pDlg = std::make_unique<CTorvixPlayerDlg>();
        m_pDlg->GetDocument().m_strStartFolder = Card();
        EXPECT_TRUE(m_pDlg->Create(player::IDD_TORVIXPLAYER_DIALOG, nullptr));
        ShowWindow(m_pDlg->GetSafeHwnd(), SW_SHOW);
        m_pLoop->PumpUntilIdle();
        // The start timer opens the card 100 ms after the window is set up.
        m_pPresenter->AdvanceClock(std::chrono::milliseconds(150));
        m_pLoop->PumpUntilIdle();
        CTorvixPlayerMainDlg* main = m_pDlg->GetPlayerWindow();
        EXPECT_NE(main, nullptr);
        return *main;
    }
    void Pump() { m_pLoop->PumpUntilIdle(); }
    void Advance(int ms)
    {
        m_pPresenter->AdvanceClock(std::chrono::milliseconds(ms));
        Pump();
    }
    bool IsUnplayable(const std::wstring& path) const
    {
        return std::find(m_unplayable.begin(), m_unplayable.end(), path) != m_unplayable.end();
    }
    // The bare names of the list rows, in order.
    std::vector<std::string> Rows(CTorvixPlayerMainDlg& main) const
    {
        std::vector<std::string> rows;
        CSkinListCtrl& list = main.GetVideoList();
        for (int i = 0; i < list.GetItemCount(); ++i) {
            const std::wstring* record = list.GetItemData(i);
            const std::wstring path = record ? record->substr(0, record->find(L'*')) : L"";
            rows.push_back(WideToUtf8(BareFileName(path)));
        }
        return rows;
    }
    std::string OpenedName(std::size_t i) const
    {
        return i < m_shared->opened.size() ? WideToUtf8(BareFileName(m_shared->opened[i])) : std::string();
    }
    int CountCalls(const std::string& call) const
    {
        return static_cast<int>(std::count(m_shared->calls.begin(), m_shared->calls.end(), call));
    }

    testsupport::TempDir m_dir;
    testsupport::ScopedEnv m_config{"XDG_CONFIG_HOME", (m_dir / "config").string()};
    testsupport::ScopedEnv m_runtime{"XDG_RUNTIME_DIR", (m_dir / "run").string()};
    std::shared_ptr<CFakePlayer::Shared> m_shared = std::make_shared<CFakePlayer::Shared>();
    std::vector<std::wstring> m_unplayable;
    CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_loader;
    std::unique_ptr<CTorvixPlayerDlg> m_pDlg;
};

} // namespace apptest
