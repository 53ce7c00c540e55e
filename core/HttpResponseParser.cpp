#include "core/HttpResponseParser.h"

namespace zov {
namespace network {

namespace {

const int kMaxHeaders = 100;

bool isDigits(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool hasToken(const QByteArray& list, const QByteArray& token)
{
    for (const QByteArray& item : list.split(',')) {
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

HttpResponseParser::State HttpResponseParser::feed(const char* data, int size)
{
    if (size <= 0)
        return m_state;
    m_receivedAnything = true;
    if (m_state != State::Incomplete) {
        // Nothing may follow a response on a connection we use one request at a time.
        m_keepAlive = false;
        return m_state;
    }
    m_pending.append(data, size);
    step();
    if (m_state == State::Complete && !m_pending.isEmpty())
        m_keepAlive = false;
    return m_state;
}

HttpResponseParser::State HttpResponseParser::finish()
{
    if (m_state != State::Incomplete)
        return m_state;
    if (m_stage == Stage::Body && m_framing == Framing::UntilClose)
        complete();
    else
        fail(QStringLiteral("the connection closed before the reply was complete"));
    return m_state;
}

QByteArray HttpResponseParser::header(const QByteArray& name) const
{
    for (auto it = m_headers.crbegin(); it != m_headers.crend(); ++it) {
        if (it->first.compare(name, Qt::CaseInsensitive) == 0)
            return it->second;
    }
    return QByteArray();
}

void HttpResponseParser::step()
{
    QByteArray line;
    while (m_state == State::Incomplete) {
        if (m_stage == Stage::Body || m_stage == Stage::ChunkData) {
            if (m_pending.isEmpty())
                return;
            takeBodyBytes(m_framing == Framing::UntilClose ? m_pending.size() : m_remaining);
        } else if (takeLine(line)) {
            handleLine(line);
        } else {
            return;
        }
    }
}

void HttpResponseParser::handleLine(const QByteArray& line)
{
    switch (m_stage) {
    case Stage::StatusLine:
        parseStatusLine(line);
        break;
    case Stage::Headers:
        line.isEmpty() ? startBody() : parseHeaderLine(line);
        break;
    case Stage::ChunkSize:
        parseChunkSize(line);
        break;
    case Stage::ChunkDataEnd:
        if (line.isEmpty())
            m_stage = Stage::ChunkSize;
        else
            fail(QStringLiteral("bad chunk"));
        break;
    case Stage::Trailers:
        if (line.isEmpty())
            complete();
        break;
    default:
        break;
    }
}

// Lines of the head, the chunk sizes and the trailers all count against one limit.
bool HttpResponseParser::takeLine(QByteArray& line)
{
    const int end = m_pending.indexOf('\n');
    const int lineBytes = end < 0 ? m_pending.size() : end + 1;
    if (m_headerBytes + lineBytes > maxHeaderBytes) {
        fail(QStringLiteral("the reply's header is too large"));
        return false;
    }
    if (end < 0)
        return false;
    m_headerBytes += lineBytes;
    line = m_pending.left(end);
    m_pending.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

void HttpResponseParser::parseStatusLine(const QByteArray& line)
{
    const QByteArray code = line.mid(9, 3);
    const bool wellFormed = line.startsWith("HTTP/1.") && line.size() >= 12
        && (line.at(7) == '0' || line.at(7) == '1') && line.at(8) == ' ' && isDigits(code)
        && (line.size() == 12 || line.at(12) == ' ');
    m_status = code.toInt();
    if (!wellFormed || m_status < 100) {
        fail(QStringLiteral("the reply does not start with an HTTP status line"));
        return;
    }
    m_http10 = line.at(7) == '0';
    m_headers.clear();
    m_stage = Stage::Headers;
}

void HttpResponseParser::parseHeaderLine(const QByteArray& line)
{
    const int colon = line.indexOf(':');
    const QByteArray name = line.left(colon);
    if (colon <= 0 || name.contains(' ') || name.contains('\t') || line.startsWith(' ')) {
        fail(QStringLiteral("malformed header line"));
        return;
    }
    if (m_headers.size() == kMaxHeaders) {
        fail(QStringLiteral("the reply has too many headers"));
        return;
    }
    m_headers.append({ name, line.mid(colon + 1).trimmed() });
}

void HttpResponseParser::startBody()
{
    if (m_status == 101) {
        fail(QStringLiteral("the server switched protocols"));
        return;
    }
    // An interim answer; the real one follows on the same connection.
    if (m_status < 200) {
        m_stage = Stage::StatusLine;
        return;
    }
    const QByteArray connection = header("Connection");
    m_keepAlive = m_http10 ? hasToken(connection, "keep-alive") : !hasToken(connection, "close");
    chooseFraming();
}

void HttpResponseParser::chooseFraming()
{
    if (m_status == 204 || m_status == 304) {
        complete();
        return;
    }
    const QByteArray transferCoding = header("Transfer-Encoding").trimmed();
    if (!transferCoding.isEmpty()) {
        const bool chunked = transferCoding.toLower().endsWith("chunked");
        m_framing = chunked ? Framing::Chunked : Framing::UntilClose;
        m_keepAlive = m_keepAlive && chunked;
        m_stage = chunked ? Stage::ChunkSize : Stage::Body;
        return;
    }
    QByteArray length;
    for (const auto& field : qAsConst(m_headers)) {
        if (field.first.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        if (!isDigits(field.second) || (!length.isNull() && field.second != length)) {
            fail(QStringLiteral("bad Content-Length"));
            return;
        }
        length = field.second;
    }
    if (length.isNull()) {
        m_framing = Framing::UntilClose;
        m_keepAlive = false;
        m_stage = Stage::Body;
        return;
    }
    bool ok = false;
    m_remaining = length.toLongLong(&ok);
    if (!ok || m_remaining > maxBodyBytes) {
        fail(QStringLiteral("the reply is too large"));
        return;
    }
    m_framing = Framing::Length;
    m_stage = Stage::Body;
    if (m_remaining == 0)
        complete();
}

void HttpResponseParser::parseChunkSize(const QByteArray& line)
{
    const int extensions = line.indexOf(';');
    const QByteArray digits = (extensions < 0 ? line : line.left(extensions)).trimmed();
    bool ok = digits.size() <= 8;
    const qint64 size = ok ? digits.toLongLong(&ok, 16) : 0;
    if (!ok || size < 0) {
        fail(QStringLiteral("bad chunk size"));
        return;
    }
    if (m_body.size() + size > maxBodyBytes) {
        fail(QStringLiteral("the reply is too large"));
        return;
    }
    m_remaining = size;
    m_stage = size == 0 ? Stage::Trailers : Stage::ChunkData;
}

void HttpResponseParser::takeBodyBytes(qint64 wanted)
{
    const int taken = static_cast<int>(qMin<qint64>(wanted, m_pending.size()));
    if (m_body.size() + taken > maxBodyBytes) {
        fail(QStringLiteral("the reply is too large"));
        return;
    }
    m_body.append(m_pending.constData(), taken);
    m_pending.remove(0, taken);
    if (m_framing == Framing::UntilClose)
        return;
    m_remaining -= taken;
    if (m_remaining > 0)
        return;
    if (m_framing == Framing::Chunked)
        m_stage = Stage::ChunkDataEnd;
    else
        complete();
}

void HttpResponseParser::fail(const QString& reason)
{
    m_state = State::Failed;
    m_stage = Stage::Done;
    m_keepAlive = false;
    m_error = reason;
}

void HttpResponseParser::complete()
{
    m_state = State::Complete;
    m_stage = Stage::Done;
}

} // namespace network
} // namespace zov
