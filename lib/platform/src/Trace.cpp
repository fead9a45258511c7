#include <zent/platform/Trace.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace zent {
namespace {

std::atomic<int>& TraceState()
{
    // -1: not decided yet; the environment decides on first use.
    static std::atomic<int> state{-1};
    return state;
}

std::mutex g_writeLock;

} // namespace

bool IsTraceEnabled()
{
    int s = TraceState().load(std::memory_order_relaxed);
    if (s < 0) {
        const char* env = std::getenv("TORVIX_TRACE");
        s = (env && std::strcmp(env, "0") != 0 && *env) ? 1 : 0;
        int expected = -1;
        TraceState().compare_exchange_strong(expected, s);
        s = TraceState().load(std::memory_order_relaxed);
    }
    return s == 1;
}

void SetTraceEnabled(bool on) { TraceState().store(on ? 1 : 0, std::memory_order_relaxed); }

void TraceWrite(std::string_view text)
{
    if (!IsTraceEnabled()) return;
    std::lock_guard lock(g_writeLock);
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n <= 0) break;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace zent
