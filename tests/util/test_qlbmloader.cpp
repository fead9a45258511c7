// The merged skin image file and its loader: every operation in file and preload mode, and every
// way a damaged file can fail.
#include "MergeFileBuilder.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace zent;
using namespace mergefile;
using pictureart::Canvas;

namespace {

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

std::vector<Entry> StandardEntries()
{
    return {
        {1, 2, 3, 4, 0, {}},
        {5, 6, 2, 2, 1, CompressedArt({"RG", "BY"})},
        {1, 1, 3, 2, 2, PngArt({"RGB", "WWW"})},
        {0, 0, 0, 0, 7, Text("abc")},
        {0, 0, 0, 0, 7, Text("defg")},
        {0, 0, 0, 0, 7, Text("hi")},
    };
}

struct FreeBlock {
    BYTE* p;
    ~FreeBlock() { std::free(p); }
};

std::string Str(const BYTE* p, int n) { return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n)); }

class LoaderModes : public ::testing::TestWithParam<int> {
protected:
    testsupport::TempDir m_dir;
    Bytes m_file = Build(StandardEntries());
    QLBMLoader m_loader;
    int Open() { return m_loader.OpenMergeFile(Save(m_dir, m_file), GetParam()); }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(FileAndPreload, LoaderModes, ::testing::Values(0, 1));

TEST_P(LoaderModes, OpenReturnsTheLastIdAndKeepsTheIndexAsStored)
{
    EXPECT_EQ(m_loader.GetHeader(), nullptr);
    ASSERT_EQ(Open(), 5);
    const IML_HEADER* header = m_loader.GetHeader();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(m_loader.GetHeaderSize(), 20u * 5 + 24);
    EXPECT_EQ(Bytes(reinterpret_cast<const BYTE*>(header), reinterpret_cast<const BYTE*>(header) + m_loader.GetHeaderSize()),
              Bytes(m_file.begin(), m_file.begin() + 124));
    // A second open changes nothing, whichever mode it asks for.
    EXPECT_EQ(m_loader.OpenMergeFile(Save(m_dir, Build({{}}), "other.dat"), 0), -1);
    EXPECT_EQ(m_loader.OpenMergeFile(Save(m_dir, Build({{}}), "other.dat"), 1), -1);
    EXPECT_EQ(m_loader.GetHeader()->lastId, 5);
}

TEST_P(LoaderModes, DataByIdHandsOutTheEntryBytes)
{
    ASSERT_EQ(Open(), 5);
    int kind = -1, size = -1;
    BYTE* data = m_loader.GetDataById(4, kind, size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(kind, 7);
    EXPECT_EQ(Str(data, size), "defg");

    FreeBlock own{m_loader.GetAllocDataById(3, kind, size)};
    ASSERT_NE(own.p, nullptr);
    EXPECT_EQ(Str(own.p, size), "abc");

    int offset = 0;
    ASSERT_TRUE(m_loader.GetSeekNSizeByID(5, offset, size));
    EXPECT_EQ(size, 2);
    EXPECT_EQ(Str(m_file.data() + offset, size), "hi");
    EXPECT_FALSE(m_loader.GetSeekNSizeByID(6, offset, size));
}

TEST_P(LoaderModes, EmptySlotsAndInvalidIdsGiveNothing)
{
    ASSERT_EQ(Open(), 5);
    for (int id : {0, -1, 6, 70000}) {
        int kind = -1, size = -1;
        EXPECT_EQ(m_loader.GetDataById(id, kind, size), nullptr) << id;
        EXPECT_EQ(kind, 0);
        EXPECT_EQ(size, 0);
        kind = size = -1;
        EXPECT_EQ(m_loader.GetAllocDataById(id, kind, size), nullptr) << id;
        EXPECT_EQ(kind, 0);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(m_loader.GetBitmapByID(id), nullptr);
    }
}

TEST_P(LoaderModes, ArrayOfIdsIsOneRunOfBytes)
{
    ASSERT_EQ(Open(), 5);
    FreeBlock run{m_loader.GetAllocDataByArrayID(3, 5)};
    ASSERT_NE(run.p, nullptr);
    EXPECT_EQ(Str(run.p, 9), "abcdefghi");
    EXPECT_EQ(m_loader.GetAllocDataByArrayID(5, 3), nullptr);
    EXPECT_EQ(m_loader.GetAllocDataByArrayID(4, 6), nullptr);
    EXPECT_EQ(m_loader.GetAllocDataByArrayID(-1, 3), nullptr);
}

TEST_P(LoaderModes, PlacementsComeFromTheIndex)
{
    ASSERT_EQ(Open(), 5);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(m_loader.GetRect(0, &x, &y, &w, &h));
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{1, 2, 3, 4}));
    RECT rc;
    ASSERT_TRUE(m_loader.GetRect(1, rc));
    EXPECT_EQ(rc, (RECT{5, 6, 7, 8}));
    RECT rc2;
    ASSERT_TRUE(m_loader.GetRect(2, &rc2));
    EXPECT_EQ(rc2, (RECT{1, 1, 4, 3}));
    ASSERT_TRUE(m_loader.GetXPosition(1, &x));
    EXPECT_EQ(x, 5);
    EXPECT_FALSE(m_loader.GetRect(6, rc));
    EXPECT_FALSE(m_loader.GetRect(-1, &x, &y, &w, &h));
    EXPECT_FALSE(m_loader.GetXPosition(6, &x));
    EXPECT_EQ(m_loader.IsRemocon(1), 0);
    EXPECT_EQ(m_loader.GetImgFactory(), nullptr);
}

