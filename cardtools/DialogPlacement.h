#pragma once

// Where the program's small modal dialogs go: centred over the window that opened them.

#include <zent/platform/Window.h>

// Moves hwnd so that its centre is over the centre of hwndOver (both screen rectangles); nothing
// happens without a window to centre over.
inline void CenterWindowOver(zent::HWND hwnd, zent::HWND hwndOver)
{
    zent::RECT rcOver{};
    zent::RECT rcSelf{};
    if (!hwndOver || !zent::GetWindowRect(hwndOver, &rcOver) || !zent::GetWindowRect(hwnd, &rcSelf)) return;
    zent::SetWindowPos(hwnd, nullptr, rcOver.left + (rcOver.Width() - rcSelf.Width()) / 2,
                       rcOver.top + (rcOver.Height() - rcSelf.Height()) / 2, 0, 0,
                       zent::SWP_NOSIZE | zent::SWP_NOZORDER);
}
