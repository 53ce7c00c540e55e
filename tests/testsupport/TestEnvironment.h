#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A private home, temporary and data folder for one test. Qt's standard paths follow
// HOME, TMPDIR and XDG_DATA_HOME, so tests that each own one run isolated and in
// parallel. apply() points the current process at it; environment() gives the same
// for a child process.
class TestEnvironment
{
public:
    TestEnvironment();

    bool isValid() const { return m_root.isValid(); }
    QString root() const { return m_root.path(); }
    QString home() const;
    QString temp() const;
    QString dataHome() const;
    // The program's data folder inside home.
    QString dataFolder() const;

    // The file a finished log-in leaves, so the program starts without the agreement
    // notice.
    QString agreementMarker() const;
    bool writeAgreementMarker() const;
    // The text of the newest program log in the data folder; empty while there is none.
    QByteArray runLogText() const;
    // Waits, serving events, until the newest program log holds text; false on timeout.
    bool waitForRunLog(const QByteArray& text, int timeoutMs) const;

    void apply() const;
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_root;
};
