#pragma once

#include <QString>
#include <QStringList>

// Drives windows of another process through xdotool, the way a person would: find a
// window, give it focus, press keys, click. Works on one given X display.
class XdoTool
{
public:
    explicit XdoTool(const QString& display);

    // Visible top-level windows of a process, as X window ids.
    QStringList visibleWindows(qint64 pid) const;
    // Waits until the process shows a visible window and returns its id (empty on timeout).
    QString waitForVisibleWindow(qint64 pid, int timeoutMs) const;
    // The same for a window whose title is exactly title (plain text, no pattern signs).
    QString waitForVisibleWindow(qint64 pid, const QString& title, int timeoutMs) const;
    bool pressKey(const QString& windowId, const QString& key) const;
    bool click(const QString& windowId, int x, int y) const;
    bool moveTo(const QString& windowId, int x, int y) const;

private:
    bool run(const QStringList& arguments, QString* output = nullptr) const;

    QString m_display;
};
