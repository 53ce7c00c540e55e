#pragma once

#include <QByteArray>

#include <functional>

class QIODevice;
class QLocalSocket;

// Reads the whole lines waiting on a local socket, each at most maxLineBytes long. A peer
// that sends a longer line, or keeps sending without ever ending one, is not buffered for:
// the caller drops it.
class BoundedLineReader
{
public:
    // Line feed included.
    static constexpr qint64 maxLineBytes = 1024 * 1024;

    // Hands every whole line (with its line feed) to onLine; false once the peer went past
    // the limit, after the lines before it.
    static bool readLines(QIODevice& device, const std::function<void(const QByteArray&)>& onLine);
    // readLines on a socket whose peer is cut off, with a log line naming it, once it goes
    // past the limit.
    static void readOrDrop(QLocalSocket& socket, const char* peer,
        const std::function<void(const QByteArray&)>& onLine);
    // The start of an over-long text, for a log line that stays readable.
    static QByteArray shortened(const QByteArray& text);
};
