#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>

namespace zovservice {

class ApiRouter;

// Update packages on the plain HTTP port: any file a test puts into the packages
// folder is served at /packages/<name>, byte ranges included, so the client's
// download tool meets what a file host does. "?slow=1" trickles the file out in
// small chunks, long enough to watch progress and to cancel; /packages/broken is a
// package host that always fails.
class PackageFiles
{
public:
    static constexpr const char* brokenPath = "/packages/broken";
    static constexpr size_t slowChunkBytes = 64 * 1024;
    static constexpr int slowChunkDelayMs = 100;

    // folder is <state>/packages.
    explicit PackageFiles(std::string folder);

    // Creates the folder so tests can drop files into it at any time.
    bool prepare() const;
    void registerRoutes(ApiRouter& router) const;
    // Ends the slow downloads still running, so stopping the server does not wait
    // for them.
    void stop();

private:
    void handleFile(const httplib::Request& request, httplib::Response& response) const;

    std::string m_folder;
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
};

} // namespace zovservice
