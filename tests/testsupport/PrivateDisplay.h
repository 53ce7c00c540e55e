#pragma once

#include <QProcess>
#include <QString>

// An Xvfb display of a test's own, so that focus and keystrokes of one test never
// reach the windows of another running at the same time.
class PrivateDisplay
{
public:
    PrivateDisplay();
    ~PrivateDisplay();

    bool isValid() const { return !m_name.isEmpty(); }
    // ":<number>", the value of DISPLAY.
    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};
