#pragma once

// One running player per user session. The first process takes an advisory lock on a file in
// the user's runtime folder and answers on a Unix socket beside it; a later start finds the
// lock taken, asks the first process over the socket to bring its window forward, and ends.
//
// flock() locks belong to the open file description, so the kernel drops the lock the moment
// the holding process dies, however it dies: a crash never leaves a lock behind. The socket
// file may outlive a crash; whoever holds the lock removes it and binds afresh.

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

class CSingleInstance {
public:
    enum class Result {
        First,          // this process is (or, after a restart, is about to become) the one
        AnotherRunning, // another process holds the lock: ask it to come forward and end
        Failed,         // no lock could be taken at all: go on without the single-instance rule
    };

    // The name the single instance goes by (written into the lock file with the holder's id).
    static constexpr const char* kInstanceName = "Torvix Player 2.0 4K";
    static constexpr const char* kLockFileName = "torvix-player.lock";
    static constexpr const char* kSocketFileName = "torvix-player.sock";
    // The argument a process started by the language-change restart carries.
    static constexpr const char* kRestartArgument = "--restart";

    // folder empty: $XDG_RUNTIME_DIR when it is a private folder of this user, else
    // <cache home>/torvix-player.
    explicit CSingleInstance(std::filesystem::path folder = {});
    // Stops the listener, removes the socket file it bound, then releases the lock.
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when an argument after the program's own name is exactly "--restart".
    static bool HasRestartArgument(int argc, const char* const* argv);

    // bRestart: sleeps 500 ms first and returns First even when the old process still holds the
    // lock; Listen then keeps trying to take it over while the old process closes.
    Result Acquire(bool bRestart);

    // For AnotherRunning: asks the running process to restore and present its window. True when
    // it answered. Bounded: a holder that is not listening yet or never answers costs at most
    // about two seconds.
    bool ActivateOther();

    // For First: answers later starts on a thread of its own, calling fnActivate there once per
    // request (the caller posts to its GUI thread from it). Never blocks. False when Acquire did
    // not return First, when it is already listening, or when the socket cannot be bound. After
    // a restart that found the lock taken, the thread first takes the lock over, then binds.
    bool Listen(std::function<void()> fnActivate);

    // True while this object holds the lock (after a restart, once the old process has gone).
    bool HoldsLock() const { return m_bHoldsLock.load(); }
    // The folder in use; empty before Acquire resolved it.
    const std::filesystem::path& GetFolder() const { return m_folder; }

    // How long a restart keeps trying to take the lock over, one try per interval.
    static constexpr int kTakeOverIntervalMs = 250;
    static constexpr int kTakeOverTries = 40;

private:
    // An owned file descriptor.
    class CFd {
    public:
        CFd() = default;
        explicit CFd(int fd) : m_nFd(fd) {}
        ~CFd() { Reset(); }
        CFd(CFd&& other) noexcept : m_nFd(other.m_nFd) { other.m_nFd = -1; }
        CFd& operator=(CFd&& other) noexcept;
        CFd(const CFd&) = delete;
        CFd& operator=(const CFd&) = delete;
        int Get() const { return m_nFd; }
        bool IsValid() const { return m_nFd >= 0; }
        void Reset(int fd = -1);

    private:
        int m_nFd = -1;
    };

    bool TryLock();
    bool BindSocket();
    void RunListener();
    void ServeConnection(int fd);
    void CloseListenSocket();

    // Set by Acquire and Listen before the listener starts; not changed while it runs.
    std::filesystem::path m_folder;
    CFd m_lockFd;
    std::function<void()> m_fnActivate;
    bool m_bAcquired = false;
    Result m_eResult = Result::Failed;

    // Set by Acquire, or by the listener thread once it has taken the lock over; read by anyone.
    std::atomic<bool> m_bHoldsLock{false};
    // Listener thread only while it runs (it binds after a take-over); the destructor after join.
    CFd m_listenFd;
    dev_t m_nSocketDev = 0;
    ino_t m_nSocketIno = 0;

    CFd m_wakeFd; // eventfd that tells the listener to stop; immutable while it runs
    std::thread m_thread;
};
