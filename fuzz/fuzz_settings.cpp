// The settings store reads files that other versions, other programs or a crash may have left:
// any bytes in a key file must read as values or as missing ones, and a write must still work.
#include <zent/platform/Registry.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string home = [] {
        const std::string dir = "/tmp/torvix-fuzz-settings-" + std::to_string(getpid());
        std::filesystem::create_directories(dir);
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        return dir;
    }();
    const wchar_t* key = L"SOFTWARE\\Quenlar\\Stravon Player";
    const std::filesystem::path file = zent::RegKeyFile(key);
    std::filesystem::create_directories(file.parent_path());
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    for (const wchar_t* value : {L"CapturePath", L"LastAccessFolder", L"AutoUpdate", L"VideoVolume", L""}) {
        (void)zent::RegReadString(key, value);
        (void)zent::RegReadString(key, value, 256);
        (void)zent::RegReadDword(key, value);
    }
    // Every few inputs, check that a write over the damaged file reads back.
    if (size % 7 == 0) {
        zent::RegWriteDword(key, L"VideoVolume", static_cast<std::uint32_t>(size));
        const auto v = zent::RegReadDword(key, L"VideoVolume");
        if (!v || *v != static_cast<std::uint32_t>(size)) std::abort();
    }
    return 0;
}
