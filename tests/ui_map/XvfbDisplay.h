#pragma once

// An X server of the test's own: Xvfb on a display number it picks itself (-displayfd), with a
// fresh MIT cookie in a private authority file. The caller's $DISPLAY is never used, so the test
// runs the same on a desktop, in a container and as root in CI.

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace uimap {

class XvfbDisplay {
public:
    // Starts the server; Ok() tells whether it came up, Error() why not.
    explicit XvfbDisplay(const std::filesystem::path& folder) { Start(folder); }
    ~XvfbDisplay() { Stop(); }
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool Ok() const { return m_nPid > 0 && !m_strDisplay.empty(); }
    const std::string& Error() const { return m_strError; }
    const std::string& Display() const { return m_strDisplay; }
    const std::filesystem::path& AuthFile() const { return m_authFile; }

    void Stop()
    {
        if (m_nPid > 0) {
            kill(m_nPid, SIGTERM);
            int status = 0;
            while (waitpid(m_nPid, &status, 0) < 0 && errno == EINTR) {
            }
            m_nPid = -1;
        }
    }

private:
    static void PutField(std::string& out, const std::string& bytes)
    {
        out.push_back(static_cast<char>((bytes.size() >> 8) & 0xFF));
        out.push_back(static_cast<char>(bytes.size() & 0xFF));
        out += bytes;
    }

    // One authority entry of the "wild" family with no address and no display number: the server
    // accepts its cookie and every client on this machine finds it for any display.
    bool WriteAuthority()
    {
        std::random_device rd;
        std::string cookie;
        for (int i = 0; i < 16; ++i) cookie.push_back(static_cast<char>(rd() & 0xFF));
        std::string entry;
        entry.push_back(static_cast<char>(0xFF));
        entry.push_back(static_cast<char>(0xFF));
        PutField(entry, "");
        PutField(entry, "");
        PutField(entry, "MIT-MAGIC-COOKIE-1");
        PutField(entry, cookie);
        std::ofstream out(m_authFile, std::ios::binary | std::ios::trunc);
        out.write(entry.data(), static_cast<std::streamsize>(entry.size()));
        return static_cast<bool>(out);
    }

    void Start(const std::filesystem::path& folder)
    {
        m_authFile = folder / "Xauthority";
        if (!WriteAuthority()) {
            m_strError = "cannot write " + m_authFile.string();
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            m_strError = "pipe failed";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The read end may well be descriptor 3 itself: close it before the write end moves there.
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const std::string log = (folder / "Xvfb.log").string();
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::string auth = m_authFile.string();
        std::array<const char*, 14> argv = {"Xvfb", "-displayfd", "3", "-auth", auth.c_str(), "-nolisten", "tcp",
                                            "-noreset", "-screen", "0", "1024x768x24", nullptr, nullptr, nullptr};
        pid_t pid = -1;
        const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv.data()), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) {
            close(fds[0]);
            m_strError = "cannot start Xvfb (is the xvfb package installed?)";
            return;
        }
        m_nPid = pid;
        // Xvfb writes the display number and a line feed once it accepts connections.
        std::string number;
        pollfd pfd{fds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && poll(&pfd, 1, 15000) > 0) {
            char buf[32];
            const ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, static_cast<size_t>(n));
        }
        close(fds[0]);
        const auto end = number.find('\n');
        if (end == std::string::npos || end == 0) {
            m_strError = "Xvfb did not report a display; see " + log;
            Stop();
            return;
        }
        m_strDisplay = ":" + number.substr(0, end);
    }

    pid_t m_nPid = -1;
    std::string m_strDisplay;
    std::string m_strError;
    std::filesystem::path m_authFile;
};

} // namespace uimap
