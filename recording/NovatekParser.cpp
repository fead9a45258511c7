#include "recording/NovatekParser.h"

#include "diag/Trace.h"
#include "recording/NmeaFields.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>

namespace {

// Diagnostics of the walk (CP949 in the recorder maker's tools; UTF-8 here).
constexpr const char* kMsgOpenFailed = "파일 열기 실패";
constexpr const char* kMsgIndexBeyondFile = "gps 앞 4바이트 위치가 파일 크기보다 큼";
constexpr const char* kMsgNoGpsString = "gps 스트링이 없음";
constexpr const char* kMsgNoIndex = "'moov' 또는 'gps ' 박스를 찾을 수 없음";
constexpr const char* kMsgBlockTooLarge = "GPSR+SENS 길이가 너무 큼";
constexpr const char* kMsgBlockTooSmall = "GPSR+SENS 길이가 너무 작음";
constexpr const char* kMsgBlockShort = "GPSR+SENS 읽기 실패"; // the block lies (partly) beyond the file

void WriteDiagnostic(const char* text) { std::fprintf(stderr, "%s\n", text); }

struct BoxHeader {
    std::uint64_t nStart = 0;
    std::uint64_t nSize = 0;      // whole box, header included
    std::uint64_t nHeaderLen = 8; // 16 with a 64-bit size
    char type[4] = {};

    bool Is(const char (&t)[5]) const { return std::memcmp(type, t, 4) == 0; }
    std::uint64_t ContentStart() const { return nStart + nHeaderLen; }
    // Never past the end of the parent it was read in.
    std::uint64_t End(std::uint64_t parentEnd) const
    {
        return nSize > parentEnd - nStart ? parentEnd : nStart + nSize;
    }
};

// Size 0: the box runs to the end of its parent. Size 1: a 64-bit size follows. A size below
// its header length ends the walk of that level (none is returned).
std::optional<BoxHeader> ReadBoxHeader(CBoundedFile& file, std::uint64_t pos, std::uint64_t parentEnd)
{
    if (pos >= parentEnd || parentEnd - pos < 8) return std::nullopt;
    std::uint8_t raw[8];
    if (!file.ReadAt(pos, raw, sizeof raw)) return std::nullopt;
    BoxHeader h;
    h.nStart = pos;
    h.nSize = LoadU32BE(raw);
    std::memcpy(h.type, raw + 4, 4);
    if (h.nSize == 0) {
        h.nSize = parentEnd - pos;
    } else if (h.nSize == 1) {
        if (!file.ReadU64BE(pos + 8, h.nSize)) return std::nullopt;
        h.nHeaderLen = 16;
    }
    if (h.nSize < h.nHeaderLen) return std::nullopt;
    return h;
}

bool IsBlank(std::string_view field)
{
    return std::all_of(field.begin(), field.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    });
}

void CopyTruncated(char* dst, std::size_t dstSize, std::string_view src)
{
    std::memset(dst, 0, dstSize);
    std::memcpy(dst, src.data(), std::min(src.size(), dstSize - 1));
}

// degrees from the first nDegreeDigits characters, minutes from the rest.
std::optional<double> ParseCoordinate(std::string_view field, std::size_t nDegreeDigits)
{
    if (field.size() < nDegreeDigits) return std::nullopt;
    const std::optional<double> degrees = nmea::ParseNumber(field.substr(0, nDegreeDigits));
    const std::optional<double> minutes = nmea::ParseNumber(field.substr(nDegreeDigits));
    if (!degrees || !minutes) return std::nullopt;
    return *degrees + *minutes / 60.0;
}

// Speed and course: a standing car leaves them empty; that value alone is unknown.
std::optional<double> ParseOptionalNumber(std::string_view field, bool& bMalformed)
{
    if (IsBlank(field)) return std::numeric_limits<double>::quiet_NaN();
    const std::optional<double> v = nmea::ParseNumber(field);
    if (!v) bMalformed = true;
    return v;
}

