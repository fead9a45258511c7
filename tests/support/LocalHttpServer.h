#pragma once

// Servers on the loopback address for tests that must never reach the network: one that answers
// every request with a status line, or takes connections and never answers; and a closed port.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// An HTTP server on 127.0.0.1 that answers every request with one status line (and a body of the
// given size), or takes connections and never answers.
class CLocalHttpServer {
public:
    enum class Mode { Answer, Silent };

    explicit CLocalHttpServer(Mode mode, int nStatus = 200, std::size_t nBody = 2)
        : m_mode(mode), m_nStatus(nStatus), m_nBody(nBody)
    {
        m_fdListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (m_fdListen < 0 || bind(m_fdListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(m_fdListen, 16) != 0 || getsockname(m_fdListen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        m_nPort = ntohs(addr.sin_port);
        if (pipe2(m_fdStop, O_CLOEXEC) != 0) return;
        m_thread = std::thread([this] { Serve(); });
    }
    ~CLocalHttpServer()
    {
        if (m_thread.joinable()) {
            const char c = 'x';
            (void)!write(m_fdStop[1], &c, 1);
            m_thread.join();
        }
        for (int fd : {m_fdListen, m_fdStop[0], m_fdStop[1]})
            if (fd >= 0) close(fd);
    }
    CLocalHttpServer(const CLocalHttpServer&) = delete;
    CLocalHttpServer& operator=(const CLocalHttpServer&) = delete;

    int Port() const { return m_nPort; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort) + "/"; }
    int Requests() const { return m_nRequests.load(); }

private:
    void Serve()
    {
        std::vector<int> held; // silent connections stay open until the server stops
        for (;;) {
            pollfd fds[2] = {{m_fdListen, POLLIN, 0}, {m_fdStop[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) break;
            const int fd = accept4(m_fdListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::string head;
            char buf[1024];
            while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
                pollfd pfd{fd, POLLIN, 0};
                if (poll(&pfd, 1, 2000) <= 0) break;
                const ssize_t n = read(fd, buf, sizeof buf);
                if (n <= 0) break;
                head.append(buf, static_cast<std::size_t>(n));
            }
            ++m_nRequests;
            if (m_mode == Mode::Silent) {
                held.push_back(fd);
                continue;
            }
            std::string reply = "HTTP/1.1 " + std::to_string(m_nStatus) + " Status\r\nContent-Length: " +
                                std::to_string(m_nBody) + "\r\nConnection: close\r\n\r\n" + std::string(m_nBody, 'x');
            std::size_t off = 0;
            while (off < reply.size()) {
                const ssize_t n = send(fd, reply.data() + off, reply.size() - off, MSG_NOSIGNAL);
                if (n <= 0) break;
                off += static_cast<std::size_t>(n);
            }
            close(fd);
        }
        for (int fd : held) close(fd);
    }

    Mode m_mode;
    int m_nStatus;
    std::size_t m_nBody;
    int m_fdListen = -1;
    int m_fdStop[2] = {-1, -1};
    int m_nPort = 0;
    std::atomic<int> m_nRequests{0};
    std::thread m_thread;
};

// A loopback port that was free a moment ago and has nobody listening now.
inline int ClosedPort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
}
