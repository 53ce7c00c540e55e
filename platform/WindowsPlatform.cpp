#include "platform/WindowsPlatform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QUrl>
#include <QtDebug>

#include <windows.h>

namespace zov {
namespace platform {

namespace {

using SetProcessDpiAwarenessInternalFn = HRESULT(WINAPI*)(int);
using SetProcessDPIAwareFn = BOOL(WINAPI*)();

const int kProcessorQueryFirstOutputMs = 1000;
// A tool that hangs must not hold the GUI thread for good; the report then goes without
// the processor's name, as when the tool is missing.
const int kProcessorQueryLimitMs = 10000;

} // namespace

bool WindowsPlatform::setDpiAwareness(int level)
{
    // Looked up at run time: the internal entry point is missing on older systems,
    // and user32 is always loaded in a GUI process.
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32)
        return false;
    const auto setAwareness = reinterpret_cast<SetProcessDpiAwarenessInternalFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessInternal")));
    if (setAwareness) {
        const HRESULT result = setAwareness(level);
        if (result >= 0) {
            qDebug("SetProcessDpiAwareness succeeded.");
            return true;
        }
        if (result == E_ACCESSDENIED) {
            qDebug("Access denied error from SetProcessDpiAwareness.");
            qDebug("Function called twice, or manifest was used.");
        }
    }
    const auto setAware = reinterpret_cast<SetProcessDPIAwareFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
    return setAware && setAware();
}

bool WindowsPlatform::setCurrentDirectory(const QString& path)
{
    const std::wstring widePath = QDir::toNativeSeparators(path).toStdWString();
    return SetCurrentDirectoryW(widePath.c_str()) != 0;
}

QString WindowsPlatform::executablePath() const
{
    char buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    QString path = QString::fromLocal8Bit(buffer, static_cast<int>(length));
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

MemoryStatus WindowsPlatform::memoryStatus() const
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    MemoryStatus result;
    if (GlobalMemoryStatusEx(&status)) {
        result.totalBytes = status.ullTotalPhys;
        result.availableBytes = status.ullAvailPhys;
    }
    return result;
}

QSize WindowsPlatform::primaryScreenSize() const
{
    return QSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

QVariant WindowsPlatform::readRegistry(
    const QString& key, const QString& name, const QVariant& defaultValue) const
{
    const QSettings settings(key, QSettings::NativeFormat);
    return settings.value(name, defaultValue);
}

bool WindowsPlatform::writeRegistry(const QString& key, const QString& name, const QVariant& value)
{
    QSettings settings(key, QSettings::NativeFormat);
    settings.setValue(name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString WindowsPlatform::processorQueryOutput() const
{
    QProcess process;
    process.start(QStringLiteral("wmic"),
        { QStringLiteral("cpu"), QStringLiteral("get"), QStringLiteral("name") },
        QIODevice::ReadWrite);
    process.waitForReadyRead(kProcessorQueryFirstOutputMs);
    if (!process.waitForFinished(kProcessorQueryLimitMs)) {
        process.kill();
        process.waitForFinished(kProcessorQueryFirstOutputMs);
        return QString();
    }
    return QString::fromUtf8(process.readAll());
}

void WindowsPlatform::killProcessesByImageName(const QString& imageName)
{
    QProcess::execute(
        QStringLiteral("TASKKILL"), { QStringLiteral("/IM"), imageName, QStringLiteral("/F") });
}

// The temporary folder lives in the user's own profile there.
QString WindowsPlatform::privateTempFolder() const
{
    return QDir::tempPath();
}

bool WindowsPlatform::openRestartProgram(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace platform
} // namespace zov
