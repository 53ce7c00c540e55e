#include "service/PackageFiles.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace zovservice {

namespace {

// Plain chunks are large so a full-speed download is not slowed by the provider loop.
constexpr size_t fastChunkBytes = 1024 * 1024;

bool isPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

PackageFiles::PackageFiles(std::string folder)
    : m_folder(std::move(folder))
{ }

bool PackageFiles::prepare() const
{
    return QDir().mkpath(QString::fromStdString(m_folder));
}

void PackageFiles::registerRoutes(ApiRouter& router) const
{
    router.get(brokenPath, [](const httplib::Request&, httplib::Response& response) {
        JsonReply::sendError(response, 500, "the package host failed");
    });
    router.get(
        "/packages/([^/]+)", [this](const httplib::Request& request, httplib::Response& response) {
            handleFile(request, response);
        });
}

void PackageFiles::stop()
{
    m_stopping->store(true);
}

void PackageFiles::handleFile(const httplib::Request& request, httplib::Response& response) const
{
    const std::string name = request.matches[1];
    if (!isPlainName(name)) {
        JsonReply::sendError(response, 404, "no such package");
        return;
    }
    auto file
        = std::make_shared<std::ifstream>(m_folder + "/" + name, std::ios::binary | std::ios::ate);
    if (!*file) {
        JsonReply::sendError(response, 404, "no such package");
        return;
    }
    const size_t size = static_cast<size_t>(file->tellg());
    const bool slow = request.has_param("slow") && request.get_param_value("slow") != "0";
    const size_t chunkBytes = slow ? slowChunkBytes : fastChunkBytes;
    // cpp-httplib answers a Range header by asking this provider for that part only.
    response.set_content_provider(size, "application/zip",
        [file, slow, chunkBytes, stopping = m_stopping](
            size_t offset, size_t length, httplib::DataSink& sink) {
            if (slow) {
                std::this_thread::sleep_for(std::chrono::milliseconds(slowChunkDelayMs));
                if (stopping->load())
                    return false;
            }
            std::vector<char> buffer(std::min(length, chunkBytes));
            file->seekg(static_cast<std::streamoff>(offset));
            file->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            if (file->gcount() != static_cast<std::streamsize>(buffer.size()))
                return false;
            return sink.write(buffer.data(), buffer.size());
        });
}

} // namespace zovservice
