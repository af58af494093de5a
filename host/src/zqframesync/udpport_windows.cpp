#include <winsock2.h>

#include "udpport.h"

namespace zqframesync {

namespace {
// Winsock is started once for the process and left running until it ends.
bool winsockStarted() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
}  // namespace

UdpPort::UdpPort() {
    if (!winsockStarted()) return;
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::closesocket(s);
        return;
    }
    _socket = static_cast<long long>(s);
    _port = ntohs(address.sin_port);
}

UdpPort::~UdpPort() {
    if (_socket >= 0) ::closesocket(static_cast<SOCKET>(_socket));
}

}  // namespace zqframesync
