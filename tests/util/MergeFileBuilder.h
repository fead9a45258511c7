#pragma once

// Merged skin image files built byte by byte, so that a test can damage exactly the field it
// means to. Streams are zlib streams of stored blocks: valid for any inflater, and no zlib needed.

#include "platform/PictureArt.h"
#include "tests/TestSupport.h"

#include <zent/platform/Image.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mergefile {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

inline Bytes ZlibStored(const Bytes& raw)
{
    Bytes out = {0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
        const bool last = pos + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(~n));
        out.push_back(static_cast<std::uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    const std::uint32_t adler = (b << 16) | a;
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(adler >> shift));
    return out;
}

// A kind 1 entry: "MBLQ" header and the pixels (0xAARRGGBB values) as a stored zlib stream.
inline Bytes Compressed(int width, int height, const std::vector<std::uint32_t>& pixels, std::uint32_t type = 3)
{
    Bytes raw;
    for (std::uint32_t p : pixels)
        for (int shift : {0, 8, 16, 24}) raw.push_back(static_cast<std::uint8_t>(p >> shift));
    const Bytes stream = ZlibStored(raw);
    Bytes out(28, 0);
    out[0] = 'M';
    out[1] = 'B';
    out[2] = 'L';
    out[3] = 'Q';
    Put32(out, 4, type);
    Put32(out, 8, static_cast<std::uint32_t>(width));
    Put32(out, 12, static_cast<std::uint32_t>(height));
    Put32(out, 16, static_cast<std::uint32_t>(width) * 4);
    Put16(out, 20, 1);
    Put16(out, 22, 32);
    Put32(out, 24, static_cast<std::uint32_t>(stream.size()));
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

// The pixels of art as a compressed entry, alpha 0xFF unless given.
inline Bytes CompressedArt(const pictureart::Art& art, std::uint32_t alpha = 0xFF000000)
{
    std::vector<std::uint32_t> px;
    for (const auto& row : art)
        for (char c : row) px.push_back(pictureart::PixelOf(c) | alpha);
    return Compressed(static_cast<int>(art.front().size()), static_cast<int>(art.size()), px);
}

inline Bytes ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The art as a PNG file's bytes.
inline Bytes PngArt(const pictureart::Art& art)
{
    testsupport::TempDir dir;
    pictureart::Canvas c(art);
    zent::SaveBitmapAsPng(c.Bmp(), (dir / "p.png").wstring());
    return ReadAll(dir / "p.png");
}

struct Entry {
    std::uint16_t x = 0, y = 0, width = 0, height = 0;
    std::uint8_t kind = 0;
    Bytes data;
};

constexpr std::size_t EntryAt(int id) { return 4 + 20 * static_cast<std::size_t>(id); }

// Index then data in id order, back to back.
inline Bytes Build(const std::vector<Entry>& entries)
{
    const std::size_t lastId = entries.size() - 1;
    Bytes out(20 * lastId + 24, 0);
    Put16(out, 0, 0x0101);
    Put16(out, 2, static_cast<std::uint32_t>(lastId));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const std::size_t at = EntryAt(static_cast<int>(i));
        Put32(out, at, static_cast<std::uint32_t>(out.size()));
        Put32(out, at + 4, static_cast<std::uint32_t>(e.data.size()));
        Put16(out, at + 8, e.x);
        Put16(out, at + 10, e.y);
        Put16(out, at + 12, e.width);
        Put16(out, at + 14, e.height);
        out[at + 16] = e.kind;
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

inline std::wstring Save(const testsupport::TempDir& dir, const Bytes& bytes, const std::string& name = "skin.dat")
{
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return (dir / name).wstring();
}

} // namespace mergefile
