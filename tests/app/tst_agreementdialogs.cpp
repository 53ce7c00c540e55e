#include "app/Context.h"
#include "app/PrivacyDialog.h"
#include "app/ProtocolDialog.h"
#include "app/Settings.h"

#include "TestEnvironment.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

const QString userAgreementAddress = QStringLiteral("http://127.0.0.1:9/pages/agreement/user.html");
const QString privacyPolicyAddress
    = QStringLiteral("http://127.0.0.1:9/pages/agreement/privacy.html");

// Stands in for the system browser: QDesktopServices hands it every http address.
class BrowserStub : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

QPushButton* buttonOf(QWidget* dialog, const QString& name)
{
    return dialog->findChild<QPushButton*>(name);
}

QVariant storedAnswer()
{
    return readSetting("privacy", "privacy");
}

// Where the first occurrence of text sits inside the notice's viewport.
QPoint pointOnText(QTextBrowser* browser, const QString& text)
{
    QTextCursor found = browser->document()->find(text);
    if (found.isNull())
        return {};
    QTextCursor inside(browser->document());
    inside.setPosition(found.selectionStart() + text.size() / 2);
    return browser->cursorRect(inside).center();
}

void sendMouse(QWidget& widget, QEvent::Type type, const QPoint& global, Qt::MouseButton button,
    Qt::MouseButtons buttons)
{
    QMouseEvent event(type, widget.mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class AgreementDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The dialogs load their images from res/ beside the program, as installed.
        QVERIFY(QDir::setCurrent(ZOV_SOURCE_DIR));
        QVERIFY(m_env.isValid());
        m_env.apply();
        QDesktopServices::setUrlHandler("http", &m_browser, "open");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("http"); }

    void init()
    {
        QFile::remove(m_env.dataFolder() + "/setting.ini");
        m_browser.opened.clear();
        ContextData& context = Context::instance()->data();
        context.useragreementUrl = userAgreementAddress;
        context.privacyagreementUrl = privacyPolicyAddress;
    }

    void answerIsStoredAndTheRunEnds_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("closeSignals");
        const QString yes = QStringLiteral("true");
        const QString no = QStringLiteral("false");
        QTest::newRow("agree") << "pbtn_agree" << no << yes << 0;
        QTest::newRow("disagree") << "pbtn_disagree" << yes << no << 0;
        QTest::newRow("close writes nothing") << "pbtn_close" << QString() << QString() << 1;
    }

    // Start-up runs the notice modally; every answer must end that run.
    void answerIsStoredAndTheRunEnds()
    {
        QFETCH(QString, button);
        QFETCH(QString, before);
        QFETCH(QString, after);
        if (!before.isEmpty())
            writeSetting("Privacy", "Privacy", before);

        ProtocolDialog dialog;
        QSignalSpy closes(&dialog, &ProtocolDialog::sigClose);
        QTimer::singleShot(0, &dialog,
            [&dialog, button] { QTest::mouseClick(buttonOf(&dialog, button), Qt::LeftButton); });
        // Only a click that failed to end the run gets here; it must not hang the test.
        QTimer::singleShot(20000, &dialog, [&dialog] { dialog.done(-1); });
        QVERIFY(dialog.exec() != -1);

        QVERIFY(!dialog.isVisible());
        QTEST(closes.count(), "closeSignals");
        QCOMPARE(storedAnswer().isValid(), !after.isEmpty());
        QCOMPARE(storedAnswer().toString(), after);
        if (!after.isEmpty()) {
            QSettings file(m_env.dataFolder() + "/setting.ini", QSettings::IniFormat);
            QCOMPARE(file.value("Privacy/Privacy").toString(), after);
        }
    }

    void linksOpenOnlyTheirDocument_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<bool>("addressesKnown");
        QTest::addColumn<QString>("opened");
        QTest::newRow("user agreement") << "《用户协议》" << true << true << userAgreementAddress;
        QTest::newRow("privacy policy") << "《隐私政策》" << true << true << privacyPolicyAddress;
        QTest::newRow("web address") << "http://127.0.0.1:9/other" << false << true << QString();
        QTest::newRow("agreement without address") << "procol-1" << false << false << QString();
        QTest::newRow("policy without address") << "procol-2" << false << false << QString();
    }

    // A link only opens the browser; the notice stays, unanswered.
    void linksOpenOnlyTheirDocument()
    {
        QFETCH(QString, link);
        QFETCH(bool, onScreen);
        QFETCH(bool, addressesKnown);
        QFETCH(QString, opened);
        if (!addressesKnown) {
            Context::instance()->data().useragreementUrl.clear();
            Context::instance()->data().privacyagreementUrl.clear();
        }
        ProtocolDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        if (onScreen) {
            auto* notice = dialog.findChild<QTextBrowser*>("textBrowser");
            const QPoint point = pointOnText(notice, link);
            QVERIFY(!point.isNull());
            QTest::mouseClick(notice->viewport(), Qt::LeftButton, {}, point);
        } else {
            dialog.onAnchorClicked(QUrl(link));
        }

        QCOMPARE(m_browser.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl> { opened });
        QVERIFY(dialog.isVisible());
        QVERIFY(!storedAnswer().isValid());
    }

    void dragMovesTheWindow_data()
    {
        QTest::addColumn<int>("buttonValue");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left button") << int(Qt::LeftButton) << true;
        QTest::newRow("right button") << int(Qt::RightButton) << false;
    }

    void dragMovesTheWindow()
    {
        QFETCH(int, buttonValue);
        QFETCH(bool, moves);
        const auto button = Qt::MouseButton(buttonValue);
        ProtocolDialog dialog;
        dialog.move(200, 150);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint start = dialog.pos();
        const QPoint press = dialog.mapToGlobal(QPoint(100, 40));

        sendMouse(dialog, QEvent::MouseButtonPress, press, button, button);
        sendMouse(dialog, QEvent::MouseMove, press + QPoint(40, 25), Qt::NoButton, button);
        sendMouse(dialog, QEvent::MouseMove, press + QPoint(70, -10), Qt::NoButton, button);
        const QPoint expected = moves ? start + QPoint(70, -10) : start;
        QCOMPARE(dialog.pos(), expected);
        QTRY_COMPARE(dialog.windowHandle()->position(), expected);

        // After the release the mouse moves without the window.
        sendMouse(dialog, QEvent::MouseButtonRelease, press + QPoint(70, -10), button, {});
        sendMouse(dialog, QEvent::MouseMove, press + QPoint(200, 200), Qt::NoButton, {});
        QCOMPARE(dialog.pos(), expected);
    }

    // Which page each type shows is proven by the web shell's agreement pages. The window has
    // no frame: its button is the way out, wired by the name the form gives it.
    void documentViewerClosesByItsButton()
    {
        QPointer<PrivacyDialog> dialog = new PrivacyDialog(PrivacyDialog::UserAgreement);
        QSignalSpy closed(dialog.data(), &PrivacyDialog::sigClosed);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTest::mouseClick(buttonOf(dialog, "pushButton"), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(closed.count(), 1);
    }

private:
    TestEnvironment m_env;
    BrowserStub m_browser;
};

int main(int argc, char* argv[])
{
    // The web engine shares its GL context with the widgets; it must be set up before
    // the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    AgreementDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_agreementdialogs.moc"
