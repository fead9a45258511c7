#include "WavReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint16_t kTagPcm = 0x0001;
constexpr std::uint16_t kTagFloat = 0x0003;
constexpr std::uint16_t kTagExtensible = 0xFFFE;

constexpr std::size_t kFmtBaseSize = 16;       // WAVEFORMAT + bits per sample
constexpr std::size_t kFmtExtensibleSize = 40; // ... + cbSize, valid bits, channel mask, sub-format
constexpr std::uint16_t kExtensibleExtra = 22;

// More channels than a surround layout has are a broken header, not a sound.
constexpr unsigned kMaxChannels = 8;
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 384000;

// The sub-format GUID of an extensible header is the short tag followed by these bytes.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Reads a "fmt " body of nSize bytes (all present) into layout; returns the status.
WavStatus ReadFormat(const std::uint8_t* pFmt, std::size_t nSize, WavLayout& layout)
{
    if (nSize < kFmtBaseSize) return WavStatus::BadFormat;
    std::uint16_t tag = U16(pFmt);
    const std::uint16_t channels = U16(pFmt + 2);
    const std::uint32_t rate = U32(pFmt + 4);
    const std::uint16_t blockAlign = U16(pFmt + 12);
    const std::uint16_t bits = U16(pFmt + 14);

    if (tag == kTagExtensible) {
        if (nSize < kFmtExtensibleSize || U16(pFmt + 16) < kExtensibleExtra) return WavStatus::BadFormat;
        const std::uint16_t validBits = U16(pFmt + 18);
        if (validBits > bits) return WavStatus::BadFormat;
        // Valid bits below the container are left-justified in it: played as the container.
        if (std::memcmp(pFmt + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) return WavStatus::Unsupported;
        tag = U16(pFmt + 24);
    }

    zent::PcmSample sample;
    if (tag == kTagPcm) {
        switch (bits) {
        case 8: sample = zent::PcmSample::U8; break;
        case 16: sample = zent::PcmSample::S16; break;
        case 24: sample = zent::PcmSample::S24In3; break;
        case 32: sample = zent::PcmSample::S32; break;
        default: return WavStatus::Unsupported;
        }
    } else if (tag == kTagFloat) {
        switch (bits) {
        case 32: sample = zent::PcmSample::Float32; break;
        case 64: sample = zent::PcmSample::Float64; break;
        default: return WavStatus::Unsupported;
        }
    } else {
        return WavStatus::Unsupported; // compressed: ADPCM, mu-law, MP3 in RIFF, ...
    }

    if (channels == 0 || rate == 0) return WavStatus::BadFormat;
    // A block that does not hold exactly one sample per channel would play noise.
    if (blockAlign != channels * (bits / 8)) return WavStatus::BadFormat;
    if (channels > kMaxChannels || rate < kMinRate || rate > kMaxRate) return WavStatus::Unsupported;

    layout.sample = sample;
    layout.format.wFormatTag = tag;
    layout.format.nChannels = channels;
    layout.format.nSamplesPerSec = rate;
    layout.format.nAvgBytesPerSec = rate * blockAlign; // at most 384000 × 64: no overflow
    layout.format.nBlockAlign = blockAlign;
    layout.format.wBitsPerSample = bits;
    layout.format.cbSize = 0;
    return WavStatus::Ok;
}

} // namespace

std::uint64_t CWavReader::GetImageLength(const std::uint8_t* pFirst12)
{
    if (!pFirst12 || std::memcmp(pFirst12, "RIFF", 4) != 0 || std::memcmp(pFirst12 + 8, "WAVE", 4) != 0) return 0;
    return std::uint64_t(U32(pFirst12 + 4)) + 8;
}

WavLayout CWavReader::Parse(const std::uint8_t* pData, std::size_t nSize)
{
    WavLayout layout;
    if (!pData || nSize < 12) return layout;
    const std::uint64_t riffEnd = GetImageLength(pData);
    if (riffEnd == 0) return layout;
    const std::uint64_t limit = (riffEnd >= 12 && riffEnd <= nSize) ? riffEnd : nSize;

    bool haveFormat = false;
    bool haveData = false;
    WavStatus formatStatus = WavStatus::NoFormat;
    std::uint64_t pos = 12;
    // Every step moves forward by at least the 8-byte chunk header, and pos never passes limit.
    while (limit - pos >= 8 && !(haveFormat && haveData)) {
        const std::uint8_t* chunk = pData + pos;
        const std::uint64_t size = U32(chunk + 4);
        const std::uint64_t body = pos + 8;
        const std::uint64_t avail = limit - body;
        if (!haveFormat && std::memcmp(chunk, "fmt ", 4) == 0) {
            haveFormat = true;
            // A format cut off by the end of the image cannot be trusted for any field.
            formatStatus = size <= avail ? ReadFormat(pData + body, static_cast<std::size_t>(size), layout)
                                         : WavStatus::BadFormat;
            if (formatStatus != WavStatus::Ok) break;
        } else if (!haveData && std::memcmp(chunk, "data", 4) == 0) {
            haveData = true;
            layout.dataOffset = static_cast<std::size_t>(body);
            layout.dataLength = static_cast<std::size_t>(std::min(size, avail));
        }
        const std::uint64_t next = body + size + (size & 1);
        if (next > limit) break;
        pos = next;
    }

    if (formatStatus != WavStatus::Ok) {
        layout.status = formatStatus;
        layout.dataOffset = layout.dataLength = 0;
        return layout;
    }
    if (haveData) layout.dataLength -= layout.dataLength % layout.format.nBlockAlign;
    layout.status = (haveData && layout.dataLength > 0) ? WavStatus::Ok : WavStatus::NoData;
    if (layout.status != WavStatus::Ok) layout.dataOffset = layout.dataLength = 0;
    return layout;
}
