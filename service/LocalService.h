#pragma once

#include "service/CertificateStore.h"
#include "service/ConfigApi.h"
#include "service/ControlApi.h"
#include "service/DeviceScoreApi.h"
#include "service/FaultInjector.h"
#include "service/LessonVideo.h"
#include "service/PackageFiles.h"
#include "service/ReplayApi.h"
#include "service/ReplayDataFiles.h"
#include "service/RequestLog.h"
#include "service/RequestStats.h"
#include "service/ServiceOptions.h"
#include "service/UploadStore.h"
#include "service/VersionApi.h"
#include "service/VideoHosts.h"

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace zovservice {

class LogUploadApi;
class WebApi;

// The stand-in service: the APIs on an HTTPS server, pages and files on a plain HTTP
// one, each listening on its own thread. The lesson video and the whiteboard's data files are
// made before either listens.
class LocalService
{
public:
    explicit LocalService(ServiceOptions options);
    ~LocalService();

    // Makes the lesson video and data files when they are missing, binds both ports and starts
    // answering; on failure says why in error.
    bool start(std::string& error);
    void stop();

    std::string apiUrl() const;
    std::string webUrl() const;
    std::string caFile() const { return m_certificates.certificateFile(); }
    std::string videoFile() const { return m_video.file(); }

private:
    bool bind(httplib::Server& server, int requestedPort, int& boundPort) const;
    // Counts and logs every request but the control ones before it is routed.
    void recordArrivals(httplib::Server& server);
    void setUpApi();
    bool setUpWeb();

    ServiceOptions m_options;
    CertificateStore m_certificates;
    FaultInjector m_faults;
    RequestStats m_stats;
    RequestLog m_log;
    UploadStore m_uploads;
    DeviceScoreApi m_deviceScore;
    VersionApi m_version;
    PackageFiles m_packages;
    LessonVideo m_video;
    ReplayDataFiles m_dataFiles;
    VideoHosts m_videoHosts;
    ReplayApi m_replay;
    ConfigApi m_config;
    ControlApi m_control;
    std::unique_ptr<LogUploadApi> m_logUpload;
    std::unique_ptr<WebApi> m_webApi;
    std::unique_ptr<httplib::SSLServer> m_api;
    httplib::Server m_web;
    int m_apiPort = 0;
    int m_webPort = 0;
    std::thread m_apiThread;
    std::thread m_webThread;
};

} // namespace zovservice
