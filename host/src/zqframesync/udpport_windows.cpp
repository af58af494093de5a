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

sockaddr_in addressOf(const std::string& ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = ip.empty() ? htonl(INADDR_LOOPBACK) : inet_addr(ip.c_str());
    return address;
}
}  // namespace

UdpPort::UdpPort(const std::string& ip, int receiveTimeoutMs) {
    if (!winsockStarted()) return;
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return;
    sockaddr_in address = addressOf(ip, 0);
    int length = sizeof address;
    const DWORD timeout = static_cast<DWORD>(receiveTimeoutMs);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) != 0) {
        ::closesocket(s);
        return;
    }
    _socket = static_cast<long long>(s);
    _port = ntohs(address.sin_port);
    _ip = ipText(ntohl(address.sin_addr.s_addr));
}

UdpPort::~UdpPort() {
    if (_socket >= 0) ::closesocket(static_cast<SOCKET>(_socket));
}

bool UdpPort::sendTo(const std::string& ip, int port, const void* data, size_t size) {
    if (_socket < 0) return false;
    const sockaddr_in address = addressOf(ip, port);
    return ::sendto(static_cast<SOCKET>(_socket), static_cast<const char*>(data), static_cast<int>(size), 0,
                    reinterpret_cast<const sockaddr*>(&address), sizeof address) == static_cast<int>(size);
}

int UdpPort::receive(void* buffer, size_t size, std::string& fromIp) {
    if (_socket < 0) return -1;
    sockaddr_in from{};
    int length = sizeof from;
    const int got = ::recvfrom(static_cast<SOCKET>(_socket), static_cast<char*>(buffer), static_cast<int>(size), 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) return -1;
    fromIp = ipText(ntohl(from.sin_addr.s_addr));
    return got;
}

}  // namespace zqframesync
