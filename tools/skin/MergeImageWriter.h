#pragma once

// Builds a merged skin image file: a little-endian index of 20-byte entries for ids 0..N (data
// offset, size, placement x, y, width, height, image kind), then every entry's data in id order,
// so that a run of ids is one run of bytes. Kind 1 entries hold 32-bit pixels behind the "MBLQ"
// header, deflated with zlib; other kinds hold a complete picture file.

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

namespace torvix::skin {

struct Placement {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

class CMergeImageWriter {
public:
    // pixels: width x height 32-bit pixels (bytes B, G, R, A), top row first. False when the
    // pixels cannot be compressed.
    bool AddCompressed(int id, Placement place, int width, int height, const std::uint32_t* pixels,
                       std::uint32_t type = 0);
    // A picture file (PNG, JPEG, BMP, GIF) as it is; kind must not be 0 or 1.
    bool AddEncoded(int id, Placement place, std::vector<std::uint8_t> file, std::uint8_t kind = 2);
    // A slot with a placement and no picture (kind 0).
    void AddEmpty(int id, Placement place);

    // The whole file. Ids without an entry below the highest one become empty slots.
    std::vector<std::uint8_t> Build() const;
    // Writes a temporary file beside path and renames it over path.
    bool Write(const std::filesystem::path& path) const;

    // The data of a kind 1 entry; empty when compression fails.
    static std::vector<std::uint8_t> MakeCompressedEntry(int width, int height, const std::uint32_t* pixels,
                                                         std::uint32_t type);

private:
    struct Entry {
        Placement m_place;
        std::uint8_t m_nKind = 0;
        std::vector<std::uint8_t> m_vecData;
    };
    std::map<int, Entry> m_mapEntries;
};

} // namespace torvix::skin
