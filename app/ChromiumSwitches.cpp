#include "app/ChromiumSwitches.h"

#include "core/DebugAids.h"

#include <cstring>

QByteArrayList chromiumSwitches()
{
    QByteArrayList switches;
    if (zov::debugAidsEnabled())
        switches << "--remote-debugging-port=9925";
    switches << QByteArrayList {
        "--disable-web-security",
        "--register-pepper-plugins=./flash/pepflashplayer32.dll;application/x-shockwave-flash",
        "--allow-running-insecure-content",
    };
#ifdef Q_OS_WIN
    // Keeps Windows' pointer messages away from Qt; other desktops pick their own
    // platform plugin.
    switches << "-platform"
             << "windows:nowmpointer";
#endif
    switches << "--autoplay-policy=no-user-gesture-required";
    return switches;
}

char** extendedArguments(int& argc, char** argv)
{
    const QByteArrayList switches = chromiumSwitches();
    const int total = argc + switches.size();
    // Qt keeps pointers into the argument vector for the life of the application.
    static char** extended = new char*[total + 1];
    for (int i = 0; i < argc; ++i)
        extended[i] = argv[i];
    for (int i = 0; i < switches.size(); ++i)
        extended[argc + i] = strdup(switches.at(i).constData());
    extended[total] = nullptr;
    argc = total;
    return extended;
}
