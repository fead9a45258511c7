#include "tools/samplecard/AviWriter.h"

#include "recording/AviFile.h"
#include "recording/BoundedFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace samplecard {
namespace {

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::size_t kMainHeaderSize = 56;
constexpr std::size_t kStreamHeaderSize = 56;
// Chunk ids number the streams with two decimal digits.
constexpr int kMaxStreamsOut = 100;
// AVI 1.0 keeps every size and index offset in 32 bits.
constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFFull;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutFcc(std::vector<std::uint8_t>& out, const char* fcc) { out.insert(out.end(), fcc, fcc + 4); }
void SetU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint64_t PaddedSize(std::uint64_t size) { return size + (size & 1u); }

void PutChunk(std::vector<std::uint8_t>& out, const char* fcc, const std::vector<std::uint8_t>& data)
{
    PutFcc(out, fcc);
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1u) out.push_back(0);
}

// Wraps body (which starts with the list type) as a 'LIST' chunk.
void PutList(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& body) { PutChunk(out, "LIST", body); }

// A moment on a stream's clock: (start + samples) * scale / rate seconds, compared exactly.
struct StreamTime {
    unsigned __int128 ticks; // (start + samples) * scale
    std::uint32_t rate;
};
bool NotLater(const StreamTime& a, const StreamTime& b) { return a.ticks * b.rate <= b.ticks * a.rate; }

struct SourceChunk {
    int stream;
    const AviSampleEntry* entry;
    StreamTime time;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class CChunkSink {
public:
    explicit CChunkSink(std::FILE* f) : m_pFile(f) {}
    bool Write(const void* data, std::size_t len)
    {
        if (len == 0) return m_bOk;
        if (m_bOk && std::fwrite(data, 1, len, m_pFile) != len) m_bOk = false;
        return m_bOk;
    }
    bool Write(const std::vector<std::uint8_t>& data) { return Write(data.data(), data.size()); }
    bool Ok() const { return m_bOk; }

private:
    std::FILE* m_pFile;
    bool m_bOk = true;
};

} // namespace

