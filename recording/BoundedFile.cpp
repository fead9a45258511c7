#include "recording/BoundedFile.h"

#include <zent/platform/Text.h>

#include <sys/stat.h>

bool CBoundedFile::Open(const std::wstring& path) { return OpenUtf8(zent::WideToUtf8(path)); }

bool CBoundedFile::OpenUtf8(const std::string& path)
{
    Close();
    std::unique_ptr<std::FILE, Closer> f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    struct stat st {};
    if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return false;
    m_nSize = static_cast<std::uint64_t>(st.st_size);
    m_nPos = 0;
    m_pFile = std::move(f);
    return true;
}

void CBoundedFile::Close()
{
    m_pFile.reset();
    m_nSize = 0;
    m_nPos = 0;
}

std::size_t CBoundedFile::ReadSomeAt(std::uint64_t offset, void* dst, std::size_t len)
{
    if (!m_pFile || offset >= m_nSize || len == 0) return 0;
    if (len > m_nSize - offset) len = static_cast<std::size_t>(m_nSize - offset);
    if (offset != m_nPos) {
        if (fseeko(m_pFile.get(), static_cast<off_t>(offset), SEEK_SET) != 0) {
            m_nPos = ~std::uint64_t{0};
            return 0;
        }
    }
    const std::size_t n = std::fread(dst, 1, len, m_pFile.get());
    m_nPos = offset + n;
    if (n < len) {
        std::clearerr(m_pFile.get());
        m_nPos = ~std::uint64_t{0}; // unknown: seek next time
    }
    return n;
}

bool CBoundedFile::ReadAt(std::uint64_t offset, void* dst, std::size_t len)
{
    if (!Contains(offset, len)) return false;
    return ReadSomeAt(offset, dst, len) == len;
}

bool CBoundedFile::ReadU32BE(std::uint64_t offset, std::uint32_t& out)
{
    std::uint8_t b[4];
    if (!ReadAt(offset, b, 4)) return false;
    out = LoadU32BE(b);
    return true;
}

bool CBoundedFile::ReadU32LE(std::uint64_t offset, std::uint32_t& out)
{
    std::uint8_t b[4];
    if (!ReadAt(offset, b, 4)) return false;
    out = LoadU32LE(b);
    return true;
}

bool CBoundedFile::ReadU64BE(std::uint64_t offset, std::uint64_t& out)
{
    std::uint8_t b[8];
    if (!ReadAt(offset, b, 8)) return false;
    out = (std::uint64_t(LoadU32BE(b)) << 32) | LoadU32BE(b + 4);
    return true;
}
