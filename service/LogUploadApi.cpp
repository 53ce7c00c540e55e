#include "service/LogUploadApi.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"
#include "service/RandomText.h"
#include "service/UploadStore.h"

namespace zovservice {

namespace {

const char* const tokenHeader = "X-Upload-Token";
const char* const filePart = "file";
const char* const markIdPart = "markId";

} // namespace

LogUploadApi::LogUploadApi(const std::string& host, int apiPort, UploadStore& store)
    : m_uploadUrl(QStringLiteral("https://") + QString::fromStdString(host) + QLatin1Char(':')
        + QString::number(apiPort) + QLatin1String(uploadPath))
    , m_uploadToken(RandomText::hex(16))
    , m_store(store)
{ }

void LogUploadApi::registerRoutes(ApiRouter& router)
{
    router.post(configPath, [this](const httplib::Request& request, httplib::Response& response) {
        handleConfig(request, response);
    });
    router.post(uploadPath, [this](const httplib::Request& request, httplib::Response& response) {
        handleUpload(request, response);
    });
}

QJsonObject LogUploadApi::configurationData() const
{
    const QJsonObject fields { { QStringLiteral("app"), QStringLiteral("student") },
        { QStringLiteral("channel"), QStringLiteral("ol_stu") } };
    return { { QStringLiteral("uploadUrl"), m_uploadUrl },
        { QStringLiteral("uploadToken"), m_uploadToken }, { QStringLiteral("fields"), fields } };
}

void LogUploadApi::handleConfig(const httplib::Request&, httplib::Response& response) const
{
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
            { QStringLiteral("data"), configurationData() } });
}

void LogUploadApi::handleUpload(const httplib::Request& request, httplib::Response& response)
{
    if (request.get_header_value(tokenHeader) != m_uploadToken.toStdString()) {
        JsonReply::sendError(response, 403, "the upload token is missing or wrong");
        return;
    }
    const httplib::MultipartFormData file = request.get_file_value(filePart);
    if (!request.is_multipart_form_data() || file.filename.empty()
        || !request.has_file(markIdPart)) {
        JsonReply::sendError(response, 400,
            "expected a multipart form with a \"file\" part (with a file name) and a "
            "\"markId\" part");
        return;
    }
    UploadStore::Upload upload { QString::fromStdString(request.get_file_value(markIdPart).content),
        QString::fromStdString(file.filename), file.content, textFields(request) };
    QString error;
    if (!m_store.store(upload, error)) {
        JsonReply::sendError(response, 400, error.toStdString());
        return;
    }
    const QJsonObject data { { QStringLiteral("size"), double(file.content.size()) } };
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
            { QStringLiteral("data"), data } });
}

// The parts besides the file and the mark id: what the configuration asked the uploader
// to send along.
QJsonObject LogUploadApi::textFields(const httplib::Request& request)
{
    QJsonObject fields;
    for (const auto& [name, part] : request.files) {
        if (name != filePart && name != markIdPart && part.filename.empty())
            fields.insert(QString::fromStdString(name), QString::fromStdString(part.content));
    }
    return fields;
}

} // namespace zovservice
