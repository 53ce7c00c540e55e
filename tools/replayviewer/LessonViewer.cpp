#include "tools/replayviewer/LessonViewer.h"

#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "replay/ReplayDataDownLoader.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayPlayPage.h"

#include <QDateTime>
#include <QUrlQuery>

#include <cstdio>

LessonViewer::LessonViewer(const QUrl& url, float startSeconds, QObject* parent)
    : QObject(parent)
    , m_url(url)
    , m_startSeconds(startSeconds)
{ }

void LessonViewer::start()
{
    auto* request = new zov::network::NetworkHelper(this, QStringLiteral("getReplayEnterUrl"));
    connect(request, &zov::network::NetworkHelper::httpFinished, this,
        [this, request](bool ok, const QJsonValue& value, const QString& message) {
            request->deleteLater();
            onReplayInfo(ok, value, message);
        });
    request->post(m_url.toString(),
        ReplayInfo::requestBody(QUrlQuery(m_url).queryItemValue(QStringLiteral("planId"))), false,
        ReplayInfo::requestTimeoutMs);
}

void LessonViewer::onReplayInfo(bool ok, const QJsonValue& value, const QString& message)
{
    QString failureText;
    const std::optional<ReplayInfo> info
        = ReplayInfo::fromReply(ok, value.toObject(), message, failureText);
    if (!info) {
        std::fprintf(stderr, "ZovReplayViewer: %s\n", failureText.toUtf8().constData());
        emit finished(true);
        return;
    }
    info->storeIn(Context::instance()->data());
    m_page = new ReplayPlayPage(nullptr, ReplayPlayPage::WhiteboardMode);
    connect(m_page, &QObject::destroyed, this, [this] { emit finished(false); });
    m_page->initPlayer(m_startSeconds);
    m_page->showAt(QPoint(0, 0));
    m_downloader = new ReplayDataDownLoader(this);
    connect(m_downloader, &ReplayDataDownLoader::downloadDataResourse, m_page,
        &ReplayPlayPage::onDownloaderResourse);
    m_downloader->start(ReplayDataDownLoader::tasksForReplayData(
        info->replayData.value_or(QJsonArray()), QDateTime::currentDateTime()));
}
