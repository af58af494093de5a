#pragma once
// A UDP socket bound on a loopback address: the network port the frame sync object
// listens on, and from which it sends its beacons.
#include <cstddef>
#include <string>

namespace zqframesync {

class UdpPort {
public:
    // Binds an ephemeral port on `ip` (127.0.0.1 when empty); port() is 0 when that
    // failed. A receive waits at most `receiveTimeoutMs`.
    explicit UdpPort(const std::string& ip = {}, int receiveTimeoutMs = 100);
    ~UdpPort();
    UdpPort(const UdpPort&) = delete;
    UdpPort& operator=(const UdpPort&) = delete;

    int port() const { return _port; }
    const std::string& ip() const { return _ip; }  // the address it is bound to
    bool sendTo(const std::string& ip, int port, const void* data, size_t size);
    // The size of the datagram received into `buffer` and its sender's IP; -1 when
    // none came within the timeout.
    int receive(void* buffer, size_t size, std::string& fromIp);

private:
    long long _socket = -1;
    int _port = 0;
    std::string _ip;
};

// The dotted text of an IPv4 address in host byte order.
inline std::string ipText(unsigned long address) {
    return std::to_string((address >> 24) & 0xff) + "." + std::to_string((address >> 16) & 0xff) + "." +
           std::to_string((address >> 8) & 0xff) + "." + std::to_string(address & 0xff);
}

}  // namespace zqframesync