std::optional<GpsFix> BuildFix(const std::vector<std::string_view>& f)
{
    GpsFix fix = GpsFix::Empty();
    CopyTruncated(fix.utcTime, sizeof fix.utcTime, f[1]);
    CopyTruncated(fix.status, sizeof fix.status, f[2]);
    fix.status[1] = 1;
    CopyTruncated(fix.latHemisphere, sizeof fix.latHemisphere, f[4]);
    CopyTruncated(fix.lonHemisphere, sizeof fix.lonHemisphere, f[6]);

    const std::optional<double> lat = ParseCoordinate(f[3], 2);
    const std::optional<double> lon = ParseCoordinate(f[5], 3);
    if (!lat || !lon) return std::nullopt;
    fix.latitude = f[4] == "S" ? -*lat : *lat;
    fix.longitude = f[6] == "W" ? -*lon : *lon;

    bool bMalformed = false;
    const std::optional<double> knots = ParseOptionalNumber(f[7], bMalformed);
    const std::optional<double> course = ParseOptionalNumber(f[8], bMalformed);
    if (bMalformed) return std::nullopt;
    fix.speedKmh = *knots * 1.852;
    fix.course = *course;
    return fix;
}

} // namespace

NovatekParser::NovatekParser(int firstRecordOnly) : ISimpleParser(firstRecordOnly) {}

NovatekParser::~NovatekParser() { Reset(); }

int NovatekParser::Reset()
{
    ClearStorage();
    return 0;
}

NovatekParser::GpsIndex NovatekParser::FindGpsIndex(const std::wstring& path)
{
    GpsIndex out;
    if (!m_file.Open(path)) {
        WriteDiagnostic(kMsgOpenFailed);
        out.eResult = IndexResult::NoTrack;
        out.strError = kMsgOpenFailed;
        return out;
    }
    const std::uint64_t fileLen = m_file.Size();

    for (std::uint64_t pos = 0; pos < fileLen;) {
        const std::optional<BoxHeader> top = ReadBoxHeader(m_file, pos, fileLen);
        if (!top) break;
        const std::uint64_t topEnd = top->End(fileLen);
        if (top->Is("moov")) {
            for (std::uint64_t child = top->ContentStart(); child < topEnd;) {
                const std::optional<BoxHeader> box = ReadBoxHeader(m_file, child, topEnd);
                if (!box) break;
                if (!box->Is("gps ")) {
                    child = box->End(topEnd);
                    continue;
                }
                if (box->nStart > fileLen) {
                    WriteDiagnostic(kMsgIndexBeyondFile);
                    out.eResult = IndexResult::NoTrack;
                    out.strError = kMsgIndexBeyondFile;
                    return out;
                }
                // version (not used), entry count, then the entries; never beyond the box.
                const std::uint64_t boxEnd = box->End(topEnd);
                const std::uint64_t tableStart = box->ContentStart() + 8;
                std::uint32_t nCount = 0;
                if (tableStart > boxEnd || !m_file.ReadU32BE(box->ContentStart() + 4, nCount)) {
                    out.eResult = IndexResult::Failed;
                    out.strError = kMsgNoGpsString;
                    return out;
                }
                const std::uint64_t nFits = (boxEnd - tableStart) / 8;
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({nCount, nFits, INT_MAX}));
                std::vector<std::uint8_t> table(n * 8);
                if (n != 0 && !m_file.ReadAt(tableStart, table.data(), table.size())) {
                    out.eResult = IndexResult::Failed;
                    out.strError = kMsgNoGpsString;
                    return out;
                }
                out.vecBlocks.resize(n);
                for (std::size_t i = 0; i < n; ++i) {
                    out.vecBlocks[i].nOffset = LoadU32BE(&table[i * 8]);
                    out.vecBlocks[i].nSize = LoadU32BE(&table[i * 8 + 4]);
                }
                if (n != nCount)
                    TraceA("### NovatekParser::FindGpsIndex - entries:%u, in the box:%zu", nCount, n);
                out.eResult = IndexResult::Found;
                return out;
            }
        }
        pos = topEnd;
    }
    out.eResult = IndexResult::Failed;
    out.strError = kMsgNoIndex;
    return out;
}

