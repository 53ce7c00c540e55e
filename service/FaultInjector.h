#pragma once

#include <httplib.h>

#include <mutex>
#include <optional>
#include <string_view>

namespace zovservice {

enum class FaultMode
{
    Error500,
    Slow,
    NonJson,
    Close
};

// Makes the next few API requests misbehave the way a poor network or a broken
// server would, so that clients can be tested against it. Shared by all server
// threads; a request takes its fault once its body has been read.
class FaultInjector
{
public:
    static std::optional<FaultMode> modeFromName(std::string_view name);

    // The next count requests fail with mode; a new call replaces what is left.
    void arm(int count, FaultMode mode, int delayMs);

    // Applies the next armed fault, if any. Handled means the fault took the request
    // over; Unhandled lets it be answered normally (after a delay, for "slow").
    httplib::Server::HandlerResponse apply(
        const httplib::Request& request, httplib::Response& response);

private:
    struct Fault
    {
        FaultMode mode;
        int delayMs;
    };

    std::optional<Fault> takeNext();

    std::mutex m_mutex;
    int m_remaining = 0;
    Fault m_fault { FaultMode::Error500, 0 };
};

} // namespace zovservice
