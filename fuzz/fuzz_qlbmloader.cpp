// The merged skin image file is read from beside the program, where anything may have replaced
// it: open any bytes in both modes and run every reader of the loader over them.
#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void Exercise(zent::QLBMLoader& loader, int lastId, zent::HDC hdc)
{
    const int top = std::min(lastId, 24);
    for (int id = -1; id <= top + 1; ++id) {
        int kind = 0, size = 0, offset = 0;
        (void)loader.GetDataById(id, kind, size);
        std::free(loader.GetAllocDataById(id, kind, size));
        (void)loader.GetSeekNSizeByID(id, offset, size);
        zent::RECT rc;
        (void)loader.GetRect(id, rc);
        zent::DeleteObject(loader.GetBitmapByID(id));
        (void)loader.GetIImageByID(id);
        loader.DrawImgByID(hdc, id, {-1, -1});
        loader.DrawImgByID(hdc, id, {-3, 2});
    }
    std::free(loader.GetAllocDataByArrayID(0, top));
    std::free(loader.GetAllocDataByArrayID(1, std::min(lastId, 3)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = "/tmp/torvix-fuzz-qlbm-" + std::to_string(getpid()) + ".dat";
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    zent::UniqueBitmap bmp(zent::CreateDIBSection(nullptr, 64, 48, nullptr));
    zent::UniqueDC dc(zent::CreateCompatibleDC(nullptr));
    zent::SelectObject(dc.get(), bmp.get());
    const std::wstring path(file.begin(), file.end());
    for (int preload : {0, 1}) {
        zent::QLBMLoader loader;
        const int lastId = loader.OpenMergeFile(path, preload);
        if (lastId >= 0) Exercise(loader, lastId, dc.get());
    }
    dc.reset();
    std::remove(file.c_str());
    return 0;
}
