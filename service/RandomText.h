#pragma once

#include <QString>

namespace zovservice {

// Secrets the service hands out (log-in tokens, the upload token): random enough that a
// client can only know them by having been told.
class RandomText
{
public:
    // byteCount random bytes as lower-case hex, twice as many characters.
    static QString hex(int byteCount);
};

} // namespace zovservice
