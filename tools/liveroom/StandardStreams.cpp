#include "StandardStreams.h"

#include <cstdio>

namespace {

void writeFlushed(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void writeStandardOutput(const QByteArray& bytes)
{
    writeFlushed(stdout, bytes);
}

void writeStandardError(const QByteArray& bytes)
{
    writeFlushed(stderr, bytes);
}
