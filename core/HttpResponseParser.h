#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace zov {
namespace network {

// Reads one HTTP/1.x response from the bytes a connection delivers, in pieces of any size.
// Interim 1xx answers are skipped; the body is framed by chunked transfer coding, by
// Content-Length or by the end of the connection. Whatever the peer sends, the parser
// keeps at most its limits in memory and ends in Complete or Failed.
class HttpResponseParser
{
public:
    enum class State
    {
        Incomplete,
        Complete,
        Failed
    };

    static const int maxHeaderBytes = 64 * 1024;
    static const int maxBodyBytes = 64 * 1024 * 1024;

    // Takes the next bytes; past Complete or Failed, more bytes are a failure.
    State feed(const char* data, int size);
    // The peer closed the connection: a body that runs to the end is now complete.
    State finish();

    State state() const { return m_state; }
    bool hasReceivedAnything() const { return m_receivedAnything; }
    int status() const { return m_status; }
    QByteArray body() const { return m_body; }
    // The value of the last header of that name, compared without case.
    QByteArray header(const QByteArray& name) const;
    // The connection may carry the next request.
    bool keepAlive() const { return m_keepAlive; }
    QString error() const { return m_error; }

private:
    enum class Stage
    {
        StatusLine,
        Headers,
        Body,
        ChunkSize,
        ChunkData,
        ChunkDataEnd,
        Trailers,
        Done
    };
    enum class Framing
    {
        None,
        Length,
        Chunked,
        UntilClose
    };

    bool takeLine(QByteArray& line);
    void handleLine(const QByteArray& line);
    void parseStatusLine(const QByteArray& line);
    void parseHeaderLine(const QByteArray& line);
    void startBody();
    void chooseFraming();
    void parseChunkSize(const QByteArray& line);
    void takeBodyBytes(qint64 wanted);
    void fail(const QString& reason);
    void complete();
    void step();

    State m_state = State::Incomplete;
    Stage m_stage = Stage::StatusLine;
    Framing m_framing = Framing::None;
    QByteArray m_pending;
    int m_headerBytes = 0;
    int m_status = 0;
    bool m_http10 = false;
    bool m_keepAlive = false;
    bool m_receivedAnything = false;
    qint64 m_remaining = 0;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
    QString m_error;
};

} // namespace network
} // namespace zov
