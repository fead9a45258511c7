#pragma once

// An unnamed block of memory shared with the child processes this process forks, in place of an
// anonymous page-file-backed file mapping. One owner thread uses an object; the block itself
// may be read and written by any thread or child that holds its address.

#include <zent/util/Export.h>

#include <cstdint>
#include <memory>

namespace zent {
class CAnonymousSharedMemory;
} // namespace zent

class ZENT_UTIL_API SharedMemory {
public:
    using DWORD = std::uint32_t;

    SharedMemory();
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Maps a zero-filled block of size bytes, releasing any block mapped before. 1, or 0 for size
    // 0 or when the block cannot be made (nothing stays mapped then).
    int Initialize(DWORD size);
    // The mapped block, null when none is mapped.
    void* GetSharedMemory() const { return m_pMemory; }
    DWORD GetSize() const { return m_dwSize; }
    // Unmaps and closes the block; the destructor does the same.
    void Terminate();

private:
    std::unique_ptr<zent::CAnonymousSharedMemory> m_pMapping; // owner thread only
    void* m_pMemory = nullptr;                                // owner thread only
    DWORD m_dwSize = 0;                                       // owner thread only
};
