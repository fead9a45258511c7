#include "PrintLog.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void AppendUtf16Le(std::string& out, std::wstring_view text)
{
    for (char16_t u : zent::WideToUtf16(text)) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
}

} // namespace

CPrintLog::CPrintLog(const wchar_t* folder)
    : m_strLogFolder(folder ? folder : L"")
{
}

CPrintLog* CPrintLog::GetInstance(const wchar_t* folder)
{
    // Function-local static: thread-safe creation, lives until exit.
    static std::unique_ptr<CPrintLog> instance(new CPrintLog(folder));
    return instance.get();
}

void CPrintLog::SetLogFolder(const std::wstring& folder)
{
    std::lock_guard lock(m_mutex);
    m_strLogFolder = folder;
    m_nEnabled = 1;
}

std::wstring CPrintLog::GetLogFolder() const
{
    std::lock_guard lock(m_mutex);
    return m_strLogFolder;
}

std::filesystem::path CPrintLog::LogFileFor(const diag::LocalTime& when) const
{
    const std::wstring name = diag::FormatWide(L"log_%04d%02d%02d.txt", when.year, when.month, when.day);
    return zent::WideToPath(GetLogFolder()) / zent::WideToPath(name);
}

void CPrintLog::WriteLog(const wchar_t* format, ...)
{
    if (GetLogFolder().empty()) return;
    const diag::LocalTime now = diag::NowLocal();
    va_list args;
    va_start(args, format);
    const std::wstring message = diag::FormatWideV(format, args);
    va_end(args);
    WriteLogAt(now, message);
}

void CPrintLog::WriteLogAt(const diag::LocalTime& when, const std::wstring& message)
{
    if (GetLogFolder().empty()) return;
    std::wstring line = message.substr(0, kMaxMessage);
    line += L"\r\n";

    std::string bytes;
    AppendUtf16Le(bytes, diag::FormatWide(L"%04d-%02d-%02d %02d:%02d:%02d.%03d : ", when.year, when.month, when.day,
                                          when.hour, when.minute, when.second, when.millisecond));
    AppendUtf16Le(bytes, line);

    const std::filesystem::path file = LogFileFor(when);
    // One write of the whole entry to a file opened for appending keeps entries of different
    // threads whole.
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(file.c_str(), "ab"));
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    f.reset();

    zent::TraceWrite(zent::WideToUtf8(line));
}
