#pragma once

#include "platform/Platform.h"

namespace zov {
namespace platform {

// The Windows seat the program ships for: Win32 calls and the real registry.
class WindowsPlatform : public Platform
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
};

} // namespace platform
} // namespace zov
