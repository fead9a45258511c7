// The player window's logic on a headless loop: the play routine, previous and next, seeking,
// view modes, the end of a recording, list fills and removal. The player object is a fake that
// records what it was asked; the list, sliders and lists are the real controls.

#include "AppTestSupport.h"

#include "app/Resources.h"
#include "locale/Settings.h"

#include <zent/platform/Paths.h>

#include <filesystem>

using namespace apptest;
using namespace zent;

namespace {

const std::vector<std::string> kPairAndSingles = {
    "20240101-10h00m00s_F_N.MP4", "20240101-10h00m00s_R_N.MP4", // one two-channel entry
    "20240101-10h05m00s_F_E.MP4",                                // an event, front only
    "20240101-09h55m00s_R_P.MP4",                                // a parking rear file alone, the oldest
};

} // namespace

TEST_F(CPlayerWindowTest, TheCardIsListedOldestFirstWithPairsAsOneEntry)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20240101-09h55m00s_R_P.MP4", "20240101-10h00m00s_F_N.MP4",
                                                    "20240101-10h05m00s_F_E.MP4"}));
    CSkinListCtrl& list = main.GetVideoList();
    EXPECT_EQ(WideToUtf8(list.GetItemText(1, 0)), "2024.01.01");
    EXPECT_EQ(WideToUtf8(list.GetItemText(1, 1)), "10:00:00");
    EXPECT_EQ(WideToUtf8(list.GetItemText(1, 3)), "2CH");
    EXPECT_EQ(WideToUtf8(list.GetItemText(0, 3)), "1CH");
    // Every gathered path counts, the rear of the pair included.
    EXPECT_EQ(main.GetItemCount(), 4);
    EXPECT_EQ(main.GetScanFolder(), Card());
}

TEST_F(CPlayerWindowTest, PlayRoutineStartsPausesAndResumesOnePlayer)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(1);
    ASSERT_NE(main.GetPlayer(), nullptr);
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    // The pair plays front and rear together.
    EXPECT_EQ(OpenedName(0), "20240101-10h00m00s_F_N.MP4");
    EXPECT_EQ(OpenedName(1), "20240101-10h00m00s_R_N.MP4");
    EXPECT_EQ(main.GetViewMode(), 4);
    EXPECT_TRUE(IsWindowVisible(main.GetView(0).GetSafeHwnd()));
    EXPECT_TRUE(IsWindowVisible(main.GetView(1).GetSafeHwnd()));
    EXPECT_EQ(main.GetVideoList().GetCurrentItem(), 1);
    EXPECT_EQ(main.GetVideoSlider().GetMaximum(), 60);
    EXPECT_EQ(WideToUtf8(main.GetTotalTimeText()), "00:01:00");

    IZentPlayer* player = main.GetPlayer();
    main.FilePlay();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_PAUSED);
    main.FilePlay();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_PLAYING);
    // Pausing and resuming keep the one player and the open files.
    EXPECT_EQ(main.GetPlayer(), player);
    EXPECT_EQ(CountCalls("open 2"), 1);

    main.OnBtnStop();
    EXPECT_FALSE(main.IsPlayStarted());
    EXPECT_EQ(main.GetVideoList().GetCurrentItem(), -1);
    EXPECT_FALSE(IsWindowVisible(main.GetView(0).GetSafeHwnd()));
    EXPECT_EQ(WideToUtf8(main.GetPlayTimeText()), "00:00:00");
}

