#include "service/VideoHosts.h"

#include "service/ApiRouter.h"
#include "service/RequestSocket.h"

#include <filesystem>

namespace zovservice {

VideoHosts::VideoHosts(const std::string& videoFile)
    : m_videoFile(videoFile)
    , m_fileName(std::filesystem::path(videoFile).filename().string())
{ }

QStringList VideoHosts::replayHosts(const std::string& webUrl)
{
    const QString base = QString::fromStdString(webUrl) + QStringLiteral("/videohost/");
    return { base + QStringLiteral("a/"), base + QStringLiteral("b/") };
}

void VideoHosts::registerRoutes(ApiRouter& router) const
{
    router.get("/videohost/([^/]+)/([^/]+)",
        [this](const httplib::Request& request, httplib::Response& response) {
            handleFile(request, response);
        });
}

void VideoHosts::setFaults(
    std::optional<int> stallAfterBytes, std::optional<int> slowBytesPerSecond)
{
    if (stallAfterBytes)
        m_stallAfterBytes.store(*stallAfterBytes);
    if (slowBytesPerSecond)
        m_slowBytesPerSecond.store(*slowBytesPerSecond);
}

void VideoHosts::stop()
{
    m_stopping->store(true);
}

// The name only has to match: the file opened never comes from the request.
void VideoHosts::handleFile(const httplib::Request& request, httplib::Response& response) const
{
    const std::optional<VideoDelivery::Pace> pace = paceOf(request.matches[1]);
    if (!pace || request.matches[2] != m_fileName) {
        response.status = 404;
        return;
    }
    auto delivery = std::make_shared<VideoDelivery>(
        m_videoFile, *pace, RequestSocket::find(request), m_stopping);
    if (!delivery->isOpen()) {
        response.status = 404;
        return;
    }
    response.set_header("Accept-Ranges", "bytes");
    // cpp-httplib answers a Range header by asking the provider for that range only.
    response.set_content_provider(delivery->size(), "video/mp4",
        [delivery](size_t offset, size_t length, httplib::DataSink& sink) {
            return delivery->provide(offset, length, sink);
        });
}

// A rate of nothing is a stall before the first byte.
std::optional<VideoDelivery::Pace> VideoHosts::paceOf(const std::string& host) const
{
    if (host == "a" || host == "b")
        return VideoDelivery::Pace {};
    if (host == "stall")
        return VideoDelivery::Pace { size_t(m_stallAfterBytes.load()), 0 };
    if (host == "slow") {
        const int rate = m_slowBytesPerSecond.load();
        return rate > 0 ? VideoDelivery::Pace { VideoDelivery::noStall, rate }
                        : VideoDelivery::Pace { 0, 0 };
    }
    return std::nullopt;
}

} // namespace zovservice
