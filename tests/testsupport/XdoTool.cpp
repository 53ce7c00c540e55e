#include "XdoTool.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

XdoTool::XdoTool(const QString& display)
    : m_display(display)
{ }

bool XdoTool::run(const QStringList& arguments, QString* output) const
{
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    const bool finished = xdotool.waitForFinished(10000);
    if (output)
        *output = QString::fromUtf8(xdotool.readAllStandardOutput());
    return finished && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

QStringList XdoTool::visibleWindows(qint64 pid) const
{
    QString output;
    run({ QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
            QString::number(pid) },
        &output);
    return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString XdoTool::waitForVisibleWindow(qint64 pid, int timeoutMs) const
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

QString XdoTool::waitForVisibleWindow(qint64 pid, const QString& title, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QString output;
        run({ QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
                QLatin1Char('^') + title + QLatin1Char('$') },
            &output);
        const QStringList windows = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!windows.isEmpty())
            return windows.last();
        QThread::msleep(100);
    }
    return QString();
}

bool XdoTool::pressKey(const QString& windowId, const QString& key) const
{
    // Real key presses through the focus (the display is the test's own): keys sent
    // to a window directly lose their release when the key closes the window.
    if (!run({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId }))
        return false;
    QThread::msleep(200);
    return run({ QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key });
}

bool XdoTool::moveTo(const QString& windowId, int x, int y) const
{
    return run({ QStringLiteral("mousemove"), QStringLiteral("--window"), windowId,
        QString::number(x), QString::number(y) });
}

bool XdoTool::click(const QString& windowId, int x, int y) const
{
    // No --sync: it waits forever when the pointer already rests on the spot.
    return run({ QStringLiteral("mousemove"), QStringLiteral("--window"), windowId,
        QString::number(x), QString::number(y), QStringLiteral("click"), QStringLiteral("1") });
}
