#pragma once

// Read-only access to a RIFF/AVI file: its streams, and the bytes of each stream's samples
// (one sample = one data chunk of the stream, as the track streams of the cameras store them).
//
// Everything found in the file is outside data: counts and offsets are checked against the
// file's size before they are used, the sample table grows only with entries that the file
// really holds, list nesting is capped, and no operation throws.

#include "recording/BoundedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The fields of one stream header ('strh'), in file order. Missing trailing fields read as 0.
struct AviStreamHeader {
    char fccType[4];       // "vids", "auds", "txts", "dats", ...
    char fccHandler[4];
    std::uint32_t flags;
    std::uint16_t priority;
    std::uint16_t language;
    std::uint32_t initialFrames;
    std::uint32_t scale;   // samples per second = rate / scale
    std::uint32_t rate;
    std::uint32_t start;
    std::uint32_t length;  // as the header claims it; the samples present may be fewer
    std::uint32_t suggestedBufferSize;
    std::uint32_t quality;
    std::uint32_t sampleSize;
};

// Where one sample's bytes lie: the data of its chunk (the 8-byte chunk header sits just before).
struct AviSampleEntry {
    std::uint64_t offset;
    std::uint32_t size;
    std::uint32_t flags; // the index's flags (kAviKeyFrame, ...); kAviKeyFrame when read without index
};

inline constexpr std::uint32_t kAviKeyFrame = 0x10;

// One header chunk kept as it was, for rewriting the file ('strh', 'strf', 'strn', 'LIST' INFO, ...).
// For a 'LIST' the data starts with the list type.
struct AviRawChunk {
    char fcc[4];
    std::vector<std::uint8_t> data;
};

class CAviFile {
public:
    CAviFile() = default;
    CAviFile(const CAviFile&) = delete;
    CAviFile& operator=(const CAviFile&) = delete;

    // Opens a RIFF 'AVI ' file and reads its headers and sample positions. False when the file
    // cannot be opened or is not an AVI with a header list.
    bool Open(const std::wstring& path);
    bool OpenUtf8(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }

    int GetStreamCount() const { return static_cast<int>(m_vecStreams.size()); }
    // Null for a stream number outside 0..count-1.
    const AviStreamHeader* GetStreamInfo(int stream) const;
    // Index of the first stream whose type is fccType (four characters, e.g. "txts"), or -1.
    int FindStream(std::string_view fccType) const;

    // Samples present in the file for the stream (0 for an unknown stream).
    int GetSampleCount(int stream) const;
    // Null when stream or index is out of range.
    const AviSampleEntry* GetSampleEntry(int stream, int index) const;
    // Reads sample index (0-based, in stream order) into buffer. A sample longer than maxBytes is
    // cut to its first maxBytes. Returns the bytes read, or -1 when the stream, the index or the
    // read fails.
    int ReadSample(int stream, int index, void* buffer, std::size_t maxBytes);

    // Whether the sample positions of the first RIFF part came from an 'idx1' index, and whether
    // its offsets were absolute (rather than relative to the 'movi' list).
    bool HasIndex() const { return m_bHasIndex; }
    bool IndexIsAbsolute() const { return m_bIndexAbsolute; }
    // Further 'RIFF' 'AVIX' parts (large files) whose 'movi' lists were walked.
    int GetExtensionCount() const { return m_nExtensionCount; }

    // Raw headers, for tools that rewrite the file.
    const std::vector<std::uint8_t>& GetMainHeader() const { return m_vecMainHeader; } // 'avih' data
    // The chunks of the stream's 'strl' list in file order (empty for an unknown stream).
    const std::vector<AviRawChunk>& GetStreamChunks(int stream) const;
    // Top-level chunks other than the header list, 'movi', 'idx1' and padding ('LIST' INFO, ...).
    const std::vector<AviRawChunk>& GetExtraChunks() const { return m_vecExtraChunks; }

    // Chunk bodies kept as raw headers are limited to this size; larger ones are skipped.
    static constexpr std::uint32_t kMaxRawChunk = 1u << 20;
    // Streams beyond this are ignored: chunk ids carry the stream number in two decimal digits.
    static constexpr int kMaxStreams = 100;
    // A generous ceiling on the whole sample table (hours of high frame-rate video).
    static constexpr std::size_t kMaxSamples = std::size_t{1} << 26;

private:
    struct Stream {
        AviStreamHeader header{};
        std::vector<AviRawChunk> chunks;
        std::vector<AviSampleEntry> samples;
    };

    bool Load();
    bool ReadHeaderList(std::uint64_t begin, std::uint64_t end);
    void ReadStreamList(std::uint64_t begin, std::uint64_t end);
    bool ReadRawChunk(const std::uint8_t fcc[4], std::uint64_t dataPos, std::uint32_t size, AviRawChunk& out);
    bool ReadIndex(std::uint64_t moviPos, std::uint64_t idxPos, std::uint32_t idxSize);
    void WalkMovi(std::uint64_t begin, std::uint64_t end, int depth);
    void AddSample(const std::uint8_t ckid[4], std::uint64_t offset, std::uint32_t size, std::uint32_t flags);
    std::size_t TotalSamples() const;

    CBoundedFile m_file;
    std::vector<Stream> m_vecStreams;
    std::vector<std::uint8_t> m_vecMainHeader;
    std::vector<AviRawChunk> m_vecExtraChunks;
    std::size_t m_nTotalSamples = 0;
    bool m_bHasIndex = false;
    bool m_bIndexAbsolute = false;
    int m_nExtensionCount = 0;
};

// The stream number of a chunk id "##xx" (two decimal digits), or -1.
int AviStreamNumberOfChunk(const std::uint8_t ckid[4]);
