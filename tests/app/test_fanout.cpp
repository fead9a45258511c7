// The play position handed out every second: the gauge, the read-out, the graph cursor, the place
// text and the time label follow it; a recording without a track shows the no-fix gauge and the
// list row's place; a stored position past the duration holds everything (the PASS case).

#include "AppTestSupport.h"

#include "locale/Settings.h"
#include "tests/support/TrackRecording.h"

using namespace apptest;
using namespace zent;

namespace {

constexpr const char* kTrackName = "20240101-10h00m00s_F_N.MP4";
constexpr const char* kPlainName = "20240101-11h00m00s_F_N.MP4";

// 60 seconds at one knot more each second (knots are what the sentences carry), with a G-sensor
// trace.
std::vector<dashtest::CStep> Steps()
{
    std::vector<dashtest::CStep> steps;
    for (int i = 0; i < 60; ++i) steps.push_back({1.852 * i, 0.01f * i, -0.004f, 1.0f, true});
    return steps;
}

class CFanOutTest : public CPlayerWindowTest {
protected:
    CTorvixPlayerMainDlg& OpenCard()
    {
        dashtest::WriteRecording(m_dir / "card" / kTrackName, Steps());
        MakeCard({kPlainName});
        return Open();
    }
};

} // namespace

TEST_F(CFanOutTest, EverySecondMovesTheGaugeReadOutGraphAndLabels)
{
    CTorvixPlayerMainDlg& main = OpenCard();
    main.OnListDblClk(0);
    ASSERT_NE(main.GetGraph().GetGpsData(), nullptr);
    // The recording opens with a valid fix and the needle at rest.
    EXPECT_EQ(main.GetGauge().GetIndicatorId(), 45u);
    EXPECT_EQ(main.GetGauge().GetNeedleId(), 43u);

    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 54); // through the top-level window
    EXPECT_EQ(main.GetPlayPos(), 54);
    EXPECT_EQ(main.GetGauge().m_strSpeed, L"100"); // 54 knots: 100.008 km/h
    EXPECT_EQ(main.GetGauge().GetNeedleId(), 49u + 20u);
    EXPECT_EQ(main.GetGraph().GetPosition(), 54);
    EXPECT_EQ(main.GetReadOutText(0), L"X : 0.54");
    EXPECT_EQ(main.GetReadOutText(1), L"Y : -0.00");
    EXPECT_EQ(main.GetReadOutText(2), L"Z : 1.00");
    EXPECT_EQ(WideToUtf8(main.GetPlayTimeText()), "00:00:54");
    EXPECT_EQ(main.GetVideoSlider().GetPos(), 54);
    EXPECT_EQ(WideToUtf8(main.GetPlaceTextShown()), "서울특별시\u00a0중구");

    // The unit is taken when a recording opens: a change shows from the next opening on. Miles per
    // hour: 100 km/h reads 62 on needle 49 + 12.
    SetSpeedUnit(1);
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 54);
    EXPECT_EQ(main.GetGauge().m_strSpeed, L"100");
    main.OnListDblClk(0);
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 54);
    EXPECT_EQ(main.GetGauge().m_strSpeed, L"62");
    EXPECT_EQ(main.GetGauge().GetNeedleId(), 61u);
    SetSpeedUnit(0);

    // The speed view hides the read-out.
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_SELECT_SPEED, 0);
    EXPECT_EQ(GetGraphMode(), 1);
    EXPECT_EQ(main.GetReadOutText(0), L"");
    SendMessage(main.GetSafeHwnd(), WM_COMMAND, player::IDC_BTN_SELECT_SENSOR, 0);
    EXPECT_EQ(GetGraphMode(), 0);
    EXPECT_EQ(main.GetReadOutText(0), L"X : 0.54");

    // The end of play brings every widget back to the start.
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_END, 0, 0);
    EXPECT_EQ(WideToUtf8(main.GetPlayTimeText()), "00:00:00");
    EXPECT_EQ(main.GetGraph().GetPosition(), 0);
}

TEST_F(CFanOutTest, ARecordingWithoutATrackShowsNoFixAndTheRowsPlace)
{
    CTorvixPlayerMainDlg& main = OpenCard();
    main.OnListDblClk(1);
    EXPECT_EQ(main.GetGraph().GetGpsData(), nullptr);
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 20);
    EXPECT_EQ(main.GetGauge().GetIndicatorId(), 44u);
    EXPECT_EQ(main.GetGauge().GetNeedleId(), 43u);
    EXPECT_EQ(main.GetGauge().m_strSpeed, L"");
    EXPECT_EQ(main.GetReadOutText(0), L"X : 0.00");
    // The list row's place column (the English list shows "-" there).
    EXPECT_EQ(main.GetPlaceTextShown(), main.GetVideoList().GetItemText(1, 4));
    EXPECT_EQ(WideToUtf8(main.GetPlayTimeText()), "00:00:20");
}

TEST_F(CFanOutTest, APositionPastTheDurationHoldsEverythingUntilTheNextRecording)
{
    CTorvixPlayerMainDlg& main = OpenCard();
    main.OnListDblClk(0);
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 61);
    EXPECT_EQ(main.GetPlayPos(), 61);
    const std::wstring label = main.GetPlayTimeText();
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 10);
    EXPECT_EQ(main.GetPlayPos(), 61);
    EXPECT_EQ(main.GetPlayTimeText(), label);
    // A new recording starts from a fresh position.
    main.OnListDblClk(1);
    SendMessage(m_pDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, 60, 10);
    EXPECT_EQ(main.GetPlayPos(), 10);
}
