#include "Trace.h"

#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <vector>

namespace diag {

std::string FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::wstring FormatWideV(const wchar_t* format, va_list args)
{
    // vswprintf cannot report the length it needs: grow until the text fits.
    std::vector<wchar_t> buf(512);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buf.data(), buf.size(), format, copy);
        va_end(copy);
        if (n >= 0) return std::wstring(buf.data(), static_cast<std::size_t>(n));
        if (buf.size() >= (1u << 20)) return std::wstring(buf.data()); // malformed format or absurd size
        buf.resize(buf.size() * 4);
    }
}

std::wstring FormatWide(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring s = FormatWideV(format, args);
    va_end(args);
    return s;
}

LocalTime NowLocal()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&secs, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms)};
}

std::string MakeTraceLine(const LocalTime& t, const std::string& message)
{
    constexpr std::size_t kMaxMessage = 4095;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d:%03d - ", t.hour, t.minute, t.second, t.millisecond);
    std::string line(stamp);
    line.append(message, 0, kMaxMessage);
    line.push_back('\n');
    return line;
}

} // namespace diag

void TraceA(const char* format, ...)
{
    if (!zent::IsTraceEnabled()) return;
    va_list args;
    va_start(args, format);
    const std::string message = diag::FormatV(format, args);
    va_end(args);
    zent::TraceWrite(diag::MakeTraceLine(diag::NowLocal(), message));
}

void TraceW(const wchar_t* format, ...)
{
    if (!zent::IsTraceEnabled()) return;
    va_list args;
    va_start(args, format);
    const std::wstring message = diag::FormatWideV(format, args);
    va_end(args);
    zent::TraceWrite(zent::WideToUtf8(message));
}