TEST_F(CPlayerWindowTest, OneChannelRecordingsShowTheFrontAloneWhateverTheMode)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(2); // front only
    EXPECT_EQ(main.GetViewMode(), 0);
    EXPECT_TRUE(IsWindowVisible(main.GetView(0).GetSafeHwnd()));
    EXPECT_FALSE(IsWindowVisible(main.GetView(1).GetSafeHwnd()));
    RECT rc{};
    GetWindowRect(main.GetView(0).GetSafeHwnd(), &rc);
    EXPECT_EQ(rc.Width(), 960);
    EXPECT_EQ(rc.Height(), 540);
    // The rear view button cannot move a one-channel recording away from the front.
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_REAR, 0);
    EXPECT_EQ(main.GetViewMode(), 0);

    // A pair: the rear alone, then both again.
    main.OnListDblClk(1);
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_REAR, 0);
    EXPECT_EQ(main.GetViewMode(), 1);
    EXPECT_FALSE(IsWindowVisible(main.GetView(0).GetSafeHwnd()));
    EXPECT_TRUE(IsWindowVisible(main.GetView(1).GetSafeHwnd()));
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_FRONT_REAR, 0);
    EXPECT_EQ(main.GetViewMode(), 4);
    EXPECT_TRUE(IsWindowVisible(main.GetView(0).GetSafeHwnd()));
}

TEST_F(CPlayerWindowTest, VideoLayoutKeepsTheAspectAndFillsQuarters)
{
    const RECT area{0, 76, 960, 616};
    auto one = ComputeVideoLayout(1, 0, area);
    EXPECT_EQ(one[1], (RECT{0, 76, 960, 616}));
    EXPECT_TRUE(one[0].IsEmpty());
    auto two = ComputeVideoLayout(4, 1, area);
    EXPECT_EQ(two[0], (RECT{0, 211, 480, 481}));
    EXPECT_EQ(two[1], (RECT{480, 211, 960, 481}));
    // A tall area stacks the two pictures instead.
    auto tall = ComputeVideoLayout(4, 1, RECT{0, 0, 400, 1000});
    EXPECT_EQ(tall[0].left, tall[1].left);
    EXPECT_EQ(tall[0].bottom, tall[1].top);
    auto four = ComputeVideoLayout(4, 2, area);
    EXPECT_EQ(four[0], (RECT{2, 76, 481, 346}));
    EXPECT_EQ(four[3], (RECT{481, 346, 960, 616}));
    for (const RECT& rc : ComputeVideoLayout(4, 3, area)) EXPECT_TRUE(rc.IsEmpty());
}

TEST_F(CPlayerWindowTest, PreviousAndNextWrapAtTheEndsAndIgnoreQuickRepeats)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(2);
    main.OnBtnNext(); // last -> first
    EXPECT_EQ(main.GetCurrentItemNo(), 0);
    EXPECT_EQ(OpenedName(0), "20240101-09h55m00s_R_P.MP4");
    main.OnBtnNext(); // within 1.5 s: ignored
    EXPECT_EQ(main.GetCurrentItemNo(), 0);
    Advance(1600);
    main.OnBtnPrev(); // first -> last
    EXPECT_EQ(main.GetCurrentItemNo(), 2);
    Advance(1600);
    main.OnBtnPrev();
    Advance(1600);
    // From the second entry, previous goes to the first, not around to the last.
    main.OnBtnPrev();
    EXPECT_EQ(main.GetCurrentItemNo(), 0);
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
}

TEST_F(CPlayerWindowTest, SeekingStaysWithinTheRecordingAndIgnoresQuickRepeats)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(2);
    main.OnChangePlayPos(60, 5);
    main.OnBtnBack10();
    EXPECT_EQ(main.GetPlayPos(), 0);
    EXPECT_EQ(CountCalls("seek 0"), 1);
    main.OnBtnForward10(); // within 500 ms of the last seek
    EXPECT_EQ(main.GetPlayPos(), 0);
    Advance(600);
    main.OnChangePlayPos(60, 55);
    main.OnBtnForward10();
    EXPECT_EQ(main.GetPlayPos(), 60);
    Advance(600);
    main.OnBtnForward10(); // at the end: nothing
    EXPECT_EQ(CountCalls("seek 60"), 1);
    Advance(600);
    // The position slider seeks while playing; when it may not, it snaps back.
    SendMessage(main.GetSafeHwnd(), WM_HSCROLL, (30u << 16) | SB_THUMBTRACK,
                reinterpret_cast<LPARAM>(main.GetVideoSlider().GetSafeHwnd()));
    EXPECT_EQ(main.GetPlayPos(), 30);
    SendMessage(main.GetSafeHwnd(), WM_HSCROLL, (40u << 16) | SB_THUMBTRACK,
                reinterpret_cast<LPARAM>(main.GetVideoSlider().GetSafeHwnd()));
    EXPECT_EQ(main.GetPlayPos(), 30);
    EXPECT_EQ(main.GetVideoSlider().GetPos(), 30);
    EXPECT_EQ(WideToUtf8(main.GetPlayTimeText()), "00:00:30");
}

