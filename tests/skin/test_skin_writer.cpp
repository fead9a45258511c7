// The writer lays files out as the loader expects them: index, entries in id order back to back,
// compressed entries that inflate to exactly their pixels.
#include "tools/skin/MergeImageWriter.h"

#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>

using torvix::skin::CMergeImageWriter;

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint32_t U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

} // namespace

TEST(SkinWriter, IndexCoversEveryIdUpToTheHighest)
{
    CMergeImageWriter writer;
    const std::uint32_t pixels[] = {0xFF0000FF, 0x00FF00FF, 0x11223344, 0x80808080};
    ASSERT_TRUE(writer.AddCompressed(1, {10, 20, 2, 2}, 2, 2, pixels, 7));
    ASSERT_TRUE(writer.AddEncoded(3, {1, 2, 3, 4}, {'G', 'I', 'F', '8', '9', 'a'}, 5));
    const auto file = writer.Build();

    EXPECT_EQ(U16(file, 0), 0x0101u);
    EXPECT_EQ(U16(file, 2), 3u);
    const std::size_t dataStart = 20 * 3 + 24;
    // Id 0 and id 2 were never added: empty slots of size 0.
    EXPECT_EQ(file[4 + 16], 0);
    EXPECT_EQ(U32(file, 4 + 4), 0u);
    EXPECT_EQ(file[44 + 16], 0);

    const std::size_t e1 = 24;
    EXPECT_EQ(U32(file, e1), dataStart);
    EXPECT_EQ(U16(file, e1 + 8), 10u);
    EXPECT_EQ(U16(file, e1 + 10), 20u);
    EXPECT_EQ(file[e1 + 16], 1);
    const std::uint32_t size1 = U32(file, e1 + 4);
    const std::size_t e3 = 64;
    EXPECT_EQ(U32(file, e3), dataStart + size1) << "entries lie back to back in id order";
    EXPECT_EQ(file[e3 + 16], 5);
    EXPECT_EQ(file.size(), dataStart + size1 + 6);

    // The compressed entry: header fields and a stream of exactly its pixel bytes.
    const std::size_t d = dataStart;
    EXPECT_EQ(U32(file, d), 0x514C424Du);
    EXPECT_EQ(U32(file, d + 4), 7u);
    EXPECT_EQ(U32(file, d + 8), 2u);
    EXPECT_EQ(U32(file, d + 12), 2u);
    EXPECT_EQ(U32(file, d + 16), 8u);
    EXPECT_EQ(U16(file, d + 20), 1u);
    EXPECT_EQ(U16(file, d + 22), 32u);
    const std::uint32_t packed = U32(file, d + 24);
    EXPECT_EQ(packed + 28, size1);
    std::uint32_t out[4] = {};
    uLongf outSize = sizeof out;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(out), &outSize, file.data() + d + 28, packed), Z_OK);
    EXPECT_EQ(outSize, sizeof out);
    EXPECT_EQ(std::vector<std::uint32_t>(out, out + 4), std::vector<std::uint32_t>(pixels, pixels + 4));
}

TEST(SkinWriter, RefusesWhatTheFormatCannotHold)
{
    CMergeImageWriter writer;
    const std::uint32_t px = 0;
    EXPECT_FALSE(writer.AddCompressed(70000, {}, 1, 1, &px));
    EXPECT_FALSE(writer.AddCompressed(1, {}, 0, 1, &px));
    EXPECT_FALSE(writer.AddEncoded(1, {}, {1, 2, 3}, 1));
    EXPECT_FALSE(writer.AddEncoded(1, {}, {}, 2));
    // Nothing added: a file with the one empty id 0.
    EXPECT_EQ(writer.Build().size(), 24u);
}

TEST(SkinWriter, WriteReplacesTheFileWhole)
{
    testsupport::TempDir dir;
    CMergeImageWriter writer;
    writer.AddEmpty(2, {5, 6, 7, 8});
    const auto path = dir / "TorvixPlayerImg.dat";
    ASSERT_TRUE(writer.Write(path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, writer.Build());
    EXPECT_FALSE(std::filesystem::exists(dir / "TorvixPlayerImg.dat.tmp"));
}
