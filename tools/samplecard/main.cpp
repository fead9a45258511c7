// torvix-samplecard DIR [--seed N] [--jobs N]: writes a realistic camera memory card into DIR.

#include "tools/samplecard/CardWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool ParseNumber(const char* text, unsigned long long& out)
{
    if (!text || !*text || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoull(text, &end, 10);
    return errno == 0 && end && *end == '\0';
}

int Usage()
{
    std::fprintf(stderr, "usage: torvix-samplecard DIR [--seed N] [--jobs N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir;
    unsigned long long seed = 1;
    unsigned long long jobs = 2;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" || arg == "--jobs") {
            unsigned long long& value = arg == "--seed" ? seed : jobs;
            if (i + 1 >= argc || !ParseNumber(argv[i + 1], value)) return Usage();
            ++i;
        } else if (arg == "-h" || arg == "--help") {
            Usage();
            return 0;
        } else if (dir.empty() && !arg.empty() && arg[0] != '-') {
            dir = arg;
        } else {
            return Usage();
        }
    }
    if (dir.empty() || jobs == 0 || jobs > 16) return Usage();

    std::string error;
    if (!samplecard::WriteCard(dir, seed, error, static_cast<int>(jobs))) {
        std::fprintf(stderr, "torvix-samplecard: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