TEST_F(CPlayerWindowTest, EndOfRecordingRestartsItOrMovesOnWithContinuousPlay)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(0);
    // The top-level window relays the end with (0, 0) whatever was posted.
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_END, 12, 34);
    EXPECT_EQ(main.GetCurrentItemNo(), 0);
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    EXPECT_EQ(CountCalls("open 1"), 2);

    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_REPEAT, 0);
    ASSERT_TRUE(main.IsRepeatOn());
    Advance(1600);
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_END, 0, 0);
    EXPECT_EQ(main.GetCurrentItemNo(), 1);
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
}

TEST_F(CPlayerWindowTest, UnplayableOrVanishedRecordingsShowTheirMessageAndPlayNothing)
{
    MakeCard(kPairAndSingles);
    m_unplayable.push_back(PathToWide(m_dir / "card/20240101-10h05m00s_F_E.MP4"));
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(2);
    EXPECT_EQ(main.GetLastPopupText(), 13);
    EXPECT_EQ(CountCalls("play"), 0);
    EXPECT_FALSE(main.IsPlayStarted());

    std::filesystem::remove(m_dir / "card/20240101-09h55m00s_R_P.MP4");
    main.OnListDblClk(0);
    EXPECT_EQ(main.GetLastPopupText(), 21);
    EXPECT_EQ(CountCalls("play"), 0);
}

TEST_F(CPlayerWindowTest, DeleteRemovesEntriesFromTheListsButNeverTheFile)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(2);
    // Removing a row above the playing one keeps it playing and follows it.
    main.GetVideoList().SetSelectionMark(0);
    main.OnDeleteKey();
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20240101-10h00m00s_F_N.MP4", "20240101-10h05m00s_F_E.MP4"}));
    EXPECT_EQ(main.GetCurrentItemNo(), 1);
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "card/20240101-09h55m00s_R_P.MP4"));

    // Removing the playing row stops it.
    main.GetVideoList().SetSelectionMark(1);
    main.OnDeleteKey();
    EXPECT_NE(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    EXPECT_EQ(main.GetCurrentItemNo(), 0);
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20240101-10h00m00s_F_N.MP4"}));

    // A pair goes as one entry: its rear file does not come back alone at the next fill.
    main.GetVideoList().SetSelectionMark(0);
    main.OnDeleteKey();
    main.OnCategoryChanged(0);
    EXPECT_TRUE(Rows(main).empty());
    main.OnDeleteKey(); // nothing left to remove
    EXPECT_EQ(main.GetVideoList().GetItemCount(), 0);
}

