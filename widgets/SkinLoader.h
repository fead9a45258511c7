#pragma once

// The one merged-image loader of the program, reachable by every skinned control and dialog.
// The application creates and owns it and sets it here before the first window; controls only
// borrow it. GUI thread.

namespace zent {
class QLBMLoader;
}

inline zent::QLBMLoader*& SkinLoaderSlot()
{
    static zent::QLBMLoader* pLoader = nullptr;
    return pLoader;
}
inline zent::QLBMLoader* GetSkinLoader() { return SkinLoaderSlot(); }
inline void SetSkinLoader(zent::QLBMLoader* loader) { SkinLoaderSlot() = loader; }
