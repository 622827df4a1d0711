#pragma once
// A loopback TCP relay in front of the test server, so a test can take "the
// server" away and bring it back without disturbing other tests on the same server.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace palomex::test {

class TcpProxy {
public:
    explicit TcpProxy(std::uint16_t targetPort);
    ~TcpProxy();
    TcpProxy(const TcpProxy&) = delete;
    TcpProxy& operator=(const TcpProxy&) = delete;

    std::uint16_t port() const { return port_; }
    // Cuts every relayed connection and refuses new ones.
    void down();
    // Accepts connections on the same port again.
    void up();

private:
    void listen();
    void loop();

    std::uint16_t target_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    int listener_ = -1;
    std::vector<std::pair<int, int>> pairs_; // client, server
    std::thread thread_;
};

} // namespace palomex::test
