#pragma once

// The crash report: when the process faults (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT), a
// readable report with the signal, the faulting address and a backtrace goes into a file named
// by the local time, "2024.03.09.07.05.04.dmp", and the process ends by the same signal, so
// whoever started it sees that it crashed.
//
// The handler runs on an alternate signal stack (a stack overflow still gets its report) and does
// only async-signal-safe work: the folder, the version text and the time zone offset are fixed at
// install time, the time is turned into digits by our own arithmetic, and the file is written
// with open/write and backtrace_symbols_fd.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

// folder empty: GetCrashReportFolder(). Creates the folder now. False when it cannot be created
// or the handlers cannot be set; a crash then still ends the process by its signal, without a
// report. May be called again to change the folder or the version.
bool InstallCrashHandler(std::filesystem::path folder = {}, std::string_view version = {});

// $XDG_STATE_HOME/torvix-player, or ~/.local/state/torvix-player.
std::filesystem::path GetCrashReportFolder();

// The report's file name for a moment given as seconds since 1970 (UTC) and the local time's
// offset from UTC in seconds: "%d.%02d.%02d.%02d.%02d.%02d.dmp" of year, month, day, hour, minute,
// second. Writes at most size bytes including the terminating zero; returns the length, or 0 when
// the name does not fit. Async-signal-safe (the handler uses it).
std::size_t FormatCrashReportName(std::int64_t nUnixSeconds, long nUtcOffset, char* pBuffer, std::size_t nSize);
