#include "TestFiles.h"
#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "tools/LogUploader.h"
#include "web/CourseListTitle.h"

#include "LocalService.h"
#include "TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

using testfiles::readFile;
using testfiles::writeFile;
using zov::network::NetworkHelper;

namespace {

const QString logName = QStringLiteral("student_2026_12_04_13_05_20.txt");
const QString uploadConfigPath = QStringLiteral("/olbusiness/api/log/uploadConfig");
constexpr int uploaderTimeoutMs = 90000;

// A log as the client writes it, with the bytes a careless transfer would change:
// Chinese text, CR LF, NUL and high bytes, and more than one network packet of it.
QByteArray sampleLog()
{
    QByteArray log;
    for (int line = 0; line < 4000; ++line) {
        log += QStringLiteral("2026-12-04 13:05:%1 Debug: 第%2行 \"quoted\"\r\n")
                   .arg(line % 60, 2, 10, QLatin1Char('0'))
                   .arg(line)
                   .toUtf8();
        log += char(line % 256);
    }
    log += QByteArray(16, '\0');
    return log;
}

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// An address on which nothing listens: a port that was free a moment ago.
QString deadAddress()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return QStringLiteral("https://127.0.0.1:%1/olbusiness/api/log/upload")
        .arg(server.serverPort());
}

} // namespace

