#include "StagedProgram.h"

#include "LocalService.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

const QString kVersion = QStringLiteral("1.6.7.0");

// cp keeps the programs' modes and the folders' layout in one go.
bool copyTree(const QString& from, const QString& to)
{
    return QDir().mkpath(to)
        && QProcess::execute(
               QStringLiteral("cp"), { QStringLiteral("-a"), from + QStringLiteral("/."), to })
        == 0;
}

} // namespace

StagedProgram::StagedProgram()
{
    copyTree(QStringLiteral(ZOV_BUILD_DIR "/stage"), m_launcher.path());
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

StagedProgram::~StagedProgram()
{
    terminate();
}

bool StagedProgram::isValid() const
{
    return m_launcher.isValid() && QFileInfo(executablePath()).isExecutable();
}

QString StagedProgram::versionDir() const
{
    return m_launcher.path() + QLatin1Char('/') + kVersion;
}

QString StagedProgram::executablePath() const
{
    return versionDir() + QStringLiteral("/zovwx1v1_Student");
}

bool StagedProgram::buildFullPackage(const QString& newVersion, const QString& zipPath) const
{
    QTemporaryDir source;
    if (!source.isValid() || !copyTree(versionDir(), source.filePath(newVersion)))
        return false;
    QProcess archiver;
    archiver.setWorkingDirectory(source.path());
    archiver.start(QStringLiteral("7za"),
        { QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-mx1"),
            QStringLiteral("-bd"), zipPath, newVersion });
    return archiver.waitForFinished(120000) && archiver.exitStatus() == QProcess::NormalExit
        && archiver.exitCode() == 0;
}

QProcessEnvironment StagedProgram::clientEnvironment(
    const TestEnvironment& env, const LocalService& service, const QString& display)
{
    QProcessEnvironment environment = env.environment();
    service.applyClientEnvironment(environment);
    environment.insert(QStringLiteral("DISPLAY"), display);
    // Tests without a display of their own run offscreen; the student's programs do not.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

void StagedProgram::start(const QProcessEnvironment& environment, const QStringList& arguments)
{
    QProcessEnvironment env = environment;
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    // The program shows real windows on the display it is given, whatever platform
    // the test itself runs on.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(versionDir());
    m_process.start(executablePath(), arguments);
    m_process.waitForStarted(10000);
}

bool StagedProgram::waitForExit(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    return m_process.waitForFinished(timeoutMs);
}

void StagedProgram::terminate()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
