#pragma once

#include "platform/Platform.h"

#include <QByteArray>

namespace zov {
namespace platform {

// The desktop the program is developed and tested on. Windows facilities map to
// their nearest equivalent: /proc for memory, processor and processes, a settings
// file of our own for the registry.
class LinuxPlatform : public Platform
{
public:
    bool setDpiAwareness(int level) override;
    bool setCurrentDirectory(const QString& path) override;
    QString executablePath() const override;
    MemoryStatus memoryStatus() const override;
    QSize primaryScreenSize() const override;
    QVariant readRegistry(const QString& key, const QString& name,
        const QVariant& defaultValue = QVariant()) const override;
    bool writeRegistry(const QString& key, const QString& name, const QVariant& value) override;
    QString processorQueryOutput() const override;
    void killProcessesByImageName(const QString& imageName) override;
    QString privateTempFolder() const override;
    bool openRestartProgram(const QString& path) override;

    // The kernel's text files turned into what the interface promises; public so they
    // can be fed any machine's text.
    static MemoryStatus parseMeminfo(const QByteArray& meminfo);
    static QString processorListFromCpuinfo(const QByteArray& cpuinfo);
    // Settings group that stands for a registry key path.
    static QString registryGroup(const QString& key);
};

} // namespace platform
} // namespace zov
