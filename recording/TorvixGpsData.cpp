#include "recording/TorvixGpsData.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

// First fixes of the recordings the list has seen, keyed by the path itself so that two paths
// never share an entry. Guarded so that a list build and the window may both read it.
struct FirstFixCache {
    std::mutex mutex;
    std::unordered_map<std::wstring, GpsFix> fixes;
};

FirstFixCache& Cache()
{
    static FirstFixCache cache;
    return cache;
}

void CopyNumbers(const GpsFix& from, GpsFix& to)
{
    to.latitude = from.latitude;
    to.longitude = from.longitude;
    to.speedKmh = from.speedKmh;
    to.course = from.course;
}

} // namespace

CTorvixGpsData::CTorvixGpsData(int firstRecordOnly)
{
    for (int k = 0; k < kParserKindCount; ++k) m_pParsers[static_cast<std::size_t>(k)] = CreateParser(k, firstRecordOnly);
}

CTorvixGpsData::~CTorvixGpsData()
{
    for (auto& p : m_pParsers)
        if (p) p->Reset();
    for (auto& p : m_pParsers) p.reset();
    m_nSelected = -2;
}

int CTorvixGpsData::Load(const std::wstring& path)
{
    for (auto& p : m_pParsers)
        if (p) p->Reset();
    m_nSelected = -1;
    for (int k = 0; k < kParserKindCount; ++k) {
        ISimpleParser* p = m_pParsers[static_cast<std::size_t>(k)].get();
        if (!p) continue;
        p->Parse(path);
        if (p->m_nSensorCount > 0 || p->m_nGpsCount > 0 || p->m_nSensorByteLength > 0) {
            m_nSelected = k;
            break;
        }
    }
    return m_nSelected;
}

const ISimpleParser* CTorvixGpsData::GetSelectedParser() const
{
    if (m_nSelected < 0 || m_nSelected >= kParserKindCount) return nullptr;
    return m_pParsers[static_cast<std::size_t>(m_nSelected)].get();
}

int CTorvixGpsData::GetSensorCount() const
{
    const ISimpleParser* p = GetSelectedParser();
    return p ? p->m_nSensorCount : 0;
}

int CTorvixGpsData::GetGpsCount() const
{
    const ISimpleParser* p = GetSelectedParser();
    return p ? p->m_nGpsCount : 0;
}

int CTorvixGpsData::GetGpsData(int index, GpsFix& out) const
{
    const ISimpleParser* p = GetSelectedParser();
    if (!p || index < 0 || p->m_vecGpsRecords.empty()) return 0;
    // The count a parser reports may exceed what it filled (first-record mode): never read past
    // the records that exist.
    if (index >= p->m_nGpsCount || static_cast<std::size_t>(index) >= p->m_vecGpsRecords.size()) return 0;
    CopyNumbers(p->m_vecGpsRecords[static_cast<std::size_t>(index)], out);
    return 1;
}

int CTorvixGpsData::GetSensorData(int index, float& x, float& y, float& z) const
{
    const ISimpleParser* p = GetSelectedParser();
    if (!p || index < 0) return 0;
    if (m_nSelected <= kParserAviUserData) {
        // Parsers 0-2: 12-byte little-endian records in the byte area.
        if (!p->m_pSensorBytes) return 0;
        const long long end = (static_cast<long long>(index) + 1) * 12;
        if (end > p->m_nSensorByteLength) {
            x = y = z = 0.0f;
            return 0;
        }
        const std::uint8_t* rec = p->m_pSensorBytes.get() + static_cast<std::size_t>(index) * 12;
        float v[3];
        std::memcpy(v, rec, sizeof v);
        x = v[0];
        y = v[1];
        z = v[2];
        return 1;
    }
    // Parsers 3 and 4: float triples; steps beyond the track read as "no sample".
    if (m_nSelected == kParserAmba && !p->m_pSensorBytes) return 0;
    const std::size_t count = m_nSelected == kParserNovatek
        ? std::min<std::size_t>(static_cast<std::size_t>(std::max(p->m_nSensorByteLength, 0)), p->m_vecSensorFloats.size())
        : p->m_vecSensorFloats.size();
    if (static_cast<std::size_t>(index) >= count) {
        x = y = z = kNoSensorValue;
        return 0;
    }
    const SensorSample& s = p->m_vecSensorFloats[static_cast<std::size_t>(index)];
    x = s.x;
    y = s.y;
    z = s.z;
    return 1;
}

bool CTorvixGpsData::IsValidGps() const
{
    const ISimpleParser* p = GetSelectedParser();
    if (!p) return false;
    for (const GpsFix& f : p->m_vecGpsRecords)
        if (f.IsValid()) return true;
    return false;
}

const GpsFix* CTorvixGpsData::GetGpsArray(int& count) const
{
    const ISimpleParser* p = GetSelectedParser();
    if (!p || p->m_vecGpsRecords.empty() || p->m_nGpsCount <= 0) {
        count = 0;
        return nullptr;
    }
    count = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(p->m_nGpsCount), p->m_vecGpsRecords.size()));
    return p->m_vecGpsRecords.data();
}

bool CTorvixGpsData::GetFirstValidGps(GpsFix& out) const
{
    const ISimpleParser* p = GetSelectedParser();
    if (!p) return false;
    for (const GpsFix& f : p->m_vecGpsRecords) {
        if (f.status[0] == 'A' && !std::isnan(f.latitude) && !std::isnan(f.longitude)) {
            CopyNumbers(f, out);
            return true;
        }
    }
    return false;
}

GpsFix CTorvixGpsData::GetFirstGpsOfFile(const std::wstring& path)
{
    {
        std::lock_guard lock(Cache().mutex);
        if (auto it = Cache().fixes.find(path); it != Cache().fixes.end()) return it->second;
    }
    GpsFix fix = GpsFix::Zero();
    {
        CTorvixGpsData holder(1);
        holder.Load(path);
        const ISimpleParser* p = holder.GetSelectedParser();
        if (p && p->m_nGpsCount >= 1 && !p->m_vecGpsRecords.empty()) fix = p->m_vecGpsRecords.front();
    }
    std::lock_guard lock(Cache().mutex);
    Cache().fixes.emplace(path, fix);
    return fix;
}

void CTorvixGpsData::ClearFirstGpsCache()
{
    std::lock_guard lock(Cache().mutex);
    Cache().fixes.clear();
}

int CTorvixGpsData::GetSampleIndex(int count, int pos, int len)
{
    if (len <= 0) return -1;
    const float index = static_cast<float>(count) * static_cast<float>(pos) / static_cast<float>(len);
    if (!(index > -2147483648.0f && index < 2147483647.0f)) return -1;
    return static_cast<int>(index);
}