// The upload program against the real local service, its uploader's deadline, and the
// title bar that starts it.
class QMUploaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::exists(QStringLiteral(ZOV_QMUPLOADER)));
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        NetworkHelper::initialize();
        // The upload configuration as the client fetches it.
        NetworkHelper request(nullptr, QString());
        QSignalSpy reply(&request, &NetworkHelper::httpFinished);
        request.post(m_service.apiBaseUrl().toString() + uploadConfigPath, "{}", true, 10000);
        QVERIFY(reply.wait(15000));
        m_uploadConfig = reply.first().at(1).toJsonValue().toObject().value("data").toObject();
        QVERIFY(!m_uploadConfig.value("uploadToken").toString().isEmpty());
    }

    void cleanupTestCase() { NetworkHelper::cleanup(); }

    void init()
    {
        m_env.reset(new TestEnvironment);
        QVERIFY(QDir().mkpath(logFolder()));
    }

    void uploadsTheLogByteForByte()
    {
        const QByteArray log = sampleLog();
        QVERIFY(writeFile(logFolder() + logName, log));
        const int before = m_service.uploads().size();
        // Fields beyond the service's own go along as text, whatever their JSON type.
        QJsonObject config = m_uploadConfig;
        QJsonObject fields = config.value("fields").toObject();
        const QJsonObject added { { "attempt", 2 }, { "fraction", 0.1 }, { "none", QJsonValue() },
            { "note", "第二次" }, { "object", QJsonObject { { "a", 1 } } },
            { "array", QJsonArray { 1, "b" } } };
        for (auto field = added.begin(); field != added.end(); ++field)
            fields.insert(field.key(), field.value());
        config.insert("fields", fields);

        QCOMPARE(
            runUploader({ compact(argument(config, logName, 4711)) }, uploaderEnvironment()), 0);

        QCOMPARE(
            readFile(m_service.stateFolder() + QStringLiteral("/uploads/4711/") + logName), log);
        const QJsonArray uploads = m_service.uploads();
        QCOMPARE(uploads.size(), before + 1);
        const QJsonObject upload = uploads.last().toObject();
        QCOMPARE(upload.value("markId").toString(), QStringLiteral("4711"));
        QCOMPARE(upload.value("name").toString(), logName);
        const QJsonObject asText { { "attempt", "2" }, { "fraction", "0.1" }, { "none", "" },
            { "note", "第二次" }, { "object", "{\"a\":1}" }, { "array", "[1,\"b\"]" } };
        for (auto field = asText.begin(); field != asText.end(); ++field)
            fields.insert(field.key(), field.value());
        QCOMPARE(upload.value("fields").toObject(), fields);
        const QJsonObject headers
            = m_service.lastRequest("/olbusiness/api/log/upload").value("headers").toObject();
        QCOMPARE(headers.value("X-Upload-Token").toString(),
            m_uploadConfig.value("uploadToken").toString());

        const QString uploaderLog = uploaderLogText();
        QVERIFY2(uploaderLog.contains("Uploaded "), qPrintable(uploaderLog));
        QVERIFY2(!uploaderLog.contains("[ERROR]"), qPrintable(uploaderLog));
        // The token opens the upload for everyone who reads it; logs are uploaded.
        QVERIFY(!uploaderLog.contains(m_uploadConfig.value("uploadToken").toString()));
    }

    void failureEndsWithAReasonInItsLog_data()
    {
        QTest::addColumn<QJsonObject>("configChanges");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("withArgument");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("serviceFails");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");

        const QJsonObject none;
        const auto change = [](const char* key, const QJsonValue& value) {
            return QJsonObject { { QLatin1String(key), value } };
        };
        // The service's own words reach the log, so a refusal can be understood later.
        QTest::newRow("wrong token")
            << change("uploadToken", "0123456789abcdef") << logName << true << true << false << 3
            << "HTTP 403.*the upload token is missing or wrong";
        QTest::newRow("service fails")
            << none << logName << true << true << true << 3 << "HTTP 500";
        QTest::newRow("untrusted certificate")
            << none << logName << true << false << false << 3 << "certificate is not trusted";
        QTest::newRow("nothing listens")
            << change("uploadUrl", deadAddress()) << logName << true << true << false << 3
            << "failed before the service answered";
        QTest::newRow("missing file") << none << QStringLiteral("student_2026_12_03_08_00_00.txt")
                                      << true << true << false << 2 << "does not exist";
        QTest::newRow("folder as file") << none << QStringLiteral("old") << true << true << false
                                        << 2 << "is not a regular file";
        QTest::newRow("no argument")
            << none << logName << false << true << false << 1 << "exactly one argument";
    }

    void failureEndsWithAReasonInItsLog()
    {
        QFETCH(QJsonObject, configChanges);
        QFETCH(QString, name);
        QFETCH(bool, withArgument);
        QFETCH(bool, trusted);
        QFETCH(bool, serviceFails);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        QVERIFY(writeFile(logFolder() + logName, sampleLog()));
        QVERIFY(QDir().mkpath(logFolder() + QStringLiteral("old")));
        QJsonObject config = m_uploadConfig;
        for (auto it = configChanges.constBegin(); it != configChanges.constEnd(); ++it)
            config.insert(it.key(), it.value());
        QStringList arguments;
        if (withArgument)
            arguments << compact(argument(config, name, 7));
        QProcessEnvironment environment = uploaderEnvironment();
        if (!trusted)
            environment.remove(QStringLiteral("ZOV_EXTRA_CA_FILE"));
        if (serviceFails)
            QVERIFY(m_service.injectFaults(1, QStringLiteral("error500")));
        const int before = m_service.uploads().size();

        QCOMPARE(runUploader(arguments, environment), exitCode);

        QCOMPARE(m_service.uploads().size(), before);
        const QString uploaderLog = uploaderLogText();
        QVERIFY2(uploaderLog.contains("[ERROR]"), qPrintable(uploaderLog));
        QVERIFY2(uploaderLog.contains(QRegularExpression(reason)), qPrintable(uploaderLog));
    }

    // The program allows a minute; here a short deadline against a service that answers late.
    void lateServiceIsGivenUpAtTheDeadline()
    {
        QVERIFY(writeFile(logFolder() + logName, "Debug: one line\n"));
        UploadArguments arguments;
        QVERIFY(arguments.parse(compact(argument(m_uploadConfig, logName, 1))));
        QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), 5000));

        LogUploader uploader;
        QVERIFY(uploader.readFile(arguments));
        QSignalSpy finished(&uploader, &LogUploader::finished);
        uploader.start(1500);

        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.first().at(0).toBool(), false);
        const QString message = finished.first().at(1).toString();
        QVERIFY2(message.contains(QStringLiteral("did not finish within 1.5 seconds")),
            qPrintable(message));
        // One answer only, also when the late reply would have come in after all.
        QTest::qWait(500);
        QCOMPARE(finished.count(), 1);
    }

    // Asked again while its uploader runs, the title bar shows its notice but neither asks
    // for the configuration nor starts a second uploader; once that has ended it does again.
    // The configuration request carries the signed-in student.
    void askingAgainWhileTheUploaderRunsSendsNothing()
    {
        QVERIFY(writeFile(logFolder() + logName, "Debug: one line\n"));
        m_env->apply();
        ContextData& context = Context::instance()->data();
        context.getUploadConfigUrl = m_service.apiBaseUrl().toString() + uploadConfigPath;
        context.logFileName = logName;
        context.userId = 31;
        context.token = QStringLiteral("tk-upload");
        context.uid = QStringLiteral("uid-upload");
        QVERIFY(QDir::setCurrent(QFileInfo(QStringLiteral(ZOV_QMUPLOADER)).path()));
        const int requests = m_service.requestCount(uploadConfigPath);
        // The configuration and the upload are answered late, so the uploader runs a while.
        QVERIFY(m_service.injectFaults(2, QStringLiteral("slow"), 2000));

        CourseListTitle title;
        QSignalSpy notices(&title, &CourseListTitle::sigUploadNotice);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        title.onUploadLog();
        QTRY_VERIFY_WITH_TIMEOUT(uploaderLogText().contains("Uploading "), 20000);
        // The uploader's start was told long before it wrote; the title bar hears of it now.
        QCoreApplication::processEvents();
        title.onUploadLog();
        title.onUploadLog();
        QTRY_COMPARE_WITH_TIMEOUT(uploaderChildren(), 0, 20000);
        QCOMPARE(notices.count(), 3);
        QCOMPARE(m_service.requestCount(uploadConfigPath), requests + 1);
        QCOMPARE(uploadsOf(31), 1);
        const QJsonObject request = m_service.lastRequest(uploadConfigPath);
        const QJsonObject headers = request.value("headers").toObject();
        QCOMPARE(headers.value("token").toString(), QStringLiteral("tk-upload"));
        QCOMPARE(headers.value("channel").toString(), QStringLiteral("ol_stu"));
        QCOMPARE(headers.value("UUId").toString(), QStringLiteral("uid-upload"));
        QCOMPARE(headers.value("Content-Type").toString(), QStringLiteral("application/json"));
        const qint64 timestamp = headers.value("timestamp").toString().toLongLong();
        QVERIFY(timestamp >= before && timestamp <= QDateTime::currentSecsSinceEpoch());
        QCOMPARE(request.value("body").toString(), QStringLiteral("{}"));

        title.onUploadLog();
        QTRY_COMPARE_WITH_TIMEOUT(uploadsOf(31), 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(uploaderChildren(), 0, 20000);
        QCOMPARE(m_service.requestCount(uploadConfigPath), requests + 2);
    }

private:
    int uploadsOf(int markId)
    {
        int count = 0;
        for (const QJsonValue& upload : m_service.uploads())
            count += upload.toObject().value("markId").toString() == QString::number(markId);
        return count;
    }

    // Upload programs this process started that it has not yet seen end.
    static int uploaderChildren()
    {
        int count = 0;
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
            const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
            if (stat.contains("(QMUploader)")
                && fields.value(1).toLongLong() == QCoreApplication::applicationPid())
                ++count;
        }
        return count;
    }

    QString logFolder() const { return m_env->home() + QStringLiteral("/zov_qm_student/logs/"); }

    QJsonObject argument(const QJsonObject& config, const QString& name, int markId) const
    {
        return { { QStringLiteral("data"), config }, { QStringLiteral("logName"), name },
            { QStringLiteral("logPath"), logFolder() }, { QStringLiteral("markId"), markId } };
    }

    QProcessEnvironment uploaderEnvironment() const
    {
        QProcessEnvironment environment = m_env->environment();
        m_service.applyClientEnvironment(environment);
        return environment;
    }

    int runUploader(const QStringList& arguments, const QProcessEnvironment& environment)
    {
        QProcess uploader;
        uploader.setProcessEnvironment(environment);
        uploader.setProcessChannelMode(QProcess::ForwardedChannels);
        uploader.start(QStringLiteral(ZOV_QMUPLOADER), arguments);
        if (!uploader.waitForFinished(uploaderTimeoutMs)) {
            uploader.kill();
            uploader.waitForFinished();
            return -1;
        }
        return uploader.exitStatus() == QProcess::NormalExit ? uploader.exitCode() : -2;
    }

    // The uploader's log is named after its start time; under any other name it is not read.
    QString uploaderLogText() const
    {
        const QRegularExpression startTimeName("^uploader_\\d{4}(_\\d\\d){5}\\.txt$");
        QString text;
        const QDir folder(logFolder());
        for (const QString& name : folder.entryList(QDir::Files)) {
            if (startTimeName.match(name).hasMatch())
                text += QString::fromUtf8(readFile(folder.filePath(name)));
        }
        return text;
    }

    LocalService m_service;
    QJsonObject m_uploadConfig;
    QScopedPointer<TestEnvironment> m_env;
};

QTEST_MAIN(QMUploaderTest)
#include "tst_qmuploader.moc"
