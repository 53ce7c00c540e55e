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
};

} // namespace zovservice
