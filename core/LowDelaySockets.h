#pragma once

namespace zov {
namespace network {

// Switches Nagle's algorithm off on TCP connections that a library opened in this process
// without giving access to their sockets. They are found among the process's descriptors by
// the port they are connected to.
class LowDelaySockets
{
public:
    // Every connection of the process to peerPort, whoever opened it.
    static void apply(int peerPort);

private:
    static bool isConnectedTo(int descriptor, int peerPort);
};

} // namespace network
} // namespace zov
