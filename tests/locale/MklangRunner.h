#pragma once

// Runs the language table generator that the build made, capturing its messages.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>

namespace langtest {

struct RunResult {
    int exitCode = -1;
    std::string output; // standard output and standard error together
};

inline std::filesystem::path MklangPath() { return std::filesystem::path(TORVIX_BIN_DIR) / "mklang"; }

inline std::string Quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out.push_back(c);
    }
    return out + "'";
}

inline RunResult RunMklang(const std::string& args)
{
    RunResult result;
    const std::string command = Quote(MklangPath().string()) + " " + args + " 2>&1";
    struct Closer {
        void operator()(FILE* f) const
        {
            if (f) pclose(f);
        }
    };
    FILE* raw = popen(command.c_str(), "r");
    if (!raw) return result;
    std::unique_ptr<FILE, Closer> pipe(raw);
    char buffer[512];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe.release());
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

inline RunResult RunMklang(const std::filesystem::path& in, const std::filesystem::path& out)
{
    return RunMklang(Quote(in.string()) + " " + Quote(out.string()));
}

} // namespace langtest
