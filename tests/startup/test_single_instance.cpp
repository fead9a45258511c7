// One player per user: later starts ask the running one to come forward, a dead holder blocks
// nothing, a restart goes on and takes over, and no peer can make a start hang.

#include "StartupTestSupport.h"
#include "TestSupport.h"

#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Result = CSingleInstance::Result;
using startuptest::CSignalPipe;
using startuptest::DescribeStatus;
using startuptest::RunChild;
using startuptest::WaitChild;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

// A later start in a process of its own: 0 when it found the first and was answered.
int StartSecond(const fs::path& folder)
{
    CSingleInstance second(folder);
    if (second.Acquire(false) != Result::AnotherRunning) return 2;
    if (second.Listen([] {})) return 3;
    return second.ActivateOther() ? 0 : 4;
}

// For state another thread or process reaches eventually: polls, gives up after limit.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

int MakeUnixSocket(const fs::path& path, bool bListen)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    const auto* sa = reinterpret_cast<const sockaddr*>(&addr);
    const bool ok = bListen ? bind(fd, sa, sizeof(addr)) == 0 && listen(fd, 4) == 0 : connect(fd, sa, sizeof(addr)) == 0;
    if (ok) return fd;
    close(fd);
    return -1;
}

// Everything the peer sends until it closes (the listener closes after its answer).
std::string ReadUntilClosed(int fd)
{
    std::string text;
    char buf[64];
    ssize_t n;
    while ((n = read(fd, buf, sizeof(buf))) > 0) text.append(buf, static_cast<std::size_t>(n));
    return text;
}

} // namespace

TEST(SingleInstance, LaterStartsAskTheFirstOnceEachAndFindNoTraceOfItOnceItClosed)
{
    TempDir dir;
    std::atomic<int> activations{0};
    {
        CSingleInstance first(dir.Path());
        ASSERT_EQ(first.Acquire(false), Result::First);
        EXPECT_TRUE(first.HoldsLock());
        ASSERT_TRUE(first.Listen([&] { ++activations; }));
        EXPECT_FALSE(first.Listen([] {})) << "a second listener";
        EXPECT_TRUE(fs::exists(dir / CSingleInstance::kSocketFileName));

        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(DescribeStatus(RunChild([&] { return StartSecond(dir.Path()); })), "exit 0") << "start " << i;
        // The listener calls back before it answers, so both are counted by now.
        EXPECT_EQ(activations.load(), 2);

        // Two objects in one process behave like two processes: the lock is per open file.
        CSingleInstance sameProcess(dir.Path());
        EXPECT_EQ(sameProcess.Acquire(false), Result::AnotherRunning);
        EXPECT_FALSE(sameProcess.HoldsLock());
        EXPECT_TRUE(sameProcess.ActivateOther());
        EXPECT_EQ(activations.load(), 3);
    }
    EXPECT_FALSE(fs::exists(dir / CSingleInstance::kSocketFileName));
    CSingleInstance next(dir.Path());
    EXPECT_EQ(next.Acquire(false), Result::First);
}

TEST(SingleInstance, HolderThatDiedWithoutCleanUpBlocksNothing)
{
    TempDir dir;
    const int status = RunChild([&] {
        CSingleInstance crashed(dir.Path());
        if (crashed.Acquire(false) != Result::First || !crashed.Listen([] {})) return 2;
        kill(getpid(), SIGKILL);
        return 3;
    });
    ASSERT_EQ(DescribeStatus(status), "signal 9");
    ASSERT_TRUE(fs::exists(dir / CSingleInstance::kSocketFileName)) << "the dead holder left its socket";

    std::atomic<int> activations{0};
    CSingleInstance heir(dir.Path());
    ASSERT_EQ(heir.Acquire(false), Result::First);
    ASSERT_TRUE(heir.Listen([&] { ++activations; }));
    EXPECT_EQ(DescribeStatus(RunChild([&] { return StartSecond(dir.Path()); })), "exit 0");
    EXPECT_EQ(activations.load(), 1);
}

