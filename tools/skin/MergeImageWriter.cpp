#include "tools/skin/MergeImageWriter.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <system_error>

namespace torvix::skin {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

} // namespace

std::vector<std::uint8_t> CMergeImageWriter::MakeCompressedEntry(int width, int height, const std::uint32_t* pixels,
                                                                  std::uint32_t type)
{
    if (width <= 0 || height <= 0 || !pixels) return {};
    const std::size_t rawSize = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    std::vector<std::uint8_t> raw(rawSize);
    for (std::size_t i = 0; i < rawSize / 4; ++i) {
        raw[4 * i] = static_cast<std::uint8_t>(pixels[i]);
        raw[4 * i + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        raw[4 * i + 2] = static_cast<std::uint8_t>(pixels[i] >> 16);
        raw[4 * i + 3] = static_cast<std::uint8_t>(pixels[i] >> 24);
    }
    uLongf packed = compressBound(static_cast<uLong>(rawSize));
    std::vector<std::uint8_t> out(28 + packed);
    if (compress2(out.data() + 28, &packed, raw.data(), static_cast<uLong>(rawSize), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    out.resize(28 + packed);
    out[0] = 'M';
    out[1] = 'B';
    out[2] = 'L';
    out[3] = 'Q';
    Put32(out, 4, type);
    Put32(out, 8, static_cast<std::uint32_t>(width));
    Put32(out, 12, static_cast<std::uint32_t>(height));
    Put32(out, 16, static_cast<std::uint32_t>(width) * 4);
    Put16(out, 20, 1);
    Put16(out, 22, 32);
    Put32(out, 24, static_cast<std::uint32_t>(packed));
    return out;
}

bool CMergeImageWriter::AddCompressed(int id, Placement place, int width, int height, const std::uint32_t* pixels,
                                      std::uint32_t type)
{
    if (id < 0 || id > 0xFFFF) return false;
    std::vector<std::uint8_t> data = MakeCompressedEntry(width, height, pixels, type);
    if (data.empty()) return false;
    m_mapEntries[id] = Entry{place, 1, std::move(data)};
    return true;
}

bool CMergeImageWriter::AddEncoded(int id, Placement place, std::vector<std::uint8_t> file, std::uint8_t kind)
{
    if (id < 0 || id > 0xFFFF || kind <= 1 || file.empty()) return false;
    m_mapEntries[id] = Entry{place, kind, std::move(file)};
    return true;
}

void CMergeImageWriter::AddEmpty(int id, Placement place)
{
    if (id < 0 || id > 0xFFFF) return;
    m_mapEntries[id] = Entry{place, 0, {}};
}

std::vector<std::uint8_t> CMergeImageWriter::Build() const
{
    const int lastId = m_mapEntries.empty() ? 0 : m_mapEntries.rbegin()->first;
    const std::size_t indexSize = 20u * static_cast<std::size_t>(lastId) + 24u;
    std::vector<std::uint8_t> out(indexSize, 0);
    Put16(out, 0, 0x0101);
    Put16(out, 2, static_cast<std::uint32_t>(lastId));
    for (int id = 0; id <= lastId; ++id) {
        const std::size_t at = 4 + 20u * static_cast<std::size_t>(id);
        Put32(out, at, static_cast<std::uint32_t>(out.size()));
        const auto it = m_mapEntries.find(id);
        if (it == m_mapEntries.end()) continue;
        const Entry& e = it->second;
        Put32(out, at + 4, static_cast<std::uint32_t>(e.m_vecData.size()));
        Put16(out, at + 8, e.m_place.x);
        Put16(out, at + 10, e.m_place.y);
        Put16(out, at + 12, e.m_place.width);
        Put16(out, at + 14, e.m_place.height);
        out[at + 16] = e.m_nKind;
        out.insert(out.end(), e.m_vecData.begin(), e.m_vecData.end());
    }
    return out;
}

bool CMergeImageWriter::Write(const std::filesystem::path& path) const
{
    const std::vector<std::uint8_t> bytes = Build();
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

} // namespace torvix::skin
