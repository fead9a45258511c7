#include "recording/AviFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// 'hdrl' > 'strl' is fixed; only 'rec ' groups inside 'movi' nest, and never deeply in practice.
constexpr int kMaxListDepth = 8;
// The 'idx1' index is read in blocks of this many 16-byte entries.
constexpr std::size_t kIndexBlockEntries = 4096;

bool FccIs(const std::uint8_t* p, const char* fcc) { return std::memcmp(p, fcc, 4) == 0; }

// RIFF pads every chunk body of odd length with one byte.
std::uint64_t PaddedSize(std::uint32_t size) { return std::uint64_t{size} + (size & 1u); }

// Chunks inside 'movi' that belong to a stream but are not samples: OpenDML field indexes
// ("##ix") and palette changes ("##pc").
bool IsNonSampleChunk(const std::uint8_t ckid[4])
{
    return (ckid[2] == 'i' && ckid[3] == 'x') || (ckid[2] == 'p' && ckid[3] == 'c');
}

const std::vector<AviRawChunk>& EmptyChunks()
{
    static const std::vector<AviRawChunk> empty;
    return empty;
}

} // namespace

int AviStreamNumberOfChunk(const std::uint8_t ckid[4])
{
    if (ckid[0] < '0' || ckid[0] > '9' || ckid[1] < '0' || ckid[1] > '9') return -1;
    return (ckid[0] - '0') * 10 + (ckid[1] - '0');
}

bool CAviFile::Open(const std::wstring& path)
{
    Close();
    if (!m_file.Open(path)) return false;
    if (!Load()) {
        Close();
        return false;
    }
    return true;
}

bool CAviFile::OpenUtf8(const std::string& path)
{
    Close();
    if (!m_file.OpenUtf8(path)) return false;
    if (!Load()) {
        Close();
        return false;
    }
    return true;
}

void CAviFile::Close()
{
    m_file.Close();
    m_vecStreams.clear();
    m_vecMainHeader.clear();
    m_vecExtraChunks.clear();
    m_nTotalSamples = 0;
    m_bHasIndex = false;
    m_bIndexAbsolute = false;
    m_nExtensionCount = 0;
}

