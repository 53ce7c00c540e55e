#include "core/LowDelaySockets.h"

#include <QDir>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace zov {
namespace network {

void LowDelaySockets::apply(int peerPort)
{
    // The entries are links to "socket:[...]" and the like, which QDir lists as system files.
    const QStringList descriptors
        = QDir(QStringLiteral("/proc/self/fd"))
              .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : descriptors) {
        const int descriptor = name.toInt();
        if (!isConnectedTo(descriptor, peerPort))
            continue;
        const int yes = 1;
        setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    }
}

bool LowDelaySockets::isConnectedTo(int descriptor, int peerPort)
{
    sockaddr_storage address {};
    socklen_t length = sizeof address;
    if (getpeername(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port) == peerPort;
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port) == peerPort;
    return false;
}

} // namespace network
} // namespace zov
