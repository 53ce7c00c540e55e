#pragma once

namespace zovservice {

// SIGINT and SIGTERM end the service cleanly. They are blocked before any server thread
// starts, so that every thread inherits the mask and only wait() receives them. A client
// that hangs up mid-answer must not kill the process, so SIGPIPE is ignored.
class TerminationSignals
{
public:
    TerminationSignals();

    // Returns the signal that arrived.
    int wait() const;
    // Whether one arrived and waits for wait(): long work before the service is up gives up
    // on it, instead of keeping the one who asked waiting.
    static bool pending();
};

} // namespace zovservice
