// The graph panel: the track it owns, the arrays it prepares from it, and the whole pictures of
// the G-sensor and speed views (traces, limits, colours, cursor) against pictures drawn here in
// plain pixel coordinates.

#include "support/DashboardHost.h"

#include "locale/Settings.h"
#include "widgets/SensorViewWnd.h"

#include <limits>

using namespace zent;
using namespace dashtest;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const int W = kGraphRect.Width();
const int H = kGraphRect.Height();

class CGraphTest : public CDashboardTest {
protected:
    void SetUp() override
    {
        CDashboardTest::SetUp();
        ASSERT_TRUE(m_kGraph.SubclassDlgItem(IDC_GRAPH, m_kHost.GetSafeHwnd()));
        ASSERT_EQ(m_kGraph.InitControl(), 1);
        Pump();
    }
    int Open(const std::vector<CStep>& steps, int duration, std::uint32_t claimedFrames = 0)
    {
        const auto path = m_kDir / ("rec" + std::to_string(++m_nFiles) + ".MP4");
        WriteRecording(path, steps, claimedFrames);
        return m_kGraph.OpenRecording(path.wstring(), duration);
    }
    // The background over the host, then what plot draws over the transparent key.
    static CPicture Graph(const std::function<void(HDC)>& plot = {})
    {
        CPicture keyed(W, H, CSensorViewWnd::kTransparentKey);
        if (plot) plot(keyed.dc.get());
        CPicture p(W, H, Blend(kGraphBk, kHostBk, kGraphAlpha));
        TransparentBlt(p.dc.get(), 0, 0, W, H, keyed.dc.get(), 0, 0, W, H, CSensorViewWnd::kTransparentKey);
        return p;
    }
    static void Stroke(HDC dc, COLORREF c, int width, int x, int y0, int y1)
    {
        UniquePen pen(CreatePen(PS_SOLID, width, c));
        SelectObject(dc, pen.get());
        MoveToEx(dc, x, y0, nullptr);
        LineTo(dc, x, y1);
        SelectObject(dc, GetStockPen(BLACK_PEN));
    }
    static void Cursor(HDC dc, int second, int duration)
    {
        const int x = static_cast<int>(second * (static_cast<float>(W) / duration)) - (second ? 1 : 0);
        Stroke(dc, CSensorViewWnd::kColourCursor, 1, x, 0, H);
    }
    // The record a column shows.
    static std::size_t Record(int column, std::size_t count)
    {
        return static_cast<std::size_t>(column * (static_cast<float>(count) / W));
    }

    CSensorViewWnd m_kGraph;
    int m_nFiles = 0;
};

const std::vector<CStep> kSensorTrack = {
    {10, 0.5f, 0.0f, 1.0f}, {20, 1.0f, 0.25f, 1.0f}, {30, 1.5f, -0.5f, 0.9f}, {40, 2.5f, -1.0f, 1.1f},
    {50, -1.0f, 0.0f, 99.0f}, {60, -2.5f, 0.5f, 99.0f}, {70, 0.0f, 1.0f, 1.0f}, {80, -0.75f, 0.0f, 1.0f},
};

} // namespace

TEST_F(CGraphTest, SensorViewPlotsThreeAxesOverTheRecordingWithTheCursor)
{
    ASSERT_EQ(Open(kSensorTrack, 8), 0);
    m_kGraph.SetPosition(3);
    // Each column is a stroke from the trace's last height to the new one, x, y, z in turn; a
    // step without a sample (99) leaves a gap and the trace starts afresh after it.
    const auto plot = [](int second) {
        return [=](HDC dc) {
            Cursor(dc, second, 8);
            const COLORREF colours[3] = {CSensorViewWnd::kColourX, CSensorViewWnd::kColourY,
                                         CSensorViewWnd::kColourZ};
            const float scale = (H / 2.0f) / 2.5f;
            int last[3] = {H / 2, H / 2, H / 2};
            bool gap[3] = {false, false, false};
            for (int i = 0; i < W; ++i) {
                const CStep& s = kSensorTrack[Record(i, kSensorTrack.size())];
                const float v[3] = {s.x, s.y, s.z};
                for (int a = 0; a < 3; ++a) {
                    if (v[a] >= 99.0f) {
                        gap[a] = true;
                        continue;
                    }
                    const int y = H / 2 - static_cast<int>(scale * v[a]);
                    if (i > 0) Stroke(dc, colours[a], 2, i, gap[a] ? y : last[a], y);
                    last[a] = y;
                    gap[a] = false;
                }
            }
        };
    };
    EXPECT_EQ(Mismatch(kGraphRect, Graph(plot(3))), "");
    // The cursor alone moves; while nothing plays only the background is drawn.
    m_kGraph.SetPosition(8);
    EXPECT_EQ(Mismatch(kGraphRect, Graph(plot(8))), "");
    m_kGraph.SetSuppressed(1);
    m_kGraph.Draw();
    EXPECT_EQ(Mismatch(kGraphRect, Graph()), "");
}

