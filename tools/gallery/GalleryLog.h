#pragma once

// One line per message a control sends to its dialog (and per switch of the dialog stack), to
// standard output or a file, flushed at once so that a test reading the file sees every line the
// moment it happened.

#include <zent/platform/Types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace gallery {

class CGalleryLog {
public:
    // Null path: standard output. False when the file cannot be opened.
    static bool Open(const char* pPath);
    static void Line(std::string_view line);
    // "msg=0x0111 id=1001 wparam=0x3e9 lparam=0x0 screen=buttons" (+ " " + extra when given).
    static void Message(std::string_view screen, zent::UINT message, zent::UINT id, zent::WPARAM wParam,
                        zent::LPARAM lParam, std::string_view extra = {});
};

} // namespace gallery
