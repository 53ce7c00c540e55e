#pragma once

#include <httplib.h>

namespace zovservice {

class ConfigApi;
class DeviceScoreApi;
class FaultInjector;
class ReplayApi;
class RequestLog;
class RequestStats;
class UploadStore;
class VersionApi;
class VideoHosts;

// Endpoints for tests, under "/control/": arming faults, reading request counts, the last
// request on a path and the uploads, choosing the device score's, the version check's and
// the replay information's answers and how the faulty video hosts misbehave. They are never
// faulted, counted or logged themselves.
class ControlApi
{
public:
    ControlApi(FaultInjector& faults, const RequestStats& stats, const RequestLog& log,
        const UploadStore& uploads, DeviceScoreApi& deviceScore, VersionApi& version,
        VideoHosts& videoHosts, ReplayApi& replay, ConfigApi& config);

    void registerRoutes(httplib::Server& server);

private:
    void handleFaults(const httplib::Request& request, httplib::Response& response);
    void handleStats(const httplib::Request& request, httplib::Response& response) const;
    void handleLastRequest(const httplib::Request& request, httplib::Response& response) const;
    void handleUploads(const httplib::Request& request, httplib::Response& response) const;
    void handleDeviceScore(const httplib::Request& request, httplib::Response& response);
    void handleVersion(const httplib::Request& request, httplib::Response& response);
    void handleVideo(const httplib::Request& request, httplib::Response& response);
    void handleReplayData(const httplib::Request& request, httplib::Response& response);
    void handleReplayInfo(const httplib::Request& request, httplib::Response& response);
    void handleConfig(const httplib::Request& request, httplib::Response& response);

    FaultInjector& m_faults;
    const RequestStats& m_stats;
    const RequestLog& m_log;
    const UploadStore& m_uploads;
    DeviceScoreApi& m_deviceScore;
    VersionApi& m_version;
    VideoHosts& m_videoHosts;
    ReplayApi& m_replay;
    ConfigApi& m_config;
};

} // namespace zovservice
