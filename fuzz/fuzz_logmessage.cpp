// Feeds arbitrary messages through the log line splitting and formatting.
#include "app/LogFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QList<QByteArray> pieces = splitLogMessage(bytes);
    for (const QByteArray& piece : pieces) {
        char line[kLogPieceSize];
        if (formatLogLine(QtWarningMsg, piece, line) >= kLogPieceSize)
            __builtin_trap();
    }
    return 0;
}
