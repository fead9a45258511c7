#pragma once

// Child processes for the start-up tests: the single instance and the crash report are about
// what happens between processes and when a process dies, which one process cannot show.

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace startuptest {

// Runs fn in a forked child that ends with fn's result and no clean-up of any kind (no static
// destructors, no atexit, no leak check). Returns the child's wait status, or -1.
inline int WaitChild(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

template <class Fn>
int RunChild(Fn fn)
{
    const pid_t pid = fork();
    if (pid == 0) _exit(fn());
    return pid < 0 ? -1 : WaitChild(pid);
}

inline std::string DescribeStatus(int status)
{
    if (status == -1) return "no child";
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// A pipe used to hand one byte from one process to the other.
class CSignalPipe {
public:
    CSignalPipe() { m_bOk = pipe(m_fds) == 0; }
    ~CSignalPipe()
    {
        Close(0);
        Close(1);
    }
    CSignalPipe(const CSignalPipe&) = delete;
    CSignalPipe& operator=(const CSignalPipe&) = delete;

    bool IsOk() const { return m_bOk; }
    bool Send() const { return write(m_fds[1], "x", 1) == 1; }
    // Blocks until a byte arrives; false when every writer has gone.
    bool Receive() const
    {
        char c = 0;
        ssize_t n;
        do {
            n = read(m_fds[0], &c, 1);
        } while (n < 0 && errno == EINTR);
        return n == 1;
    }
    void CloseWriteEnd() { Close(1); }

private:
    void Close(int i)
    {
        if (m_fds[i] >= 0) close(m_fds[i]);
        m_fds[i] = -1;
    }
    int m_fds[2] = {-1, -1};
    bool m_bOk = false;
};

} // namespace startuptest
