#pragma once

// What the gallery's UI tests stand on: an X server of their own (Xvfb on a free display number
// found with -displayfd, reachable only through its local socket), child processes started with
// that display and nothing of the caller's, xdotool for input, ImageMagick's import for
// screenshots read back as raw RGB, and the gallery's log read as it grows.

#include "TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace uitest {

using namespace std::chrono_literals;

// The caller's environment without anything that points at its display.
inline std::vector<std::string> CleanEnvironment(const std::string& display)
{
    std::vector<std::string> env;
    for (char** p = environ; *p; ++p) {
        const std::string var = *p;
        if (var.rfind("DISPLAY=", 0) == 0 || var.rfind("XAUTHORITY=", 0) == 0 || var.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            var.rfind("TORVIX_HEADLESS=", 0) == 0)
            continue;
        env.push_back(var);
    }
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    // GTK would otherwise look for an accessibility bus and a settings daemon for seconds.
    env.push_back("NO_AT_BRIDGE=1");
    env.push_back("GSETTINGS_BACKEND=memory");
    return env;
}

// A child process; killed and reaped when the object goes, unless it has ended.
class CChild {
public:
    CChild() = default;
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;
    ~CChild() { Stop(); }

    // fdKeep: a descriptor the child gets as descriptor 3 (-1: none). Output goes to /dev/null,
    // or with an output file both standard output and standard error go there.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, int fdKeep = -1,
               const std::filesystem::path& output = {})
    {
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> envp;
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (output.empty()) {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        }
        if (fdKeep >= 0) posix_spawn_file_actions_adddup2(&actions, fdKeep, 3);
        const int rc = posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) m_pid = -1;
        return rc == 0;
    }
    // The exit status, or nullopt when it has not ended within the time.
    std::optional<int> Wait(std::chrono::milliseconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (m_pid > 0) {
            int status = 0;
            const pid_t r = waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() >= end) return std::nullopt;
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }
    void Stop()
    {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        if (!Wait(3s)) {
            kill(m_pid, SIGKILL);
            Wait(3s);
        }
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// Runs a command to its end; its exit status, or -1 when it could not start or took too long.
inline int Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               std::chrono::milliseconds timeout = 10s)
{
    CChild child;
    if (!child.Start(argv, env)) return -1;
    const std::optional<int> status = child.Wait(timeout);
    return status ? *status : -1;
}

// An X server of the test's own, with a screen of the given size.
class CXvfb {
public:
    explicit CXvfb(int nWidth = 1024, int nHeight = 768)
    {
        const std::string screen = std::to_string(nWidth) + "x" + std::to_string(nHeight) + "x24";
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        // Above 3, so that handing the write end over as descriptor 3 is a real copy.
        const int nRead = fcntl(fds[0], F_DUPFD_CLOEXEC, 10);
        const int nWrite = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
        close(fds[0]);
        close(fds[1]);
        const bool bStarted = m_server.Start({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten",
                                              "tcp", "-noreset"},
                                             CleanEnvironment(""), nWrite);
        close(nWrite);
        std::string number;
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (bStarted && std::chrono::steady_clock::now() < end) {
            pollfd pfd{nRead, POLLIN, 0};
            if (poll(&pfd, 1, 100) <= 0) continue;
            char c = 0;
            if (read(nRead, &c, 1) != 1) break;
            if (c == '\n') {
                m_strDisplay = ":" + number;
                break;
            }
            number.push_back(c);
        }
        close(nRead);
    }
    const std::string& Display() const { return m_strDisplay; }
    std::vector<std::string> Env() const { return CleanEnvironment(m_strDisplay); }

private:
    CChild m_server;
    std::string m_strDisplay;
};

// A screenshot: 8-bit RGB of a rectangle of the root window.
struct SShot {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::uint8_t> rgb;

    bool Valid() const { return nWidth > 0 && rgb.size() == static_cast<std::size_t>(nWidth) * nHeight * 3; }
    // The mean colour of a rectangle, as 0xRRGGBB.
    std::uint32_t Mean(int x0, int y0, int x1, int y1) const
    {
        std::uint64_t r = 0, g = 0, b = 0, n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const std::size_t i = (static_cast<std::size_t>(y) * nWidth + x) * 3;
                r += rgb[i];
                g += rgb[i + 1];
                b += rgb[i + 2];
                ++n;
            }
        if (n == 0) return 0;
        return static_cast<std::uint32_t>(((r / n) << 16) | ((g / n) << 8) | (b / n));
    }
    // How many pixels of a rectangle differ between two shots.
    int Differences(const SShot& other, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const std::size_t i = (static_cast<std::size_t>(y) * nWidth + x) * 3;
                if (std::memcmp(&rgb[i], &other.rgb[i], 3) != 0) ++n;
            }
        return n;
    }
};

inline int Red(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

inline SShot Screenshot(const CXvfb& x, const std::filesystem::path& file, int w, int h)
{
    SShot shot;
    const std::string geometry = std::to_string(w) + "x" + std::to_string(h) + "+0+0";
    if (Run({"import", "-window", "root", "-crop", geometry, "-depth", "8", "rgb:" + file.string()}, x.Env()) != 0)
        return shot;
    std::ifstream in(file, std::ios::binary);
    shot.rgb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    shot.nWidth = w;
    shot.nHeight = h;
    return shot;
}

// The same taken in this process (XGrab.cpp), fast enough for looks that last a moment.
SShot GrabNow(const CXvfb& x, int w, int h);

// The log a program writes, read as it grows.
class CLogFile {
public:
    explicit CLogFile(std::filesystem::path path) : m_path(std::move(path)) {}
    const std::filesystem::path& Path() const { return m_path; }
    std::string Text() const { return testsupport::ReadFile(m_path); }
    // Waits until the log holds text after position from; the position just after it, or npos.
    std::size_t WaitFor(const std::string& text, std::size_t from = 0, std::chrono::milliseconds timeout = 10s) const
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (true) {
            const std::string all = Text();
            const std::size_t at = from <= all.size() ? all.find(text, from) : std::string::npos;
            if (at != std::string::npos) return at + text.size();
            if (std::chrono::steady_clock::now() >= end) return std::string::npos;
            std::this_thread::sleep_for(25ms);
        }
    }
    std::size_t Size() const { return Text().size(); }
    int Count(const std::string& text) const
    {
        const std::string all = Text();
        int n = 0;
        for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
        return n;
    }

private:
    std::filesystem::path m_path;
};

} // namespace uitest
