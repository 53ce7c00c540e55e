#include "devicedetect/HardwareInfo.h"

#include <QDebug>
#include <QStringList>

namespace {

// 2^-30: bytes to GiB, the factor the service's thresholds were set with.
constexpr double kBytesToGib = 9.313225746154785e-10;

} // namespace

HardwareInfo::HardwareInfo(const zov::platform::Platform& platform)
    : m_platform(platform)
{ }

QString HardwareInfo::processorName() const
{
    const QString output = m_platform.processorQueryOutput();
    qDebug() << "response" << output;
    return processorNameFromOutput(output);
}

QString HardwareInfo::memoryText() const
{
    return memoryText(m_platform.memoryStatus());
}

QString HardwareInfo::totalMemoryText() const
{
    return gibText(m_platform.memoryStatus().totalBytes);
}

QString HardwareInfo::processorNameFromOutput(const QString& output)
{
    // The tool's header line is "Name"; only the processor lines say "CPU", and names
    // without that word are deliberately reported as unknown.
    QString name;
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.contains(QLatin1String("CPU")))
            name = QString(line).remove(QLatin1Char('\r'));
    }
    return name;
}

QString HardwareInfo::memoryText(const zov::platform::MemoryStatus& status)
{
    return QStringLiteral("可用 %1 GB / 共 %2 GB")
        .arg(gibText(status.availableBytes), gibText(status.totalBytes));
}

QString HardwareInfo::gibText(quint64 bytes)
{
    return QString::asprintf("%.2f", double(bytes) * kBytesToGib);
}