TEST(SingleInstance, RestartWaitsThenGoesOnAndTakesOverOnceTheOldOneHasGone)
{
    {
        TempDir alone;
        CSingleInstance restarted(alone.Path());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(restarted.Acquire(true), Result::First);
        EXPECT_GE(std::chrono::steady_clock::now() - start, 500ms);
        EXPECT_TRUE(restarted.HoldsLock());
    }

    TempDir dir;
    CSignalPipe ready, closeNow;
    ASSERT_TRUE(ready.IsOk() && closeNow.IsOk());
    const pid_t old = fork();
    ASSERT_GE(old, 0);
    if (old == 0) {
        closeNow.CloseWriteEnd(); // so that a parent that gives up ends us too
        int code = 0;
        {
            CSingleInstance holder(dir.Path());
            if (holder.Acquire(false) != Result::First || !holder.Listen([] {})) code = 2;
            ready.Send();
            closeNow.Receive();
        }
        _exit(code);
    }
    ASSERT_TRUE(ready.Receive());

    std::atomic<int> activations{0};
    CSingleInstance fresh(dir.Path());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fresh.Acquire(true), Result::First);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_FALSE(fresh.HoldsLock()) << "the old process still holds it";
    ASSERT_TRUE(fresh.Listen([&] { ++activations; }));

    // While the old one runs, it still answers later starts.
    EXPECT_EQ(DescribeStatus(RunChild([&] { return StartSecond(dir.Path()); })), "exit 0");
    EXPECT_EQ(activations.load(), 0);

    closeNow.Send();
    EXPECT_EQ(DescribeStatus(WaitChild(old)), "exit 0");
    ASSERT_TRUE(WaitUntil([&] { return fresh.HoldsLock(); }, 5s));
    EXPECT_EQ(DescribeStatus(RunChild([&] { return StartSecond(dir.Path()); })), "exit 0");
    EXPECT_EQ(activations.load(), 1);
}

TEST(SingleInstance, FolderIsThePrivateRuntimeFolderElseTheCacheAndNoFolderLetsTheProgramGoOn)
{
    TempDir dir;
    const fs::path run = dir / "run";
    const fs::path shared = dir / "shared";
    ASSERT_EQ(mkdir(run.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").string());
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", run.string());
        CSingleInstance si;
        EXPECT_EQ(si.Acquire(false), Result::First);
        EXPECT_EQ(si.GetFolder(), run);
        EXPECT_TRUE(fs::exists(run / CSingleInstance::kLockFileName));
    }
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", shared.string());
        CSingleInstance si;
        EXPECT_EQ(si.Acquire(false), Result::First);
        const fs::path fallback = dir / "cache" / "torvix-player";
        EXPECT_EQ(si.GetFolder(), fallback);
        EXPECT_TRUE(fs::exists(fallback / CSingleInstance::kLockFileName));
        EXPECT_TRUE(fs::is_empty(shared)) << "nothing in a folder other users can write";
        EXPECT_EQ(fs::status(fallback).permissions(), fs::perms::owner_all);
    }
    {
        CSingleInstance nowhere("/proc/torvix-no-such-folder");
        EXPECT_EQ(nowhere.Acquire(false), Result::Failed);
        EXPECT_FALSE(nowhere.HoldsLock());
        EXPECT_FALSE(nowhere.Listen([] {}));
    }
}

TEST(SingleInstance, ProgramsStartedByTheHolderDoNotInheritTheLock)
{
    TempDir dir;
    pid_t child = -1;
    {
        CSingleInstance holder(dir.Path());
        ASSERT_EQ(holder.Acquire(false), Result::First);
        ASSERT_TRUE(holder.Listen([] {}));
        char arg0[] = "sleep";
        char arg1[] = "60";
        char* argv[] = {arg0, arg1, nullptr};
        ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
    }
    CSingleInstance next(dir.Path());
    const Result result = next.Acquire(false);
    kill(child, SIGKILL);
    WaitChild(child);
    EXPECT_EQ(result, Result::First);
}

TEST(SingleInstance, SilentOrStrangePeersNeverHangEitherSide)
{
    // The listener: a peer that says nothing and one that says something else are dropped, and
    // a real start behind them is still answered.
    TempDir dir;
    const fs::path socketPath = dir / CSingleInstance::kSocketFileName;
    std::atomic<int> activations{0};
    CSingleInstance first(dir.Path());
    ASSERT_EQ(first.Acquire(false), Result::First);
    ASSERT_TRUE(first.Listen([&] { ++activations; }));
    const int silent = MakeUnixSocket(socketPath, false);
    const int strange = MakeUnixSocket(socketPath, false);
    ASSERT_GE(silent, 0);
    ASSERT_GE(strange, 0);
    ASSERT_EQ(write(strange, "hello\n", 6), 6);
    EXPECT_EQ(DescribeStatus(RunChild([&] { return StartSecond(dir.Path()); })), "exit 0");
    EXPECT_EQ(ReadUntilClosed(strange), "");
    EXPECT_EQ(ReadUntilClosed(silent), "");
    EXPECT_EQ(activations.load(), 1);
    close(silent);
    close(strange);

    // The later start: a holder that accepts nothing and never answers gives a plain "no".
    TempDir stuckDir;
    const int lock = open((stuckDir / CSingleInstance::kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    const int deaf = MakeUnixSocket(stuckDir / CSingleInstance::kSocketFileName, true);
    ASSERT_GE(deaf, 0);
    CSingleInstance second(stuckDir.Path());
    EXPECT_EQ(second.Acquire(false), Result::AnotherRunning);
    EXPECT_FALSE(second.ActivateOther());
    close(deaf);
    close(lock);
}
