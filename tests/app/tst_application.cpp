#include "app/Application.h"
#include "app/Settings.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
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

    void missingMarkerClearsTheWebCachesOfBothProgramsPresentOneKeepsThem()
    {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::DataLocation);
        const QString liveRoom = QFileInfo(base).absolutePath() + QStringLiteral("/ZovLiveRoomStu");
        const QStringList cleared { base + QStringLiteral("/cache/data"),
            base + QStringLiteral("/QtWebEngine/Default/Local Storage"),
            liveRoom + QStringLiteral("/cache/QtWebEngine/Default"),
            liveRoom + QStringLiteral("/QtWebEngine/Default") };
        for (const QString& folder : cleared)
            QVERIFY(QDir().mkpath(folder));
        QFile hidden(base + QStringLiteral("/QtWebEngine/.hidden"));
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.close();
        QVERIFY(QDir().mkpath(liveRoom + QStringLiteral("/settings")));

        auto* app = static_cast<Application*>(qApp);
        QVERIFY(!app->isAgreed());

        QVERIFY(!QDir(base + QStringLiteral("/cache")).exists());
        QVERIFY(!QDir(base + QStringLiteral("/QtWebEngine")).exists());
        QVERIFY(!QDir(liveRoom + QStringLiteral("/cache/QtWebEngine")).exists());
        QVERIFY(!QDir(liveRoom + QStringLiteral("/QtWebEngine")).exists());
        QVERIFY(QDir(liveRoom + QStringLiteral("/settings")).exists());

        // Once the student has agreed, the caches stay.
        QVERIFY(m_env->writeAgreementMarker());
        QCOMPARE(agreementMarkerPath(), m_env->agreementMarker());
        QVERIFY(QDir().mkpath(base + QStringLiteral("/QtWebEngine")));
        QVERIFY(app->isAgreed());
        QVERIFY(QDir(base + QStringLiteral("/QtWebEngine")).exists());
    }

private:
    QScopedPointer<TestEnvironment> m_env;
};

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
