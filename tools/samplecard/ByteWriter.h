#pragma once

// Appends the fixed-width fields of the container and track layouts to a byte vector: MP4 is
// big-endian, while the cameras' own records inside it (and all of AVI) are little-endian.

#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

namespace samplecard {

using Bytes = std::vector<std::uint8_t>;

class CByteWriter {
public:
    explicit CByteWriter(Bytes& out) : m_out(out) {}

    void PutU8(std::uint8_t v) { m_out.push_back(v); }
    void PutU16BE(std::uint16_t v)
    {
        PutU8(static_cast<std::uint8_t>(v >> 8));
        PutU8(static_cast<std::uint8_t>(v));
    }
    void PutU32BE(std::uint32_t v)
    {
        for (int shift = 24; shift >= 0; shift -= 8) PutU8(static_cast<std::uint8_t>(v >> shift));
    }
    void PutU64BE(std::uint64_t v)
    {
        PutU32BE(static_cast<std::uint32_t>(v >> 32));
        PutU32BE(static_cast<std::uint32_t>(v));
    }
    void PutU32LE(std::uint32_t v)
    {
        for (int shift = 0; shift <= 24; shift += 8) PutU8(static_cast<std::uint8_t>(v >> shift));
    }
    void PutF32LE(float v) { PutU32LE(std::bit_cast<std::uint32_t>(v)); }
    void PutText(std::string_view text) { m_out.insert(m_out.end(), text.begin(), text.end()); }
    void PutZeros(std::size_t n) { m_out.insert(m_out.end(), n, 0); }
    void PutBytes(const Bytes& bytes) { m_out.insert(m_out.end(), bytes.begin(), bytes.end()); }

private:
    Bytes& m_out;
};

inline std::uint32_t ReadU32BE(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline std::uint64_t ReadU64BE(const std::uint8_t* p)
{
    return (std::uint64_t(ReadU32BE(p)) << 32) | ReadU32BE(p + 4);
}
inline void WriteU32BE(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

} // namespace samplecard
