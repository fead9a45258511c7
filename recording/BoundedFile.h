#pragma once

// Read-only access to a recording through offsets that are checked against the file's size.
// Every read can fail; nothing is read past the end, and callers size their buffers from what
// the file can hold, never from a count found inside it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CBoundedFile {
public:
    CBoundedFile() = default;
    // Opens path (UTF-8 on disk; the wide form is converted). False when it cannot be opened
    // or is not a regular file.
    bool Open(const std::wstring& path);
    bool OpenUtf8(const std::string& path);
    bool IsOpen() const { return m_pFile != nullptr; }
    void Close();

    std::uint64_t Size() const { return m_nSize; }

    // Reads exactly len bytes at offset; false (and nothing promised about dst) when the range
    // does not lie wholly inside the file or the read comes up short.
    bool ReadAt(std::uint64_t offset, void* dst, std::size_t len);
    // Reads up to len bytes at offset; returns how many were read (0 past the end).
    std::size_t ReadSomeAt(std::uint64_t offset, void* dst, std::size_t len);

    bool ReadU32BE(std::uint64_t offset, std::uint32_t& out);
    bool ReadU32LE(std::uint64_t offset, std::uint32_t& out);
    bool ReadU64BE(std::uint64_t offset, std::uint64_t& out);

    // True when [offset, offset + len) lies inside the file (no overflow).
    bool Contains(std::uint64_t offset, std::uint64_t len) const
    {
        return offset <= m_nSize && len <= m_nSize - offset;
    }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> m_pFile;
    std::uint64_t m_nSize = 0;
    std::uint64_t m_nPos = 0; // where the stream stands, to skip redundant seeks
};

// Byte-order helpers over memory the caller has already bounded.
inline std::uint32_t LoadU32BE(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline std::uint32_t LoadU32LE(const std::uint8_t* p)
{
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}
inline std::uint16_t LoadU16LE(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline float LoadF32LE(const std::uint8_t* p)
{
    const std::uint32_t u = LoadU32LE(p);
    float f;
    static_assert(sizeof f == sizeof u);
    __builtin_memcpy(&f, &u, sizeof f);
    return f;
}
