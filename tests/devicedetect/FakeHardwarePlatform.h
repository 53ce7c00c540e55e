#pragma once

#include "platform/LinuxPlatform.h"

// This system's platform with the processor, memory and screen a test chooses, so that
// the hardware check can be run against computers this one is not.
class FakeHardwarePlatform : public zov::platform::LinuxPlatform
{
public:
    FakeHardwarePlatform(
        const QString& processorOutput, zov::platform::MemoryStatus memory, const QSize& screenSize)
        : m_processorOutput(processorOutput)
        , m_memory(memory)
        , m_screenSize(screenSize)
    { }

    zov::platform::MemoryStatus memoryStatus() const override { return m_memory; }
    QSize primaryScreenSize() const override { return m_screenSize; }
    QString processorQueryOutput() const override { return m_processorOutput; }

private:
    QString m_processorOutput;
    zov::platform::MemoryStatus m_memory;
    QSize m_screenSize;
};
