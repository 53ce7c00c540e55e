// Feeds arbitrary bytes, as a server would send them on a kept connection, through the
// reply parser in two pieces split where the first byte says: it always ends complete or
// failed once the connection closes, and a complete reply stays within the limits.
#include "core/HttpResponseParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using zov::network::HttpResponseParser;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const int length = static_cast<int>(size - 1);
    const int split = length == 0 ? 0 : data[0] % (length + 1);
    HttpResponseParser parser;
    parser.feed(bytes, split);
    parser.feed(bytes + split, length - split);
    if (parser.finish() == HttpResponseParser::State::Incomplete)
        std::abort();
    if (parser.state() == HttpResponseParser::State::Complete
        && (parser.status() < 200 || parser.status() > 999
            || parser.body().size() > HttpResponseParser::maxBodyBytes
            || parser.body().size() > length))
        std::abort();
    return 0;
}
