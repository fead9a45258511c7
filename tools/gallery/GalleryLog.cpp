#include "GalleryLog.h"

#include <cinttypes>

namespace gallery {

namespace {

struct FileCloser {
    void operator()(std::FILE* p) const { std::fclose(p); }
};

std::unique_ptr<std::FILE, FileCloser> g_pFile; // GUI thread only
std::FILE* g_pOut = stdout;

} // namespace

bool CGalleryLog::Open(const char* pPath)
{
    if (!pPath) {
        g_pOut = stdout;
        return true;
    }
    g_pFile.reset(std::fopen(pPath, "w"));
    if (!g_pFile) return false;
    g_pOut = g_pFile.get();
    return true;
}

void CGalleryLog::Line(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), g_pOut);
    std::fputc('\n', g_pOut);
    std::fflush(g_pOut);
}

void CGalleryLog::Message(std::string_view screen, zent::UINT message, zent::UINT id, zent::WPARAM wParam,
                          zent::LPARAM lParam, std::string_view extra)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "msg=0x%04x id=%u wparam=0x%" PRIxPTR " lparam=0x%" PRIxPTR " screen=", message, id,
                  static_cast<std::uintptr_t>(wParam), static_cast<std::uintptr_t>(lParam));
    std::string line = buf;
    line += screen;
    if (!extra.empty()) {
        line += ' ';
        line += extra;
    }
    Line(line);
}

} // namespace gallery
