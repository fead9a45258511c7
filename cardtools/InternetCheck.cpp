#include "cardtools/InternetCheck.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Registry.h>
#include <zent/platform/Text.h>
#include <zent/platform/Window.h>

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

// ---- services.conf ------------------------------------------------------------------------------

namespace {

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string UnescapeKeyFileValue(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out.push_back(raw[i]);
            continue;
        }
        switch (raw[++i]) {
        case 's': out.push_back(' '); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case '\\': out.push_back('\\'); break;
        default: // not an escape GLib knows: kept as written
            out.push_back('\\');
            out.push_back(raw[i]);
            break;
        }
    }
    return out;
}

bool HasScheme(const std::string& value)
{
    auto starts = [&](std::string_view scheme) {
        if (value.size() < scheme.size()) return false;
        for (std::size_t i = 0; i < scheme.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(value[i])) != scheme[i]) return false;
        return true;
    };
    return starts("http:") || starts("https:") || starts("file:");
}

// A file: URI of an absolute path, every byte outside the unreserved set and '/' escaped.
std::string FileUri(const fs::path& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path.string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri.push_back(static_cast<char>(c));
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 15]);
        }
    }
    return uri;
}

fs::path ServicesConfPath()
{
    return zent::FindDataFile("services.conf");
}

} // namespace

std::optional<std::string> FindKeyFileValue(std::string_view text, std::string_view group, std::string_view key)
{
    bool bInGroup = false;
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = TrimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            bInGroup = close != std::string_view::npos && line.substr(1, close - 1) == group;
            continue;
        }
        if (!bInGroup) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || TrimBlanks(line.substr(0, eq)) != key) continue;
        // GLib lets the last of repeated keys win.
        found = UnescapeKeyFileValue(TrimBlanks(line.substr(eq + 1)));
    }
    return found;
}

std::wstring ServiceSettingsKey(std::string_view group)
{
    return L"SOFTWARE\\Quenlar\\Stravon Player\\Services\\" + zent::Utf8ToWide(group);
}

std::optional<std::string> GetServiceValueFrom(const fs::path& conf, std::string_view group, std::string_view key)
{
    const auto over = zent::RegReadString(ServiceSettingsKey(group), zent::Utf8ToWide(key), 4096);
    if (over && !over->empty()) return zent::WideToUtf8(*over);
    std::ifstream in(conf, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return FindKeyFileValue(text, group, key);
}

std::optional<std::string> GetServiceValue(std::string_view group, std::string_view key)
{
    return GetServiceValueFrom(ServicesConfPath(), group, key);
}

std::string ResolveServiceAddress(const std::string& value, const fs::path& baseFolder)
{
    if (value.empty()) return {};
    if (HasScheme(value)) return value;
    fs::path path = fs::path(value);
    if (path.is_relative()) path = baseFolder / path;
    return FileUri(path.lexically_normal());
}

std::string GetServiceAddress(std::string_view group, std::string_view key)
{
    const fs::path conf = ServicesConfPath();
    const auto value = GetServiceValueFrom(conf, group, key);
    return value ? ResolveServiceAddress(*value, fs::absolute(conf).parent_path()) : std::string();
}

// ---- the probe ------------------------------------------------------------------------------------

namespace {

struct CurlDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};

void EnsureCurl()
{
    // Once per process; later versions make it thread-safe by themselves, older ones need this.
    static const bool s_bInit = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)s_bInit;
}

// The probe needs the answer's status only; a site that sends a large page is cut off here.
constexpr std::size_t kBodyLimit = 64 * 1024;

struct CProbeState {
    const std::atomic<bool>* pCancel = nullptr;
    std::size_t nBody = 0;
    bool bCutOff = false;
};

std::size_t OnBody(char*, std::size_t size, std::size_t count, void* user)
{
    auto* state = static_cast<CProbeState*>(user);
    state->nBody += size * count;
    if (state->nBody > kBodyLimit) {
        state->bCutOff = true;
        return 0; // ends the transfer
    }
    return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* state = static_cast<CProbeState*>(user);
    return state->pCancel && state->pCancel->load() ? 1 : 0;
}

} // namespace

