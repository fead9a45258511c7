#include <zent/bctrl/ViewImageCache.h>


namespace zent {

void CViewImageCache::SetLoader(QLBMLoader* loader)
{
    if (loader != m_pLoader) m_mapImages.clear();
    m_pLoader = loader;
}

CZuImage* CViewImageCache::Get(UINT id)
{
    if (id == 0 || !m_pLoader) return nullptr;
    auto it = m_mapImages.find(id);
    if (it == m_mapImages.end()) {
        auto image = std::make_unique<CZuImage>();
        image->Load(m_pLoader, id);
        it = m_mapImages.emplace(id, std::move(image)).first;
    }
    return it->second->IsLoaded() ? it->second.get() : nullptr;
}

} // namespace zent
