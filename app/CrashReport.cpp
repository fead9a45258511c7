#include "CrashReport.h"

#include <zent/platform/Paths.h>

#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kMaxFrames = 64;

// Fixed at install time so that the handler reads plain memory only. Installing is meant for
// start-up, before anything can crash; a crash during a second install may see a mixed folder.
char g_szFolder[PATH_MAX];
std::size_t g_nFolderLen = 0; // 0: no report can be named, the handler ends the process at once
char g_szVersion[128];
long g_nUtcOffset = 0;
// The thread writing the report, 0 while none is.
std::atomic<long> g_nReportingThread{0};
// BSS costs nothing until a fault touches it. Large enough for backtrace() and for the
// sanitizers' own bookkeeping when they wrap the handler.
alignas(16) char g_altStack[256 * 1024];

// Appends text to a fixed buffer; what does not fit is dropped.
class CLineBuffer {
public:
    void Add(const char* text)
    {
        while (*text && m_nLen < sizeof(m_szText)) m_szText[m_nLen++] = *text++;
    }
    void AddDecimal(long long value)
    {
        char digits[24];
        int n = 0;
        unsigned long long u = value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        do {
            digits[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u != 0);
        if (value < 0) Add("-");
        while (n > 0 && m_nLen < sizeof(m_szText)) m_szText[m_nLen++] = digits[--n];
    }
    void AddHex(unsigned long long value)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        char digits[16];
        int n = 0;
        do {
            digits[n++] = kHex[value & 0xF];
            value >>= 4;
        } while (value != 0);
        Add("0x");
        while (n > 0 && m_nLen < sizeof(m_szText)) m_szText[m_nLen++] = digits[--n];
    }
    void WriteTo(int fd)
    {
        std::size_t done = 0;
        while (done < m_nLen) {
            const ssize_t n = write(fd, m_szText + done, m_nLen - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        m_nLen = 0;
    }

private:
    char m_szText[1024];
    std::size_t m_nLen = 0;
};

const char* SignalName(int signo)
{
    switch (signo) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

// Two digits, or the plain number for a year.
void PutNumber(char*& p, char* end, long long value, int minDigits)
{
    char digits[24];
    int n = 0;
    unsigned long long u = value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    while (n < minDigits) digits[n++] = '0';
    if (value < 0 && p < end) *p++ = '-';
    while (n > 0 && p < end) *p++ = digits[--n];
}

// Reads only what install fixed; the caller ends the process afterwards whatever happens here.
void WriteReport(int signo, const siginfo_t* info)
{
    if (g_nFolderLen == 0) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char name[64];
    const std::size_t nameLen = FormatCrashReportName(now.tv_sec, g_nUtcOffset, name, sizeof(name));
    if (nameLen == 0) return;

    char path[PATH_MAX + 96];
    std::memcpy(path, g_szFolder, g_nFolderLen);
    path[g_nFolderLen] = '/';
    std::memcpy(path + g_nFolderLen + 1, name, nameLen + 1);
    // Never over an older report: a second crash within the same second (a restarted player,
    // say) gets the process id added to the name.
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        char* p = path + g_nFolderLen + 1 + nameLen - 4; // over ".dmp"
        char* end = path + sizeof(path) - 6;
        *p++ = '-';
        PutNumber(p, end, getpid(), 1);
        std::memcpy(p, ".dmp", 5);
        fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    }
    if (fd < 0) return;

    CLineBuffer out;
    out.Add("Torvix Player 2.0 4K crash report\n");
    if (g_szVersion[0]) {
        out.Add("version: ");
        out.Add(g_szVersion);
        out.Add("\n");
    }
    out.Add("signal: ");
    out.AddDecimal(signo);
    out.Add(" ");
    out.Add(SignalName(signo));
    out.Add("\ncode: ");
    out.AddDecimal(info ? info->si_code : 0);
    // A positive code means the kernel raised the signal for a fault, and si_addr is its address;
    // otherwise a process sent it (kill, raise, abort) and si_pid says which.
    if (info && info->si_code > 0 && signo != SIGABRT) {
        out.Add("\naddress: ");
        out.AddHex(reinterpret_cast<unsigned long long>(info->si_addr));
    } else {
        out.Add("\naddress: unknown");
        if (info) {
            out.Add("\nsent by: process ");
            out.AddDecimal(info->si_pid);
        }
    }
    out.Add("\nprocess: ");
    out.AddDecimal(getpid());
    out.Add("\nthread: ");
    out.AddDecimal(syscall(SYS_gettid));
    out.Add("\nbacktrace:\n");
    out.WriteTo(fd);

    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, fd);
    close(fd);
}

// Ends the process by the signal's default action, so the parent sees the real cause of death
// and a core dump is written where the system asks for one.
[[noreturn]] void EndBySignal(int signo)
{
    struct sigaction dfl{};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(signo, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signo);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signo);
    // Only reached if the default action could not end us: still never report success.
    _exit(128 + signo);
}