bool CAviFile::Load()
{
    std::uint8_t head[12];
    if (!m_file.ReadAt(0, head, sizeof head)) return false;
    if (!FccIs(head, "RIFF") || !FccIs(head + 8, "AVI ")) return false;
    const std::uint64_t fileSize = m_file.Size();
    const std::uint32_t riffSize = LoadU32LE(head + 4);
    // Writers that never finished the file leave the size 0; a size past the end means a cut file.
    const bool riffSizeUsable = riffSize >= 4 && std::uint64_t{riffSize} + 8 <= fileSize;
    const std::uint64_t riffEnd = riffSizeUsable ? std::uint64_t{riffSize} + 8 : fileSize;

    bool haveHeader = false;
    bool haveMovi = false;
    bool haveIndex = false;
    std::uint64_t moviPos = 0; // position of the 'movi' list type, the base of relative idx1 offsets
    std::uint64_t moviEnd = 0;
    std::uint64_t indexPos = 0;
    std::uint32_t indexSize = 0;

    std::uint64_t pos = 12;
    while (pos + 8 <= riffEnd) {
        std::uint8_t ck[8];
        if (!m_file.ReadAt(pos, ck, sizeof ck)) break;
        const std::uint32_t size = LoadU32LE(ck + 4);
        const std::uint64_t dataPos = pos + 8;
        bool truncated = size > riffEnd - dataPos;
        std::uint64_t dataEnd = truncated ? riffEnd : dataPos + size;

        if (FccIs(ck, "LIST")) {
            std::uint8_t type[4];
            // The type is read even from a list too short to hold it: an unfinished 'movi' says 0.
            if (dataPos + 4 <= riffEnd) {
                if (!m_file.ReadAt(dataPos, type, 4)) break;
                if (FccIs(type, "movi") && size < 4) {
                    // An unfinished 'movi' list: its chunks run to the end of the RIFF.
                    truncated = true;
                    dataEnd = riffEnd;
                }
                if (FccIs(type, "hdrl")) {
                    if (!haveHeader) haveHeader = ReadHeaderList(dataPos + 4, dataEnd);
                } else if (FccIs(type, "movi")) {
                    if (!haveMovi) {
                        haveMovi = true;
                        moviPos = dataPos;
                        moviEnd = dataEnd;
                    }
                } else if (!truncated) {
                    AviRawChunk raw;
                    if (ReadRawChunk(ck, dataPos, size, raw)) m_vecExtraChunks.push_back(std::move(raw));
                }
            }
        } else if (FccIs(ck, "idx1")) {
            if (!haveIndex) {
                haveIndex = true;
                indexPos = dataPos;
                indexSize = static_cast<std::uint32_t>(dataEnd - dataPos);
            }
        } else if (!FccIs(ck, "JUNK") && !truncated) {
            AviRawChunk raw;
            if (ReadRawChunk(ck, dataPos, size, raw)) m_vecExtraChunks.push_back(std::move(raw));
        }
        if (truncated) break;
        pos = dataPos + PaddedSize(size);
    }
    if (!haveHeader) return false;

    // Large files go on in 'RIFF' 'AVIX' parts, each with its own 'movi' list and no 'idx1'.
    struct Range {
        std::uint64_t begin;
        std::uint64_t end;
    };
    std::vector<Range> extensions;
    std::uint64_t next = riffSizeUsable ? 8 + PaddedSize(riffSize) : fileSize;
    while (next + 12 <= fileSize) {
        std::uint8_t part[12];
        if (!m_file.ReadAt(next, part, sizeof part)) break;
        if (!FccIs(part, "RIFF") || !FccIs(part + 8, "AVIX")) break;
        const std::uint32_t partSize = LoadU32LE(part + 4);
        const bool partTruncated = partSize < 4 || partSize > fileSize - next - 8;
        const std::uint64_t partEnd = partTruncated ? fileSize : next + 8 + partSize;
        ++m_nExtensionCount;
        std::uint64_t p = next + 12;
        while (p + 8 <= partEnd) {
            std::uint8_t ck[12];
            if (!m_file.ReadAt(p, ck, 8)) break;
            const std::uint32_t size = LoadU32LE(ck + 4);
            const std::uint64_t dataPos = p + 8;
            const bool truncated = size > partEnd - dataPos;
            const std::uint64_t dataEnd = truncated ? partEnd : dataPos + size;
            if (FccIs(ck, "LIST") && dataEnd - dataPos >= 4 && m_file.ReadAt(dataPos, ck + 8, 4) &&
                FccIs(ck + 8, "movi")) {
                extensions.push_back({dataPos + 4, size < 4 ? partEnd : dataEnd});
                break;
            }
            if (truncated) break;
            p = dataPos + PaddedSize(size);
        }
        if (partTruncated) break;
        next += 8 + PaddedSize(partSize);
    }

    if (haveMovi) {
        if (haveIndex && ReadIndex(moviPos, indexPos, indexSize)) {
            m_bHasIndex = true;
        } else {
            m_bIndexAbsolute = false;
            WalkMovi(moviPos + 4, moviEnd, 1);
        }
    }
    for (const Range& r : extensions) WalkMovi(r.begin, r.end, 1);
    return true;
}

bool CAviFile::ReadRawChunk(const std::uint8_t fcc[4], std::uint64_t dataPos, std::uint32_t size, AviRawChunk& out)
{
    if (size > kMaxRawChunk || !m_file.Contains(dataPos, size)) return false;
    std::memcpy(out.fcc, fcc, 4);
    out.data.assign(size, 0);
    return size == 0 || m_file.ReadAt(dataPos, out.data.data(), size);
}