int ProbeAddress(const std::string& address, std::chrono::milliseconds timeout, const std::atomic<bool>* pCancel)
{
    if (address.empty()) return 0;
    EnsureCurl();
    std::unique_ptr<CURL, CurlDeleter> h(curl_easy_init());
    if (!h) return 0;
    CProbeState state;
    state.pCancel = pCancel;
    const long ms = static_cast<long>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 1));
    curl_easy_setopt(h.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(h.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h.get(), CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h.get(), CURLOPT_FOLLOWLOCATION, 0L);
    // Signals would reach the whole program; time-outs without them need the threaded resolver,
    // which Debian's libcurl has.
    curl_easy_setopt(h.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h.get(), CURLOPT_CONNECTTIMEOUT_MS, ms);
    curl_easy_setopt(h.get(), CURLOPT_TIMEOUT_MS, ms);
    curl_easy_setopt(h.get(), CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h.get(), CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(h.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h.get(), CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h.get(), CURLOPT_XFERINFODATA, &state);
    const CURLcode rc = curl_easy_perform(h.get());
    long status = 0;
    curl_easy_getinfo(h.get(), CURLINFO_RESPONSE_CODE, &status);
    const bool bAnswered = rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && state.bCutOff);
    return bAnswered && status >= 100 && status < 400 ? 1 : 0;
}

// ---- CInternetCheck -------------------------------------------------------------------------------

CInternetCheck::CInternetCheck(ProbeFn fnProbe, std::chrono::milliseconds cacheFor, NowFn fnNow)
    : m_fnProbe(std::move(fnProbe)), m_cacheFor(cacheFor),
      m_fnNow(fnNow ? std::move(fnNow) : NowFn([] { return Clock::now(); }))
{
}

CInternetCheck::~CInternetCheck()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_bCancel = true;
    m_cvWork.notify_all();
    m_cvAnswer.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

CInternetCheck::ProbeFn CInternetCheck::HttpProbe(std::string address, std::chrono::milliseconds timeout)
{
    return [address = std::move(address), timeout](const std::atomic<bool>& bCancel) {
        return ProbeAddress(address, timeout, &bCancel);
    };
}

CInternetCheck& CInternetCheck::Shared()
{
    // The address is read at every probe, so a changed setting applies to the next question.
    static CInternetCheck s_check(
        [](const std::atomic<bool>& bCancel) {
            return ProbeAddress(GetServiceAddress("Services", "ReachabilityProbe"), kProbeTimeout, &bCancel);
        },
        kProbeCacheTime);
    return s_check;
}

bool CInternetCheck::IsFreshLocked() const
{
    return m_nLast.has_value() && !m_bExpired && m_fnNow() - m_tLast < m_cacheFor;
}

void CInternetCheck::StartProbeLocked()
{
    // A probe under way answers whoever asks before it ends.
    if (!m_bProbing) m_bRequested = true;
    if (!m_worker.joinable()) m_worker = std::thread(&CInternetCheck::WorkerMain, this);
    m_cvWork.notify_one();
}

void CInternetCheck::WorkerMain()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cvWork.wait(lock, [this] { return m_bStop || m_bRequested; });
        if (m_bStop) return;
        m_bRequested = false;
        m_bProbing = true;
        lock.unlock();
        int nAnswer = 0;
        try {
            nAnswer = m_fnProbe && m_fnProbe(m_bCancel) ? 1 : 0;
        } catch (...) {
            nAnswer = 0; // a probe that throws found no internet
        }
        lock.lock();
        m_bProbing = false;
        m_nLast = nAnswer;
        m_tLast = m_fnNow();
        m_bExpired = false;
        ++m_nProbes;
        std::vector<CWaiter> waiters;
        waiters.swap(m_vecWaiters);
        m_cvAnswer.notify_all();
        if (m_bStop) return;
        lock.unlock();
        for (const CWaiter& w : waiters) zent::PostMessage(w.hwnd, w.message, static_cast<zent::WPARAM>(nAnswer), w.cookie);
        lock.lock();
    }
}

int CInternetCheck::IsInternetConnected()
{
    std::unique_lock lock(m_mutex);
    if (IsFreshLocked()) return *m_nLast;
    if (m_bStop) return 0;
    const int nSeen = m_nProbes;
    StartProbeLocked();
    m_cvAnswer.wait(lock, [&] { return m_nProbes > nSeen || m_bStop; });
    return m_nProbes > nSeen ? m_nLast.value_or(0) : 0;
}

std::optional<int> CInternetCheck::CheckAsync(zent::HWND hwnd, zent::UINT message, zent::LPARAM cookie)
{
    std::lock_guard lock(m_mutex);
    if (IsFreshLocked()) return *m_nLast;
    if (m_bStop) return 0;
    m_vecWaiters.push_back(CWaiter{hwnd, message, cookie});
    StartProbeLocked();
    return std::nullopt;
}

std::optional<int> CInternetCheck::GetLastResult() const
{
    std::lock_guard lock(m_mutex);
    return m_nLast;
}

void CInternetCheck::Invalidate()
{
    std::lock_guard lock(m_mutex);
    m_bExpired = true;
}

int CInternetCheck::GetProbeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_nProbes;
}

int IsInternetConnected()
{
    return CInternetCheck::Shared().IsInternetConnected();
}
