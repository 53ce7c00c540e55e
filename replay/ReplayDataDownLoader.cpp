#include "replay/ReplayDataDownLoader.h"

#include "app/Settings.h"
#include "core/PlainFileName.h"
#include "replay/CurlHttpDownLoader.h"

#include <QDebug>
#include <QDir>
#include <QJsonObject>
#include <QStandardPaths>

namespace {

// A file that failed is usually failing because of the network or the server; trying
// it again at once would only keep the tool busy failing.
const int retryDelayMs = 3000;

} // namespace

ReplayDataDownLoader::ReplayDataDownLoader(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<DataResource>();
    // The signal names the type the short way; lookups by that name must find it too.
    qRegisterMetaType<DataResource>("DataResource");
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(retryDelayMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &ReplayDataDownLoader::onRetryTimeout);
}

void ReplayDataDownLoader::start(const QVector<DataResource>& tasks)
{
    if (!m_curl) {
        m_curl = new CurlHttpDownLoader(this);
        connect(m_curl, &CurlHttpDownLoader::progress, this, &ReplayDataDownLoader::onCurlProgress);
        connect(
            m_curl, &CurlHttpDownLoader::curlFinished, this, &ReplayDataDownLoader::onCurlFinished);
    }
    m_retryTimer.stop();
    m_tasks = tasks;
    startNextTask();
}

QString ReplayDataDownLoader::cacheFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
        + QStringLiteral("/zov_qm_student/ZovCache/1v1playback/");
    if (!QDir().mkpath(folder))
        qWarning().noquote() << "ReplayDataDownLoader::cacheFolder() cannot create" << folder;
    return folder;
}

QVector<ReplayDataDownLoader::DataResource> ReplayDataDownLoader::tasksForReplayData(
    const QJsonArray& replayData, const QDateTime& startTime)
{
    const QString prefix = cacheFolder() + startTime.toString(QStringLiteral("MMddhhmmss"));
    QVector<DataResource> tasks;
    for (int i = 0; i < replayData.size(); ++i) {
        const QJsonObject entry = replayData.at(i).toObject();
        DataResource task;
        task.url = entry.value(QStringLiteral("url")).toString();
        task.md5 = entry.value(QStringLiteral("md5")).toString();
        task.localPath = prefix + QLatin1Char('_') + QString::number(i) + QLatin1Char('_')
            + PlainFileName::ofUrl(task.url, QStringLiteral("replaydata"));
        task.index = i;
        tasks.append(task);
    }
    return tasks;
}

void ReplayDataDownLoader::onCurlProgress(int done)
{
    Q_UNUSED(done)
}

void ReplayDataDownLoader::onCurlFinished(int code, QString dstPath)
{
    qDebug().noquote() << QStringLiteral("download finished: %1 %2").arg(code).arg(dstPath);
    for (DataResource& task : m_tasks) {
        if (task.localPath == dstPath)
            finishTask(task, code);
    }
    startNextTask();
}

void ReplayDataDownLoader::finishTask(DataResource& task, int code)
{
    if (code == 0 && compareFileMd5(task.localPath, task.md5)) {
        task.status = Verified;
        emit downloadDataResourse(task);
        return;
    }
    task.status = Failed;
    if (code == 0)
        qWarning().noquote() << "Check md5 faild->" + task.localPath;
}

void ReplayDataDownLoader::startNextTask()
{
    qDebug() << "start next";
    if (startFirstWith(Waiting) || startFirstWith(Failed))
        return;
    qDebug() << "task all finish";
}

bool ReplayDataDownLoader::startFirstWith(int status)
{
    for (int i = 0; i < m_tasks.size(); ++i) {
        DataResource& task = m_tasks[i];
        if (task.status != status)
            continue;
        task.status = Downloading;
        if (status == Failed)
            retryLater(i);
        else
            m_curl->start(task.url, task.localPath, false);
        return true;
    }
    return false;
}

void ReplayDataDownLoader::retryLater(int taskIndex)
{
    m_retryIndex = taskIndex;
    m_retryTimer.start();
}

void ReplayDataDownLoader::onRetryTimeout()
{
    const DataResource& task = m_tasks.at(m_retryIndex);
    m_curl->start(task.url, task.localPath, false);
}