bool CAviFile::ReadHeaderList(std::uint64_t begin, std::uint64_t end)
{
    std::uint64_t pos = begin;
    while (pos + 8 <= end) {
        std::uint8_t ck[12];
        if (!m_file.ReadAt(pos, ck, 8)) break;
        const std::uint32_t size = LoadU32LE(ck + 4);
        const std::uint64_t dataPos = pos + 8;
        const bool truncated = size > end - dataPos;
        const std::uint64_t dataEnd = truncated ? end : dataPos + size;
        if (FccIs(ck, "avih")) {
            AviRawChunk raw;
            if (!truncated && m_vecMainHeader.empty() && ReadRawChunk(ck, dataPos, size, raw))
                m_vecMainHeader = std::move(raw.data);
        } else if (FccIs(ck, "LIST") && dataEnd - dataPos >= 4 && m_file.ReadAt(dataPos, ck + 8, 4) &&
                   FccIs(ck + 8, "strl")) {
            if (static_cast<int>(m_vecStreams.size()) < kMaxStreams) ReadStreamList(dataPos + 4, dataEnd);
        }
        if (truncated) break;
        pos = dataPos + PaddedSize(size);
    }
    return true;
}

void CAviFile::ReadStreamList(std::uint64_t begin, std::uint64_t end)
{
    Stream st;
    bool haveHeader = false;
    std::uint64_t pos = begin;
    while (pos + 8 <= end) {
        std::uint8_t ck[8];
        if (!m_file.ReadAt(pos, ck, sizeof ck)) break;
        const std::uint32_t size = LoadU32LE(ck + 4);
        const std::uint64_t dataPos = pos + 8;
        if (size > end - dataPos) break;
        AviRawChunk raw;
        if (!FccIs(ck, "JUNK") && ReadRawChunk(ck, dataPos, size, raw)) {
            if (FccIs(ck, "strh") && !haveHeader) {
                haveHeader = true;
                std::uint8_t h[48] = {};
                std::memcpy(h, raw.data.data(), std::min<std::size_t>(raw.data.size(), sizeof h));
                AviStreamHeader& sh = st.header;
                std::memcpy(sh.fccType, h, 4);
                std::memcpy(sh.fccHandler, h + 4, 4);
                sh.flags = LoadU32LE(h + 8);
                sh.priority = LoadU16LE(h + 12);
                sh.language = LoadU16LE(h + 14);
                sh.initialFrames = LoadU32LE(h + 16);
                sh.scale = LoadU32LE(h + 20);
                sh.rate = LoadU32LE(h + 24);
                sh.start = LoadU32LE(h + 28);
                sh.length = LoadU32LE(h + 32);
                sh.suggestedBufferSize = LoadU32LE(h + 36);
                sh.quality = LoadU32LE(h + 40);
                sh.sampleSize = LoadU32LE(h + 44);
            }
            st.chunks.push_back(std::move(raw));
        }
        pos = dataPos + PaddedSize(size);
    }
    // A stream list without a header still takes its place in the numbering of the chunks.
    m_vecStreams.push_back(std::move(st));
}

bool CAviFile::ReadIndex(std::uint64_t moviPos, std::uint64_t indexPos, std::uint32_t indexSize)
{
    const std::size_t entries = indexSize / 16;
    if (entries == 0 || m_vecStreams.empty()) return false;

    std::vector<std::uint8_t> block(std::min(entries, kIndexBlockEntries) * 16);
    bool modeKnown = false;
    std::uint64_t base = 0;
    const std::size_t before = m_nTotalSamples;
    for (std::size_t first = 0; first < entries && m_nTotalSamples < kMaxSamples; first += kIndexBlockEntries) {
        const std::size_t count = std::min(kIndexBlockEntries, entries - first);
        if (!m_file.ReadAt(indexPos + first * 16, block.data(), count * 16)) break;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = block.data() + i * 16;
            const std::uint32_t flags = LoadU32LE(e + 4);
            const std::uint32_t offset = LoadU32LE(e + 8);
            const std::uint32_t size = LoadU32LE(e + 12);
            if (!modeKnown) {
                // Offsets are meant to count from the 'movi' list type, but some writers store
                // file positions. Look for the entry's chunk id where each reading puts it; when
                // neither matches, take an offset beyond the 'movi' list type as absolute.
                const int stream = AviStreamNumberOfChunk(e);
                if (stream < 0 || stream >= GetStreamCount()) continue;
                std::uint8_t id[4];
                if (m_file.ReadAt(moviPos + offset, id, 4) && std::memcmp(id, e, 4) == 0) {
                    m_bIndexAbsolute = false;
                } else if (m_file.ReadAt(offset, id, 4) && std::memcmp(id, e, 4) == 0) {
                    m_bIndexAbsolute = true;
                } else {
                    m_bIndexAbsolute = offset > moviPos;
                }
                base = m_bIndexAbsolute ? 0 : moviPos;
                modeKnown = true;
            }
            AddSample(e, base + offset + 8, size, flags);
        }
    }
    return m_nTotalSamples > before;
}

