// Goal: one play-position step of the dashboard widgets -- the track sample looked up, the speed
// gauge given its lamp, needle and figures and repainted, the graph's cursor moved and the graph
// repainted, and the loop's pass that presents both -- in at most 2 ms, in either graph view.
//
// Uses the delivered skin (<bin>/data/TorvixPlayerImg.dat) and the player window's layout: the
// window's background, the gauge on control 1014 and the graph on 1072, over a one-minute
// recording with a track in the older 'GPSR'/'SENS' layout written to a temporary folder.
#include "tests/recording/Mp4TestBytes.h"
#include "widgets/SensorViewWnd.h"
#include "widgets/SkinLoader.h"
#include "widgets/SpeedGaugeWnd.h"

#include "locale/AppFont.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/Paths.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace zent;

constexpr int kSeconds = 60;
constexpr UINT IDD_MAIN = 129;
constexpr DialogItemTemplate kItems[] = {{L"Static", 1014, 0, 0, 10, 10}, {L"Static", 1072, 0, 0, 10, 10}};
constexpr DialogTemplate kTemplates[] = {{IDD_MAIN, 0, 0, 1280, 720, WS_POPUP, 0, L"", kItems}};

class CMainHost : public CBmpDialog {
public:
    CMainHost() : CBmpDialog(IDD_MAIN, nullptr) {}
    using CBmpDialog::LoadBackground;
};

// A drive that speeds up to 130 km/h and back, swaying on every axis.
std::filesystem::path WriteRecording(const std::filesystem::path& dir)
{
    using namespace mp4test;
    std::vector<std::string> sentences;
    std::vector<RawSample> samples;
    for (int i = 0; i < kSeconds; ++i) {
        const double kmh = 130.0 * std::sin(3.14159 * i / kSeconds);
        char line[128];
        std::snprintf(line, sizeof line, "$GPRMC,0000%02d,A,3733.%04d,N,12658.6800,E,%.4f,90.0,010124", i, i * 10,
                      kmh / 1.852);
        sentences.emplace_back(line);
        samples.push_back({0.8f * static_cast<float>(std::sin(i / 5.0)), 0.3f * static_cast<float>(std::cos(i / 3.0)),
                           1.0f});
    }
    const Bytes bytes = Concat({Ftyp(), Box("mdat", Bytes(32, 0)),
        Container("moov", {Mvhd(), VideoTrak(kSeconds), Container("udta", {GpsrBox(sentences), SensBox(samples)})})});
    const auto path = dir / "20240101-100000_F_N.MP4";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

// One loop, the player-sized window and its two widgets for the whole run (a GUI thread has one loop).
struct Scene {
    std::unique_ptr<CMessageLoop> m_pLoop;
    QLBMLoader m_loader;
    CResModule m_module;
    CMainHost m_host;
    CSpeedGaugeWnd m_gauge;
    CSensorViewWnd m_graph;
    std::filesystem::path m_dir;
    bool m_bReady = false;
    int m_nSecond = 0;

    Scene()
    {
        m_pLoop = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
        if (m_loader.OpenMergeFile(PathToWide(FindDataFile("TorvixPlayerImg.dat")), 1) <= 0) return;
        SetSkinLoader(&m_loader);
        m_module.templates = kTemplates;
        SetDefaultResModule(&m_module);
        if (!m_host.Create(IDD_MAIN, nullptr)) return;
        m_host.LoadBackground(&m_loader, 1, POINT{0, 0}, 0);
        m_gauge.SubclassDlgItem(1014, m_host.GetSafeHwnd());
        m_graph.SubclassDlgItem(1072, m_host.GetSafeHwnd());
        if (m_gauge.InitControl() != 1 || m_graph.InitControl() != 1) return;
        m_gauge.SetFont(GetAppFont(40, 0, 400, 0, L"Roboto"), 0);
        m_dir = std::filesystem::temp_directory_path() / ("bench-dashboard-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        if (m_graph.OpenRecording(WriteRecording(m_dir).wstring(), kSeconds) < 0) return;
        m_pLoop->PumpUntilIdle();
        m_bReady = true;
    }
    ~Scene()
    {
        m_gauge.DestroyWindow();
        m_graph.DestroyWindow();
        m_host.DestroyWindow();
        SetSkinLoader(nullptr);
        SetDefaultResModule(nullptr);
        std::error_code ec;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ec);
    }

    // What the player window does for one play second, then the pass that presents it.
    void Step()
    {
        m_nSecond = (m_nSecond + 1) % (kSeconds + 1);
        const CTorvixGpsData* data = m_graph.GetGpsData();
        GpsFix fix = GpsFix::Empty();
        const int index = CTorvixGpsData::GetSampleIndex(data->GetGpsCount(), m_nSecond, kSeconds);
        const bool bFix = data->GetGpsData(index, fix) && !std::isnan(fix.latitude) && !std::isnan(fix.longitude);
        m_gauge.ShowState(CSpeedGaugeWnd::GetSpeedState(fix.speedKmh, 0, bFix));
        m_graph.SetPosition(m_nSecond);
        PostMessage(m_host.GetSafeHwnd(), WM_NULL, 0, 0);
        m_pLoop->PumpUntilIdle();
    }
};

Scene& GetScene()
{
    static Scene scene;
    return scene;
}

void FanOutStep(benchmark::State& state, int view)
{
    Scene& scene = GetScene();
    if (!scene.m_bReady) {
        state.SkipWithError("the delivered skin or the recording could not be opened");
        return;
    }
    scene.m_graph.SetGraphMode(view);
    for (auto _ : state) scene.Step();
    state.counters["goal_ms"] = 2.0;
}

void BM_FanOutStepSensorView(benchmark::State& state) { FanOutStep(state, 0); }
void BM_FanOutStepSpeedView(benchmark::State& state) { FanOutStep(state, 1); }

// The two repaints alone, to see where a step's time goes.
void BM_GaugeRepaint(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.m_bReady) return state.SkipWithError("no scene");
    int n = 0;
    for (auto _ : state) scene.m_gauge.ShowState(CSpeedGaugeWnd::GetSpeedState(++n % 200, 0, true));
}

void BM_GraphRepaint(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.m_bReady) return state.SkipWithError("no scene");
    scene.m_graph.SetGraphMode(static_cast<int>(state.range(0)));
    int n = 0;
    for (auto _ : state) scene.m_graph.SetPosition(++n % kSeconds);
}

} // namespace

BENCHMARK(BM_FanOutStepSensorView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FanOutStepSpeedView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GaugeRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
