#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class LocalService;
class TestEnvironment;

// A private copy of the staged installation (config.ini beside the version folder)
// and a run of the program in it.
class StagedProgram
{
public:
    StagedProgram();
    ~StagedProgram();

    bool isValid() const;
    QString launcherDir() const { return m_launcher.path(); }
    QString versionDir() const;
    QString executablePath() const;
    // A full update package of this installation as version newVersion: a zip archive
    // whose top folder, named newVersion, holds a copy of the version folder.
    bool buildFullPackage(const QString& newVersion, const QString& zipPath) const;

    void start(const QProcessEnvironment& environment, const QStringList& arguments = {});
    // The environment a student's run gets: env's private folders, the service's host
    // and trusted CA, and the X display to show its windows on.
    static QProcessEnvironment clientEnvironment(
        const TestEnvironment& env, const LocalService& service, const QString& display);
    QProcess& process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }
    // Waits for the program to end by itself; false on timeout.
    bool waitForExit(int timeoutMs);
    int exitCode() const { return m_process.exitCode(); }
    void terminate();

private:
    QTemporaryDir m_launcher;
    QProcess m_process;
};