void CAviFile::WalkMovi(std::uint64_t begin, std::uint64_t end, int depth)
{
    std::uint64_t pos = begin;
    while (pos + 8 <= end && m_nTotalSamples < kMaxSamples) {
        std::uint8_t ck[12];
        if (!m_file.ReadAt(pos, ck, 8)) break;
        const std::uint32_t size = LoadU32LE(ck + 4);
        const std::uint64_t dataPos = pos + 8;
        // A chunk cut off by the end of the file (or list) is not a sample.
        if (size > end - dataPos) break;
        if (FccIs(ck, "LIST")) {
            if (size >= 4 && depth < kMaxListDepth && m_file.ReadAt(dataPos, ck + 8, 4) && FccIs(ck + 8, "rec "))
                WalkMovi(dataPos + 4, dataPos + size, depth + 1);
        } else {
            AddSample(ck, dataPos, size, kAviKeyFrame);
        }
        pos = dataPos + PaddedSize(size);
    }
}

void CAviFile::AddSample(const std::uint8_t ckid[4], std::uint64_t offset, std::uint32_t size, std::uint32_t flags)
{
    const int stream = AviStreamNumberOfChunk(ckid);
    if (stream < 0 || stream >= GetStreamCount() || IsNonSampleChunk(ckid)) return;
    if (m_nTotalSamples >= kMaxSamples || !m_file.Contains(offset, size)) return;
    m_vecStreams[static_cast<std::size_t>(stream)].samples.push_back({offset, size, flags});
    ++m_nTotalSamples;
}

const AviStreamHeader* CAviFile::GetStreamInfo(int stream) const
{
    if (stream < 0 || stream >= GetStreamCount()) return nullptr;
    return &m_vecStreams[static_cast<std::size_t>(stream)].header;
}

int CAviFile::FindStream(std::string_view fccType) const
{
    if (fccType.size() != 4) return -1;
    for (std::size_t i = 0; i < m_vecStreams.size(); ++i) {
        if (std::memcmp(m_vecStreams[i].header.fccType, fccType.data(), 4) == 0) return static_cast<int>(i);
    }
    return -1;
}

int CAviFile::GetSampleCount(int stream) const
{
    if (stream < 0 || stream >= GetStreamCount()) return 0;
    return static_cast<int>(m_vecStreams[static_cast<std::size_t>(stream)].samples.size());
}

const AviSampleEntry* CAviFile::GetSampleEntry(int stream, int index) const
{
    if (stream < 0 || stream >= GetStreamCount()) return nullptr;
    const auto& samples = m_vecStreams[static_cast<std::size_t>(stream)].samples;
    if (index < 0 || static_cast<std::size_t>(index) >= samples.size()) return nullptr;
    return &samples[static_cast<std::size_t>(index)];
}

int CAviFile::ReadSample(int stream, int index, void* buffer, std::size_t maxBytes)
{
    const AviSampleEntry* entry = GetSampleEntry(stream, index);
    if (!entry || (!buffer && maxBytes > 0)) return -1;
    std::size_t n = std::min<std::size_t>(entry->size, maxBytes);
    n = std::min<std::size_t>(n, INT_MAX);
    if (n == 0) return 0;
    if (!m_file.ReadAt(entry->offset, buffer, n)) return -1;
    return static_cast<int>(n);
}

const std::vector<AviRawChunk>& CAviFile::GetStreamChunks(int stream) const
{
    if (stream < 0 || stream >= GetStreamCount()) return EmptyChunks();
    return m_vecStreams[static_cast<std::size_t>(stream)].chunks;
}
