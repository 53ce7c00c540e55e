#include "service/FaultInjector.h"

#include "service/ConnectionDropper.h"
#include "service/JsonReply.h"

#include <chrono>
#include <thread>

namespace zovservice {

using HandlerResponse = httplib::Server::HandlerResponse;

std::optional<FaultMode> FaultInjector::modeFromName(std::string_view name)
{
    if (name == "error500")
        return FaultMode::Error500;
    if (name == "slow")
        return FaultMode::Slow;
    if (name == "nonjson")
        return FaultMode::NonJson;
    if (name == "close")
        return FaultMode::Close;
    return std::nullopt;
}

void FaultInjector::arm(int count, FaultMode mode, int delayMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_remaining = count;
    m_fault = { mode, delayMs };
}

std::optional<FaultInjector::Fault> FaultInjector::takeNext()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_remaining <= 0)
        return std::nullopt;
    --m_remaining;
    return m_fault;
}

HandlerResponse FaultInjector::apply(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<Fault> fault = takeNext();
    if (!fault)
        return HandlerResponse::Unhandled;
    switch (fault->mode) {
    case FaultMode::Error500:
        JsonReply::sendError(response, 500, "injected server error");
        return HandlerResponse::Handled;
    case FaultMode::Slow:
        std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));
        return HandlerResponse::Unhandled;
    case FaultMode::NonJson:
        response.status = 200;
        response.set_content("<html>not json</html>", "text/html");
        return HandlerResponse::Handled;
    case FaultMode::Close:
        // Whatever the server writes after a drop goes nowhere: the client only sees
        // its connection end.
        if (!ConnectionDropper::drop(request))
            JsonReply::sendError(response, 500, "could not drop the connection");
        return HandlerResponse::Handled;
    }
    return HandlerResponse::Unhandled;
}

} // namespace zovservice
