#pragma once

#include "platform/Platform.h"

#include <QString>

// What the hardware report says about this computer: the processor name as the
// Windows tool lists it, and the physical memory in GiB.
class HardwareInfo
{
public:
    explicit HardwareInfo(const zov::platform::Platform& platform);

    // Asks the system each time; logs the tool's raw output.
    QString processorName() const;
    // "可用 <available> GB / 共 <total> GB".
    QString memoryText() const;
    // The total alone, "%.2f".
    QString totalMemoryText() const;

    // The last line that mentions "CPU", without carriage returns; empty when none does.
    static QString processorNameFromOutput(const QString& output);
    static QString memoryText(const zov::platform::MemoryStatus& status);
    static QString gibText(quint64 bytes);

private:
    const zov::platform::Platform& m_platform;
};
