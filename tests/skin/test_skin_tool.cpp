// The torvix-skin command: builds a file the loader reads, writes one preview per window and
// language, and fails clearly on bad sources and on texts that do not fit.
#include <zent/util/QLBMLoader.h>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

int RunSkinTool(const std::string& args)
{
    const std::string command = "\"" + (fs::path(TORVIX_BIN_DIR) / "torvix-skin").string() + "\" " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct TempSource {
    fs::path dir;
    explicit TempSource(const std::string& caption)
    {
        dir = fs::temp_directory_path() / ("torvix-skin-test-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "skin");
        std::ofstream(dir / "skin" / "layout.tsv")
            << "id\tname\twindow\tcontrol\tleft\ttop\tright\tbottom\tkind\tstate\tart\ttext\tfont\tnotes\n"
            << "1\tbox.background\t7\t-\t100\t100\t300\t200\traw\tbg\tbg:dialog\t-\t-\t-\n"
            << "3\tbox.ok\t7\t1\t20\t60\t120\t90\traw\tnormal\ttbtn:primary:normal\tok\t13cb\t-\n"
            << "5\tbox.label\t7\t2\t20\t10\t180\t40\tempty\trect\t-\tcaption\t15lb\t-\n";
        std::ofstream(dir / "skin" / "texts.tsv") << "key\tko\ten\tja\nok\t확인\tOK\tOK\ncaption\t제목\t" << caption
                                                  << "\tタイトル\n";
    }
    ~TempSource() { fs::remove_all(dir); }
};

} // namespace

TEST(SkinTool, BuildsAFileAndPreviewsOfEveryLanguage)
{
    TempSource source("Title");
    const fs::path out = source.dir / "out.dat";
    ASSERT_EQ(RunSkinTool("--source \"" + (source.dir / "skin").string() + "\" --out \"" + out.string() + "\" --preview \"" +
                  (source.dir / "prev").string() + "\" --lang all"),
              0);
    zent::QLBMLoader loader;
    ASSERT_EQ(loader.OpenMergeFile(out.wstring(), 1), 5);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(loader.GetRect(3, &x, &y, &w, &h), 1);
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{20, 60, 100, 30}));
    int kind = -1, size = 0;
    EXPECT_EQ(loader.GetDataById(5, kind, size), nullptr);
    EXPECT_EQ(kind, 0);
    ASSERT_NE(loader.GetDataById(1, kind, size), nullptr);
    EXPECT_EQ(kind, 1);
    for (const char* lang : {"ko", "en", "ja"}) {
        const fs::path png = source.dir / "prev" / (std::string("7-box-") + lang + ".png");
        ASSERT_TRUE(fs::exists(png)) << png;
        std::ifstream in(png, std::ios::binary);
        char signature[8] = {};
        in.read(signature, 8);
        EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    }
    EXPECT_EQ(RunSkinTool("--source \"" + (source.dir / "skin").string() + "\" --check"), 0);
}

TEST(SkinTool, FailsOnTextsThatDoNotFitAndOnBadInput)
{
    TempSource source("A title far too long to fit into one hundred and sixty pixels");
    EXPECT_EQ(RunSkinTool("--source \"" + (source.dir / "skin").string() + "\" --check"), 1);
    EXPECT_EQ(RunSkinTool("--source \"" + (source.dir / "nowhere").string() + "\" --out \"" +
                  (source.dir / "x.dat").string() + "\""),
              1);
    EXPECT_FALSE(fs::exists(source.dir / "x.dat"));
    EXPECT_EQ(RunSkinTool(""), 2);
    EXPECT_EQ(RunSkinTool("--source \"" + (source.dir / "skin").string() + "\""), 2) << "nothing asked for";
    EXPECT_EQ(RunSkinTool("--source \"" + (source.dir / "skin").string() + "\" --check --lang xx"), 2);
}
