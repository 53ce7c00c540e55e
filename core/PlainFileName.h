#pragma once

#include <QString>

// A file name taken from the network, made safe to put on the disk: only the last segment
// of a URL's path, never a query or a fragment, never a separator, "." or "..".
class PlainFileName
{
public:
    // fallback when the URL names no usable file.
    static QString ofUrl(const QString& url, const QString& fallback);
};
