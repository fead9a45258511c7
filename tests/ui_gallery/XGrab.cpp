// Screenshots taken in this process with Xlib: a few milliseconds, where import takes a tenth of
// a second or more, which is longer than a button's pressed look lasts. Kept apart because
// Xlib's macros (None, Status, Bool) clash with ordinary names elsewhere.

#include "support/UiHarness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace uitest {

SShot GrabNow(const CXvfb& x, int w, int h)
{
    SShot shot;
    Display* pDisplay = XOpenDisplay(x.Display().c_str());
    if (!pDisplay) return shot;
    XImage* pImage = XGetImage(pDisplay, DefaultRootWindow(pDisplay), 0, 0, static_cast<unsigned>(w),
                               static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (pImage) {
        shot.nWidth = w;
        shot.nHeight = h;
        shot.rgb.reserve(static_cast<std::size_t>(w) * h * 3);
        for (int y = 0; y < h; ++y)
            for (int xx = 0; xx < w; ++xx) {
                const unsigned long px = XGetPixel(pImage, xx, y);
                shot.rgb.push_back(static_cast<std::uint8_t>((px >> 16) & 0xFF));
                shot.rgb.push_back(static_cast<std::uint8_t>((px >> 8) & 0xFF));
                shot.rgb.push_back(static_cast<std::uint8_t>(px & 0xFF));
            }
        XDestroyImage(pImage);
    }
    XCloseDisplay(pDisplay);
    return shot;
}

} // namespace uitest
