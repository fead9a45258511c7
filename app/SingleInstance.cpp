#include "SingleInstance.h"

#include "diag/Trace.h"

#include <zent/platform/Paths.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kRestartDelayMs = 500;
// A first process that has the lock but does not listen yet is still starting up: give it a
// moment rather than leaving the user with no window.
constexpr int kConnectTries = 20;
constexpr int kConnectRetryMs = 50;
// Neither side ever waits longer than this for the other's line.
constexpr int kAnswerTimeoutMs = 1000;
constexpr int kRequestTimeoutMs = 250;
constexpr std::size_t kMaxLine = 16;
constexpr std::string_view kRequest = "activate\n";
constexpr std::string_view kAnswer = "ok\n";

std::int64_t NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The XDG runtime folder must belong to the user and be closed to others; the temp folder that
// stands in when $XDG_RUNTIME_DIR is unset is shared by everyone, and a lock there would let one
// user's player block another's.
bool IsPrivateFolder(const fs::path& folder)
{
    struct stat st{};
    if (stat(folder.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path DefaultFolder()
{
    const fs::path runtime = zent::GetRuntimeDir();
    if (IsPrivateFolder(runtime)) return runtime;
    return zent::GetCacheHome() / "torvix-player";
}

bool MakeFolder(const fs::path& folder)
{
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    fs::create_directories(folder.parent_path(), ec);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return fs::is_directory(folder, ec);
}

bool MakeAddress(const fs::path& path, sockaddr_un& addr, socklen_t& len)
{
    const std::string& text = path.native();
    if (text.empty() || text.size() >= sizeof(addr.sun_path)) return false;
    std::memset(&addr, 0, sizeof(addr));
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, text.c_str(), text.size() + 1);
    len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + text.size() + 1);
    return true;
}

// One line of at most kMaxLine bytes, or what arrived before the time-out or the peer closed.
std::string ReadLine(int fd, int timeoutMs)
{
    const std::int64_t deadline = NowMs() + timeoutMs;
    std::string line;
    while (line.size() < kMaxLine && line.find('\n') == std::string::npos) {
        const std::int64_t left = deadline - NowMs();
        if (left <= 0) break;
        pollfd pfd{fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        char buf[kMaxLine];
        const ssize_t n = recv(fd, buf, kMaxLine - line.size(), MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    return line;
}

// The lines are far smaller than any socket buffer, so one send takes them whole; MSG_NOSIGNAL
// keeps a peer that has gone from killing us with SIGPIPE.
bool SendLine(int fd, std::string_view line)
{
    for (;;) {
        const ssize_t n = send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        return n == static_cast<ssize_t>(line.size());
    }
}

bool IsPeerOfThisUser(int fd)
{
    ucred cred{};
    socklen_t len = sizeof(cred);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == geteuid();
}

} // namespace

CSingleInstance::CFd& CSingleInstance::CFd::operator=(CFd&& other) noexcept
{
    if (this != &other) {
        Reset(other.m_nFd);
        other.m_nFd = -1;
    }
    return *this;
}

void CSingleInstance::CFd::Reset(int fd)
{
    if (m_nFd >= 0) close(m_nFd);
    m_nFd = fd;
}

CSingleInstance::CSingleInstance(fs::path folder)
    : m_folder(std::move(folder))
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        // An eventfd write of 8 bytes cannot be partial; it only fails on overflow, which one
        // write per object cannot reach.
        [[maybe_unused]] const ssize_t n = write(m_wakeFd.Get(), &one, sizeof(one));
        m_thread.join();
    }
    // The socket goes before the lock: a successor binds only once it holds the lock, so the
    // file removed here can never be the successor's.
    CloseListenSocket();
    // The lock file itself stays: removing it would let two processes lock two different files.
    m_lockFd.Reset();
}

bool CSingleInstance::HasRestartArgument(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && std::string_view(argv[i]) == kRestartArgument) return true;
    return false;
}

