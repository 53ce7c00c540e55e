#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

namespace {

// Test environments change TMPDIR; new ones still go where the first one went, so
// that removing one never takes another with it.
QString rootTemplate()
{
    static const QString base = QDir::tempPath() + QStringLiteral("/zov-test-XXXXXX");
    return base;
}

} // namespace

TestEnvironment::TestEnvironment()
    : m_root(rootTemplate())
{
    QDir(m_root.path()).mkpath(QStringLiteral("home"));
    QDir(m_root.path()).mkpath(QStringLiteral("tmp"));
    QDir(m_root.path()).mkpath(QStringLiteral("data"));
}

QString TestEnvironment::home() const
{
    return m_root.filePath(QStringLiteral("home"));
}

QString TestEnvironment::temp() const
{
    return m_root.filePath(QStringLiteral("tmp"));
}

QString TestEnvironment::dataHome() const
{
    return m_root.filePath(QStringLiteral("data"));
}

QString TestEnvironment::dataFolder() const
{
    return home() + QStringLiteral("/zov_qm_student");
}

QString TestEnvironment::agreementMarker() const
{
    return temp() + QStringLiteral("/zov-%1/zov-stu-agreed-file").arg(getuid());
}

// The program only trusts a folder that nobody else can enter.
bool TestEnvironment::writeAgreementMarker() const
{
    const QString folder = QFileInfo(agreementMarker()).path();
    QFile marker(agreementMarker());
    return QDir().mkpath(folder)
        && QFile::setPermissions(
            folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        && marker.open(QIODevice::WriteOnly);
}

QByteArray TestEnvironment::runLogText() const
{
    const QDir logs(dataFolder() + QStringLiteral("/logs"));
    const QStringList files = logs.entryList({ QStringLiteral("student_*.txt") }, QDir::Files);
    if (files.isEmpty())
        return QByteArray();
    QFile file(logs.filePath(files.last()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestEnvironment::waitForRunLog(const QByteArray& text, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return runLogText().contains(text); }, timeoutMs);
}

void TestEnvironment::apply() const
{
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("TMPDIR", QFile::encodeName(temp()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
}

QProcessEnvironment TestEnvironment::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home());
    env.insert(QStringLiteral("TMPDIR"), temp());
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    return env;
}
