#include "core/BoundedLineReader.h"

#include <QDebug>
#include <QIODevice>
#include <QLocalSocket>

namespace {

constexpr int kShortenedBytes = 200;

} // namespace

bool BoundedLineReader::readLines(
    QIODevice& device, const std::function<void(const QByteArray&)>& onLine)
{
    while (device.canReadLine()) {
        // At most a whole line's bytes (the limit counts the line feed; readLine keeps one
        // byte of its size for a terminator): a longer line shows by ending without a feed.
        const QByteArray line = device.readLine(maxLineBytes + 1);
        if (!line.endsWith('\n'))
            return false;
        onLine(line);
    }
    return device.bytesAvailable() <= maxLineBytes;
}

void BoundedLineReader::readOrDrop(
    QLocalSocket& socket, const char* peer, const std::function<void(const QByteArray&)>& onLine)
{
    if (readLines(socket, onLine))
        return;
    qWarning().noquote() << peer << "sent a line too long, connection dropped:"
                         << shortened(socket.peek(4096));
    socket.abort();
}

QByteArray BoundedLineReader::shortened(const QByteArray& text)
{
    if (text.size() <= kShortenedBytes)
        return text;
    return text.left(kShortenedBytes) + "... (" + QByteArray::number(text.size()) + " bytes)";
}