CSingleInstance::Result CSingleInstance::Acquire(bool bRestart)
{
    if (m_bAcquired) return m_eResult;
    m_bAcquired = true;
    m_eResult = Result::Failed;

    if (m_folder.empty()) m_folder = DefaultFolder();
    if (!MakeFolder(m_folder)) {
        TraceA("### %s - no folder %s", "CSingleInstance::Acquire", m_folder.c_str());
        return m_eResult;
    }
    // The process that asked for the restart is closing its window meanwhile.
    if (bRestart) std::this_thread::sleep_for(std::chrono::milliseconds(kRestartDelayMs));

    // Close-on-exec: a program we start (the restarted player above all) must not inherit the
    // lock, or it would hold the lock against itself.
    m_lockFd.Reset(open((m_folder / kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!m_lockFd.IsValid()) {
        TraceA("### %s - cannot open the lock file: %s", "CSingleInstance::Acquire", std::strerror(errno));
        return m_eResult;
    }
    if (TryLock()) {
        m_bHoldsLock = true;
        m_eResult = Result::First;
    } else if (errno != EWOULDBLOCK) {
        TraceA("### %s - cannot lock: %s", "CSingleInstance::Acquire", std::strerror(errno));
        m_lockFd.Reset();
    } else {
        // A restart goes on while the old process closes; the listener takes the lock over.
        m_eResult = bRestart ? Result::First : Result::AnotherRunning;
    }
    return m_eResult;
}

bool CSingleInstance::TryLock()
{
    int rc;
    do {
        rc = flock(m_lockFd.Get(), LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return false;
    // Who holds it, for people looking at the folder; nobody reads it back.
    const std::string pid = std::string(kInstanceName) + " " + std::to_string(getpid()) + "\n";
    if (ftruncate(m_lockFd.Get(), 0) == 0) {
        [[maybe_unused]] const ssize_t n = pwrite(m_lockFd.Get(), pid.data(), pid.size(), 0);
    }
    return true;
}

bool CSingleInstance::ActivateOther()
{
    if (m_folder.empty()) m_folder = DefaultFolder();
    sockaddr_un addr{};
    socklen_t len = 0;
    if (!MakeAddress(m_folder / kSocketFileName, addr, len)) return false;

    for (int i = 0; i < kConnectTries; ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kConnectRetryMs));
        // Non-blocking: connecting to a Unix socket whose backlog is full would otherwise wait
        // for as long as the peer does not accept.
        CFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (!fd.IsValid()) return false;
        if (connect(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
            if (errno == ENOENT || errno == ECONNREFUSED || errno == EAGAIN || errno == EINTR) continue;
            return false;
        }
        return SendLine(fd.Get(), kRequest) && ReadLine(fd.Get(), kAnswerTimeoutMs) == kAnswer;
    }
    return false;
}

bool CSingleInstance::Listen(std::function<void()> fnActivate)
{
    if (m_eResult != Result::First || m_thread.joinable()) return false;
    m_wakeFd.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_wakeFd.IsValid()) return false;
    if (m_bHoldsLock && !m_listenFd.IsValid() && !BindSocket()) return false;
    m_fnActivate = std::move(fnActivate);
    try {
        m_thread = std::thread(&CSingleInstance::RunListener, this);
    } catch (const std::system_error&) {
        CloseListenSocket();
        return false;
    }
    return true;
}

bool CSingleInstance::BindSocket()
{
    const fs::path path = m_folder / kSocketFileName;
    sockaddr_un addr{};
    socklen_t len = 0;
    if (!MakeAddress(path, addr, len)) {
        TraceA("### %s - socket path too long: %s", "CSingleInstance::Listen", path.c_str());
        return false;
    }
    CFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.IsValid()) return false;
    // Only the lock holder gets here, so a file by this name is a leftover of a crashed holder.
    unlink(path.c_str());
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0 || listen(fd.Get(), 8) != 0) {
        TraceA("### %s - cannot listen on %s: %s", "CSingleInstance::Listen", path.c_str(), std::strerror(errno));
        return false;
    }
    struct stat st{};
    if (stat(path.c_str(), &st) == 0) {
        m_nSocketDev = st.st_dev;
        m_nSocketIno = st.st_ino;
    }
    m_listenFd = std::move(fd);
    return true;
}

void CSingleInstance::CloseListenSocket()
{
    if (!m_listenFd.IsValid()) return;
    m_listenFd.Reset();
    const fs::path path = m_folder / kSocketFileName;
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && st.st_dev == m_nSocketDev && st.st_ino == m_nSocketIno) unlink(path.c_str());
}

void CSingleInstance::RunListener()
{
    // Until the old process lets go of the lock (restart only): one try per interval, stopping
    // early when the object goes away.
    for (int nTry = 0; !m_bHoldsLock; ++nTry) {
        if (nTry == kTakeOverTries) {
            TraceA("### %s - the old instance kept the lock", "CSingleInstance::Listen");
            return;
        }
        pollfd wake{m_wakeFd.Get(), POLLIN, 0};
        const int ready = poll(&wake, 1, kTakeOverIntervalMs);
        if (ready > 0) return;
        if (ready < 0 && errno != EINTR) return;
        if (TryLock()) {
            m_bHoldsLock = true;
            if (!BindSocket()) return;
        }
    }

    for (;;) {
        pollfd fds[2] = {{m_wakeFd.Get(), POLLIN, 0}, {m_listenFd.Get(), POLLIN, 0}};
        const int ready = poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if (fds[1].revents & (POLLERR | POLLNVAL)) return;
        if (fds[1].revents & POLLIN) {
            // The client may have given up between poll and accept; the socket is non-blocking.
            CFd conn(accept4(m_listenFd.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (conn.IsValid()) ServeConnection(conn.Get());
        }
    }
}

void CSingleInstance::ServeConnection(int fd)
{
    if (!IsPeerOfThisUser(fd)) return;
    if (ReadLine(fd, kRequestTimeoutMs) != kRequest) return;
    if (m_fnActivate) {
        try {
            m_fnActivate();
        } catch (...) {
            // The caller's handler must not end the listener: later starts still need an answer.
        }
    }
    SendLine(fd, kAnswer);
}
