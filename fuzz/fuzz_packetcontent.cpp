// Feeds arbitrary bytes, as the payload of a whiteboard packet of every action, to the
// packet decoder.
#include "QuietQt.h"
#include "replay/GraphicsDataPackage.h"

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
    if (size < 1)
        return 0;
    PacketContent packet;
    packet.actionType = qint16(data[0] % 8);
    packet.coursewareId = "cw";
    packet.pageId = "p";
    packet.content
        = QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
    GraphicsDataPackage::instance()->decodePacketContent(packet);
    return 0;
}
