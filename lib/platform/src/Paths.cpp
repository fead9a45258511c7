#include <zent/platform/Paths.h>

#include <zent/platform/Text.h>

#include <glib.h>

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zent {
namespace {

fs::path EnvPathOr(const char* name, const fs::path& fallback)
{
    const char* v = std::getenv(name);
    // XDG: a relative value is invalid and must be ignored.
    if (v && *v == '/') return fs::path(v);
    return fallback;
}

} // namespace

fs::path GetHomeDir()
{
    const char* home = std::getenv("HOME");
    if (home && *home) return fs::path(home);
    return fs::path(g_get_home_dir());
}

fs::path GetExeDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path();
}

fs::path FindDataFile(std::string_view name)
{
    const fs::path exeDir = GetExeDir();
    fs::path candidates[3] = {
        exeDir / "data" / fs::path(name),
        exeDir.parent_path() / "share" / "torvix-player" / fs::path(name),
        {},
    };
    if (const char* dir = std::getenv("TORVIX_DATA_DIR"); dir && *dir) candidates[2] = fs::path(dir) / fs::path(name);
    std::error_code ec;
    for (const auto& c : candidates)
        if (!c.empty() && fs::exists(c, ec)) return c;
    return candidates[0];
}

fs::path GetConfigHome() { return EnvPathOr("XDG_CONFIG_HOME", GetHomeDir() / ".config"); }
fs::path GetDataHome() { return EnvPathOr("XDG_DATA_HOME", GetHomeDir() / ".local" / "share"); }
fs::path GetCacheHome() { return EnvPathOr("XDG_CACHE_HOME", GetHomeDir() / ".cache"); }
fs::path GetRuntimeDir() { return EnvPathOr("XDG_RUNTIME_DIR", fs::temp_directory_path()); }

fs::path GetDocumentsDir()
{
    // GLib caches the user-dirs file per process; tests that change $HOME get the fallback.
    const char* docs = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    const fs::path home = GetHomeDir();
    if (docs && *docs && fs::path(docs) != home) {
        // Only trust GLib's answer when it lies below the current $HOME.
        const std::string d(docs);
        const std::string h = home.string();
        if (d.compare(0, h.size(), h) == 0) return fs::path(d);
    }
    return home / "Documents";
}

std::wstring PathToWide(const fs::path& path) { return Utf8ToWide(path.string()); }

fs::path WideToPath(std::wstring_view path) { return fs::path(WideToUtf8(path)); }

std::wstring_view BareFileName(std::wstring_view path)
{
    const auto pos = path.find_last_of(L"/\\");
    return pos == std::wstring_view::npos ? path : path.substr(pos + 1);
}

} // namespace zent
