#pragma once

#include "service/VideoDelivery.h"

#include <httplib.h>

#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

namespace zovservice {

class ApiRouter;

// The file hosts a replay's video comes from, on the plain HTTP port as
// /videohost/<host>/<file>. Every host serves the lesson video under its own name, byte
// ranges included, and nothing else: "a" and "b" normally, "stall" up to an offset and then
// not another byte, "slow" at a set rate; "missing" never has it.
class VideoHosts
{
public:
    static constexpr int defaultStallAfterBytes = 1000000;
    static constexpr int defaultSlowBytesPerSecond = 100000;

    explicit VideoHosts(const std::string& videoFile);

    // "<webUrl>/videohost/a/" and ".../b/": the hosts that serve normally, the ones a replay
    // names.
    static QStringList replayHosts(const std::string& webUrl);

    void registerRoutes(ApiRouter& router) const;
    // Holds for every later request; a value left out stays as it was.
    void setFaults(std::optional<int> stallAfterBytes, std::optional<int> slowBytesPerSecond);
    // Ends the stalled and slow responses still running, so stopping the server does not
    // wait for them.
    void stop();

private:
    void handleFile(const httplib::Request& request, httplib::Response& response) const;
    std::optional<VideoDelivery::Pace> paceOf(const std::string& host) const;

    std::string m_videoFile;
    std::string m_fileName;
    std::atomic<int> m_stallAfterBytes { defaultStallAfterBytes };
    std::atomic<int> m_slowBytesPerSecond { defaultSlowBytesPerSecond };
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
};

} // namespace zovservice
