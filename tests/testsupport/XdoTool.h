#pragma once

#include <QString>
#include <QStringList>

// Drives windows of another process on the test display through xdotool, the way a
// person would: find a window, give it focus, press keys, click.
namespace XdoTool {

// Visible top-level windows of a process, in X window ids; empty when there are none.
QStringList visibleWindows(qint64 pid);
// Waits until the process shows a visible window and returns its id (empty on timeout).
QString waitForVisibleWindow(qint64 pid, int timeoutMs);
bool pressKey(const QString& windowId, const QString& key);
bool click(const QString& windowId, int x, int y);

} // namespace XdoTool
