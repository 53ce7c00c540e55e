#include "service/RequestSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string>
#include <system_error>

namespace zovservice {

namespace {

struct Endpoint
{
    std::string address;
    int port = -1;
};

Endpoint endpointOf(const sockaddr_storage& storage)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (storage.ss_family == AF_INET) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(&storage);
        inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
        return { text, ntohs(address->sin_port) };
    }
    if (storage.ss_family == AF_INET6) {
        const auto* address = reinterpret_cast<const sockaddr_in6*>(&storage);
        inet_ntop(AF_INET6, &address->sin6_addr, text, sizeof text);
        return { text, ntohs(address->sin6_port) };
    }
    return {};
}

bool localEndpoint(int descriptor, Endpoint& endpoint)
{
    sockaddr_storage storage {};
    socklen_t length = sizeof storage;
    if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return false;
    endpoint = endpointOf(storage);
    return endpoint.port >= 0;
}

bool peerEndpoint(int descriptor, Endpoint& endpoint)
{
    sockaddr_storage storage {};
    socklen_t length = sizeof storage;
    if (getpeername(descriptor, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return false;
    endpoint = endpointOf(storage);
    return endpoint.port >= 0;
}

} // namespace

int RequestSocket::find(const httplib::Request& request)
{
    std::error_code error;
    std::filesystem::directory_iterator entry("/proc/self/fd", error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        int descriptor = -1;
        const auto parsed = std::from_chars(name.data(), name.data() + name.size(), descriptor);
        if (parsed.ec == std::errc() && isConnectionOf(descriptor, request))
            return descriptor;
    }
    return -1;
}

bool RequestSocket::isClosedByPeer(int descriptor)
{
    char byte = 0;
    const ssize_t peeked = recv(descriptor, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked < 0)
        return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
    return peeked == 0;
}

bool RequestSocket::isConnectionOf(int descriptor, const httplib::Request& request)
{
    Endpoint local;
    Endpoint peer;
    return localEndpoint(descriptor, local) && local.port == request.local_port
        && peerEndpoint(descriptor, peer) && peer.port == request.remote_port
        && peer.address == request.remote_addr;
}

} // namespace zovservice
