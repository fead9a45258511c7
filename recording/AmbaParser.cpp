#include "recording/AmbaParser.h"

#include "diag/Trace.h"
#include "recording/Mp4FlatWalk.h"
#include "recording/NmeaFields.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>

namespace {

// Every other type ends the walk.
constexpr std::array<const char*, 42> kKnownTypes = {
    "free", "junk", "mdat", "moov", "pnot", "wide", "PICT", "uuid", "udta", "TIME", "ENCY",
    "GPSI", "GPSR", "SENS", "mvhd", "iods", "trak", "tkhd", "mdia", "mdhd", "hdlr", "minf",
    "vmhd", "dinf", "smhd", "stbl", "stsd", "stts", "stsz", "stsc", "stco", "stss", "udat",
    "dumm", "ddap", "AMBA", "edts", "ctts", "sdtp", "nmhd", "mp4s", "ftyp",
};

} // namespace

AmbaParser::AmbaParser(int firstRecordOnly)
    // Not zeroed: only bytes just read into it are looked at, and the video list creates parsers
    // for every file it shows.
    : ISimpleParser(firstRecordOnly), m_pReadBuffer(std::make_unique_for_overwrite<std::uint8_t[]>(kReadBufferSize))
{
}

AmbaParser::~AmbaParser() { Reset(); }

int AmbaParser::Reset()
{
    ClearStorage();
    m_nPos = 0;
    m_bNullMediaTrack = false;
    m_bTrackDecoded = false;
    m_nSampleCount = 0;
    m_nUniformSampleSize = 0;
    m_vecSampleSizes.clear();
    m_vecSampleSizes.shrink_to_fit();
    return 0;
}

bool AmbaParser::ReadHeader(std::uint64_t pos, Box& box) { return ReadMp4FlatBoxHeader(m_file, pos, box); }

int AmbaParser::Parse(const std::wstring& path)
{
    try {
        Reset();
        if (!m_file.Open(path)) return -1;
        Box box;
        while (ReadHeader(m_nPos, box)) {
            if (!IsBoxTypeOneOf(box.type, kKnownTypes)) break;
            if (IsBoxTypeOneOf(box.type, kMp4FlatContainers) || box.Is("trak")) {
                if (box.Is("trak")) {
                    m_bNullMediaTrack = false;
                    m_nSampleCount = 0; // a table is never taken from another track
                }
                m_nPos = box.ContentStart();
                continue;
            }
            // Only the first null-media track is the track; a video track read after it never
            // replaces its tables.
            if (box.Is("nmhd") && !m_bTrackDecoded) m_bNullMediaTrack = true;
            if (box.Is("stsz") && m_bNullMediaTrack) ReadSampleSizes(box);
            if (box.Is("stco") && m_bNullMediaTrack && m_nSampleCount != 0) ReadChunkOffsetsAndDecode(box);
            if (box.bEndsPastFile) break;
            m_nPos = box.nEnd;
        }
        m_file.Close();
        return 0;
    } catch (const std::exception& e) {
        TraceA("### AmbaParser::Parse - %s", e.what());
        m_file.Close();
        Reset();
        return -1;
    }
}

// version/flags, uniform size, count, then count sizes when the uniform size is 0. Entries the
// box cannot hold are not part of the track.
void AmbaParser::ReadSampleSizes(const Box& box)
{
    m_nSampleCount = 0;
    m_nUniformSampleSize = 0;
    m_vecSampleSizes.clear();
    const std::uint64_t c = box.ContentStart();
    std::uint32_t nUniform = 0, nCount = 0;
    if (box.nEnd < c + 12 || !m_file.ReadU32BE(c + 4, nUniform) || !m_file.ReadU32BE(c + 8, nCount)) return;
    if (nUniform != 0) {
        m_nUniformSampleSize = nUniform;
        m_nSampleCount = nCount;
        return;
    }
    const std::uint64_t nFits = (box.nEnd - (c + 12)) / 4;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(nCount, nFits));
    std::vector<std::uint8_t> table(n * 4);
    if (n != 0 && !m_file.ReadAt(c + 12, table.data(), table.size())) return;
    m_vecSampleSizes.resize(n);
    for (std::size_t i = 0; i < n; ++i) m_vecSampleSizes[i] = LoadU32BE(&table[i * 4]);
    m_nSampleCount = static_cast<std::uint32_t>(n);
}

