#pragma once

// Builds the bytes of small MP4 recordings for tests: boxes and containers, a video track, a
// null-media metadata track with its samples, a "gps " index with its data blocks, and the
// older 'GPSR' / 'SENS' boxes. Everything is big-endian where MP4 says so; the few little-endian
// fields of the track layouts are named as such. TempMp4File writes the bytes to a file.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace mp4test {

using Bytes = std::vector<std::uint8_t>;

// ---- Appenders -------------------------------------------------------------------------------

inline void AppendU32BE(Bytes& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}
inline void AppendU32LE(Bytes& b, std::uint32_t v)
{
    for (int shift = 0; shift <= 24; shift += 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}
inline void AppendU64BE(Bytes& b, std::uint64_t v)
{
    AppendU32BE(b, static_cast<std::uint32_t>(v >> 32));
    AppendU32BE(b, static_cast<std::uint32_t>(v));
}
inline void AppendF32LE(Bytes& b, float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    AppendU32LE(b, u);
}
inline void AppendText(Bytes& b, std::string_view text) { b.insert(b.end(), text.begin(), text.end()); }
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) Append(out, p);
    return out;
}

// Four characters, as a box type or handler type.
inline void AppendType(Bytes& b, std::string_view type)
{
    if (type.size() != 4) throw std::invalid_argument("a box type has four characters");
    AppendText(b, type);
}

// ---- Boxes -----------------------------------------------------------------------------------

// A box with an 8-byte header whose size field is the true size.
inline Bytes Box(std::string_view type, const Bytes& content = {})
{
    Bytes b;
    AppendU32BE(b, static_cast<std::uint32_t>(8 + content.size()));
    AppendType(b, type);
    Append(b, content);
    return b;
}

// A box whose 32-bit size field says whatever the test wants (0, 1 without a 64-bit size,
// below 8, larger than the box...).
inline Bytes BoxWithSizeField(std::uint32_t sizeField, std::string_view type, const Bytes& content = {})
{
    Bytes b;
    AppendU32BE(b, sizeField);
    AppendType(b, type);
    Append(b, content);
    return b;
}

// A box with a 16-byte header: size field 1, then the 64-bit size.
inline Bytes Box64(std::string_view type, const Bytes& content = {})
{
    Bytes b;
    AppendU32BE(b, 1);
    AppendType(b, type);
    AppendU64BE(b, 16 + content.size());
    Append(b, content);
    return b;
}

inline Bytes Container(std::string_view type, std::initializer_list<Bytes> children)
{
    return Box(type, Concat(children));
}

// version 0, flags 0, then the content.
inline Bytes FullBox(std::string_view type, const Bytes& content = {})
{
    Bytes b;
    AppendU32BE(b, 0);
    Append(b, content);
    return Box(type, b);
}

inline Bytes Ftyp()
{
    Bytes b;
    AppendType(b, "isom");
    AppendU32BE(b, 0x200);
    AppendType(b, "isom");
    AppendType(b, "mp41");
    return Box("ftyp", b);
}

inline Bytes Mvhd() { return FullBox("mvhd", Bytes(96, 0)); }
inline Bytes Tkhd() { return FullBox("tkhd", Bytes(80, 0)); }
inline Bytes Mdhd() { return FullBox("mdhd", Bytes(20, 0)); }

// pre_defined, handler type, three reserved words, empty name.
inline Bytes Hdlr(std::string_view handler)
{
    Bytes b;
    AppendU32BE(b, 0);
    AppendType(b, handler);
    Append(b, Bytes(13, 0));
    return FullBox("hdlr", b);
}

// Sample sizes as a table (uniform size 0).
inline Bytes Stsz(const std::vector<std::uint32_t>& sizes)
{
    Bytes b;
    AppendU32BE(b, 0);
    AppendU32BE(b, static_cast<std::uint32_t>(sizes.size()));
    for (const std::uint32_t s : sizes) AppendU32BE(b, s);
    return FullBox("stsz", b);
}

// A sample count that need not match the entries that follow it.
inline Bytes StszWithCount(std::uint32_t count, const std::vector<std::uint32_t>& entries)
{
    Bytes b;
    AppendU32BE(b, 0);
    AppendU32BE(b, count);
    for (const std::uint32_t s : entries) AppendU32BE(b, s);
    return FullBox("stsz", b);
}