TEST_F(CPlayerWindowTest, CategoryAndSearchChooseTheRows)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(1);
    // The category list reports through the top-level window; a change stops playback.
    PostMessage(main.GetSafeHwnd(), WM_CONTROL_NOTIFY, kNotifyCategory, 2); // events
    Pump();
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20240101-10h05m00s_F_E.MP4"}));
    EXPECT_NE(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    EXPECT_EQ(main.GetCurrentItemNo(), 0);

    main.OnCategoryChanged(0);
    const std::wstring search = L"10H0";
    SendMessage(main.GetSafeHwnd(), WM_SEARCH_REQUEST, 0, reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20240101-10h00m00s_F_N.MP4", "20240101-10h05m00s_F_E.MP4"}));
    // The search stays in force for another category.
    main.OnCategoryChanged(1);
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20240101-10h00m00s_F_N.MP4"}));
    const std::wstring none;
    SendMessage(main.GetSafeHwnd(), WM_SEARCH_REQUEST, 0, reinterpret_cast<LPARAM>(&none));
    main.OnCategoryChanged(0);
    EXPECT_EQ(Rows(main).size(), 3u);
}

TEST_F(CPlayerWindowTest, TopLevelWindowMakesTheDialogsOfItsTableOnly)
{
    MakeCard({});
    Open();
    const HWND top = m_pDlg->GetSafeHwnd();
    EXPECT_EQ(GetWindowText(top), L"Torvix Player 2.0 4K");
    EXPECT_EQ(m_pPresenter->GetTitle(top), L"Torvix Player 2.0 4K");
    for (UINT id : {130u, 200u, 0u}) EXPECT_EQ(SendMessage(top, WM_CREATE_INDLG, id, 0), 0) << id;
    std::unique_ptr<CInDialog> popup(reinterpret_cast<CInDialog*>(SendMessage(top, WM_CREATE_INDLG, player::IDD_POPUP, 0)));
    EXPECT_NE(dynamic_cast<CTorvixPlayerPopUpDlg*>(popup.get()), nullptr);
    // Get-or-create keeps one per id.
    const LRESULT first = SendMessage(top, WM_GET_OR_CREATE_INDLG, player::IDD_FILE_LOAD, 0);
    EXPECT_NE(first, 0);
    EXPECT_EQ(SendMessage(top, WM_GET_OR_CREATE_INDLG, player::IDD_FILE_LOAD, 0), first);
    // Another start's request brings the window forward.
    SendMessage(top, WM_APP_ACTIVATE_INSTANCE, 0, 0);
    EXPECT_EQ(m_pPresenter->GetActivateCount(top), 1);
}

TEST_F(CPlayerWindowTest, MuteAndVolumeReachThePlayerAndTheSettings)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    // The stored volume is the one that plays, from the start of each recording.
    SetVideoVolume(25);
    main.OnListDblClk(0);
    EXPECT_EQ(CountCalls("volume 25"), 1);
    SendMessage(main.GetSafeHwnd(), WM_HSCROLL, (37u << 16) | SB_THUMBTRACK,
                reinterpret_cast<LPARAM>(main.GetVolumeSlider().GetSafeHwnd()));
    EXPECT_EQ(CountCalls("volume 37"), 1);
    EXPECT_EQ(GetVideoVolume(), 37);
    main.OnBtnMute();
    EXPECT_TRUE(main.IsMuted());
    EXPECT_EQ(CountCalls("volume 0"), 1);
    EXPECT_TRUE(main.GetVolumeSlider().GetDisableCtrl());
    main.OnBtnMute();
    EXPECT_EQ(CountCalls("volume 37"), 2);
    EXPECT_FALSE(main.GetVolumeSlider().GetDisableCtrl());
}

TEST_F(CPlayerWindowTest, ToolTipsNameTheControlUnderThePointerAfterAMoment)
{
    MakeCard({});
    CTorvixPlayerMainDlg& main = Open();
    const HWND top = m_pDlg->GetSafeHwnd();
    m_pPresenter->InjectMouseMove(main.GetSafeHwnd(), POINT{184, 682}); // play / pause
    Pump();
    EXPECT_EQ(m_pPresenter->GetToolTip(top), L"");
    Advance(700);
    EXPECT_EQ(m_pPresenter->GetToolTip(top), L"Play / pause");
    // Away from the controls it goes.
    m_pPresenter->InjectMouseMove(main.GetSafeHwnd(), POINT{480, 300});
    Advance(700);
    EXPECT_EQ(m_pPresenter->GetToolTip(top), L"");
}

