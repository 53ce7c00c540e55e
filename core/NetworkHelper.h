#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QObject>
#include <QString>

namespace zov {
namespace network {

class HttpTransport;
struct HttpRequest;
struct HttpResponse;

// One object per request: create it with new, parent it to the caller, connect
// httpFinished and send one post (or get). The reply comes back on the thread that
// owns the object, from its event loop, exactly once per request.
//
// Two transports sit behind it: libcurl (the default) and Qt's sockets, both run by the
// requesting thread's event loop on connections that thread keeps open. The process-wide raw
// headers and cookies are sent with every request. TLS is always verified against the system CAs
// plus the PEM file named by the environment variable ZOV_EXTRA_CA_FILE, when set.
class NetworkHelper : public QObject
{
    Q_OBJECT
public:
    NetworkHelper(QObject* parent, const QString& name);
    ~NetworkHelper() override;

    QString name() const { return m_name; }

    // Sends body to url. The meaning of flag is kept for callers; it does not change
    // the transfer. timeMs bounds the whole request.
    void post(const QString& url, const QByteArray& body, bool flag, int timeMs);
    void get(const QString& url, int timeMs);

    static void useCurlNetwork(bool useCurl);
    static bool isCurlNetwork();
    static void addRawHeader(const QByteArray& name, const QByteArray& value);
    static void setCookies(const QByteArray& cookies);
    static void initialize();
    static void cleanup();

signals:
    // ok: transfer done, HTTP 2xx and the body parses as a JSON object.
    // value: the parsed object (or the parsed JSON, or null); msg: a readable reason when !ok.
    void httpFinished(bool ok, const QJsonValue& value, const QString& msg);

private:
    void send(const HttpRequest& request);
    HttpTransport* createTransport();
    void onTransportFinished(const QString& url, const HttpResponse& response);

    QString m_name;
};

} // namespace network
} // namespace zov
