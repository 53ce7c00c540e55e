#pragma once

#include "platform/ChildProcess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

// Runs the local stand-in service (service/) for one test: HTTPS APIs and plain HTTP
// pages on free loopback ports, with a private state folder. Stopped on destruction. The
// lesson video is shared by every test of the build: the first service to start makes it,
// which takes a while.
class LocalService
{
public:
    LocalService();
    ~LocalService();

    // Starts the service and waits until it reports that it is ready, longer while the
    // lesson video is still to be made.
    bool start(const QStringList& extraArguments = {});
    void stop();

    // "127.0.0.1:<https port>": the value of ZOV_API_HOST for the client.
    QString apiHostPort() const;
    QUrl apiBaseUrl() const;
    // Base of the plain HTTP pages and files, "http://127.0.0.1:<port>".
    QUrl webBaseUrl() const;
    // PEM file the client must trust: the value of ZOV_EXTRA_CA_FILE.
    QString caFile() const;
    QString stateFolder() const;

    // Points a child process (or this one) at the service.
    void applyClientEnvironment(QProcessEnvironment& environment) const;
    void applyClientEnvironment() const;
    // The default TLS configuration plus the service's certificate, for Qt clients.
    QSslConfiguration sslConfiguration() const;

    // The next count requests to the API answer with the given fault:
    // "error500", "slow" (delayMs before answering), "nonjson" or "close". Qt's network
    // access resends a request up to three times when its connection closes without an
    // answer: a QNetworkAccessManager client only sees "close" when four are armed.
    bool injectFaults(int count, const QString& mode, int delayMs = 0);
    // How many requests the service has answered on a path since it started.
    int requestCount(const QString& path);
    // The last request on a path, HTTPS or plain: {"method","path","headers","body"},
    // header names as the client sent them (a header with an empty value does not show);
    // empty when none arrived.
    QJsonObject lastRequest(const QString& path);
    // Every log file uploaded since the service started, in order:
    // {"markId","name","size","fields"} each; stored under
    // stateFolder()/uploads/<markId>/<name>.
    QJsonArray uploads();
    // What the device score answers from now on: verdict as "data"."test_result_str"
    // (an undefined value leaves the key out), or an HTTP error when fail is set.
    bool setDeviceScore(const QJsonValue& verdict, bool fail = false);
    // What the version check answers from now on, as POST /control/version takes it:
    // {"scenario":"none"|"errorcode"|"malformed"|"update", "errorcode":N,
    //  "version":"1.6.8.0", "updateType":N, "packType":N, "md5":"...", "updateMsg":"...",
    //  "urls":["/packages/<name>", "http://..."]}. Each update reply names the next URL
    // of the list; paths are answered on the plain HTTP port.
    bool setVersionReply(const QJsonObject& answer);
    // Files put here are served at packageUrl(name), with byte ranges; the name "broken"
    // always answers HTTP 500.
    QString packagesFolder() const;
    // Puts content into packagesFolder() as name; its MD5 in lower-case hexadecimal, or
    // empty when the file could not be written.
    QByteArray servePackage(const QString& name, const QByteArray& content) const;
    // slow: the file comes in 64 KiB chunks 100 ms apart.
    QUrl packageUrl(const QString& name, bool slow = false) const;

    // The lesson video every replay plays: 180 s, 1280x720, its name "lesson.mp4".
    QString videoFile() const;
    // "http://127.0.0.1:<port>/videohost/<host>/", where the video has its name with byte
    // ranges: "a" and "b" serve it normally, "missing" answers 404, "stall" sends up to an
    // offset and then holds the connection (up to 60 s), "slow" sends at a set rate.
    QString videoHostUrl(const QString& host) const;
    // From now on "stall" stops sending at byte stallAfterBytes of the file, and "slow"
    // sends slowBytesPerSecond (0: nothing). At start they are 1,000,000 and 100,000.
    bool setVideoFaults(int stallAfterBytes, int slowBytesPerSecond);
    // Replay information answers {"code":1,"msg":error} from now on; an empty error lets it
    // answer normally again.
    bool setReplayInfoError(const QString& error);
    // Lists the last whiteboard file with a wrong checksum and the second at a dead address.
    bool setReplayDataFaults(bool wrongMd5, bool failingUrl);
    // The remote configuration's log-in page becomes this page of the www folder; an
    // empty path restores the real one.
    bool setLoginPage(const QString& path);

private:
    static QString mediaFolder();
    bool readAnnouncement(int timeoutMs);
    void takeAnnouncedValue(const QString& line);
    QJsonObject stats(const QString& path) const;
    // Posts request to a control endpoint; false when the call failed.
    bool post(const QString& path, const QJsonObject& request) const;
    // Calls a control endpoint (a GET when postBody is empty); the reply's JSON object,
    // empty when the call failed.
    QJsonObject control(
        const QString& path, const QUrlQuery& query, const QByteArray& postBody) const;

    QTemporaryDir m_state;
    // Ends with the test, even one that aborts: an orphan would keep ctest's output open.
    zov::platform::ChildProcess m_process;
    int m_httpsPort = 0;
    int m_httpPort = 0;
    QString m_caFile;
    QString m_videoFile;
};