TEST_F(CPlayerWindowTest, TheScanBuildsListsOnlyAndTheWindowFillsTheControlWhenItReports)
{
    std::filesystem::create_directories(m_dir / "card");
    CTorvixPlayerMainDlg& main = Open(); // an empty card
    ASSERT_EQ(main.GetScanFolder(), Card());
    MakeCard(kPairAndSingles);
    const int painted = m_pPresenter->GetPresentCount(m_pDlg->GetSafeHwnd());
    // What the file-load worker runs: the lists and entries change, the list control does not.
    main.ScanForFileLoad();
    EXPECT_EQ(main.GetItemCount(), 4);
    EXPECT_EQ(main.GetShownList().size(), 4u);
    EXPECT_EQ(main.GetVideoList().GetItemCount(), 0);
    EXPECT_EQ(m_pPresenter->GetPresentCount(m_pDlg->GetSafeHwnd()), painted);
    // The report (on the GUI thread) fills it.
    main.OnFileLoadDone();
    EXPECT_EQ(main.GetVideoList().GetItemCount(), 3);
}

TEST_F(CPlayerWindowTest, OpenFolderPausesAndACancelledChooserResumes)
{
    MakeCard(kPairAndSingles);
    CTorvixPlayerMainDlg& main = Open();
    main.OnListDblClk(0);
    ASSERT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    // The chooser answers "cancelled" (no scripted folder): playback goes on where it was.
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_FILE_OPEN, 0);
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PAUSED);
    Pump();
    EXPECT_EQ(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    EXPECT_EQ(m_pPresenter->GetFolderTitles().back(), L"Select a folder.");
    EXPECT_EQ(Rows(main).size(), 3u);

    // A chosen folder stops playback, replaces the lists and becomes the last access folder.
    testsupport::WriteFile(m_dir / "other/20250505-05h05m05s_F_E.MP4", "x");
    m_pPresenter->ScriptFolderReply(PathToWide(m_dir / "other"));
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_FILE_OPEN, 0);
    Pump();
    EXPECT_EQ(Rows(main), (std::vector<std::string>{"20250505-05h05m05s_F_E.MP4"}));
    EXPECT_NE(main.GetPlayer()->GetState(), ZENT_PLAYER_PLAYING);
    EXPECT_EQ(GetLastAccessFolder(), PathToWide(m_dir / "other"));
}

TEST_F(CPlayerWindowTest, HelpListsTheShortcutsInTheInterfaceLanguageAndCloses)
{
    MakeCard({});
    CTorvixPlayerMainDlg& main = Open();
    std::unique_ptr<CInDialog> dlg(reinterpret_cast<CInDialog*>(
        SendMessage(m_pDlg->GetSafeHwnd(), WM_CREATE_INDLG, player::IDD_HELP, reinterpret_cast<LPARAM>(main.GetSafeHwnd()))));
    auto* help = dynamic_cast<CTorvixPlayerHelpDlg*>(dlg.get());
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->Create(player::IDD_HELP, &main));
    ShowWindow(help->GetSafeHwnd(), SW_SHOW);
    Pump();
    EXPECT_EQ(help->GetLineText(0), L"Help");
    EXPECT_EQ(help->GetLineText(2), L"Play / pause (Space)");
    EXPECT_EQ(help->GetLineText(10), L"Remove from the list (Delete)");
    for (int i = 0; i < CTorvixPlayerHelpDlg::kTextCount; ++i) EXPECT_NE(help->GetLineText(i), L" ") << i;
    // Both buttons close it.
    SendMessage(help->GetSafeHwnd(), WM_COMMAND, 1137, 0);
    EXPECT_FALSE(IsWindowVisible(help->GetSafeHwnd()));
}