// Every sample of one size: no table.
inline Bytes StszUniform(std::uint32_t count, std::uint32_t size)
{
    Bytes b;
    AppendU32BE(b, size);
    AppendU32BE(b, count);
    return FullBox("stsz", b);
}

inline Bytes Stco(const std::vector<std::uint32_t>& offsets)
{
    Bytes b;
    AppendU32BE(b, static_cast<std::uint32_t>(offsets.size()));
    for (const std::uint32_t o : offsets) AppendU32BE(b, o);
    return FullBox("stco", b);
}

// A video track of frameCount frames (all sizes 100; the tests never read them).
inline Bytes VideoTrak(std::uint32_t frameCount)
{
    return Container("trak",
        {Tkhd(),
            Container("mdia",
                {Mdhd(), Hdlr("vide"),
                    Container("minf",
                        {FullBox("vmhd", Bytes(8, 0)), Box("dinf"),
                            Container("stbl",
                                {FullBox("stsd", Bytes(4, 0)), FullBox("stts", Bytes(4, 0)),
                                    Stsz(std::vector<std::uint32_t>(frameCount, 100))})})})});
}

// A null-media ('nmhd') track from its sample-size and chunk-offset boxes.
inline Bytes NullMediaTrakFromTables(const Bytes& stsz, const Bytes& stco)
{
    return Container("trak",
        {Tkhd(),
            Container("mdia",
                {Mdhd(), Hdlr("meta"),
                    Container("minf",
                        {FullBox("nmhd"), Box("dinf"),
                            Container("stbl", {FullBox("stsd", Bytes(4, 0)), stsz, stco})})})});
}

inline Bytes NullMediaTrak(const std::vector<std::uint32_t>& sizes, const std::vector<std::uint32_t>& offsets)
{
    return NullMediaTrakFromTables(Stsz(sizes), Stco(offsets));
}

// ---- Sample data -----------------------------------------------------------------------------

// An 'mdat' placed at fileOffset, holding the payloads back to back, and where each one lies.
struct MdatLayout {
    Bytes bytes;
    std::vector<std::uint32_t> vecOffsets;
    std::vector<std::uint32_t> vecSizes;
};

inline MdatLayout Mdat(std::uint64_t fileOffset, const std::vector<Bytes>& payloads)
{
    MdatLayout m;
    Bytes content;
    for (const Bytes& p : payloads) {
        m.vecOffsets.push_back(static_cast<std::uint32_t>(fileOffset + 8 + content.size()));
        m.vecSizes.push_back(static_cast<std::uint32_t>(p.size()));
        Append(content, p);
    }
    m.bytes = Box("mdat", content);
    return m;
}

// One metadata sample: 0xFD 0x10 0x00 'G' L1 gText 'g' L2 sentence.
inline Bytes AmbaSample(std::string_view gText, std::string_view sentence)
{
    Bytes b = {0xFD, 0x10, 0x00, 'G', static_cast<std::uint8_t>(gText.size())};
    AppendText(b, gText);
    b.push_back('g');
    b.push_back(static_cast<std::uint8_t>(sentence.size()));
    AppendText(b, sentence);
    return b;
}

// ftyp, an mdat with the samples, then moov with a video track and the metadata track (in
// that order unless metadataFirst).
inline Bytes AmbaFile(const std::vector<Bytes>& samples, std::uint32_t videoFrames, bool metadataFirst = false)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), samples);
    const Bytes meta = NullMediaTrak(mdat.vecSizes, mdat.vecOffsets);
    const Bytes video = VideoTrak(videoFrames);
    return Concat({ftyp, mdat.bytes,
        metadataFirst ? Container("moov", {Mvhd(), meta, video}) : Container("moov", {Mvhd(), video, meta})});
}

