// The recording data layer's speed goals, on this machine:
//   scan of a 10,000-recording tree (names only)       <= 100 ms
//   first-fix read of 2,000 recordings, warm cache     <= 0.2 s in all
//   full track parse of a 60-step recording            <= 1 ms
// Usage: bench_recording [--card DIR] [Google Benchmark flags]
// The first-fix and parse benchmarks read the recordings of a sample card (default: the one that
// CTest writes into the build folder, or $TORVIX_SAMPLECARD).

#include "recording/RecordingCatalog.h"
#include "recording/TorvixGpsData.h"

#include <zent/platform/Paths.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path g_card;

fs::path MakeTempDir(const char* tag)
{
    std::string tmpl = (fs::temp_directory_path() / (std::string("torvix-bench-") + tag + "-XXXXXX")).string();
    return fs::path(mkdtemp(tmpl.data()));
}

// 10,000 recordings as a camera lays them out: one folder per class, front files in F and rear
// files in R, 5,000 pairs of empty files.
const fs::path& ScanTree()
{
    static const fs::path root = [] {
        const fs::path dir = MakeTempDir("scan");
        const char* classes[] = {"N", "E", "P", "M"};
        for (int i = 0; i < 5000; ++i) {
            const char* cls = classes[i % 4];
            char name[64];
            std::snprintf(name, sizeof name, "202304%02d-%02dh%02dm%02ds", 1 + i / 1440 % 28, i / 60 % 24, i % 60, (i * 7) % 60);
            const fs::path folder = dir / "DCIM" / cls;
            fs::create_directories(folder / "F");
            fs::create_directories(folder / "R");
            std::ofstream(folder / "F" / (std::string(name) + "_F_" + cls + ".MP4"));
            std::ofstream(folder / "R" / (std::string(name) + "_R_" + cls + ".MP4"));
        }
        return dir;
    }();
    return root;
}

void BM_ScanTree10k(benchmark::State& state)
{
    const std::wstring root = zent::PathToWide(ScanTree());
    for (auto _ : state) {
        CRecordingCatalog catalog;
        catalog.SetLanguageId(1033);
        catalog.ClearCategoryLists();
        catalog.SearchVideoFiles(root);
        benchmark::DoNotOptimize(catalog.BuildSelectionList(kClassAll));
    }
    state.SetLabel("10,000 recordings");
}
BENCHMARK(BM_ScanTree10k)->Unit(benchmark::kMillisecond);

std::vector<fs::path> CardRecordingsWithTrack()
{
    std::vector<fs::path> files;
    if (g_card.empty() || !fs::is_directory(g_card)) return files;
    for (const auto& e : fs::recursive_directory_iterator(g_card)) {
        if (!e.is_regular_file() || e.path().filename() == "ver.txt") continue;
        CTorvixGpsData data;
        if (data.Load(e.path().wstring()) >= 0) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// 2,000 distinct paths (hard links beside the card, so no data is copied) over the card's
// recordings of every layout.
const std::vector<std::wstring>& FirstFixPaths()
{
    static const std::vector<std::wstring> paths = [] {
        std::vector<std::wstring> out;
        const auto sources = CardRecordingsWithTrack();
        if (sources.empty()) return out;
        const fs::path dir = g_card.parent_path() / "bench-firstfix-links";
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (int i = 0; i < 2000; ++i) {
            const fs::path& src = sources[static_cast<std::size_t>(i) % sources.size()];
            const fs::path link = dir / (std::to_string(i) + "_" + src.filename().string());
            std::error_code ec;
            fs::create_hard_link(src, link, ec);
            if (ec) fs::copy_file(src, link, ec);
            out.push_back(link.wstring());
        }
        return out;
    }();
    return paths;
}

void BM_FirstFix2000(benchmark::State& state)
{
    const auto& paths = FirstFixPaths();
    if (paths.empty()) {
        state.SkipWithError("no sample card: pass --card DIR");
        return;
    }
    for (const auto& p : paths) CTorvixGpsData::GetFirstGpsOfFile(p); // warm the file cache
    for (auto _ : state) {
        CTorvixGpsData::ClearFirstGpsCache();
        for (const auto& p : paths) benchmark::DoNotOptimize(CTorvixGpsData::GetFirstGpsOfFile(p));
    }
    state.SetLabel("2,000 recordings");
}
BENCHMARK(BM_FirstFix2000)->Unit(benchmark::kMillisecond);

void BM_ParseTrack(benchmark::State& state)
{
    const auto sources = CardRecordingsWithTrack();
    if (sources.empty()) {
        state.SkipWithError("no sample card: pass --card DIR");
        return;
    }
    // The recording with the longest track, in its layout's parser.
    fs::path longest;
    int steps = 0;
    for (const auto& s : sources) {
        CTorvixGpsData data;
        data.Load(s.wstring());
        const int n = std::max(data.GetGpsCount(), data.GetSensorCount());
        if (n > steps) {
            steps = n;
            longest = s;
        }
    }
    const std::wstring path = longest.wstring();
    CTorvixGpsData data;
    for (auto _ : state) benchmark::DoNotOptimize(data.Load(path));
    state.SetLabel(longest.filename().string() + ", " + std::to_string(steps) + " steps");
}
BENCHMARK(BM_ParseTrack)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--card" && i + 1 < argc) {
            g_card = argv[++i];
            continue;
        }
        rest.push_back(argv[i]);
    }
    if (g_card.empty()) {
        const char* env = std::getenv("TORVIX_SAMPLECARD");
        g_card = env && *env ? fs::path(env) : zent::GetExeDir().parent_path() / "samplecard";
    }
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(ScanTree(), ec);
    return 0;
}
