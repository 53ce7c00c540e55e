#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zov {
namespace platform {

struct MemoryStatus
{
    quint64 totalBytes = 0;
    quint64 availableBytes = 0;
};

// Everything the program asks of the operating system that differs between Windows
// and the desktop it is built and tested on. One implementation per system; the rest
// of the program only talks to this interface.
class Platform
{
public:
    virtual ~Platform() = default;

    // The implementation for the system the program was built for.
    static Platform& instance();

    // Asks the system for DPI awareness at the given level (1 = system aware).
    // Logs what happened; returns whether the process is now DPI aware.
    virtual bool setDpiAwareness(int level) = 0;
    virtual bool setCurrentDirectory(const QString& path) = 0;
    // Full path of the running executable, with "/" separators.
    virtual QString executablePath() const = 0;
    virtual MemoryStatus memoryStatus() const = 0;
    virtual QSize primaryScreenSize() const = 0;

    // Registry access. key is a Windows key path such as
    // "HKEY_CURRENT_USER\\Software\\zov1v1-stu"; name is the value's name.
    virtual QVariant readRegistry(const QString& key, const QString& name,
        const QVariant& defaultValue = QVariant()) const = 0;
    virtual bool writeRegistry(const QString& key, const QString& name, const QVariant& value) = 0;

    // What the system says about the processor, one entry per line, in the form of
    // "wmic cpu get name" (Windows) or the "model name" lines of /proc/cpuinfo.
    virtual QString processorQueryOutput() const = 0;

    // Ends helper processes named imageName (for example "curl.exe"). Waits until done.
    // On the desktop only descendants of this process are touched, never anyone else's.
    virtual void killProcessesByImageName(const QString& imageName) = 0;

    // A temporary folder that only this user can enter, for files another local user must
    // not swap or read. Empty when it cannot be had safely (someone else made it first).
    virtual QString privateTempFolder() const = 0;

    // Starts the program (or opens the file) at path, detached from this process.
    virtual bool openRestartProgram(const QString& path) = 0;

    // Executable file name of a program on this system: "ZovLiveRoomStu" gives
    // "ZovLiveRoomStu.exe" on Windows and "ZovLiveRoomStu" elsewhere.
    static QString programFileName(const QString& baseName);

    // Finds a tool named the Windows way ("curl.exe"): beside the program, then the
    // same name without ".exe" beside the program, then without ".exe" on PATH.
    // Returns an empty string when none is found.
    static QString findTool(const QString& windowsName);
    // The same search with the program's folder given, so it can be checked anywhere.
    static QString findTool(const QString& windowsName, const QString& programFolder);
};

} // namespace platform
} // namespace zov
