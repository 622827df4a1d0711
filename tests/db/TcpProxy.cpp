#include "TcpProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace palomex::test {

namespace {

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

} // namespace

TcpProxy::TcpProxy(std::uint16_t targetPort) : target_(targetPort) {
    listen();
    thread_ = std::thread([this] { loop(); });
}

TcpProxy::~TcpProxy() {
    stop_ = true;
    thread_.join();
    down();
}

void TcpProxy::listen() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = loopback(port_);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("proxy cannot listen");
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    std::lock_guard lock(mutex_);
    listener_ = fd;
}

void TcpProxy::down() {
    std::lock_guard lock(mutex_);
    if (listener_ >= 0)
        ::close(listener_);
    listener_ = -1;
    for (auto [c, s] : pairs_) {
        ::shutdown(c, SHUT_RDWR);
        ::close(c);
        ::close(s);
    }
    pairs_.clear();
}

void TcpProxy::up() {
    if (listener_ < 0)
        listen();
}

void TcpProxy::loop() {
    char buffer[65536];
    while (!stop_) {
        std::vector<pollfd> fds;
        {
            std::lock_guard lock(mutex_);
            if (listener_ >= 0)
                fds.push_back({listener_, POLLIN, 0});
            for (auto [c, s] : pairs_) {
                fds.push_back({c, POLLIN, 0});
                fds.push_back({s, POLLIN, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), 20) <= 0)
            continue;
        std::lock_guard lock(mutex_);
        for (const pollfd& p : fds) {
            if (!(p.revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            if (p.fd == listener_) {
                const int client = ::accept(listener_, nullptr, nullptr);
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in a = loopback(target_);
                if (client >= 0 &&
                    ::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                    pairs_.emplace_back(client, server);
                } else {
                    ::close(client);
                    ::close(server);
                }
                continue;
            }
            for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
                if (p.fd != it->first && p.fd != it->second)
                    continue;
                const int to = p.fd == it->first ? it->second : it->first;
                const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
                if (n <= 0 || ::write(to, buffer, static_cast<size_t>(n)) != n) {
                    ::close(it->first);
                    ::close(it->second);
                    pairs_.erase(it);
                }
                break;
            }
        }
    }
}

} // namespace palomex::test
