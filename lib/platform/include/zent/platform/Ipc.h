#pragma once

// Named shared memory and named events for talking to other processes of the same user, an
// anonymous shared block, and the monotonic clocks that stand in for the tick count and the
// performance counter.
//
// Object names. Callers name objects with free wide text ("ZAUTIL_SHAREMEM", "REQTTS", even
// "Global\\Name"). POSIX names must be "/" followed by at most NAME_MAX - 4 portable bytes with
// no further "/", so IpcObjectName maps a name deterministically:
//   "/zent.u<effective uid>." [ <escaped scope> "." ] <escaped name>
// where escaping keeps A-Z a-z 0-9 '_' '-' and writes every other UTF-8 byte as "%XX"
// (upper-case hex), so distinct names always map to distinct strings ("A/B" -> "A%2FB",
// "A%2FB" -> "A%252FB"). A result longer than kMaxIpcNameLength keeps its first part and ends
// in "~" and the 64-bit FNV-1a hash of the whole escaped text in hex ('~' never comes out of
// the escaping, so a hashed name cannot equal a plain one).
//
// The uid part keeps each user's objects apart, as each desktop session has its own namespace
// of named objects; objects owned by another user are refused rather than shared. The optional
// scope lets tests (and parallel private instances) use names nobody else sees.
//
// Named objects stay in the system until they are unlinked, even after every process has closed
// them; the wrappers below close but never unlink on destruction, so a long-lived peer keeps its
// connection when a short-lived client comes and goes.

#include <zent/platform/Export.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zent {

inline constexpr std::size_t kMaxIpcNameLength = 200; // including the leading '/'
inline constexpr std::uint32_t kIpcInfinite = 0xFFFFFFFFu;

// The POSIX name for a free-form object name (see above).
ZENT_PLATFORM_API std::string IpcObjectName(std::wstring_view name);

// Sets the scope that later IpcObjectName calls put into every name; empty for none. Set it
// before the first object is opened: objects already open keep their names.
ZENT_PLATFORM_API void SetIpcNameScope(std::wstring_view scope);

// A named block of shared memory, mapped read-write for the object's life.
class ZENT_PLATFORM_API CNamedSharedMemory {
    // Only the factory below can make one (std::make_unique needs a public constructor).
    struct PrivateTag {
        explicit PrivateTag() = default;
    };

public:
    // Opens the object or creates it (zero-filled, readable and writable by this user only) and
    // maps size bytes. An existing smaller object is grown to size. Null on failure, also when
    // the object belongs to another user.
    static std::unique_ptr<CNamedSharedMemory> CreateOrOpen(std::wstring_view name, std::size_t size);
    // Removes the name; processes that have it mapped keep their mapping.
    static bool Unlink(std::wstring_view name);

    CNamedSharedMemory(PrivateTag, int fd, void* data, std::size_t size, bool created);
    ~CNamedSharedMemory();
    CNamedSharedMemory(const CNamedSharedMemory&) = delete;
    CNamedSharedMemory& operator=(const CNamedSharedMemory&) = delete;

    void* GetData() const { return m_pData; }
    std::size_t GetSize() const { return m_nSize; }
    // True when this call made the object, false when it opened an existing one.
    bool WasCreated() const { return m_bCreated; }

private:
    int m_nFd;          // immutable after construction
    void* m_pData;      // immutable after construction; the bytes are shared with other processes
    std::size_t m_nSize;
    bool m_bCreated;
};

// A named auto-reset event on a POSIX named semaphore: Set leaves at most one pending wake,
// however often it is called (the count is clamped to one), and each wake is taken by exactly one
// waiter. All operations may be called from any thread.
class ZENT_PLATFORM_API CNamedEvent {
    // Only the factory below can make one (std::make_unique needs a public constructor).
    struct PrivateTag {
        explicit PrivateTag() = default;
    };

public:
    enum class WaitResult { Signalled, TimedOut, Failed };

    // Opens the event or creates it non-signalled. Null on failure or another user's object.
    static std::unique_ptr<CNamedEvent> CreateOrOpen(std::wstring_view name);
    static bool Unlink(std::wstring_view name);

    CNamedEvent(PrivateTag, void* sem);
    ~CNamedEvent();
    CNamedEvent(const CNamedEvent&) = delete;
    CNamedEvent& operator=(const CNamedEvent&) = delete;

    bool Set();
    void Reset();
    // Takes the pending wake if there is one, without waiting.
    bool TryWait();
    bool IsSignalled() const;
    // Waits at most timeoutMs milliseconds (kIpcInfinite: without a limit) on the monotonic clock.
    WaitResult Wait(std::uint32_t timeoutMs);

    // Waits until any of count events is signalled and takes its wake. Returns the index of that
    // event (lower indices win when several are signalled), -1 on time-out, -2 on bad arguments or
    // a failed wait.
    // POSIX cannot wait on several semaphores at once, so this waits on each in short slices:
    // a wake is noticed within a few milliseconds.
    static int WaitAny(CNamedEvent* const* events, std::size_t count, std::uint32_t timeoutMs);

private:
    void* m_pSem; // sem_t*, immutable after construction; the semaphore itself is thread-safe
};

// An unnamed block of shared memory (a memory file), zero-filled; child processes made by fork
// share it with the parent.
class ZENT_PLATFORM_API CAnonymousSharedMemory {
    // Only the factory below can make one (std::make_unique needs a public constructor).
    struct PrivateTag {
        explicit PrivateTag() = default;
    };

public:
    static std::unique_ptr<CAnonymousSharedMemory> Create(std::size_t size);

    CAnonymousSharedMemory(PrivateTag, int fd, void* data, std::size_t size);
    ~CAnonymousSharedMemory();
    CAnonymousSharedMemory(const CAnonymousSharedMemory&) = delete;
    CAnonymousSharedMemory& operator=(const CAnonymousSharedMemory&) = delete;

    void* GetData() const { return m_pData; }
    std::size_t GetSize() const { return m_nSize; }

private:
    int m_nFd;
    void* m_pData;
    std::size_t m_nSize;
};

// Milliseconds since boot on the monotonic clock, wrapping like a 32-bit tick count.
ZENT_PLATFORM_API std::uint32_t GetTickCount32();
// A monotonic high-resolution counter and its ticks per second (never 0 on Linux).
ZENT_PLATFORM_API std::int64_t QueryHighResCounter();
ZENT_PLATFORM_API std::int64_t QueryHighResFrequency();

} // namespace zent
