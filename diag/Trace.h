#pragma once

// The program's trace functions. Both go to the platform trace channel (standard error when
// tracing is on); formatting is skipped entirely when it is off.

#include <cstdarg>
#include <string>

// "%02d:%02d:%02d:%03d - %s\n" with the local time; the message is cut at 4095 characters.
void TraceA(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A wide message, written unchanged (callers end it with "\n" themselves). Wide formats take
// narrow strings with %s and wide ones with %ls, as glibc's wide printf does.
void TraceW(const wchar_t* format, ...);

namespace diag {

// printf-style formatting into a string of any length (no silent truncation).
std::string FormatV(const char* format, va_list args);
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWide(const wchar_t* format, ...);

// The local time split as the trace and the log need it.
struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
};
LocalTime NowLocal();

// The narrow trace line for a message at a given time (exposed for tests).
std::string MakeTraceLine(const LocalTime& t, const std::string& message);

} // namespace diag
