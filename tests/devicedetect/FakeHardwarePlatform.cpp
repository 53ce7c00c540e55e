#include "FakeHardwarePlatform.h"

FakeHardwarePlatform::FakeHardwarePlatform(
    const QString& processorOutput, zov::platform::MemoryStatus memory, const QSize& screenSize)
    : m_system(Platform::instance())
    , m_processorOutput(processorOutput)
    , m_memory(memory)
    , m_screenSize(screenSize)
{ }

bool FakeHardwarePlatform::setDpiAwareness(int level)
{
    return m_system.setDpiAwareness(level);
}

bool FakeHardwarePlatform::setCurrentDirectory(const QString& path)
{
    return m_system.setCurrentDirectory(path);
}

QString FakeHardwarePlatform::executablePath() const
{
    return m_system.executablePath();
}

QVariant FakeHardwarePlatform::readRegistry(
    const QString& key, const QString& name, const QVariant& defaultValue) const
{
    return m_system.readRegistry(key, name, defaultValue);
}

bool FakeHardwarePlatform::writeRegistry(
    const QString& key, const QString& name, const QVariant& value)
{
    return m_system.writeRegistry(key, name, value);
}

void FakeHardwarePlatform::killProcessesByImageName(const QString& imageName)
{
    m_system.killProcessesByImageName(imageName);
}

bool FakeHardwarePlatform::openRestartProgram(const QString& path)
{
    return m_system.openRestartProgram(path);
}
