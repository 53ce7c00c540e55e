#include "service/ApiRouter.h"

#include "service/FaultInjector.h"
#include "service/JsonReply.h"
#include "service/RequestStats.h"

namespace zovservice {

ApiRouter::ApiRouter(httplib::Server& server, FaultInjector& faults, RequestStats& stats)
    : m_server(server)
    , m_faults(faults)
    , m_stats(stats)
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
    return [&faults = m_faults, &stats = m_stats, handler = std::move(handler)](
               const httplib::Request& request, httplib::Response& response) {
        stats.record(request.path);
        if (faults.apply(request, response) == httplib::Server::HandlerResponse::Unhandled)
            handler(request, response);
    };
}

} // namespace zovservice
