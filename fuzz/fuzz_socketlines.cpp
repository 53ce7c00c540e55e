// Feeds arbitrary bytes, as a peer would send them on the tracking or live-room control
// socket, through the line reader: every line handed on is whole and within the limit.
#include "core/BoundedLineReader.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QBuffer socket(&bytes);
    socket.open(QIODevice::ReadOnly);
    BoundedLineReader::readLines(socket, [](const QByteArray& line) {
        if (!line.endsWith('\n') || line.size() > BoundedLineReader::maxLineBytes)
            std::abort();
    });
    BoundedLineReader::shortened(bytes);
    return 0;
}
