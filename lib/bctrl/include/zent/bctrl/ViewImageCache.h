#pragma once

// Skin pictures by id for the views that draw rows and buttons from the merged image file.

#include <zent/bctrl/Export.h>
#include <zent/platform/Types.h>
#include <zent/util/ZuImage.h>

#include <map>
#include <memory>

namespace zent {

// Skin pictures by id, loaded at the first paint that needs them and dropped in Clean.
class ZENT_BCTRL_API CViewImageCache {
public:
    void SetLoader(QLBMLoader* loader);
    // The loaded picture, or null (id 0, no loader, or an entry that cannot be decoded).
    CZuImage* Get(UINT id);
    void Clear() { m_mapImages.clear(); }

private:
    QLBMLoader* m_pLoader = nullptr; // not owned
    std::map<UINT, std::unique_ptr<CZuImage>> m_mapImages;
};

} // namespace zent
