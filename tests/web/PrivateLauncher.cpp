#include "PrivateLauncher.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char kMarker[] = "ZOV_TEST_PRIVATE_LAUNCHER";

int runCopy()
{
    QTemporaryDir launcher;
    const QString versionDir = launcher.path() + QStringLiteral("/" ZOV_APP_VERSION);
    const QString program = versionDir + QLatin1Char('/')
        + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (!launcher.isValid() || !QDir().mkpath(versionDir)
        || !QFile::copy(QCoreApplication::applicationFilePath(), program)) {
        qCritical() << "cannot lay out a private launcher in" << launcher.path();
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kMarker), launcher.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, QCoreApplication::arguments().mid(1));
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        qCritical() << "the private copy did not finish:" << process.errorString();
        return 1;
    }
    return process.exitCode();
}

} // namespace

int runInPrivateLauncher(QObject* test, int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet(kMarker))
        return runCopy();
    return QTest::qExec(test, argc, argv);
}
