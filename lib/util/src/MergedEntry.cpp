#include "MergedEntry.h"

#include <zent/platform/Bitmap.h>

#include <zlib.h>

#include <cstring>

namespace zent {

namespace {

std::uint32_t Read32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Read16(const BYTE* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

std::optional<CompressedHeader> ParseCompressedHeader(const BYTE* pData, std::size_t size)
{
    if (!pData || size < static_cast<std::size_t>(kCompressedHeaderSize) || Read32(pData) != kCompressedMagic)
        return std::nullopt;
    CompressedHeader h;
    h.m_nType = Read32(pData + 4);
    h.m_nWidth = Read32(pData + 8);
    h.m_nHeight = Read32(pData + 12);
    h.m_nRowBytes = Read32(pData + 16);
    h.m_nPlanes = Read16(pData + 20);
    h.m_nBitsPerPixel = Read16(pData + 22);
    h.m_nPackedSize = Read32(pData + 24);
    // The stream must lie inside the entry, and the pixels must fill a 32-bit bitmap of the
    // stated size exactly: a row size that disagrees with the width would write past it.
    if (h.m_nPackedSize > size - kCompressedHeaderSize) return std::nullopt;
    if (h.m_nWidth == 0 || h.m_nHeight == 0 || h.m_nWidth > static_cast<std::uint32_t>(kMaxBitmapSide) ||
        h.m_nHeight > static_cast<std::uint32_t>(kMaxBitmapSide) ||
        static_cast<std::uint64_t>(h.m_nWidth) * h.m_nHeight > kMaxBitmapPixels)
        return std::nullopt;
    if (h.m_nRowBytes != 4 * h.m_nWidth || h.m_nBitsPerPixel != 32 || h.m_nPlanes != 1) return std::nullopt;
    return h;
}

bool InflateCompressed(const BYTE* pData, const CompressedHeader& header, BYTE* dest)
{
    uLongf produced = static_cast<uLongf>(header.PixelBytes());
    const int rc = uncompress(dest, &produced, pData + kCompressedHeaderSize, header.m_nPackedSize);
    // A stream that ends early would leave part of the picture unwritten.
    return rc == Z_OK && produced == header.PixelBytes();
}

} // namespace zent