TEST_P(LoaderModes, BitmapsOfBothEntryKinds)
{
    ASSERT_EQ(Open(), 5);
    UniqueBitmap raw(m_loader.GetBitmapByID(1));
    ASSERT_TRUE(raw);
    EXPECT_EQ(GetBitmapRow(raw.get(), 0)[0], 0xFFFF0000u) << "alpha byte kept";
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) GetBitmapRow(raw.get(), y)[x] &= 0xFFFFFF;
    EXPECT_EQ(pictureart::Joined(pictureart::ToArt(raw.get())), pictureart::Joined({"RG", "BY"}));

    UniqueBitmap encoded(m_loader.GetBitmapByID(2));
    ASSERT_TRUE(encoded);
    EXPECT_EQ(pictureart::Joined(pictureart::ToArt(encoded.get())), pictureart::Joined({"RGB", "WWW"}));
    // Bytes that are no picture decode to nothing.
    EXPECT_EQ(m_loader.GetBitmapByID(3), nullptr);

    EXPECT_TRUE(m_loader.GetIImageByID(2));
    EXPECT_EQ(m_loader.GetIImageByID(2)->GetWidth(), 3);
    EXPECT_FALSE(m_loader.GetIImageByID(1)) << "compressed entries are no image object";
    EXPECT_FALSE(m_loader.GetIImageByID(0));
}

TEST_P(LoaderModes, DrawAtTheStoredPlaceOrAnyOther)
{
    ASSERT_EQ(Open(), 5);
    Canvas c(8, 9);
    m_loader.DrawImgByID(c.Dc(), 1, {-1, -1});
    m_loader.DrawImgByID(c.Dc(), 1, {0, 0});
    m_loader.DrawImgByID(c.Dc(), 2, {-1, -1});
    m_loader.DrawImgByID(c.Dc(), 0, {0, 4}); // empty slot: nothing
    const pictureart::Art art = c.Picture();
    // Compressed pixels keep their alpha byte (0xFF): they read as '?' in the art.
    EXPECT_EQ(GetBitmapRow(c.Bmp(), 6)[5], 0xFFFF0000u);
    EXPECT_EQ(GetBitmapRow(c.Bmp(), 7)[6], 0xFFFFFF00u);
    EXPECT_EQ(GetBitmapRow(c.Bmp(), 0)[0], 0xFFFF0000u);
    EXPECT_EQ(art[1].substr(1, 3), "RGB");
    EXPECT_EQ(art[2].substr(1, 3), "WWW");
    EXPECT_EQ(art[4], "........");
}

TEST_P(LoaderModes, EncodedPicturesAreCroppedAtTheScreenEdgeCompressedOnesAreNot)
{
    ASSERT_EQ(Open(), 5);
    SetScreenMetrics(3, 2);
    Canvas c(8, 4);
    m_loader.DrawImgByID(c.Dc(), 2, {1, 1});
    m_loader.DrawImgByID(c.Dc(), 1, {4, 1});
    SetScreenMetrics(1920, 1080);
    const pictureart::Art art = c.Picture();
    EXPECT_EQ(art[1].substr(0, 4), ".RG.");
    EXPECT_EQ(art[2].substr(0, 4), "....");
    EXPECT_EQ(GetBitmapRow(c.Bmp(), 2)[5], 0xFFFFFF00u);
}