bool AddTrackStreamToAvi(const std::filesystem::path& source, const std::filesystem::path& target,
                         const AviTrackStream& track, std::string& error)
{
    error.clear();
    for (char c : track.fccType) {
        if (c < 0x20 || c > 0x7E) {
            error = "the stream type must be four printable characters";
            return false;
        }
    }
    if (track.scale == 0 || track.rate == 0) {
        error = "the track stream needs a non-zero scale and rate";
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && std::filesystem::equivalent(source, target, ec)) {
        error = "source and target are the same file";
        return false;
    }

    CAviFile avi;
    if (!avi.OpenUtf8(source.string())) {
        error = "cannot read " + source.string() + " as an AVI file";
        return false;
    }
    const int streams = avi.GetStreamCount();
    if (streams == 0) {
        error = source.string() + " has no streams";
        return false;
    }
    if (streams + 1 > kMaxStreamsOut) {
        error = source.string() + " has too many streams for another one";
        return false;
    }
    if (avi.GetMainHeader().empty()) {
        error = source.string() + " has no main header";
        return false;
    }

    // The source's chunks in their file order, each with the time it starts on its stream's clock.
    std::vector<SourceChunk> chunks;
    std::uint32_t maxSourceChunk = 0;
    for (int s = 0; s < streams; ++s) {
        const AviStreamHeader* sh = avi.GetStreamInfo(s);
        bool hasHeader = false;
        for (const AviRawChunk& c : avi.GetStreamChunks(s)) hasHeader = hasHeader || std::memcmp(c.fcc, "strh", 4) == 0;
        if (!hasHeader) {
            error = "stream " + std::to_string(s) + " of " + source.string() + " has no header";
            return false;
        }
        const std::uint32_t scale = sh->scale ? sh->scale : 1;
        const std::uint32_t rate = sh->rate ? sh->rate : 1;
        std::uint64_t done = sh->start;
        for (int i = 0; i < avi.GetSampleCount(s); ++i) {
            const AviSampleEntry* e = avi.GetSampleEntry(s, i);
            chunks.push_back({s, e, {static_cast<unsigned __int128>(done) * scale, rate}});
            done += sh->sampleSize ? e->size / sh->sampleSize : 1;
            maxSourceChunk = std::max(maxSourceChunk, e->size);
        }
    }
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const SourceChunk& a, const SourceChunk& b) { return a.entry->offset < b.entry->offset; });

    // The layout is known before anything is written, so every size goes out right the first time.
    std::uint32_t maxTrackSample = 0;
    std::uint64_t moviSize = 4;
    for (const auto& sample : track.samples) {
        if (sample.size() >= kMaxRiffSize) {
            error = "a track sample is too large";
            return false;
        }
        maxTrackSample = std::max(maxTrackSample, static_cast<std::uint32_t>(sample.size()));
        moviSize += 8 + PaddedSize(sample.size());
    }
    for (const SourceChunk& c : chunks) moviSize += 8 + PaddedSize(c.entry->size);
    const std::uint64_t indexEntries = chunks.size() + track.samples.size();

    // Header list: the source's main header and stream lists, then the new stream.
    std::vector<std::uint8_t> avih = avi.GetMainHeader();
    avih.resize(std::max(avih.size(), kMainHeaderSize), 0);
    SetU32(&avih[8], 0); // no padding granularity: chunks follow one another
    SetU32(&avih[12], LoadU32LE(&avih[12]) | kAvifHasIndex);
    const int video = avi.FindStream("vids");
    if (video >= 0) SetU32(&avih[16], static_cast<std::uint32_t>(avi.GetSampleCount(video)));
    SetU32(&avih[24], static_cast<std::uint32_t>(streams + 1));
    SetU32(&avih[28], std::max(LoadU32LE(&avih[28]), maxTrackSample + 8));

    std::vector<std::uint8_t> hdrl;
    PutFcc(hdrl, "hdrl");
    PutChunk(hdrl, "avih", avih);
    for (int s = 0; s < streams; ++s) {
        std::vector<std::uint8_t> strl;
        PutFcc(strl, "strl");
        for (const AviRawChunk& c : avi.GetStreamChunks(s)) {
            // An OpenDML super index points into the source; this file has 'idx1' only.
            if (std::memcmp(c.fcc, "indx", 4) == 0) continue;
            PutChunk(strl, c.fcc, c.data);
        }
        PutList(hdrl, strl);
    }
    {
        std::vector<std::uint8_t> strh;
        strh.insert(strh.end(), track.fccType, track.fccType + 4);
        PutU32(strh, 0); // handler
        PutU32(strh, 0); // flags
        PutU16(strh, 0); // priority
        PutU16(strh, 0); // language
        PutU32(strh, 0); // initial frames
        PutU32(strh, track.scale);
        PutU32(strh, track.rate);
        PutU32(strh, 0); // start
        PutU32(strh, static_cast<std::uint32_t>(track.samples.size()));
        PutU32(strh, maxTrackSample);
        PutU32(strh, 0xFFFFFFFFu); // quality: default
        PutU32(strh, 0);           // sample size: varies
        strh.resize(kStreamHeaderSize, 0);
        std::vector<std::uint8_t> strl;
        PutFcc(strl, "strl");
        PutChunk(strl, "strh", strh);
        PutChunk(strl, "strf", {});
        PutList(hdrl, strl);
    }
    std::vector<std::uint8_t> head;
    PutList(head, hdrl);
    for (const AviRawChunk& c : avi.GetExtraChunks()) PutChunk(head, c.fcc, c.data);

    const std::uint64_t riffSize = 4 + head.size() + 8 + moviSize + 8 + indexEntries * 16;
    if (riffSize > kMaxRiffSize || moviSize > kMaxRiffSize) {
        error = "the result would be too large for an AVI 1.0 file";
        return false;
    }

    CBoundedFile in;
    if (!in.OpenUtf8(source.string())) {
        error = "cannot read " + source.string();
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(target.string().c_str(), "wb"));
    if (!out) {
        error = "cannot create " + target.string();
        return false;
    }
    CChunkSink sink(out.get());
    std::vector<std::uint8_t> bytes;
    PutFcc(bytes, "RIFF");
    PutU32(bytes, static_cast<std::uint32_t>(riffSize));
    PutFcc(bytes, "AVI ");
    bytes.insert(bytes.end(), head.begin(), head.end());
    PutFcc(bytes, "LIST");
    PutU32(bytes, static_cast<std::uint32_t>(moviSize));
    PutFcc(bytes, "movi");
    sink.Write(bytes);

    std::vector<std::uint8_t> index;
    index.reserve(static_cast<std::size_t>(indexEntries) * 16);
    std::uint64_t moviOffset = 4; // idx1 offsets count from the 'movi' list type
    const auto emit = [&](const char ckid[4], const std::uint8_t* data, std::uint32_t size, std::uint32_t flags) {
        std::uint8_t ck[8];
        std::memcpy(ck, ckid, 4);
        SetU32(ck + 4, size);
        sink.Write(ck, sizeof ck);
        sink.Write(data, size);
        if (size & 1u) sink.Write("", 1);
        PutFcc(index, ckid);
        PutU32(index, flags);
        PutU32(index, static_cast<std::uint32_t>(moviOffset));
        PutU32(index, size);
        moviOffset += 8 + PaddedSize(size);
    };

    char trackId[4] = {static_cast<char>('0' + streams / 10), static_cast<char>('0' + streams % 10), 't', 'x'};
    if (std::memcmp(track.fccType, "txts", 4) != 0) {
        trackId[2] = 'd';
        trackId[3] = 'b';
    }
    std::size_t nextTrack = 0;
    const auto emitTrackUntil = [&](const StreamTime* until) {
        for (; nextTrack < track.samples.size() && sink.Ok(); ++nextTrack) {
            const StreamTime at{static_cast<unsigned __int128>(nextTrack) * track.scale, track.rate};
            if (until && !NotLater(at, *until)) break;
            const auto& sample = track.samples[nextTrack];
            emit(trackId, sample.data(), static_cast<std::uint32_t>(sample.size()), kAviKeyFrame);
        }
    };

    bytes.resize(std::size_t{maxSourceChunk} + 8);
    for (const SourceChunk& c : chunks) {
        if (!sink.Ok()) break;
        emitTrackUntil(&c.time);
        const AviSampleEntry& e = *c.entry;
        if (!in.ReadAt(e.offset - 8, bytes.data(), std::size_t{e.size} + 8)) {
            error = "cannot read a chunk of " + source.string();
            break;
        }
        // Keep the source's chunk id ("00dc", "01wb", ...) unless it does not name the stream.
        char ckid[4];
        std::memcpy(ckid, bytes.data(), 4);
        if (AviStreamNumberOfChunk(bytes.data()) != c.stream) {
            const AviStreamHeader* sh = avi.GetStreamInfo(c.stream);
            const bool audio = std::memcmp(sh->fccType, "auds", 4) == 0;
            ckid[0] = static_cast<char>('0' + c.stream / 10);
            ckid[1] = static_cast<char>('0' + c.stream % 10);
            ckid[2] = audio ? 'w' : 'd';
            ckid[3] = audio ? 'b' : 'c';
        }
        emit(ckid, bytes.data() + 8, e.size, e.flags);
    }
    if (error.empty()) emitTrackUntil(nullptr);
    if (error.empty()) {
        std::uint8_t ck[8];
        std::memcpy(ck, "idx1", 4);
        SetU32(ck + 4, static_cast<std::uint32_t>(index.size()));
        sink.Write(ck, sizeof ck);
        sink.Write(index);
    }
    const bool written = sink.Ok() && std::fflush(out.get()) == 0;
    const bool closed = std::fclose(out.release()) == 0;
    if (error.empty() && (!written || !closed)) error = "cannot write " + target.string();
    if (!error.empty()) {
        std::filesystem::remove(target, ec);
        return false;
    }
    return true;
}

} // namespace samplecard
