#pragma once

#include <QByteArray>

// The client reads both streams through pipes and logs them by carriage return, so
// every write goes out at once instead of waiting in the C library's buffer.
void writeStandardOutput(const QByteArray& bytes);
void writeStandardError(const QByteArray& bytes);
