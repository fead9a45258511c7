#pragma once

// The parsers read files, so every fuzz input goes through one temporary file per process,
// rewritten for each input and removed when the process ends.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

class CFuzzInputFile {
public:
    explicit CFuzzInputFile(const char* name)
    {
        const char* dir = std::getenv("TMPDIR");
        m_strPath = std::string(dir && *dir ? dir : "/tmp") + "/torvix-fuzz-" + std::to_string(getpid()) + "-" + name;
    }
    ~CFuzzInputFile() { std::remove(m_strPath.c_str()); }
    CFuzzInputFile(const CFuzzInputFile&) = delete;
    CFuzzInputFile& operator=(const CFuzzInputFile&) = delete;

    const std::string& Path() const { return m_strPath; }

    bool Write(const std::uint8_t* data, std::size_t size) const
    {
        std::FILE* f = std::fopen(m_strPath.c_str(), "wb");
        if (!f) return false;
        const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && ok;
    }

private:
    std::string m_strPath;
};
