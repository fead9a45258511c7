#include <zent/platform/Registry.h>

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <glib.h>

#include <memory>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace zent {
namespace {

// Each value is a group of its own, so that a value's type travels with it:
//   [CapturePath]
//   type=sz
//   data=/home/me/Documents/Torvix Player 2.0 4K
constexpr const char* kTypeString = "sz";
constexpr const char* kTypeDword = "dword";

std::mutex g_writeLock;

struct KeyFileDeleter {
    void operator()(GKeyFile* k) const { g_key_file_free(k); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileDeleter>;

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

KeyFilePtr LoadKey(std::wstring_view key)
{
    KeyFilePtr kf(g_key_file_new());
    const std::string file = RegKeyFile(key).string();
    // A missing or damaged file is a key without values.
    if (!g_key_file_load_from_file(kf.get(), file.c_str(), G_KEY_FILE_NONE, nullptr))
        return KeyFilePtr(g_key_file_new());
    return kf;
}

bool SaveKey(std::wstring_view key, GKeyFile* kf)
{
    const fs::path file = RegKeyFile(key);
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    gsize len = 0;
    GCharPtr data(g_key_file_to_data(kf, &len, nullptr));
    if (!data) return false;
    // g_file_set_contents writes a temporary file and renames it over the old one.
    return g_file_set_contents(file.string().c_str(), data.get(), static_cast<gssize>(len), nullptr) != FALSE;
}

std::optional<std::string> ReadTyped(std::wstring_view key, std::wstring_view value, const char* type)
{
    KeyFilePtr kf = LoadKey(key);
    const std::string group = WideToUtf8(value);
    GCharPtr t(g_key_file_get_string(kf.get(), group.c_str(), "type", nullptr));
    if (!t || std::string_view(t.get()) != type) return std::nullopt;
    GCharPtr d(g_key_file_get_string(kf.get(), group.c_str(), "data", nullptr));
    if (!d) return std::nullopt;
    return std::string(d.get());
}

bool WriteTyped(std::wstring_view key, std::wstring_view value, const char* type, const std::string& data)
{
    std::lock_guard lock(g_writeLock);
    KeyFilePtr kf = LoadKey(key);
    const std::string group = WideToUtf8(value);
    g_key_file_set_string(kf.get(), group.c_str(), "type", type);
    g_key_file_set_string(kf.get(), group.c_str(), "data", data.c_str());
    return SaveKey(key, kf.get());
}

} // namespace

fs::path RegKeyFile(std::wstring_view key)
{
    std::wstring k(key);
    for (auto& c : k)
        if (c == L'\\') c = L'/';
    while (!k.empty() && k.front() == L'/') k.erase(0, 1);
    const std::wstring prefix = L"SOFTWARE/";
    if (AsciiUpper(std::wstring_view(k).substr(0, prefix.size())) == prefix) k.erase(0, prefix.size());
    // Never let a key name climb out of the configuration folder.
    fs::path rel;
    for (const auto& part : fs::path(WideToUtf8(k))) {
        if (part == ".." || part == "." || part.empty() || part == "/") continue;
        rel /= part;
    }
    if (rel.empty()) rel = "default";
    fs::path file = GetConfigHome() / rel;
    file += ".conf";
    return file;
}

std::optional<std::wstring> RegReadString(std::wstring_view key, std::wstring_view value, std::size_t maxBytes)
{
    auto raw = ReadTyped(key, value, kTypeString);
    if (!raw) return std::nullopt;
    std::wstring text = Utf8ToWide(*raw);
    // Sized as a registry query would be: UTF-16 units plus the terminator.
    if ((WideToUtf16(text).size() + 1) * 2 > maxBytes) return std::nullopt;
    return text;
}

std::optional<std::uint32_t> RegReadDword(std::wstring_view key, std::wstring_view value)
{
    auto raw = ReadTyped(key, value, kTypeDword);
    if (!raw || raw->empty()) return std::nullopt;
    char* end = nullptr;
    const unsigned long long v = g_ascii_strtoull(raw->c_str(), &end, 10);
    if (!end || *end != '\0' || v > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

bool RegWriteString(std::wstring_view key, std::wstring_view value, std::wstring_view data)
{
    return WriteTyped(key, value, kTypeString, WideToUtf8(data));
}

bool RegWriteDword(std::wstring_view key, std::wstring_view value, std::uint32_t data)
{
    return WriteTyped(key, value, kTypeDword, std::to_string(data));
}

bool RegDeleteValue(std::wstring_view key, std::wstring_view value)
{
    std::lock_guard lock(g_writeLock);
    KeyFilePtr kf = LoadKey(key);
    const std::string group = WideToUtf8(value);
    if (!g_key_file_remove_group(kf.get(), group.c_str(), nullptr)) return true;
    return SaveKey(key, kf.get());
}

} // namespace zent