void OnFatalSignal(int signo, siginfo_t* info, void*)
{
    const long self = syscall(SYS_gettid);
    long expected = 0;
    if (!g_nReportingThread.compare_exchange_strong(expected, self)) {
        // Writing the report faulted: no second try.
        if (expected == self) EndBySignal(signo);
        // Another thread is writing its report and ends the process when done; give it time.
        for (int i = 0; i < 100; ++i) {
            timespec pause{0, 50 * 1000 * 1000};
            nanosleep(&pause, nullptr);
        }
        EndBySignal(signo);
    }
    WriteReport(signo, info);
    EndBySignal(signo);
}

} // namespace

std::size_t FormatCrashReportName(std::int64_t nUnixSeconds, long nUtcOffset, char* pBuffer, std::size_t nSize)
{
    const std::int64_t local = nUnixSeconds + nUtcOffset;
    std::int64_t days = local / 86400;
    std::int64_t secs = local % 86400;
    if (secs < 0) {
        secs += 86400;
        days -= 1;
    }
    // Days since 1970-01-01 to a proleptic Gregorian date (eras of 400 years starting in March).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    char text[64];
    char* p = text;
    char* end = text + sizeof(text);
    const std::int64_t fields[] = {year, month, day, secs / 3600, secs / 60 % 60, secs % 60};
    for (int i = 0; i < 6; ++i) {
        if (i > 0) *p++ = '.';
        PutNumber(p, end, fields[i], i == 0 ? 1 : 2);
    }
    std::memcpy(p, ".dmp", 4);
    p += 4;
    const std::size_t len = static_cast<std::size_t>(p - text);
    if (!pBuffer || len + 1 > nSize) return 0;
    std::memcpy(pBuffer, text, len);
    pBuffer[len] = '\0';
    return len;
}

fs::path GetCrashReportFolder()
{
    // XDG: a relative value is invalid and must be ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    const fs::path home = state && *state == '/' ? fs::path(state) : zent::GetHomeDir() / ".local" / "state";
    return home / "torvix-player";
}

bool InstallCrashHandler(fs::path folder, std::string_view version)
{
    if (folder.empty()) folder = GetCrashReportFolder();
    std::error_code ec;
    folder = fs::absolute(folder, ec);
    bool bOk = !ec;
    if (bOk) {
        fs::create_directories(folder, ec);
        bOk = fs::is_directory(folder, ec);
    }
    // Room for "/" and the longest name the handler makes.
    const std::string& text = folder.native();
    if (bOk && text.size() + 64 < sizeof(g_szFolder)) {
        std::memcpy(g_szFolder, text.c_str(), text.size() + 1);
        g_nFolderLen = text.size();
    } else {
        g_nFolderLen = 0;
        bOk = false;
    }
    const std::size_t versionLen = std::min(version.size(), sizeof(g_szVersion) - 1);
    if (versionLen > 0) std::memcpy(g_szVersion, version.data(), versionLen);
    g_szVersion[versionLen] = '\0';

    // The handler cannot call localtime_r (it takes locks and may read files); a change of
    // daylight saving time after this point shifts the name by that hour.
    const time_t now = time(nullptr);
    tm local{};
    g_nUtcOffset = localtime_r(&now, &local) ? local.tm_gmtoff : 0;

    // The first backtrace() loads the unwinder with malloc; doing it now keeps the handler from
    // doing it while malloc's own lock may be held by the faulting thread.
    void* frame[1];
    backtrace(frame, 1);

    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof(g_altStack);
    if (sigaltstack(&stack, nullptr) != 0) bOk = false;

    struct sigaction action{};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigfillset(&action.sa_mask);
    for (const int signo : kFatalSignals)
        if (sigaction(signo, &action, nullptr) != 0) bOk = false;
    return bOk;
}
