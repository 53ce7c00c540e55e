#pragma once

#include <httplib.h>

#include <QJsonObject>
#include <QString>

#include <string>

namespace zovservice {

class ApiRouter;
class UploadStore;

// Log upload: the configuration the client hands its upload program, and the upload
// itself, a multipart form guarded by a token that changes with every service run.
class LogUploadApi
{
public:
    static constexpr const char* configPath = "/olbusiness/api/log/uploadConfig";
    static constexpr const char* uploadPath = "/olbusiness/api/log/upload";

    LogUploadApi(const std::string& host, int apiPort, UploadStore& store);

    void registerRoutes(ApiRouter& router);

private:
    QJsonObject configurationData() const;
    void handleConfig(const httplib::Request& request, httplib::Response& response) const;
    void handleUpload(const httplib::Request& request, httplib::Response& response);
    static QJsonObject textFields(const httplib::Request& request);

    QString m_uploadUrl;
    QString m_uploadToken;
    UploadStore& m_store;
};

} // namespace zovservice
