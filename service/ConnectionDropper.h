#pragma once

#include <httplib.h>

namespace zovservice {

// Ends the TCP connection a request arrived on, without an answer: its socket is shut down
// in both directions.
class ConnectionDropper
{
public:
    static bool drop(const httplib::Request& request);
};

} // namespace zovservice
