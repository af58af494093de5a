#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "udpport.h"

namespace zqframesync {

namespace {
sockaddr_in addressOf(const std::string& ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = ip.empty() ? htonl(INADDR_LOOPBACK) : inet_addr(ip.c_str());
    return address;
}
}  // namespace

UdpPort::UdpPort(const std::string& ip, int receiveTimeoutMs) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return;
    sockaddr_in address = addressOf(ip, 0);
    socklen_t length = sizeof address;
    timeval timeout{receiveTimeoutMs / 1000, (receiveTimeoutMs % 1000) * 1000};
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        ::close(fd);
        return;
    }
    _socket = fd;
    _port = ntohs(address.sin_port);
    _ip = ipText(ntohl(address.sin_addr.s_addr));
}

UdpPort::~UdpPort() {
    if (_socket >= 0) ::close(static_cast<int>(_socket));
}

bool UdpPort::sendTo(const std::string& ip, int port, const void* data, size_t size) {
    if (_socket < 0) return false;
    const sockaddr_in address = addressOf(ip, port);
    return ::sendto(static_cast<int>(_socket), data, size, 0, reinterpret_cast<const sockaddr*>(&address),
                    sizeof address) == static_cast<ssize_t>(size);
}

int UdpPort::receive(void* buffer, size_t size, std::string& fromIp) {
    if (_socket < 0) return -1;
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got =
        ::recvfrom(static_cast<int>(_socket), buffer, size, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) return -1;
    fromIp = ipText(ntohl(from.sin_addr.s_addr));
    return static_cast<int>(got);
}

}  // namespace zqframesync
