#pragma once

#include <httplib.h>

namespace zovservice {

// Ends the TCP connection a request arrived on, without an answer. cpp-httplib does not
// hand its handlers the socket, so the socket is found among the process's descriptors
// by the addresses and ports the request carries, and shut down in both directions.
class ConnectionDropper
{
public:
    static bool drop(const httplib::Request& request);

private:
    static bool isConnectionOf(int descriptor, const httplib::Request& request);
};

} // namespace zovservice
