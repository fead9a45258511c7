#pragma once

// The daily log file: one UTF-16LE file per local day in the log folder, appended one entry
// at a time. Off until a log folder is set (the card's version file asks for it).

#include "Trace.h"

#include <filesystem>
#include <mutex>
#include <string>

class CPrintLog {
public:
    // The single object; the first call decides the initial folder (null gives none).
    static CPrintLog* GetInstance(const wchar_t* folder = nullptr);

    virtual ~CPrintLog() = default;
    CPrintLog(const CPrintLog&) = delete;
    CPrintLog& operator=(const CPrintLog&) = delete;

    void SetLogFolder(const std::wstring& folder);
    std::wstring GetLogFolder() const;

    // Wide printf-style message (narrow strings with %s, wide with %ls).
    void WriteLog(const wchar_t* format, ...);

    // The file and entry for a given time, without the clock (tests, and WriteLog itself).
    void WriteLogAt(const diag::LocalTime& when, const std::wstring& message);
    std::filesystem::path LogFileFor(const diag::LocalTime& when) const;

    // Messages are cut to this many characters, so that an entry with its line end fits the
    // 1024-character line of the original format.
    static constexpr std::size_t kMaxMessage = 1021;

private:
    explicit CPrintLog(const wchar_t* folder);

    mutable std::mutex m_mutex; // guards m_strLogFolder and m_nEnabled
    std::wstring m_strLogFolder;
    int m_nEnabled = 0;
};