TEST_F(CGraphTest, SpeedViewClampsAtTheLimitInTheWarningColourInEitherUnit)
{
    const std::vector<CStep> track = {{0}, {30}, {60}, {100}, {130}, {180}, {250}, {kNaN}, {90}, {0}};
    const auto plot = [&](double limit, double factor) {
        return [=, this](HDC dc) {
            const std::vector<float>& speeds = m_kGraph.GetSpeeds();
            int last = H - 7;
            for (int i = 0; i < W; ++i) {
                double v = speeds[Record(i, speeds.size())] * factor;
                const bool over = v > limit;
                const int y = H - static_cast<int>(static_cast<float>(std::min(v, limit) / limit * (H - 15)) + 7.0f);
                if (i > 0) Stroke(dc, over ? CSensorViewWnd::kColourX : CSensorViewWnd::kColourZ, 2, i, last, y);
                last = y;
            }
            Cursor(dc, 10, 10);
        };
    };
    ASSERT_EQ(Open(track, 10), 0);
    m_kGraph.SetGraphMode(1);
    m_kGraph.SetPosition(10);
    // 250 km/h stands at the top in orange-red, and so does the step after it, which has no speed.
    EXPECT_EQ(Mismatch(kGraphRect, Graph(plot(200.0, 1.0))), "");
    // The unit is read again at each opening: 130 km/h (80.8 mph) is under the 120 mph limit.
    SetSpeedUnit(1);
    ASSERT_EQ(Open(track, 10), 0);
    m_kGraph.SetPosition(10);
    EXPECT_EQ(Mismatch(kGraphRect, Graph(plot(120.0, 0.6213712))), "");
}

TEST_F(CGraphTest, ArraysAndReadoutsComeFromTheOwnedTrack)
{
    ASSERT_EQ(Open({{36}, {kNaN}, {72, 0.5f, -0.5f, 1.0f}, {0, 0.25f, 0.25f, 0.25f, false}}, 4), 0);
    ASSERT_NE(m_kGraph.GetGpsData(), nullptr);
    EXPECT_EQ(m_kGraph.GetGpsData()->GetGpsCount(), 4);
    EXPECT_EQ(m_kGraph.GetRecordCount(), 4);
    // A fix without a speed repeats the one before; so does a step without a fix.
    const std::vector<float>& speeds = m_kGraph.GetSpeeds();
    ASSERT_EQ(speeds.size(), 4u);
    EXPECT_NEAR(speeds[0], 36.0f, 1e-3);
    EXPECT_EQ(speeds[1], speeds[0]);
    EXPECT_NEAR(speeds[2], 72.0f, 1e-3);
    EXPECT_EQ(speeds[3], speeds[2]);
    EXPECT_EQ(m_kGraph.GetX(), (std::vector<float>{0, 0, 0.5f, 0.25f}));
    // The last second reads the last record; later ones stay there.
    float x = 9, y = 9, z = 9;
    m_kGraph.GetSensorValues(2, 4, 4, x, y, z);
    EXPECT_EQ((std::vector<float>{x, y, z}), (std::vector<float>{0.5f, -0.5f, 1.0f}));
    m_kGraph.GetSensorValues(4, 4, 4, x, y, z);
    EXPECT_EQ(x, 0.25f);
    m_kGraph.GetSensorValues(9, 4, 4, x, y, z);
    EXPECT_EQ(y, 0.25f);

    // Another recording replaces the track, however many samples it claims; reset releases it.
    ASSERT_EQ(Open({{10}, {20}}, 2, 0x7FFFFFFF), 0);
    EXPECT_EQ(m_kGraph.GetGpsData()->GetGpsCount(), 2);
    EXPECT_EQ(m_kGraph.GetX().size(), static_cast<std::size_t>(CSensorViewWnd::kMaxEntries));
    EXPECT_EQ(m_kGraph.SetMode(5, 2), -1);
    EXPECT_EQ(m_kGraph.GetMode(), CSensorViewWnd::kModeNone);
    m_kGraph.Reset();
    EXPECT_EQ(m_kGraph.GetGpsData(), nullptr);
    EXPECT_TRUE(m_kGraph.GetSpeeds().empty() && m_kGraph.GetX().empty());
    EXPECT_EQ(m_kGraph.GetRecordCount(), 0);
}

TEST_F(CGraphTest, RecordingWithoutTrackDrawsNoTraceAndNoCursor)
{
    testsupport::WriteFile(m_kDir / "plain.MP4", "no track in here");
    EXPECT_EQ(m_kGraph.OpenRecording((m_kDir / "plain.MP4").wstring(), 60), -1);
    EXPECT_EQ(m_kGraph.GetGpsData(), nullptr);
    EXPECT_EQ(m_kGraph.GetMode(), CSensorViewWnd::kModeNoTrack);
    float x = 9, y = 9, z = 9;
    m_kGraph.GetSensorValues(30, 60, 60, x, y, z);
    EXPECT_EQ((std::vector<float>{x, y, z}), (std::vector<float>{0, 0, 0}));
    for (int view : {0, 1}) {
        m_kGraph.SetGraphMode(view);
        m_kGraph.SetPosition(30);
        EXPECT_EQ(Mismatch(kGraphRect, Graph()), "") << "view " << view;
    }
}
