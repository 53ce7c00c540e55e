#pragma once

#include <QtGlobal>

// Reads mouse button presses out of the raw events of the xcb platform plugin. Qt asks
// for XInput 2 pointer events when the server offers them, so a press arrives as a core
// event, as an XInput 2 generic event, or, when Qt asked for both kinds, as both.
class XcbButtonPress
{
public:
    // The window a new press was reported for; 0 when the event is no button press or
    // reports again a press already seen (same window, same server time).
    static quint32 window(const void* xcbEvent);

private:
    static quint32 newPress(quint32 window, quint32 time);
    static int inputExtensionOpcode();
};
