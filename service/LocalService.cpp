#include "service/LocalService.h"

#include "service/ApiRouter.h"
#include "service/ConfigApi.h"
#include "service/JsonReply.h"
#include "service/LogUploadApi.h"
#include "service/RedirectApi.h"
#include "service/WebApi.h"

#include <sys/socket.h>

#include <chrono>

namespace zovservice {

namespace {

// Enough for any JSON body, note image or log file a client sends; more is refused, not
// buffered.
constexpr size_t maximumBodyBytes = 16 * 1024 * 1024;
// Stalled and slow videos hold their threads for long; the pages the web engine loads
// beside them must still find free ones.
constexpr size_t webThreads = 32;
constexpr size_t keepAliveRequests = 1000;
constexpr time_t keepAliveIdleSeconds = 5;

bool isControlPath(const std::string& path)
{
    return path.rfind("/control/", 0) == 0;
}

// Clients parse every API answer as JSON, errors from cpp-httplib itself included.
httplib::Server::HandlerResponse answerErrorAsJson(
    const httplib::Request&, httplib::Response& response)
{
    if (!response.body.empty())
        return httplib::Server::HandlerResponse::Unhandled;
    JsonReply::sendError(
        response, response.status, "HTTP error " + std::to_string(response.status));
    return httplib::Server::HandlerResponse::Handled;
}

// cpp-httplib's default also sets SO_REUSEPORT, which would let a second service share
// a port that is already in use instead of failing to start.
void reuseAddressOnly(socket_t socket)
{
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// cpp-httplib writes a reply's headers and body separately; without TCP_NODELAY the body
// waits for the client's delayed acknowledgement of the headers (Nagle's algorithm), some
// 40 ms a reply. A kept-alive connection lasts for a whole series of requests, so that what
// a client's timing shows is its own reuse of connections, and an idle one still frees its
// thread soon.
void answerPromptly(httplib::Server& server)
{
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(keepAliveRequests);
    server.set_keep_alive_timeout(keepAliveIdleSeconds);
}

// cpp-httplib's stop() is a no-op until the listening loop has begun, so a stop that
// came right after start would leave that loop running for good.
bool waitUntilRunning(const httplib::Server& server)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server.is_running()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

LocalService::LocalService(ServiceOptions options)
    : m_options(std::move(options))
    , m_certificates(m_options.stateFolder)
    , m_uploads(m_options.stateFolder)
    , m_packages(m_options.stateFolder + "/packages")
    , m_video(m_options.mediaFolder)
    , m_dataFiles(m_options.mediaFolder)
    , m_videoHosts(m_video.file())
    , m_config(m_options.host)
    , m_control(m_faults, m_stats, m_log, m_uploads, m_deviceScore, m_version, m_videoHosts,
          m_replay, m_config)
{ }

LocalService::~LocalService()
{
    stop();
}

bool LocalService::start(std::string& error)
{
    if (!m_video.ensure(error) || !m_dataFiles.ensure(error) || !m_certificates.ensure(error))
        return false;
    m_api = std::make_unique<httplib::SSLServer>(
        m_certificates.certificateFile().c_str(), m_certificates.keyFile().c_str());
    if (!m_api->is_valid()) {
        error = "cannot set up TLS with " + m_certificates.certificateFile();
        return false;
    }
    if (!bind(*m_api, m_options.httpsPort, m_apiPort)
        || !bind(m_web, m_options.httpPort, m_webPort)) {
        error = "cannot listen on " + m_options.host;
        return false;
    }
    if (m_options.failNext > 0)
        m_faults.arm(m_options.failNext, m_options.fault, m_options.delayMs);
    if (!setUpWeb()) {
        error = "cannot serve files from " + m_options.wwwFolder;
        return false;
    }
    setUpApi();
    m_apiThread = std::thread([this] { m_api->listen_after_bind(); });
    m_webThread = std::thread([this] { m_web.listen_after_bind(); });
    if (!waitUntilRunning(*m_api) || !waitUntilRunning(m_web)) {
        error = "the servers did not start";
        return false;
    }
    return true;
}

void LocalService::stop()
{
    m_packages.stop();
    m_videoHosts.stop();
    if (m_api)
        m_api->stop();
    m_web.stop();
    if (m_apiThread.joinable())
        m_apiThread.join();
    if (m_webThread.joinable())
        m_webThread.join();
}

std::string LocalService::apiUrl() const
{
    return "https://" + m_options.host + ":" + std::to_string(m_apiPort);
}

std::string LocalService::webUrl() const
{
    return "http://" + m_options.host + ":" + std::to_string(m_webPort);
}

bool LocalService::bind(httplib::Server& server, int requestedPort, int& boundPort) const
{
    server.set_socket_options(reuseAddressOnly);
    answerPromptly(server);
    if (requestedPort == 0) {
        boundPort = server.bind_to_any_port(m_options.host);
        return boundPort > 0;
    }
    boundPort = requestedPort;
    return server.bind_to_port(m_options.host, requestedPort);
}

void LocalService::recordArrivals(httplib::Server& server)
{
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        if (!isControlPath(request.path)) {
            m_stats.record(request.path);
            m_log.record(request);
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

void LocalService::setUpApi()
{
    m_api->set_payload_max_length(maximumBodyBytes);
    m_api->set_error_handler(httplib::Server::HandlerWithResponse(answerErrorAsJson));
    m_api->set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            JsonReply::sendError(response, 500, "internal error");
        });
    recordArrivals(*m_api);
    m_control.registerRoutes(*m_api);
    ApiRouter router(*m_api, m_log, &m_faults);
    m_config.setPorts(m_apiPort, m_webPort);
    m_config.registerRoutes(router);
    m_logUpload = std::make_unique<LogUploadApi>(m_options.host, m_apiPort, m_uploads);
    m_logUpload->registerRoutes(router);
    m_deviceScore.registerRoutes(router);
    m_version.setPackageBase(webUrl());
    m_version.registerRoutes(router);
    m_replay.setVideoHosts(VideoHosts::replayHosts(webUrl()));
    m_replay.setDataFiles(m_dataFiles.listings(webUrl()));
    m_replay.registerRoutes(router);
    RedirectApi::registerRoutes(router);
    router.addFallback();
}

bool LocalService::setUpWeb()
{
    m_web.set_payload_max_length(maximumBodyBytes);
    m_web.new_task_queue = [] { return new httplib::ThreadPool(webThreads); };
    // cpp-httplib names no charset; the pages are Chinese and must not be guessed at.
    m_web.set_file_extension_and_mimetype_mapping("html", "text/html; charset=utf-8");
    m_web.set_file_extension_and_mimetype_mapping("css", "text/css; charset=utf-8");
    m_web.set_file_extension_and_mimetype_mapping("js", "text/javascript; charset=utf-8");
    recordArrivals(m_web);
    ApiRouter router(m_web, m_log);
    m_webApi = std::make_unique<WebApi>(VideoHosts::replayHosts(webUrl()));
    m_webApi->registerRoutes(router);
    m_packages.registerRoutes(router);
    m_videoHosts.registerRoutes(router);
    m_dataFiles.registerRoutes(router);
    return m_packages.prepare() && m_web.set_mount_point("/", m_options.wwwFolder);
}

} // namespace zovservice
