#pragma once

#include <httplib.h>

namespace zovservice {

// The socket a request arrived on. cpp-httplib does not hand its handlers the socket, so it
// is found among the process's descriptors by the addresses and ports the request carries.
class RequestSocket
{
public:
    // -1 when no descriptor matches.
    static int find(const httplib::Request& request);
    // Whether the client has closed its side: a client that is only reading sends nothing,
    // so an end of stream (or an error) is the only thing there is to see.
    static bool isClosedByPeer(int descriptor);

private:
    static bool isConnectionOf(int descriptor, const httplib::Request& request);
};

} // namespace zovservice
