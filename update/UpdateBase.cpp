#include "update/UpdateBase.h"

#include "app/Settings.h"
#include "core/PlainFileName.h"
#include "platform/ChildProcess.h"
#include "platform/Platform.h"
#include "replay/CurlHttpDownLoader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Shared by every download of the run: a failed host is not asked again until the
// others have had their turn.
int g_serverIndex = 0;

// A whole version unpacks in seconds; an archive still going after this is not one of ours.
constexpr int kUnzipTimeoutMs = 120000;

void removeFolderContents(const QString& folder)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // A link is removed, never followed: its target is not ours to delete.
        if (entry.isDir() && !entry.isSymLink()) {
            removeFolderContents(entry.absoluteFilePath());
            QDir().rmdir(entry.absoluteFilePath());
        } else {
            QFile::remove(entry.absoluteFilePath());
        }
    }
}

} // namespace

UpdateBase::UpdateBase(QObject* parent)
    : QObject(parent)
    , m_curl(new CurlHttpDownLoader(this))
{
    initFolder();
    connect(m_curl, &CurlHttpDownLoader::progress, this, &UpdateBase::onCurlProgress);
    connect(m_curl, &CurlHttpDownLoader::curlFinished, this, &UpdateBase::onCurlFinished);
}

void UpdateBase::initFolder()
{
    // Private to the user: between its MD5 check and its unpacking, nobody else can swap
    // the package.
    const QString privateTemp = zov::platform::Platform::instance().privateTempFolder();
    m_folder = privateTemp.isEmpty() ? QString() : privateTemp + QStringLiteral("/zov_setup/");
    qInfo().noquote() << QStringLiteral("[UpdateBase][initFolder]") << m_folder;
    // A folder that cannot be made shows up as a failed download.
    if (!m_folder.isEmpty())
        QDir().mkpath(m_folder);
}

void UpdateBase::setUpdateInfo(const UpdateInfo& info)
{
    m_info = info;
    fullUpdate();
}

void UpdateBase::fullUpdate()
{
    qInfo().noquote() << QStringLiteral("fullUpdate");
    qInfo().noquote() << QStringLiteral("g_serverIndex ") << g_serverIndex << m_info.urls.size();
    if (m_info.urls.isEmpty()) {
        emit finished(-1, QStringLiteral("no available server"));
        return;
    }
    if (m_folder.isEmpty()) {
        emit finished(-1, QStringLiteral("no private download folder"));
        return;
    }
    if (g_serverIndex >= m_info.urls.size()) {
        qInfo().noquote() << QStringLiteral(
            "UpdateBase::fullUpdate(): have tried all server, now using first");
        g_serverIndex = 0;
    }
    qInfo().noquote() << QStringLiteral("g_serverIndex ") << g_serverIndex;
    const QString url = m_info.urls.at(g_serverIndex);
    qInfo().noquote() << QStringLiteral("download URL ") << url;
    // The name comes from the network: only a plain file name inside the folder will do.
    m_filePath = m_folder + PlainFileName::ofUrl(url, m_info.newVersion + QStringLiteral(".zip"));
    qInfo().noquote() << QStringLiteral("download file full path") << m_filePath;
    // A leftover of an earlier attempt is never resumed: it may be the broken part.
    if (QFileInfo::exists(m_filePath))
        removeFileOrDir(m_filePath);
    m_curl->start(url, m_filePath, false);
}

void UpdateBase::onCurlProgress(int done)
{
    emit progress(done / 100.0f);
}

void UpdateBase::onCurlFinished(int code, QString dstPath)
{
    qInfo().noquote() << QStringLiteral("UpdateBase::onCurlFinished:") << dstPath;
    if (code != 0) {
        ++g_serverIndex;
        qInfo().noquote() << QStringLiteral("curl download failed");
        emit finished(-1, QStringLiteral("curl download failed."));
        return;
    }
    if (compareFileMd5(dstPath, expectedMd5())) {
        emit finished(0, QStringLiteral("Check md5 Sucess"));
        return;
    }
    ++g_serverIndex;
    qInfo().noquote() << QStringLiteral("Check md5 faild->") << QStringLiteral("全量MD5 ")
                      << m_info.fullMd5 << QStringLiteral("差量") << m_info.diffMd5;
    emit finished(-1, QStringLiteral("curl download failed."));
}

QString UpdateBase::expectedMd5() const
{
    return m_info.packType == QLatin1String("1") ? m_info.fullMd5 : m_info.diffMd5;
}

bool UpdateBase::unzip(const QString& zipPath, const QString& destDir)
{
    const QStringList args { QStringLiteral("x"), QStringLiteral("-y"), zipPath,
        QStringLiteral("-o") + destDir };
    qInfo().noquote() << QStringLiteral("unzip args:") << args;
    const QString tool = zov::platform::Platform::findTool(QStringLiteral("7za.exe"));
    if (tool.isEmpty())
        return false;
    zov::platform::ChildProcess archiver(zov::platform::ChildProcess::Lifetime::EndsWithUs);
    return archiver.runToEnd(tool, args, kUnzipTimeoutMs);
}

bool UpdateBase::removeFileOrDir(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    if (info.isFile() || info.isSymLink()) {
        QFile::remove(path);
        return true;
    }
    if (info.isDir()) {
        removeFolderContents(path);
        QDir().rmdir(path);
    }
    return true;
}

int UpdateBase::serverIndex()
{
    return g_serverIndex;
}

void UpdateBase::resetServerIndex()
{
    g_serverIndex = 0;
}
