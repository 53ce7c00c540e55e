#include "app/Application.h"
#include "app/ServiceEnvironment.h"
#include "app/VersionFolders.h"

#include "LocalService.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>
#include <QWindow>

class ApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env.reset(new TestEnvironment);
        m_env->apply();
    }

    void pressOnTheTopBandStartsADrag_data()
    {
        QTest::addColumn<int>("pressY");
        QTest::addColumn<bool>("drags");
        QTest::newRow("y = 0") << 0 << true;
        QTest::newRow("y = 60") << 60 << true;
        QTest::newRow("y = 61") << 61 << false;
    }

    void pressOnTheTopBandStartsADrag()
    {
        QFETCH(int, pressY);
        QFETCH(bool, drags);
        QWidget frameless;
        frameless.setObjectName(QStringLiteral("framelessWindow"));
        frameless.setWindowFlags(Qt::FramelessWindowHint);
        frameless.resize(400, 300);
        frameless.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frameless));
        QWindow* window = frameless.windowHandle();

        QSignalSpy moves(static_cast<Application*>(qApp), &Application::sigWindowMove);
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(10, pressY));
        QTest::mouseMove(window, QPoint(30, pressY + 15));
        QTest::mouseMove(window, QPoint(35, pressY + 5));
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(35, pressY + 5));
        QTest::mouseMove(window, QPoint(80, pressY + 50));

        if (!drags) {
            QCOMPARE(moves.count(), 0);
            return;
        }
        QCOMPARE(moves.count(), 2);
        QCOMPARE(moves.at(0).at(0).toString(), window->objectName());
        QCOMPARE(moves.at(0).at(1).toInt(), 20);
        QCOMPARE(moves.at(0).at(2).toInt(), 15);
        QCOMPARE(moves.at(1).at(1).toInt(), 5);
        QCOMPARE(moves.at(1).at(2).toInt(), -10);
    }

    // What a page load leaves on disk is gone after a start without the marker, and kept
    // once the student has agreed.
    void missingMarkerClearsWhatThePagesLeftOnDisk()
    {
        LocalService service;
        QVERIFY(service.start());
        const QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
        QVERIFY(profile->cachePath().startsWith(m_env->root()));
        auto* app = static_cast<Application*>(qApp);
        for (const bool agreed : { true, false }) {
            QWebEngineView view;
            QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
            view.load(QUrl(service.webBaseUrl().toString() + QStringLiteral("/pages/login.html")));
            QVERIFY(loaded.wait(30000));
            view.page()->runJavaScript(QStringLiteral("localStorage.setItem('student', 'a')"));
            const auto entries = [](const QString& path) {
                return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
            };
            QTRY_VERIFY_WITH_TIMEOUT(entries(profile->cachePath()) > 0, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(
                entries(profile->persistentStoragePath() + QStringLiteral("/Local Storage")) > 0,
                10000);
            if (agreed)
                QVERIFY(m_env->writeAgreementMarker());
            else
                QVERIFY(QFile::remove(m_env->agreementMarker()));
            QCOMPARE(app->isAgreed(), agreed);
            QCOMPARE(QDir(profile->cachePath()).exists(), agreed);
            QCOMPARE(QDir(profile->persistentStoragePath()).exists(), agreed);
        }
    }

    void userEnvChoosesTheApiHost_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("host");
        const QString online = QStringLiteral("api.zov1v1.net");
        QTest::newRow("beta") << QByteArray("[env]\nUserEnv=beta\n")
                              << QStringLiteral("beta-api.zov1v1.net");
        QTest::newRow("dev") << QByteArray("[env]\nUserEnv=dev\n")
                             << QStringLiteral("dev-api.zov1v1.net");
        QTest::newRow("online") << QByteArray("[env]\nUserEnv=online\n") << online;
        QTest::newRow("Beta is not beta") << QByteArray("[env]\nUserEnv=Beta\n") << online;
        QTest::newRow("no setting file") << QByteArray() << online;
    }

    // The choice replaces whatever was chosen before, also by an empty value.
    void userEnvChoosesTheApiHost()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, host);
        qunsetenv("ZOV_API_HOST");
        if (!settings.isNull())
            QVERIFY(testfiles::writeFile(m_env->dataFolder() + "/setting.ini", settings));
        setServiceEnv(QStringLiteral("dev"));
        static_cast<Application*>(qApp)->initEnv();
        QCOMPARE(businessApiUrl(QStringLiteral("/olbusiness/api/course/init")),
            QStringLiteral("https://%1/olbusiness/api/course/init").arg(host));
    }

    void onlyStrictlyOlderVersionFoldersAreRemoved_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QStringList>("survivors");
        QTest::newRow("four-part version") << "1.6.7.0"
                                           << QStringList { "1.6.10.0", "1.6.6", "1.6.6.9.1",
                                                  "1.6.7", "1.6.7.0", "1.6.7.1", "Tools" };
        QTest::newRow("three-part running folder") << "1.6.7" << m_versionFolders;
    }

    void onlyStrictlyOlderVersionFoldersAreRemoved()
    {
        QFETCH(QString, running);
        QFETCH(QStringList, survivors);
        QTemporaryDir launcher;
        QDir root(launcher.path());
        for (const QString& folder : m_versionFolders)
            QVERIFY(root.mkpath(folder + QStringLiteral("/res")));

        clearOldVersionsFor(
            launcher.path() + QLatin1Char('/') + running + QStringLiteral("/zovwx1v1_Student"));

        QCOMPARE(root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), survivors);
    }

private:
    // Numbers compare as numbers, and only four-part names are versions.
    const QStringList m_versionFolders { "0.9.0.0", "1.6.10.0", "1.6.6", "1.6.6.9", "1.6.6.9.1",
        "1.6.7", "1.6.7.0", "1.6.7.1", "Tools" };
    QScopedPointer<TestEnvironment> m_env;
};

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
