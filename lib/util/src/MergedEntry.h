#pragma once

// The compressed raw bitmap entry: a 28-byte header and a zlib stream of exactly row bytes x
// height pixel bytes. Shared by the loader and the image object.

#include <zent/util/QLBMLoader.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zent {

struct CompressedHeader {
    std::uint32_t m_nType = 0;
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
    std::uint32_t m_nRowBytes = 0;
    std::uint16_t m_nPlanes = 0;
    std::uint16_t m_nBitsPerPixel = 0;
    std::uint32_t m_nPackedSize = 0;
    std::size_t PixelBytes() const { return static_cast<std::size_t>(m_nRowBytes) * m_nHeight; }
};

// The header of a compressed entry of size bytes, or nothing when the magic is wrong, the stream
// runs past the entry, or the picture is not the 32-bit top-down kind a bitmap can hold.
std::optional<CompressedHeader> ParseCompressedHeader(const BYTE* pData, std::size_t size);
// Inflates the stream into dest (PixelBytes() bytes); true only when exactly that many came out.
bool InflateCompressed(const BYTE* pData, const CompressedHeader& header, BYTE* dest);

} // namespace zent
