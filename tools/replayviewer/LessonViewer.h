#pragma once

#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QUrl>

class ReplayDataDownLoader;
class ReplayPlayPage;

// Opens a lesson's replay with its whiteboard, as the replay information at url
// ("...?planId=N") describes it: asks for the information, downloads the whiteboard
// files and plays the video in the replay window's whiteboard mode.
class LessonViewer : public QObject
{
    Q_OBJECT
public:
    // Plays from startSeconds, or from where the lesson was left when it is negative.
    LessonViewer(const QUrl& url, float startSeconds, QObject* parent = nullptr);

    void start();

signals:
    // The window was closed, or the lesson could not be opened (failed is then true).
    void finished(bool failed);

private:
    void onReplayInfo(bool ok, const QJsonValue& value, const QString& message);

    QUrl m_url;
    float m_startSeconds;
    QPointer<ReplayPlayPage> m_page;
    ReplayDataDownLoader* m_downloader = nullptr;
};