TEST_P(LoaderModes, CloseKeepsTheIndexAndEndsFileReads)
{
    ASSERT_EQ(Open(), 5);
    const bool preload = GetParam() != 0;
    EXPECT_EQ(m_loader.CloseMergeFile(), preload ? 0 : 1);
    EXPECT_EQ(m_loader.CloseMergeFile(), 0);
    RECT rc;
    EXPECT_TRUE(m_loader.GetRect(1, rc));
    int kind = 0, size = 0;
    // Preloaded data stays readable; a closed file has nothing to read from.
    EXPECT_EQ(m_loader.GetDataById(3, kind, size) != nullptr, preload);
    // A closed file-mode loader may open again; a preloaded one may not.
    EXPECT_EQ(m_loader.OpenMergeFile(Save(m_dir, m_file, "again.dat"), 0), preload ? -1 : 5);
}

TEST_P(LoaderModes, EntriesRunningPastTheFileAreNeverRead)
{
    Put32(m_file, EntryAt(4), static_cast<std::uint32_t>(m_file.size() - 2)); // 4 bytes from 2 before the end
    Put32(m_file, EntryAt(5), 0xFFFFFFF0u);                                     // offset past the end
    Put32(m_file, EntryAt(3) + 4, 0xFFFFFFFFu);                                 // absurd size
    ASSERT_EQ(Open(), 5);
    int kind = 0, size = 0;
    EXPECT_EQ(m_loader.GetDataById(4, kind, size), nullptr);
    EXPECT_EQ(m_loader.GetAllocDataById(5, kind, size), nullptr);
    EXPECT_EQ(m_loader.GetAllocDataById(3, kind, size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(m_loader.GetAllocDataByArrayID(3, 5), nullptr);
    EXPECT_EQ(m_loader.GetBitmapByID(4), nullptr);
}

TEST_P(LoaderModes, DamagedCompressedEntriesDecodeToNothing)
{
    std::vector<Entry> entries = StandardEntries();
    Bytes wrongMagic = CompressedArt({"RG"});
    wrongMagic[0] = 'X';
    Bytes packedPastEntry = CompressedArt({"RG"});
    Put32(packedPastEntry, 24, static_cast<std::uint32_t>(packedPastEntry.size()));
    Bytes shortStream = Compressed(2, 2, {1, 2, 3}); // inflates to 12 of 16 bytes
    Bytes corrupt = CompressedArt({"RG"});
    corrupt[29] ^= 0x55;
    Bytes rowMismatch = CompressedArt({"RG"});
    Put32(rowMismatch, 16, 4); // one pixel a row claimed, two stored
    Bytes hugeSize = CompressedArt({"RG"});
    Put32(hugeSize, 8, 0x7FFFFFFF);
    for (Bytes* bad : {&wrongMagic, &packedPastEntry, &shortStream, &corrupt, &rowMismatch, &hugeSize})
        entries.push_back({0, 0, 2, 1, 1, *bad});
    m_file = Build(entries);
    ASSERT_EQ(Open(), 11);
    Canvas c(4, 4);
    for (int id = 6; id <= 11; ++id) {
        EXPECT_EQ(m_loader.GetBitmapByID(id), nullptr) << id;
        m_loader.DrawImgByID(c.Dc(), id, {0, 0});
    }
    EXPECT_PICTURE(c, "....", "....", "....", "....");
}

TEST_P(LoaderModes, ConcurrentReadersGetTheirOwnEntries)
{
    ASSERT_EQ(Open(), 5);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            const int id = 3 + t % 3;
            const char* want[] = {"abc", "defg", "hi"};
            for (int i = 0; i < 300; ++i) {
                int kind = 0, size = 0;
                FreeBlock b{m_loader.GetAllocDataById(id, kind, size)};
                if (!b.p || Str(b.p, size) != want[id - 3]) ++wrong;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(LoaderOpen, BadFilesAreRefusedAndTheLoaderStaysClosed)
{
    testsupport::TempDir dir;
    QLBMLoader loader;
    EXPECT_EQ(loader.OpenMergeFile((dir / "missing.dat").wstring(), 1), -1);
    EXPECT_EQ(loader.OpenMergeFile(dir.Path().wstring(), 0), -1) << "a folder";
    Bytes file = Build(StandardEntries());
    file[1] = 0x02;
    EXPECT_EQ(loader.OpenMergeFile(Save(dir, file, "magic.dat"), 1), -1);
    EXPECT_EQ(loader.OpenMergeFile(Save(dir, Bytes{1, 1, 0}, "tiny.dat"), 0), -1);
    // N = 60000 claims an index of 1.2 MB that the file does not have.
    Bytes absurd = Build(StandardEntries());
    Put16(absurd, 2, 60000);
    EXPECT_EQ(loader.OpenMergeFile(Save(dir, absurd, "absurd.dat"), 0), -1);
    Bytes cut = Build(StandardEntries());
    cut.resize(50);
    EXPECT_EQ(loader.OpenMergeFile(Save(dir, cut, "cut.dat"), 1), -1);
    EXPECT_EQ(loader.GetHeader(), nullptr);
    EXPECT_EQ(loader.CloseMergeFile(), 0);
    // After all that, a good file still opens.
    EXPECT_EQ(loader.OpenMergeFile(Save(dir, Build(StandardEntries()), "good.dat"), 1), 5);
}

TEST(LoaderOpen, SingleEntryFile)
{
    testsupport::TempDir dir;
    QLBMLoader loader;
    ASSERT_EQ(loader.OpenMergeFile(Save(dir, Build({{9, 8, 7, 6, 7, Text("x")}})), 0), 0);
    RECT rc;
    EXPECT_TRUE(loader.GetRect(0, rc));
    EXPECT_EQ(rc, (RECT{9, 8, 16, 14}));
    EXPECT_FALSE(loader.GetRect(1, rc));
}

TEST(LoaderFreeFunctions, ImagesFromBuffersAndFiles)
{
    testsupport::TempDir dir;
    const Bytes png = PngArt({"RG"});
    std::unique_ptr<CImage> image;
    EXPECT_EQ(CreateImageFromBuffer(png.data(), static_cast<int>(png.size()), 0, image), 0);
    ASSERT_TRUE(image);
    EXPECT_NE(CreateImageFromBuffer("nope", 4, 0, image), 0);
    EXPECT_FALSE(image);
    EXPECT_NE(CreateImageFromBuffer(png.data(), 0, 0, image), 0);

    Save(dir, png, "pic.png");
    EXPECT_EQ(CreateImageFromFile((dir / "pic.png").wstring(), image), 0);
    EXPECT_EQ(image->GetWidth(), 2);
    EXPECT_EQ(CreateImageFromFile((dir / "none.png").wstring(), image), E_FAIL_RESULT);

    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSectionBpp32(nullptr, 3, 2, &bits));
    ASSERT_TRUE(bmp);
    BITMAP bm;
    GetObject(bmp.get(), &bm);
    EXPECT_EQ(bm.bmWidthBytes, 12);
    EXPECT_EQ(bm.bmBits, bits);
    EXPECT_EQ(CreateDIBSectionBpp32(nullptr, 0, 2, &bits), nullptr);

    EXPECT_EQ(GetDecompressBuffer(), nullptr);
    BYTE buffer[16];
    SetDecompressBuffer(buffer, sizeof buffer);
    EXPECT_EQ(GetDecompressBuffer(), buffer);
    SetDecompressBuffer(nullptr, 0);
    EXPECT_EQ(GetDecompressBuffer(), nullptr);
}

TEST(LoaderFreeFunctions, DrawImageFileCropsToTheRectangle)
{
    testsupport::TempDir dir;
    Save(dir, PngArt({"RGB", "YCW"}), "pic.png");
    QLBMLoader loader;
    Canvas c(4, 3);
    loader.DrawImageFile(c.Dc(), RECT{1, 1, 3, 2}, (dir / "pic.png").wstring());
    loader.DrawImageFile(c.Dc(), RECT{0, 0, 4, 3}, (dir / "none.png").wstring());
    EXPECT_PICTURE(c, "....", ".RG.", "....");
}