NovatekParser::BlockResult NovatekParser::ReadBlock(std::uint32_t nOffset, std::uint32_t nSizeLimit)
{
    BlockResult out;
    std::uint8_t head[16];
    if (!m_file.ReadAt(nOffset, head, sizeof head)) {
        out.strError = kMsgBlockShort;
        return out;
    }
    const std::uint32_t nBlockSize = LoadU32BE(head);
    const std::uint32_t nLength = LoadU32LE(head + 12);
    if (nBlockSize > nSizeLimit || nLength > nSizeLimit || nLength > kMaxPayloadLength) {
        out.strError = kMsgBlockTooLarge;
        return out;
    }
    if (nLength < 12) {
        out.strError = kMsgBlockTooSmall;
        return out;
    }
    std::vector<std::uint8_t> payload(nLength);
    if (!m_file.ReadAt(std::uint64_t{nOffset} + 16, payload.data(), payload.size())) {
        out.strError = kMsgBlockShort;
        return out;
    }
    GpsBlock block;
    block.strPosition.assign(reinterpret_cast<const char*>(payload.data()), nLength - 12);
    std::memcpy(block.sensor.data(), payload.data() + (nLength - 12), 12);
    out.block = std::move(block);
    return out;
}

std::optional<GpsFix> NovatekParser::ParseGpsText(std::string_view payload)
{
    if (payload.size() <= 16) return std::nullopt;
    for (const std::string_view line : nmea::SplitFields(payload.substr(16), '\n')) {
        if (line.find("$GPRMC") == std::string_view::npos) continue;
        const std::vector<std::string_view> fields = nmea::SplitFields(line, ',');
        if (fields.size() < 9 || fields[2] != "A") continue;
        // A malformed number ends the search: the step has no fix.
        return BuildFix(fields);
    }
    return std::nullopt;
}

SensorSample NovatekParser::ConvertSensor(const std::array<std::uint8_t, 12>& raw)
{
    const auto convert = [](const std::uint8_t* p) {
        float v = LoadF32LE(p) * 0.0009765625f * 1.5f;
        if (v < -2.0f)
            v = -2.0f;
        else if (v > 2.0f)
            v = 2.0f;
        return v;
    };
    return SensorSample{convert(raw.data()), convert(raw.data() + 4), convert(raw.data() + 8)};
}

int NovatekParser::Parse(const std::wstring& path)
{
    try {
        Reset();
        const GpsIndex index = FindGpsIndex(path);
        if (index.eResult != IndexResult::Found) {
            m_file.Close();
            if (index.eResult == IndexResult::NoTrack) return 0;
            WriteDiagnostic(index.strError.c_str());
            Reset();
            return -1;
        }

        const std::size_t n = index.vecBlocks.size();
        // Steps that are never read (first-record mode) stay the empty fix and "no sample".
        m_vecGpsRecords.assign(n, GpsFix::Empty());
        m_vecSensorFloats.assign(n, SensorSample{kNoSensorValue, kNoSensorValue, kNoSensorValue});
        SensorSample previous{0.0f, 0.0f, 0.0f}; // what a failing first block repeats
        for (std::size_t i = 0; i < n; ++i) {
            const GpsBlockRef& ref = index.vecBlocks[i];
            const BlockResult block = ReadBlock(ref.nOffset, ref.nSize);
            if (block.block) {
                const std::optional<GpsFix> fix = ParseGpsText(block.block->strPosition);
                m_vecGpsRecords[i] = fix ? *fix : GpsFix::Empty();
                previous = ConvertSensor(block.block->sensor);
            } else {
                TraceA("### NovatekParser::Parse - block %zu: %s", i, block.strError.c_str());
                m_vecGpsRecords[i] = GpsFix::Empty();
            }
            m_vecSensorFloats[i] = previous;
            if (m_nFirstRecordOnly) break;
        }
        m_file.Close();
        m_nGpsCount = m_nSensorCount = m_nSensorByteLength = static_cast<int>(n);
        return 0;
    } catch (const std::exception& e) {
        // Only allocation can throw here; no track rather than a partial one.
        TraceA("### NovatekParser::Parse - %s", e.what());
        m_file.Close();
        Reset();
        return -1;
    }
}
