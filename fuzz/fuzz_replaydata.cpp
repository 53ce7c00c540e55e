// Feeds arbitrary bytes, as a downloaded replay data file, to the reader of page changes
// and whiteboard packets.
#include "QuietQt.h"
#include "replay/ReadRelayData.h"

#include <cstddef>
#include <cstdint>

// Every packet is logged; millions of those lines would drown the run.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    dropQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    ReadRelayData reader(nullptr);
    reader.readBytes(bytes, 0);
    return 0;
}
