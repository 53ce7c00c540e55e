#include "widgets/XcbButtonPress.h"

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// The leading fields of an XInput 2 device event as they come over the wire.
struct XiDeviceEvent
{
    uint8_t responseType;
    uint8_t extension;
    uint16_t sequence;
    uint32_t length;
    uint16_t eventType;
    uint16_t deviceId;
    uint32_t time;
    uint32_t detail;
    uint32_t root;
    uint32_t event;
};

constexpr uint16_t XiButtonPress = 4;

// The server fixes extension opcodes for all its clients, so a short connection of our
// own answers for the one Qt holds.
int queryInputExtensionOpcode()
{
    static const char name[] = "XInputExtension";
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    int opcode = -1;
    if (!xcb_connection_has_error(connection)) {
        const xcb_query_extension_cookie_t cookie
            = xcb_query_extension(connection, sizeof(name) - 1, name);
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, nullptr);
        if (reply && reply->present) {
            opcode = reply->major_opcode;
        }
        std::free(reply);
    }
    xcb_disconnect(connection);
    return opcode;
}

} // namespace

quint32 XcbButtonPress::window(const void* xcbEvent)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_BUTTON_PRESS) {
        const auto* press = static_cast<const xcb_button_press_event_t*>(xcbEvent);
        return newPress(press->event, press->time);
    }
    if (type == XCB_GE_GENERIC) {
        const auto* device = static_cast<const XiDeviceEvent*>(xcbEvent);
        if (device->eventType == XiButtonPress && device->extension == inputExtensionOpcode()) {
            return newPress(device->event, device->time);
        }
    }
    return 0;
}

quint32 XcbButtonPress::newPress(quint32 window, quint32 time)
{
    static quint32 lastWindow = 0;
    static quint32 lastTime = 0;
    if (window == lastWindow && time == lastTime) {
        return 0;
    }
    lastWindow = window;
    lastTime = time;
    return window;
}

int XcbButtonPress::inputExtensionOpcode()
{
    static const int opcode = queryInputExtensionOpcode();
    return opcode;
}
