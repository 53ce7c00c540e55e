#include "core/TrustStore.h"
#include "tools/LogUploader.h"

#include "LocalService.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString logName = QStringLiteral("student_2026_12_04_13_05_20.txt");

} // namespace

// The transfer's deadline, which the program sets to a minute: here a short one
// against a service that answers late.
class LogUploaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        zov::network::TrustStore::instance().reload();
    }

    void lateServiceIsGivenUpAtTheDeadline()
    {
        QVERIFY(QDir().mkpath(m_env.temp()));
        QFile log(m_env.temp() + QLatin1Char('/') + logName);
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("Debug: one line\n");
        log.close();
        UploadArguments arguments;
        QVERIFY(arguments.parse(argumentText()));
        QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), 5000));
        const int before = m_service.uploads().size();

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
        QCOMPARE(m_service.uploads().size(), before);
    }

private:
    QString argumentText() const
    {
        QUrl url = m_service.apiBaseUrl();
        url.setPath(QStringLiteral("/olbusiness/api/log/upload"));
        const QJsonObject data { { QStringLiteral("uploadUrl"), url.toString() },
            { QStringLiteral("uploadToken"), QStringLiteral("any") } };
        const QJsonObject argument { { QStringLiteral("data"), data },
            { QStringLiteral("logName"), logName }, { QStringLiteral("logPath"), m_env.temp() },
            { QStringLiteral("markId"), 1 } };
        return QString::fromUtf8(QJsonDocument(argument).toJson(QJsonDocument::Compact));
    }

    TestEnvironment m_env;
    LocalService m_service;
};

QTEST_GUILESS_MAIN(LogUploaderTest)
#include "tst_loguploader.moc"
