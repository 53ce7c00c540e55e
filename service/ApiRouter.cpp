#include "service/ApiRouter.h"

#include "service/FaultInjector.h"
#include "service/JsonReply.h"
#include "service/RequestLog.h"

namespace zovservice {

ApiRouter::ApiRouter(httplib::Server& server, RequestLog& log, FaultInjector* faults)
    : m_server(server)
    , m_log(log)
    , m_faults(faults)
{ }

void ApiRouter::get(const std::string& pattern, httplib::Server::Handler handler)
{
    m_server.Get(pattern, guarded(std::move(handler)));
}

void ApiRouter::post(const std::string& pattern, httplib::Server::Handler handler)
{
    m_server.Post(pattern, guarded(std::move(handler)));
}

void ApiRouter::addFallback()
{
    const auto notFound = [](const httplib::Request&, httplib::Response& response) {
        JsonReply::sendError(response, 404, "no such API");
    };
    get(".*", notFound);
    post(".*", notFound);
}

httplib::Server::Handler ApiRouter::guarded(httplib::Server::Handler handler)
{
    // The router may go once its routes are set; the handlers only keep the shared parts.
    return [&log = m_log, faults = m_faults, handler = std::move(handler)](
               const httplib::Request& request, httplib::Response& response) {
        log.record(request);
        if (faults && faults->apply(request, response) == httplib::Server::HandlerResponse::Handled)
            return;
        handler(request, response);
    };
}

} // namespace zovservice
