#include "app/ChromiumSwitches.h"
#include "app/ServiceEnvironment.h"
#include "core/TrustStore.h"
#include "web/WebUI.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

namespace {

// TCP ports this process listens on: the web engine's browser side runs in it.
QStringList listeningPorts()
{
    QSet<QByteArray> ours;
    const QString fdDir = QStringLiteral("/proc/self/fd/");
    for (const QString& fd : QDir(fdDir).entryList(QDir::AllEntries | QDir::System)) {
        // Qt resolves link targets into paths; the kernel's "socket:[inode]" is wanted.
        char target[64] = {};
        ::readlink(QFile::encodeName(fdDir + fd).constData(), target, sizeof target - 1);
        const QByteArray text(target);
        if (text.startsWith("socket:["))
            ours.insert(text.mid(8, text.size() - 9));
    }
    QStringList ports;
    for (const char* table : { "/proc/net/tcp", "/proc/net/tcp6" }) {
        QFile file(QString::fromLatin1(table));
        file.open(QIODevice::ReadOnly);
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 9 && fields.at(3) == "0A" && ours.contains(fields.at(9)))
                ports << QString::number(fields.at(1).split(':').last().toInt(nullptr, 16));
        }
    }
    return ports;
}

} // namespace

// This executable carries its own copy of the build switch, compiled as a release
// build has it, so everything below runs the release configuration.
class ReleaseConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void webEngineListensOnNoPort()
    {
        WebUI view;
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.setHtml(QStringLiteral("<p>release</p>"));
        view.show();
        QVERIFY(loaded.wait(60000));
        QCOMPARE(listeningPorts(), QStringList());
    }

    void overridesAreIgnored()
    {
        qputenv("ZOV_API_HOST", "127.0.0.1:8443");
        qputenv("ZOV_EXTRA_CA_FILE", "/etc/ssl/certs/ca-certificates.crt");
        QCOMPARE(businessApiHost(QStringLiteral("online")), QStringLiteral("api.zov1v1.net"));
        zov::network::TrustStore::instance().reset();
        QVERIFY(zov::network::TrustStore::instance().curlCaStore() == nullptr);
    }
};

int main(int argc, char* argv[])
{
    // The program's own command line, switches for the web engine included.
    int extendedArgc = argc;
    char** extendedArgv = extendedArguments(extendedArgc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);
    QApplication app(extendedArgc, extendedArgv);
    ReleaseConfigTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_releaseconfig.moc"
