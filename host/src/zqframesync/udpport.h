#pragma once
// A UDP socket bound on the loopback address: the network port the frame sync
// object listens on.

namespace zqframesync {

class UdpPort {
public:
    UdpPort();  // binds an ephemeral port; port() is 0 when that failed
    ~UdpPort();
    UdpPort(const UdpPort&) = delete;
    UdpPort& operator=(const UdpPort&) = delete;

    int port() const { return _port; }

private:
    long long _socket = -1;
    int _port = 0;
};

}  // namespace zqframesync
