#pragma once

#include <httplib.h>

#include <QString>

#include <string>
#include <vector>

namespace zovservice {

class ApiRouter;

// The lesson's whiteboard recording as the data files a replay downloads: written into the
// media folder at start, beside the video, and served on the plain HTTP port as
// /replaydata/lesson/<name>. A file only takes its name once it is complete, so a service
// sharing the folder never serves half of one.
class ReplayDataFiles
{
public:
    static constexpr const char* urlPath = "/replaydata/lesson/";

    // What a replay's information says of one file.
    struct Listing
    {
        QString url;
        // Lower-case hexadecimal.
        QString md5;
    };

    explicit ReplayDataFiles(std::string folder);

    // Writes every file the folder does not hold already; on failure says why in error.
    bool ensure(std::string& error);
    // In the order a client reads them, at "<webUrl>/replaydata/lesson/<name>".
    std::vector<Listing> listings(const std::string& webUrl) const;
    void registerRoutes(ApiRouter& router) const;

private:
    bool write(const QString& file, const QByteArray& content, std::string& error) const;
    void handleFile(const httplib::Request& request, httplib::Response& response) const;
    QString pathOf(size_t index) const;
    static QString nameOf(size_t index);

    std::string m_folder;
    std::vector<QString> m_md5s;
};

} // namespace zovservice