// version/flags, entry count (not trusted), then one offset per chunk of one sample. At most S
// offsets are read, and never past the box; the table goes through the read buffer in parts.
void AmbaParser::ReadChunkOffsetsAndDecode(const Box& box)
{
    const std::uint64_t c = box.ContentStart();
    if (box.nEnd < c + 8) return;
    const std::uint64_t nFits = (box.nEnd - (c + 8)) / 4;
    // sensorByteLength is an int of 12 bytes per sample.
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({m_nSampleCount, nFits, INT_MAX / 12}));
    if (n == 0) return;

    std::vector<std::uint32_t> offsets;
    offsets.reserve(n);
    constexpr std::size_t kPerPart = kReadBufferSize / 4;
    for (std::size_t done = 0; done < n;) {
        const std::size_t part = std::min(kPerPart, n - done);
        if (!m_file.ReadAt(c + 8 + 4 * std::uint64_t{done}, m_pReadBuffer.get(), part * 4)) return;
        for (std::size_t i = 0; i < part; ++i) offsets.push_back(LoadU32BE(m_pReadBuffer.get() + i * 4));
        done += part;
    }
    DecodeTrack(offsets);
}

void AmbaParser::DecodeTrack(const std::vector<std::uint32_t>& vecOffsets)
{
    const std::size_t n = vecOffsets.size();
    m_vecGpsRecords.assign(n, GpsFix::Zero());
    m_vecSensorFloats.assign(n, SensorSample{0.0f, 0.0f, 0.0f});
    m_pSensorBytes = std::make_unique<std::uint8_t[]>(12 * n); // zeroed: only its presence counts
    m_nSensorByteLength = static_cast<int>(12 * n);
    m_nGpsCount = m_nSensorCount = static_cast<int>(n);
    m_bTrackDecoded = true;
    m_bNullMediaTrack = false;

    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t nSize = m_nUniformSampleSize != 0 ? m_nUniformSampleSize : m_vecSampleSizes[i];
        if (nSize > kReadBufferSize) {
            TraceA("### AmbaParser::Parse - sample %zu of %u bytes refused", i, nSize);
        } else if (m_file.ReadAt(vecOffsets[i], m_pReadBuffer.get(), nSize)) {
            DecodeSample(m_pReadBuffer.get(), nSize, m_vecGpsRecords[i], m_vecSensorFloats[i]);
        }
        if (m_nFirstRecordOnly) break;
    }
}

SensorSample AmbaParser::ParseGSensorText(std::string_view text)
{
    float axes[3] = {kNoSensorValue, kNoSensorValue, kNoSensorValue};
    std::size_t nAxis = 0;
    for (const std::string_view token : nmea::SplitFields(text, ',')) {
        if (token.empty()) continue;
        if (nAxis == 3) break;
        const float v = nmea::ParseFloatLoose(token);
        axes[nAxis++] = std::trunc(std::fabs(v)) >= 15.0f ? kNoSensorValue : v;
    }
    return SensorSample{axes[0], axes[1], axes[2]};
}

void AmbaParser::DecodeSample(const std::uint8_t* pData, std::size_t nSize, GpsFix& fix, SensorSample& sensor)
{
    if (nSize < 5 || pData[0] != 0xFD || pData[1] != 0x10 || pData[3] != 'G') return;
    const auto text = [&](std::size_t start, std::size_t len) {
        const std::size_t end = std::min(nSize, start + len);
        return nmea::CutAtNul(std::string_view(reinterpret_cast<const char*>(pData) + start, end - start));
    };
    const std::size_t nGLen = pData[4];
    sensor = ParseGSensorText(text(5, nGLen));

    const std::size_t gAt = 5 + nGLen;
    if (gAt + 1 >= nSize || pData[gAt] != 'g') return;
    const std::size_t nPosLen = pData[gAt + 1];
    nmea::DecodeRmcFields(text(gAt + 2, nPosLen), fix, nmea::RmcDecodeRules{.bStopOnForeignSentence = true});
}
