#include "service/ReplayDataFiles.h"

#include "service/ApiRouter.h"
#include "service/WhiteboardRecording.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

namespace zovservice {

namespace {

QByteArray contentOf(const QString& file)
{
    QFile existing(file);
    return existing.open(QIODevice::ReadOnly) ? existing.readAll() : QByteArray();
}

void serve(const QString& path, httplib::Response& response)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        response.status = 404;
        return;
    }
    response.set_content(file.readAll().toStdString(), "application/octet-stream");
}

} // namespace

ReplayDataFiles::ReplayDataFiles(std::string folder)
    : m_folder(std::move(folder))
{ }

// A file left by an older build of the service is replaced, so the checksums always
// describe what is served.
bool ReplayDataFiles::ensure(std::string& error)
{
    m_md5s.clear();
    const std::vector<QByteArray> contents = WhiteboardRecording::files();
    for (size_t index = 0; index < contents.size(); ++index) {
        const QByteArray& content = contents[index];
        if (contentOf(pathOf(index)) != content && !write(pathOf(index), content, error))
            return false;
        m_md5s.push_back(QString::fromLatin1(
            QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex()));
    }
    return true;
}

std::vector<ReplayDataFiles::Listing> ReplayDataFiles::listings(const std::string& webUrl) const
{
    const QString base = QString::fromStdString(webUrl) + QLatin1String(urlPath);
    std::vector<Listing> listings;
    for (size_t index = 0; index < m_md5s.size(); ++index)
        listings.push_back({ base + nameOf(index), m_md5s[index] });
    return listings;
}

void ReplayDataFiles::registerRoutes(ApiRouter& router) const
{
    router.get(std::string(urlPath) + "([^/]+)",
        [this](const httplib::Request& request, httplib::Response& response) {
            handleFile(request, response);
        });
}

// QSaveFile writes under a temporary name and renames when complete.
bool ReplayDataFiles::write(
    const QString& file, const QByteArray& content, std::string& error) const
{
    QSaveFile saved(file);
    if (saved.open(QIODevice::WriteOnly) && saved.write(content) == content.size()
        && saved.commit())
        return true;
    error = "cannot write " + file.toStdString() + ": " + saved.errorString().toStdString();
    return false;
}

// Only the exact names listed are served, and the file opened is always one of ours: nothing
// from the request ever reaches the disk.
void ReplayDataFiles::handleFile(const httplib::Request& request, httplib::Response& response) const
{
    const QString name = QString::fromStdString(request.matches[1]);
    for (size_t index = 0; index < m_md5s.size(); ++index) {
        if (name == nameOf(index)) {
            serve(pathOf(index), response);
            return;
        }
    }
    response.status = 404;
}

QString ReplayDataFiles::pathOf(size_t index) const
{
    return QString::fromStdString(m_folder) + QLatin1Char('/') + nameOf(index);
}

QString ReplayDataFiles::nameOf(size_t index)
{
    return QStringLiteral("wb_%1.dat").arg(index);
}

} // namespace zovservice