// One "gps " data block: size (big-endian), type, tag, payload length L (little-endian), then
// the L bytes: 16 bytes the parser skips, the text, and three little-endian floats.
inline Bytes NovatekBlock(std::string_view text, float x, float y, float z)
{
    Bytes payload(16, 0);
    AppendText(payload, text);
    AppendF32LE(payload, x);
    AppendF32LE(payload, y);
    AppendF32LE(payload, z);
    Bytes b;
    AppendU32BE(b, static_cast<std::uint32_t>(16 + payload.size()));
    AppendType(b, "free");
    AppendType(b, "GPS ");
    AppendU32LE(b, static_cast<std::uint32_t>(payload.size()));
    Append(b, payload);
    return b;
}

// A block whose four header fields say whatever the test wants, followed by the given bytes.
inline Bytes NovatekBlockRaw(std::uint32_t blockSize, std::uint32_t payloadLength, const Bytes& payload)
{
    Bytes b;
    AppendU32BE(b, blockSize);
    AppendType(b, "free");
    AppendType(b, "GPS ");
    AppendU32LE(b, payloadLength);
    Append(b, payload);
    return b;
}

struct BlockRef {
    std::uint32_t offset;
    std::uint32_t size;
};

// The "gps " index: version, entry count, then (offset, size) pairs.
inline Bytes GpsIndexBox(const std::vector<BlockRef>& entries)
{
    Bytes b;
    AppendU32BE(b, 0x101);
    AppendU32BE(b, static_cast<std::uint32_t>(entries.size()));
    for (const BlockRef& e : entries) {
        AppendU32BE(b, e.offset);
        AppendU32BE(b, e.size);
    }
    return Box("gps ", b);
}

// ftyp, an mdat with the blocks, then moov with a video track and the "gps " index.
inline Bytes NovatekFile(const std::vector<Bytes>& blocks, std::uint32_t videoFrames = 3)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), blocks);
    std::vector<BlockRef> refs;
    for (std::size_t i = 0; i < blocks.size(); ++i) refs.push_back({mdat.vecOffsets[i], mdat.vecSizes[i]});
    return Concat({ftyp, mdat.bytes, Container("moov", {Mvhd(), VideoTrak(videoFrames), GpsIndexBox(refs)})});
}

// 'GPSR': per sentence 4 unused bytes, its length (little-endian) and its text.
inline Bytes GpsrBox(const std::vector<std::string>& sentences)
{
    Bytes b;
    for (const std::string& s : sentences) {
        AppendU32LE(b, 0);
        AppendU32LE(b, static_cast<std::uint32_t>(s.size()));
        AppendText(b, s);
    }
    return Box("GPSR", b);
}

struct RawSample {
    float x, y, z;
};

// 'SENS': 12-byte records of three little-endian floats.
inline Bytes SensBox(const std::vector<RawSample>& samples)
{
    Bytes b;
    for (const RawSample& s : samples) {
        AppendF32LE(b, s.x);
        AppendF32LE(b, s.y);
        AppendF32LE(b, s.z);
    }
    return Box("SENS", b);
}

// ---- Files -----------------------------------------------------------------------------------

// A uniquely named file in the temporary folder, removed again with the object.
class TempMp4File {
public:
    explicit TempMp4File(const Bytes& bytes, const char* suffix = ".mp4")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "torvix-mp4test-XXXXXX").string() + suffix;
        const int fd = mkstemps(pattern.data(), static_cast<int>(std::strlen(suffix)));
        if (fd < 0) throw std::runtime_error("cannot create a temporary file");
        close(fd);
        m_strPath = pattern;
        m_wstrPath.assign(m_strPath.begin(), m_strPath.end()); // the temporary folder's name is ASCII
        Rewrite(bytes);
    }
    ~TempMp4File() { std::remove(m_strPath.c_str()); }
    TempMp4File(const TempMp4File&) = delete;
    TempMp4File& operator=(const TempMp4File&) = delete;

    void Rewrite(const Bytes& bytes)
    {
        std::FILE* f = std::fopen(m_strPath.c_str(), "wb");
        if (!f) throw std::runtime_error("cannot write " + m_strPath);
        const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        std::fclose(f);
        if (!ok) throw std::runtime_error("short write to " + m_strPath);
    }

    const std::wstring& Path() const { return m_wstrPath; }
    const std::string& PathUtf8() const { return m_strPath; }

private:
    std::string m_strPath;
    std::wstring m_wstrPath;
};

} // namespace mp4test
