// Goal: a full 1280 x 800 repaint of a skinned window -- 60 skin images, plain, colour-keyed and
// alpha blended, composed back to front into the window's picture -- plus the present into a
// window-sized picture, in at most 3 ms.
#include "tools/skin/MergeImageWriter.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/ZuImage.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr zent::COLORREF kKey = zent::RGB(255, 0, 255);

enum class Kind { Plain, Keyed, Alpha };

struct Piece {
    int m_nId;
    Kind m_kind;
    int m_nX, m_nY;
};

// Skin-like pictures: gradients with a magenta surround for keyed ones and a soft alpha edge for
// blended ones.
std::vector<std::uint32_t> MakePixels(int w, int h, Kind kind, int seed)
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = 0xFF000000u | (static_cast<std::uint32_t>((x + seed) & 0xFF) << 16) |
                              (static_cast<std::uint32_t>((y * 2 + seed) & 0xFF) << 8) | 0x40u;
            const bool edge = x < 6 || y < 6 || x >= w - 6 || y >= h - 6;
            if (kind == Kind::Keyed && edge) p = 0x00FF00FF;
            if (kind == Kind::Alpha) p = (p & 0x00FFFFFF) | (static_cast<std::uint32_t>(edge ? 0 : (x * 255) / w) << 24);
            px[static_cast<std::size_t>(y) * w + x] = p;
        }
    return px;
}

struct Scene {
    std::filesystem::path m_path;
    zent::QLBMLoader m_loader;
    std::vector<std::unique_ptr<zent::CZuImage>> m_vecImages;
    std::vector<Piece> m_vecPieces;
    zent::UniqueBitmap m_backBitmap, m_windowBitmap;
    zent::UniqueDC m_back, m_window;

    Scene()
    {
        torvix::skin::CMergeImageWriter writer;
        int id = 0;
        auto add = [&](int w, int h, Kind kind, int x, int y) {
            const auto px = MakePixels(w, h, kind, id);
            writer.AddCompressed(id, {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y),
                                      static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)},
                                 w, h, px.data());
            m_vecPieces.push_back({id, kind, x, y});
            ++id;
        };
        add(kWidth, kHeight, Kind::Plain, 0, 0); // the dialog background
        for (int i = 0; i < 19; ++i) add(240, 140, Kind::Plain, 20 + (i % 5) * 250, 40 + (i / 5) * 180);
        for (int i = 0; i < 20; ++i) add(96, 48, Kind::Keyed, 30 + (i % 10) * 120, 620 + (i / 10) * 60);
        for (int i = 0; i < 20; ++i) add(80, 80, Kind::Alpha, 60 + (i % 10) * 115, 200 + (i / 10) * 200);
        m_path = std::filesystem::temp_directory_path() / ("torvix-bench-skin-" + std::to_string(getpid()) + ".dat");
        writer.Write(m_path);
        m_loader.OpenMergeFile(m_path.wstring(), 1);
        for (const Piece& p : m_vecPieces) {
            auto image = std::make_unique<zent::CZuImage>();
            image->Load(&m_loader, static_cast<unsigned>(p.m_nId));
            m_vecImages.push_back(std::move(image));
        }
        m_backBitmap.reset(zent::CreateDIBSection(nullptr, kWidth, kHeight, nullptr));
        m_windowBitmap.reset(zent::CreateDIBSection(nullptr, kWidth, kHeight, nullptr));
        m_back.reset(zent::CreateCompatibleDC(nullptr));
        m_window.reset(zent::CreateCompatibleDC(nullptr));
        zent::SelectObject(m_back.get(), m_backBitmap.get());
        zent::SelectObject(m_window.get(), m_windowBitmap.get());
    }
    ~Scene()
    {
        m_back.reset();
        m_window.reset();
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }

    void Paint()
    {
        for (std::size_t i = 0; i < m_vecPieces.size(); ++i) {
            const Piece& p = m_vecPieces[i];
            zent::CZuImage& image = *m_vecImages[i];
            switch (p.m_kind) {
            case Kind::Plain: image.Draw(m_back.get(), p.m_nX, p.m_nY); break;
            case Kind::Keyed: image.DrawTransparent(m_back.get(), p.m_nX, p.m_nY, -1, -1, kKey); break;
            case Kind::Alpha: image.DrawAlphablend(m_back.get(), p.m_nX, p.m_nY); break;
            }
        }
        zent::BitBlt(m_window.get(), 0, 0, kWidth, kHeight, m_back.get(), 0, 0, zent::SRCCOPY);
    }
};

void BM_FullRepaint(benchmark::State& state)
{
    Scene scene;
    if (scene.m_vecImages.size() != 60 || !scene.m_vecImages.back()->IsLoaded()) {
        state.SkipWithError("skin images did not load");
        return;
    }
    for (auto _ : state) {
        scene.Paint();
        benchmark::DoNotOptimize(zent::GetBitmapRow(scene.m_windowBitmap.get(), 400));
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
