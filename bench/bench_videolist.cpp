// Goal: the video list filled with 10,000 recordings repaints in at most 5 ms per frame, both a
// full repaint of the list and the repaint after scrolling by one page (header, visible rows and
// scroll bar, through the window's loop into the presented picture); the 10,000-row fill itself
// takes well under a second.
//
// Uses the delivered skin (<bin>/data/TorvixPlayerImg.dat) for the list's place, column widths,
// header and scroll-bar pictures, as the player window does.
#include "widgets/SkinListCtrl.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Window.h>
#include <zent/platform/headless/HeadlessPresenter.h>
#include <zent/util/QLBMLoader.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kRows = 10000;

// One loop, one player-sized window and its list for the whole run (a GUI thread has one loop).
struct Scene {
    std::unique_ptr<zent::CMessageLoop> m_pLoop;
    zent::QLBMLoader m_loader;
    zent::HWND m_hwndHost = nullptr;
    CSkinListCtrl m_list;
    bool m_bSkin = false;

    Scene()
    {
        m_pLoop = zent::CMessageLoop::Create(std::make_unique<zent::CHeadlessPresenter>());
        const auto skin = zent::FindDataFile("TorvixPlayerImg.dat");
        m_bSkin = m_loader.OpenMergeFile(zent::PathToWide(skin), 1) > 0;
        zent::RECT rc{};
        m_loader.GetRect(117, &rc);
        m_hwndHost = zent::CreateWindowEx(0, L"Host", L"", zent::WS_POPUP | zent::WS_VISIBLE, 0, 0, 1280, 720, nullptr, 0);
        m_list.Create(rc, m_hwndHost, 1056);
        m_list.SetSkinImages(&m_loader, 118, 123, 124);
        m_list.Initialise();
        m_list.SetColumnOption(0, L"", 0);
        const wchar_t* captions[] = {L"Date", L"Time", L"Type", L"Channel", L"District"};
        const zent::UINT ids[] = {119, 120, 121, 122, 206};
        for (int i = 0; i < 5; ++i) m_list.SetColumnOption(i + 1, captions[i], ids[i]);
        m_pLoop->PumpUntilIdle();
    }
    ~Scene()
    {
        m_list.DestroyWindow();
        if (m_hwndHost) zent::DestroyWindow(m_hwndHost);
    }

    void Fill()
    {
        m_list.SetRedraw(false);
        m_list.DeleteAllItems();
        m_list.SetItemCount(kRows);
        for (int i = 0; i < kRows; ++i) {
            const std::wstring n = std::to_wstring(i % 60);
            const int row = m_list.InsertItem(kRows, L"/media/card/DCIM/2024010" + std::to_wstring(i % 9) + L"-10h" +
                                                         n + L"m00s_F_N.mp4*" + std::to_wstring(i));
            m_list.SetItemText(row, 1, L"2024.01.01");
            m_list.SetItemText(row, 2, L"10:" + n + L":00");
            m_list.SetItemText(row, 3, L"Normal");
            m_list.SetItemText(row, 4, L"2CH");
        }
        m_list.SetRedraw(true);
        m_pLoop->PumpUntilIdle();
    }

    // One frame: the list marked dirty, painted and presented by the loop.
    void Frame()
    {
        zent::InvalidateRect(m_list.GetSafeHwnd(), nullptr, FALSE);
        m_pLoop->PumpUntilIdle();
    }
};

Scene& GetScene()
{
    static Scene scene;
    return scene;
}

void BM_Fill10000(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.m_bSkin) return state.SkipWithError("the delivered skin file was not found");
    for (auto _ : state) scene.Fill();
    state.counters["rows"] = scene.m_list.GetItemCount();
}
BENCHMARK(BM_Fill10000)->Unit(benchmark::kMillisecond);

void BM_FullRepaint(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.m_bSkin) return state.SkipWithError("the delivered skin file was not found");
    if (scene.m_list.GetItemCount() != kRows) scene.Fill();
    scene.m_list.SetCurrentItem(scene.m_list.GetTopIndex() + 1);
    scene.m_list.SetFocusItem(scene.m_list.GetTopIndex() + 2);
    for (auto _ : state) scene.Frame();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_PageScrollRepaint(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.m_bSkin) return state.SkipWithError("the delivered skin file was not found");
    if (scene.m_list.GetItemCount() != kRows) scene.Fill();
    const int page = scene.m_list.GetCountPerPage();
    for (auto _ : state) {
        if (scene.m_list.GetTopIndex() >= scene.m_list.GetScrollLimit()) scene.m_list.Scroll(-kRows);
        scene.m_list.Scroll(page);
        scene.m_pLoop->PumpUntilIdle();
    }
    state.counters["rows_per_page"] = page;
}
BENCHMARK(BM_PageScrollRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
