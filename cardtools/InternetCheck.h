#pragma once

// Whether the internet can be reached, and where the outside services live.
//
// The answer comes from one plain HTTP GET of the probe address (services.conf
// [Services] ReachabilityProbe, overridable in the settings) with a short time-out. A window never
// waits for it: the probe runs on a worker thread of its own and the answer is posted to the
// window that asked. Answers are kept for a few seconds, so opening one recording after another
// asks the network once.

#include <zent/platform/Types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The settings key under which a value of services.conf is overridden: the group's name is the
// last part of the key, the value's name is the key of services.conf
// ("SOFTWARE\Quenlar\Stravon Player\Services\Map", value "Tiles").
std::wstring ServiceSettingsKey(std::string_view group);

// The raw text of a key of services.conf: the settings' override when it is set and not empty,
// else the delivered file's value; nothing when neither has it.
std::optional<std::string> GetServiceValue(std::string_view group, std::string_view key);
// The same from a given services.conf (tests, tools).
std::optional<std::string> GetServiceValueFrom(const std::filesystem::path& conf, std::string_view group,
                                               std::string_view key);

// The address a key names, as a URI: a value with a scheme (http:, https:, file:) as it stands,
// any other value as a file: URI of that path relative to the folder of services.conf. Empty when
// the key is missing or empty.
std::string GetServiceAddress(std::string_view group, std::string_view key);
std::string ResolveServiceAddress(const std::string& value, const std::filesystem::path& baseFolder);

// A value of a GLib key file ("[Group]" lines, "key=value" lines, "#" comments, GLib's escapes
// of blank, line feed, tab, carriage return and backslash), nothing when the group or key is
// missing.
std::optional<std::string> FindKeyFileValue(std::string_view text, std::string_view group, std::string_view key);

// One HTTP GET of address with the given time-out for the whole exchange. 1 when an HTTP answer
// below 400 came back (a redirect counts: someone answered), 0 for anything else: no network,
// a name that does not resolve, a refused or silent server, a proxy's refusal, an HTTP error, or
// pCancel set while waiting. The body is read no further than needed. Any thread.
int ProbeAddress(const std::string& address, std::chrono::milliseconds timeout,
                 const std::atomic<bool>* pCancel = nullptr);

// The time-out of the program's probe: long enough for a slow answer from far away, short enough
// that a swallowed request does not keep the map waiting.
inline constexpr std::chrono::milliseconds kProbeTimeout{3000};
// How long an answer stands before the next question probes again.
inline constexpr std::chrono::milliseconds kProbeCacheTime{5000};

class CInternetCheck {
public:
    using Clock = std::chrono::steady_clock;
    // Runs on the check's worker thread; 1 reachable, 0 not. bCancel is set when the check is
    // being destroyed: a probe should give up soon after.
    using ProbeFn = std::function<int(const std::atomic<bool>& bCancel)>;
    using NowFn = std::function<Clock::time_point()>;

    // A check that probes with fnProbe and keeps an answer for cacheFor; fnNow is its clock
    // (tests move it by hand; empty: the steady clock).
    CInternetCheck(ProbeFn fnProbe, std::chrono::milliseconds cacheFor, NowFn fnNow = {});
    // Stops the worker; a probe under way is told to give up and waited for.
    ~CInternetCheck();
    CInternetCheck(const CInternetCheck&) = delete;
    CInternetCheck& operator=(const CInternetCheck&) = delete;

    // A probe of address with ProbeAddress and the time-out.
    static ProbeFn HttpProbe(std::string address, std::chrono::milliseconds timeout = kProbeTimeout);

    // The program's check: probes the configured address with the program's time-out, keeps
    // answers for kProbeCacheTime. Made on first use, lives until the process ends.
    static CInternetCheck& Shared();

    // Blocks until an answer is known: the kept one while it is fresh, else the probe under way
    // or a new one. Never on a window's thread: a silent network holds it for the time-out.
    int IsInternetConnected();

    // Never blocks. A fresh kept answer is returned at once; otherwise a probe is started (or the
    // one under way joined) and, when it ends, message is posted to hwnd with the answer in
    // wParam and cookie in lParam. Any thread.
    std::optional<int> CheckAsync(zent::HWND hwnd, zent::UINT message, zent::LPARAM cookie);

    // The last answer however old it is; nothing before the first probe ended.
    std::optional<int> GetLastResult() const;
    // Makes the kept answer stale, so the next question probes (GetLastResult still has it).
    void Invalidate();
    // Probes finished so far (tests, diagnostics).
    int GetProbeCount() const;

private:
    struct CWaiter {
        zent::HWND hwnd;
        zent::UINT message;
        zent::LPARAM cookie;
    };

    bool IsFreshLocked() const;
    void StartProbeLocked();
    void WorkerMain();

    const ProbeFn m_fnProbe;
    const std::chrono::milliseconds m_cacheFor;
    const NowFn m_fnNow;

    mutable std::mutex m_mutex; // guards every field below
    std::condition_variable m_cvWork;   // the worker waits for a request or the stop
    std::condition_variable m_cvAnswer; // IsInternetConnected waits for the answer
    std::optional<int> m_nLast;
    Clock::time_point m_tLast{};
    bool m_bExpired = false;   // Invalidate was called since the last answer
    bool m_bRequested = false; // a probe is asked for and not yet started
    bool m_bProbing = false;   // the worker is inside m_fnProbe
    int m_nProbes = 0;         // finished probes; a waiter sees its probe ended when it grows
    std::vector<CWaiter> m_vecWaiters;
    bool m_bStop = false;
    std::thread m_worker; // started on the first request

    std::atomic<bool> m_bCancel{false}; // read by the probe on the worker thread
};

// Whether the internet can be reached: the shared check's answer, blocking like
// CInternetCheck::IsInternetConnected (for workers such as the update check).
int IsInternetConnected();
