#include <zent/platform/Ipc.h>

#include <zent/platform/Text.h>

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace zent {
namespace {

std::mutex g_scopeLock;
std::string g_strScope; // escaped; guarded by g_scopeLock

bool IsPortable(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

std::string Escape(std::wstring_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : WideToUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsPortable(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::uint64_t Fnv1a64(std::string_view text)
{
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001B3ull;
    }
    return h;
}

timespec MonotonicNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts;
}

timespec AddMs(timespec ts, std::uint32_t ms)
{
    ts.tv_sec += static_cast<time_t>(ms / 1000);
    ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

// Milliseconds from now until deadline, 0 when it has passed.
std::uint32_t MsUntil(const timespec& deadline)
{
    const timespec now = MonotonicNow();
    const std::int64_t ns = (static_cast<std::int64_t>(deadline.tv_sec) - now.tv_sec) * 1000000000LL +
                            (deadline.tv_nsec - now.tv_nsec);
    if (ns <= 0) return 0;
    return static_cast<std::uint32_t>(std::min<std::int64_t>((ns + 999999) / 1000000, 0xFFFFFFFEll));
}

sem_t* AsSem(void* p) { return static_cast<sem_t*>(p); }

// glibc keeps named semaphores as files "sem.<name>" in /dev/shm; where that is not so the
// check is skipped and the 0600 mode of our own objects is the only guard.
bool SemaphoreOwnedByUs(const std::string& posixName)
{
    struct stat st{};
    const std::string file = "/dev/shm/sem." + posixName.substr(1);
    if (stat(file.c_str(), &st) != 0) return true;
    return st.st_uid == geteuid();
}

} // namespace

std::string IpcObjectName(std::wstring_view name)
{
    std::string full = "/zent.u" + std::to_string(static_cast<unsigned long>(geteuid())) + ".";
    {
        std::lock_guard lock(g_scopeLock);
        if (!g_strScope.empty()) full += g_strScope + ".";
    }
    full += Escape(name);
    if (full.size() <= kMaxIpcNameLength) return full;
    // 1 for '~' and 16 hex digits of the hash.
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint64_t h = Fnv1a64(full);
    full.resize(kMaxIpcNameLength - 17);
    full += '~';
    for (int shift = 60; shift >= 0; shift -= 4) full += kHex[(h >> shift) & 0x0F];
    return full;
}

void SetIpcNameScope(std::wstring_view scope)
{
    std::string escaped = Escape(scope);
    std::lock_guard lock(g_scopeLock);
    g_strScope = std::move(escaped);
}

// ---- CNamedSharedMemory -------------------------------------------------------------------

CNamedSharedMemory::CNamedSharedMemory(PrivateTag, int fd, void* data, std::size_t size, bool created)
    : m_nFd(fd), m_pData(data), m_nSize(size), m_bCreated(created)
{
}

CNamedSharedMemory::~CNamedSharedMemory()
{
    munmap(m_pData, m_nSize);
    close(m_nFd);
}

std::unique_ptr<CNamedSharedMemory> CNamedSharedMemory::CreateOrOpen(std::wstring_view name, std::size_t size)
{
    if (size == 0) return nullptr;
    const std::string posixName = IpcObjectName(name);
    bool created = true;
    int fd = shm_open(posixName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = shm_open(posixName.c_str(), O_RDWR, 0600);
    }
    if (fd < 0) return nullptr;

    struct stat st{};
    if (fstat(fd, &st) != 0 || st.st_uid != geteuid()) {
        close(fd);
        return nullptr;
    }
    // Another process may have created the object and not sized it yet; growing it ourselves is
    // harmless (both ask for the same size) and keeps the mapping from reaching past the end of
    // the object, which would fault on access.
    if (static_cast<std::uint64_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return nullptr;
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<CNamedSharedMemory>(PrivateTag{}, fd, data, size, created);
}

bool CNamedSharedMemory::Unlink(std::wstring_view name)
{
    return shm_unlink(IpcObjectName(name).c_str()) == 0;
}

// ---- CNamedEvent --------------------------------------------------------------------------

CNamedEvent::CNamedEvent(PrivateTag, void* sem) : m_pSem(sem) {}

CNamedEvent::~CNamedEvent() { sem_close(AsSem(m_pSem)); }

std::unique_ptr<CNamedEvent> CNamedEvent::CreateOrOpen(std::wstring_view name)
{
    const std::string posixName = IpcObjectName(name);
    // Somebody may unlink the name between our failed create and our open; a few rounds settle it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        sem_t* sem = sem_open(posixName.c_str(), O_CREAT | O_EXCL, 0600, 0u);
        if (sem == SEM_FAILED && errno == EEXIST) sem = sem_open(posixName.c_str(), 0);
        if (sem == SEM_FAILED) {
            if (errno == ENOENT) continue;
            return nullptr;
        }
        if (!SemaphoreOwnedByUs(posixName)) {
            sem_close(sem);
            return nullptr;
        }
        return std::make_unique<CNamedEvent>(PrivateTag{}, sem);
    }
    return nullptr;
}

bool CNamedEvent::Unlink(std::wstring_view name)
{
    return sem_unlink(IpcObjectName(name).c_str()) == 0;
}

bool CNamedEvent::Set()
{
    sem_t* sem = AsSem(m_pSem);
    int value = 0;
    if (sem_getvalue(sem, &value) == 0 && value > 0) return true;
    if (sem_post(sem) != 0) return false;
    // Two setters (of any process) can both see zero and both post. Taking back the surplus
    // keeps the event's meaning: one pending wake, not a queue of stale requests.
    while (sem_getvalue(sem, &value) == 0 && value > 1) {
        if (sem_trywait(sem) != 0) break;
    }
    return true;
}

void CNamedEvent::Reset()
{
    while (sem_trywait(AsSem(m_pSem)) == 0) {
    }
}

bool CNamedEvent::TryWait() { return sem_trywait(AsSem(m_pSem)) == 0; }

bool CNamedEvent::IsSignalled() const
{
    int value = 0;
    return sem_getvalue(AsSem(m_pSem), &value) == 0 && value > 0;
}

CNamedEvent::WaitResult CNamedEvent::Wait(std::uint32_t timeoutMs)
{
    sem_t* sem = AsSem(m_pSem);
    if (timeoutMs == kIpcInfinite) {
        while (sem_wait(sem) != 0) {
            if (errno != EINTR) return WaitResult::Failed;
        }
        return WaitResult::Signalled;
    }
    const timespec deadline = AddMs(MonotonicNow(), timeoutMs);
    while (sem_clockwait(sem, CLOCK_MONOTONIC, &deadline) != 0) {
        if (errno == ETIMEDOUT) return WaitResult::TimedOut;
        if (errno != EINTR) return WaitResult::Failed;
    }
    return WaitResult::Signalled;
}

int CNamedEvent::WaitAny(CNamedEvent* const* events, std::size_t count, std::uint32_t timeoutMs)
{
    if (!events || count == 0) return -2;
    for (std::size_t i = 0; i < count; ++i) {
        if (!events[i]) return -2;
    }
    constexpr std::uint32_t kSliceMs = 5;
    const bool bounded = timeoutMs != kIpcInfinite;
    const timespec deadline = bounded ? AddMs(MonotonicNow(), timeoutMs) : timespec{};
    std::size_t blockOn = 0;
    for (;;) {
        for (std::size_t i = 0; i < count; ++i) {
            if (events[i]->TryWait()) return static_cast<int>(i);
        }
        std::uint32_t slice = kSliceMs;
        if (bounded) {
            const std::uint32_t left = MsUntil(deadline);
            if (left == 0) return -1;
            slice = std::min(slice, left);
        }
        // Blocking on each event in turn wakes at once for that one and within a slice for the
        // others, without a helper thread per event.
        const WaitResult r = events[blockOn]->Wait(slice);
        if (r == WaitResult::Signalled) return static_cast<int>(blockOn);
        if (r == WaitResult::Failed) return -2;
        blockOn = (blockOn + 1) % count;
    }
}

// ---- CAnonymousSharedMemory ---------------------------------------------------------------

CAnonymousSharedMemory::CAnonymousSharedMemory(PrivateTag, int fd, void* data, std::size_t size)
    : m_nFd(fd), m_pData(data), m_nSize(size)
{
}

CAnonymousSharedMemory::~CAnonymousSharedMemory()
{
    munmap(m_pData, m_nSize);
    close(m_nFd);
}

std::unique_ptr<CAnonymousSharedMemory> CAnonymousSharedMemory::Create(std::size_t size)
{
    if (size == 0) return nullptr;
    const int fd = memfd_create("zent-shared-memory", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return nullptr;
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<CAnonymousSharedMemory>(PrivateTag{}, fd, data, size);
}

// ---- clocks -------------------------------------------------------------------------------

std::uint32_t GetTickCount32()
{
    const timespec ts = MonotonicNow();
    const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::int64_t QueryHighResCounter()
{
    const timespec ts = MonotonicNow();
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

std::int64_t QueryHighResFrequency() { return 1000000000LL; }

} // namespace zent
