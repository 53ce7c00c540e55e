#include "XdoTool.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

namespace {

QString runXdotool(const QStringList& arguments, bool* ok = nullptr)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    const bool finished = xdotool.waitForFinished(10000);
    if (ok)
        *ok = finished && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
    return QString::fromUtf8(xdotool.readAllStandardOutput());
}

} // namespace

namespace XdoTool {

QStringList visibleWindows(qint64 pid)
{
    const QString output = runXdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
        QStringLiteral("--pid"), QString::number(pid) });
    return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString waitForVisibleWindow(qint64 pid, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const QStringList windows = visibleWindows(pid);
        if (!windows.isEmpty())
            return windows.last();
        QThread::msleep(100);
    }
    return QString();
}

bool pressKey(const QString& windowId, const QString& key)
{
    bool focused = false;
    runXdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId }, &focused);
    // Give the program a moment to take the focus before the key arrives.
    QThread::msleep(200);
    bool pressed = false;
    runXdotool({ QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key }, &pressed);
    return focused && pressed;
}

bool click(const QString& windowId, int x, int y)
{
    bool ok = false;
    runXdotool({ QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
                   windowId, QString::number(x), QString::number(y), QStringLiteral("click"),
                   QStringLiteral("1") },
        &ok);
    return ok;
}

} // namespace XdoTool
