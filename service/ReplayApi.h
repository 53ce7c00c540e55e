#pragma once

#include "service/ReplayDataFiles.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>
#include <vector>

namespace zovservice {

class ApiRouter;

// The replay information a client asks for before it plays a finished lesson: which hosts
// have the video, the player's credentials, the lesson, the stretch of the lesson clock
// the video covers and the whiteboard's data files with their MD5s. Every lesson shares the
// one recorded video and whiteboard. A test can make it answer with an error instead, or
// list broken data files.
class ReplayApi
{
public:
    static constexpr const char* path = "/olbusiness/api/playback/getReplayEnterUrl";
    // The lesson clock at the video's first frame, in ms since the epoch.
    static constexpr qint64 lessonStartMs = 1765000000000;

    ReplayApi();

    // Set before the routes: the video hosts are known once the web port is.
    void setVideoHosts(const QStringList& hosts) { m_videoHosts = hosts; }
    // Set before the routes too: the data files' addresses name the web port.
    void setDataFiles(std::vector<ReplayDataFiles::Listing> files)
    {
        m_dataFiles = std::move(files);
    }
    void registerRoutes(ApiRouter& router) const;
    // Every later request answers {"code":1,"msg":error}; nothing answers normally again.
    void setError(const std::optional<QString>& error);
    // A wrong MD5 lists the last file with the first one's checksum; a failing URL lists
    // the second file at an address that answers 404.
    void setDataFaults(bool wrongMd5, bool failingUrl);

private:
    std::optional<QString> currentError() const;
    void handleEnter(const httplib::Request& request, httplib::Response& response) const;
    QJsonObject replayData(const QString& planId) const;
    QJsonObject configs() const;
    QJsonArray dataFiles() const;
    static std::optional<QString> planIdOf(const QJsonObject& body);
    static QJsonObject studentInfo(const QString& planId);
    static QJsonObject planInfo(const QString& planId);
    static QJsonArray videoTime();

    QStringList m_videoHosts;
    std::vector<ReplayDataFiles::Listing> m_dataFiles;
    QString m_appKey;
    mutable std::mutex m_mutex;
    std::optional<QString> m_error;
    bool m_wrongMd5 = false;
    bool m_failingUrl = false;
};

} // namespace zovservice
