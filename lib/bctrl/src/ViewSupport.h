#pragma once

// Small pieces shared by the view sources (not part of the library's interface).

#include <zent/platform/Types.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cwchar>
#include <string>

namespace zent::viewsupport {

// Texts start this far in from a row's left edge.
constexpr int kTextIndent = 6;

inline std::wstring CutText(const wchar_t* text, int max)
{
    if (!text) return {};
    return std::wstring(text, std::min<std::size_t>(std::wcslen(text), static_cast<std::size_t>(max)));
}

inline int RowHeightOf(QLBMLoader* loader, UINT rowId)
{
    RECT row{};
    if (loader) loader->GetRect(static_cast<int>(rowId), row);
    return std::max<int>(row.bottom - row.top, 1);
}

// Moves a remembered index after removing 'removed': later ones move up, the removed one is gone.
inline void AfterRemove(int& mark, int removed)
{
    if (mark == removed) mark = -1;
    else if (mark > removed) --mark;
}

} // namespace zent::viewsupport
