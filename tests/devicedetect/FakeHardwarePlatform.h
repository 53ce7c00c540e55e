#pragma once

#include "platform/Platform.h"

// The system's own platform with the processor, memory and screen a test chooses, so
// that the hardware check can be run against computers this one is not.
class FakeHardwarePlatform : public zov::platform::Platform
{
public:
    FakeHardwarePlatform(const QString& processorOutput, zov::platform::MemoryStatus memory,
        const QSize& screenSize);

    zov::platform::MemoryStatus memoryStatus() const override { return m_memory; }
    QSize primaryScreenSize() const override { return m_screenSize; }
    QString processorQueryOutput() const override { return m_processorOutput; }

    bool setDpiAwareness(int level) override;
    bool setCurrentDirectory(const QString& path) override;
    QString executablePath() const override;
    QVariant readRegistry(
        const QString& key, const QString& name, const QVariant& defaultValue) const override;
    bool writeRegistry(const QString& key, const QString& name, const QVariant& value) override;
    void killProcessesByImageName(const QString& imageName) override;
    QString privateTempFolder() const override { return m_system.privateTempFolder(); }
    bool openRestartProgram(const QString& path) override;

private:
    Platform& m_system;
    QString m_processorOutput;
    zov::platform::MemoryStatus m_memory;
    QSize m_screenSize;
};
