#include "recording/MovieOldParser.h"

#include "diag/Trace.h"
#include "recording/Mp4FlatWalk.h"
#include "recording/NmeaFields.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <exception>

namespace {

// Every other type ends the walk.
constexpr std::array<const char*, 39> kKnownTypes = {
    "free", "junk", "mdat", "moov", "pnot", "wide", "PICT", "uuid", "udta", "TIME",
    "ENCY", "GPSI", "GPSR", "SENS", "mvhd", "iods", "trak", "tkhd", "mdia", "mdhd",
    "hdlr", "minf", "vmhd", "dinf", "smhd", "stbl", "stsd", "stts", "stsz", "stsc",
    "stco", "stss", "udat", "dumm", "ddap", "edts", "ctts", "AIDD", "ftyp",
};

} // namespace

CMovieOldParser::CMovieOldParser(int firstRecordOnly)
    // Not zeroed: only bytes just read into it are looked at, and the video list creates parsers
    // for every file it shows.
    : ISimpleParser(firstRecordOnly), m_pReadBuffer(std::make_unique_for_overwrite<std::uint8_t[]>(kReadBufferSize))
{
}

CMovieOldParser::~CMovieOldParser() { Reset(); }

int CMovieOldParser::Reset()
{
    ClearStorage();
    m_vecGpsrContent.clear();
    m_vecGpsrContent.shrink_to_fit();
    m_nPos = 0;
    m_bVideoTrack = false;
    m_bFoundGpsr = false;
    m_bFoundSens = false;
    return 0;
}

bool CMovieOldParser::ReadHeader(std::uint64_t pos, Box& box) { return ReadMp4FlatBoxHeader(m_file, pos, box); }

int CMovieOldParser::Parse(const std::wstring& path)
{
    try {
        Reset();
        if (!m_file.Open(path)) return -1;
        Box box;
        while (ReadHeader(m_nPos, box)) {
            if (!IsBoxTypeOneOf(box.type, kKnownTypes)) break;
            if (IsBoxTypeOneOf(box.type, kMp4FlatContainers) || box.Is("trak")) {
                if (box.Is("trak")) m_bVideoTrack = false;
                m_nPos = box.ContentStart();
                continue;
            }
            const std::uint64_t c = box.ContentStart();
            if (box.Is("hdlr")) {
                // Only "vide" marks the track: a data handler later in the same track ('alis' in
                // QuickTime files) must not clear it.
                char handler[4];
                if (box.nEnd >= c + 12 && m_file.ReadAt(c + 8, handler, 4) && std::memcmp(handler, "vide", 4) == 0)
                    m_bVideoTrack = true;
            } else if (box.Is("stsz") && m_bVideoTrack) {
                std::uint32_t nFrames = 0;
                if (box.nEnd >= c + 12 && m_file.ReadU32BE(c + 8, nFrames)) {
                    m_nSensorCount = static_cast<int>(std::min<std::uint32_t>(nFrames, INT_MAX));
                    TraceA("frame_count = %d", m_nSensorCount);
                }
            } else if (box.Is("TIME")) {
                TraceA("= TIME_ATOM =");
            } else if (box.Is("ENCY")) {
                TraceA("= ENCY_ATOM =");
            } else if (box.Is("SENS")) {
                ReadSens(box);
            } else if (box.Is("GPSR")) {
                ReadGpsr(box);
            }
            if (box.bEndsPastFile) break;
            m_nPos = box.nEnd;
        }
        m_file.Close();
        // A video track alone is every MP4: without its own boxes the file is not this layout,
        // and the parsers tried after this one must see it.
        if (!m_bFoundGpsr && !m_bFoundSens) ClearStorage();
        return 0;
    } catch (const std::exception& e) {
        TraceA("### CMovieOldParser::Parse - %s", e.what());
        m_file.Close();
        Reset();
        return -1;
    }
}

void CMovieOldParser::ReadSens(const Box& box)
{
    const std::uint64_t c = box.ContentStart();
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(box.nEnd - c, kMaxTrackBoxBytes));
    m_pSensorBytes = std::make_unique<std::uint8_t[]>(n); // zeroed
    if (n != 0 && !m_file.ReadAt(c, m_pSensorBytes.get(), n)) std::memset(m_pSensorBytes.get(), 0, n);
    m_nSensorByteLength = static_cast<int>(n);
    m_bFoundSens = true;
}

// Both boxes are read as far as the file holds them: a recording cut short keeps the steps it has.
void CMovieOldParser::ReadGpsr(const Box& box)
{
    const std::uint64_t c = box.ContentStart();
    const std::size_t nBytes = static_cast<std::size_t>(std::min<std::uint64_t>(box.nEnd - c, kMaxTrackBoxBytes));
    m_vecGpsrContent.assign(nBytes, 0);
    if (nBytes != 0 && !m_file.ReadAt(c, m_vecGpsrContent.data(), nBytes)) std::fill(m_vecGpsrContent.begin(), m_vecGpsrContent.end(), 0);
    const std::size_t n = CountGpsrEntries(m_vecGpsrContent.data(), m_vecGpsrContent.size());
    m_vecGpsRecords.assign(n, GpsFix::Zero());
    m_nGpsCount = static_cast<int>(n);
    m_bFoundGpsr = true;
    DecodeGpsrEntries();
}

std::size_t CMovieOldParser::CountGpsrEntries(const std::uint8_t* pContent, std::size_t nLength)
{
    std::size_t nCount = 0;
    for (std::size_t e = 0, r = nLength; r >= 8;) {
        const std::uint32_t L = LoadU32LE(pContent + e + 4);
        if (L > r - 8) break;
        ++nCount;
        e += 8 + std::size_t{L};
        r -= 8 + std::size_t{L};
    }
    return nCount;
}

void CMovieOldParser::DecodeGpsrEntries()
{
    const std::uint8_t* p = m_vecGpsrContent.data();
    std::size_t e = 0;
    for (std::size_t i = 0; i < m_vecGpsRecords.size(); ++i) {
        const std::size_t L = LoadU32LE(p + e + 4);
        // An entry longer than the buffer is cut to it: only its first nine fields count.
        const std::size_t n = std::min(L, kReadBufferSize - 1);
        std::memcpy(m_pReadBuffer.get(), p + e + 8, n);
        m_pReadBuffer[n] = 0;
        const char* text = reinterpret_cast<const char*>(m_pReadBuffer.get());
        TraceA(" %s", text);
        DecodeSentence(nmea::CutAtNul(std::string_view(text, n)), m_vecGpsRecords[i]);
        e += 8 + L;
        if (m_nFirstRecordOnly) break;
    }
}

void CMovieOldParser::DecodeSentence(std::string_view text, GpsFix& fix)
{
    nmea::DecodeRmcFields(text, fix, nmea::RmcDecodeRules{.bStopOnForeignSentence = false});
}
