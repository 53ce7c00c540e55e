#include "app/Context.h"
#include "app/PrivacyDialog.h"
#include "app/ProtocolDialog.h"
#include "app/Settings.h"

#include "TestEnvironment.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QWebEngineView>
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

QTextBrowser* noticeOf(ProtocolDialog& dialog)
{
    return dialog.findChild<QTextBrowser*>(QStringLiteral("textBrowser"));
}

QVariant storedAnswer()
{
    return readSetting(QStringLiteral("privacy"), QStringLiteral("privacy"));
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

bool writePage(const QString& path, const QString& title)
{
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly))
        return false;
    page.write(QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                              "<body><p>%1</p></body></html>")
                   .arg(title)
                   .toUtf8());
    return true;
}

} // namespace

class AgreementDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The dialogs load their images from res/ beside the program, as installed.
        QVERIFY(QDir::setCurrent(QStringLiteral(ZOV_SOURCE_DIR)));
        QVERIFY(m_env.isValid());
        m_env.apply();
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_browser, "open");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    void init()
    {
        QFile::remove(m_env.dataFolder() + QStringLiteral("/setting.ini"));
        m_browser.opened.clear();
        ContextData& context = Context::instance()->data();
        context.useragreementUrl = userAgreementAddress;
        context.privacyagreementUrl = privacyPolicyAddress;
    }

    void noticeShowsTitleTextAndAnswersOnly()
    {
        ProtocolDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Zov1对1学生版"));
        QVERIFY(!dialog.windowIcon().isNull());
        QCOMPARE(dialog.size(), QSize(364, 524));
        auto* title = dialog.findChild<QLabel*>(QStringLiteral("label_title"));
        QCOMPARE(title->text(), QStringLiteral("Zov1对1协议须知"));
        QCOMPARE(title->pos(), QPoint(50, 81));
        for (const char* name :
            { "label_title", "textBrowser", "pbtn_agree", "pbtn_disagree", "pbtn_close" })
            QVERIFY2(dialog.findChild<QWidget*>(QLatin1String(name))->isVisible(), name);
        QVERIFY(!buttonOf(&dialog, QStringLiteral("pbtn_back"))->isVisible());
        QVERIFY(!buttonOf(&dialog, QStringLiteral("pbtn_Ikown"))->isVisible());

        // The hidden pages' buttons lead back to the notice and leave it as it is.
        buttonOf(&dialog, QStringLiteral("pbtn_Ikown"))->click();
        buttonOf(&dialog, QStringLiteral("pbtn_back"))->click();
        dialog.onChangeUi();
        QVERIFY(dialog.isVisible());
        QCOMPARE(title->pos(), QPoint(50, 81));
        QVERIFY(!buttonOf(&dialog, QStringLiteral("pbtn_Ikown"))->isVisible());
        QVERIFY(!storedAnswer().isValid());
    }

    void noticeListsTheEightTopicsWithSpacedLines()
    {
        ProtocolDialog dialog;
        QTextBrowser* notice = noticeOf(dialog);
        QStringList blocks;
        for (QTextBlock block = notice->document()->begin(); block.isValid();
             block = block.next()) {
            blocks << block.text();
            QCOMPARE(block.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
            QCOMPARE(block.blockFormat().lineHeight(), 22.0);
        }
        QCOMPARE(blocks.size(), 10);
        const QStringList topics { QStringLiteral("1.平台如何收集和使用您的个人信息"),
            QStringLiteral("2.平台如何使用Cookie和同类技术"),
            QStringLiteral("3.平台如何共享、转让、公开披露您的个人信息"),
            QStringLiteral("4.平台如何保护您的个人信息"),
            QStringLiteral("5.平台如何处理未成年人的个人信息"),
            QStringLiteral("6.您的个人信息如何在全球范围转移"),
            QStringLiteral("7.您的个人信息变更途径"), QStringLiteral("8.本隐私政策如何更新") };
        QCOMPARE(blocks.mid(1, 8), topics);
        QVERIFY(blocks.first().contains(QStringLiteral("个人信息")));
        QVERIFY(blocks.last().contains(QStringLiteral("同意")));
        QCOMPARE(notice->verticalScrollBar()->value(), 0);
        QVERIFY(!notice->openLinks());
    }

    void linksAreColouredWithoutUnderline_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("user agreement") << QStringLiteral("procol-1") << QColor(0xFF4544);
        QTest::newRow("privacy policy") << QStringLiteral("procol-2") << QColor(0xFF5859);
    }

    void linksAreColouredWithoutUnderline()
    {
        QFETCH(QString, href);
        QFETCH(QColor, colour);
        ProtocolDialog dialog;
        const QTextBlock opening = noticeOf(dialog)->document()->begin();
        int found = 0;
        for (auto it = opening.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.anchorHref() != href)
                continue;
            ++found;
            QCOMPARE(format.foreground().color(), colour);
            QVERIFY(!format.fontUnderline());
        }
        QCOMPARE(found, 1);
    }

    void answerIsStoredAndTheRunEnds_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("closeSignals");
        QTest::newRow("agree") << "pbtn_agree"
                               << "false"
                               << "true" << 0;
        QTest::newRow("disagree") << "pbtn_disagree"
                                  << "true"
                                  << "false" << 0;
        QTest::newRow("close keeps true") << "pbtn_close"
                                          << "true"
                                          << "true" << 1;
        QTest::newRow("close keeps false") << "pbtn_close"
                                           << "false"
                                           << "false" << 1;
        QTest::newRow("close writes nothing") << "pbtn_close" << QString() << QString() << 1;
    }

    // Start-up runs the notice modally; every answer must end that run.
    void answerIsStoredAndTheRunEnds()
    {
        QFETCH(QString, button);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, closeSignals);
        if (!before.isEmpty())
            writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), before);

        ProtocolDialog dialog;
        QSignalSpy closes(&dialog, &ProtocolDialog::sigClose);
        QTimer::singleShot(0, &dialog,
            [&dialog, button] { QTest::mouseClick(buttonOf(&dialog, button), Qt::LeftButton); });
        // Only a click that failed to end the run gets here; it must not hang the test.
        QTimer::singleShot(20000, &dialog, [&dialog] { dialog.done(-1); });
        QVERIFY(dialog.exec() != -1);

        QVERIFY(!dialog.isVisible());
        QCOMPARE(closes.count(), closeSignals);
        QCOMPARE(storedAnswer().isValid(), !after.isEmpty());
        QCOMPARE(storedAnswer().toString(), after);
        if (!after.isEmpty()) {
            QSettings file(
                m_env.dataFolder() + QStringLiteral("/setting.ini"), QSettings::IniFormat);
            QCOMPARE(file.value(QStringLiteral("Privacy/Privacy")).toString(), after);
        }
    }

    void linkOpensTheDocumentInTheBrowser_data()
    {
        QTest::addColumn<QString>("linkText");
        QTest::addColumn<QString>("address");
        QTest::newRow("user agreement") << QStringLiteral("《用户协议》") << userAgreementAddress;
        QTest::newRow("privacy policy") << QStringLiteral("《隐私政策》") << privacyPolicyAddress;
    }

    void linkOpensTheDocumentInTheBrowser()
    {
        QFETCH(QString, linkText);
        QFETCH(QString, address);
        ProtocolDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTextBrowser* notice = noticeOf(dialog);
        const QPoint point = pointOnText(notice, linkText);
        QVERIFY(!point.isNull());

        QTest::mouseClick(notice->viewport(), Qt::LeftButton, {}, point);

        QCOMPARE(m_browser.opened, QList<QUrl> { QUrl(address) });
        QVERIFY(dialog.isVisible());
        QVERIFY(notice->toPlainText().contains(QStringLiteral("8.本隐私政策如何更新")));
        QVERIFY(!storedAnswer().isValid());
    }

    void otherLinksOpenNothing_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("addressesKnown");
        QTest::newRow("unknown name") << QStringLiteral("procol-3") << true;
        QTest::newRow("web address") << QStringLiteral("http://127.0.0.1:9/other") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("agreement without address") << QStringLiteral("procol-1") << false;
        QTest::newRow("policy without address") << QStringLiteral("procol-2") << false;
    }

    void otherLinksOpenNothing()
    {
        QFETCH(QString, link);
        QFETCH(bool, addressesKnown);
        if (!addressesKnown) {
            Context::instance()->data().useragreementUrl.clear();
            Context::instance()->data().privacyagreementUrl.clear();
        }
        ProtocolDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        dialog.onAnchorClicked(QUrl(link));

        QVERIFY(m_browser.opened.isEmpty());
        QVERIFY(dialog.isVisible());
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

    void documentViewerLoadsTheDocumentOfItsType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("title");
        QTest::newRow("4 user agreement") << 4 << QStringLiteral("用户协议");
        QTest::newRow("5 privacy policy") << 5 << QStringLiteral("隐私政策");
        QTest::newRow("7 privacy policy") << 7 << QStringLiteral("隐私政策");
        QTest::newRow("0 privacy policy") << 0 << QStringLiteral("隐私政策");
    }

    void documentViewerLoadsTheDocumentOfItsType()
    {
        QFETCH(int, type);
        QFETCH(QString, title);
        const QUrl userPage = pageUrl(QStringLiteral("user.html"), QStringLiteral("用户协议"));
        const QUrl privacyPage
            = pageUrl(QStringLiteral("privacy.html"), QStringLiteral("隐私政策"));
        Context::instance()->data().useragreementUrl = userPage.toString();
        Context::instance()->data().privacyagreementUrl = privacyPage.toString();

        QPointer<PrivacyDialog> dialog = new PrivacyDialog(type);
        auto* view = dialog->findChild<QWebEngineView*>();
        QVERIFY(view);
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));

        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 30000);
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(view->url(), type == PrivacyDialog::UserAgreement ? userPage : privacyPage);
        QCOMPARE(view->title(), title);
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }

    void documentViewerForm()
    {
        QPointer<PrivacyDialog> dialog = new PrivacyDialog(PrivacyDialog::PrivacyPolicy);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));

        QVERIFY(dialog->isWindow());
        QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Zov1对1学生版"));
        QCOMPARE(dialog->size(), QSize(364, 524));
        auto* view = dialog->findChild<QWebEngineView*>();
        QCOMPARE(QRect(view->mapTo(dialog, QPoint(0, 0)), view->size()), QRect(32, 54, 300, 435));
        QCOMPARE(buttonOf(dialog, QStringLiteral("pushButton"))->geometry(), QRect(336, 8, 20, 20));
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }

    void documentViewerCloseButtonSignalsOnceAndDeletes()
    {
        QPointer<PrivacyDialog> dialog = new PrivacyDialog(PrivacyDialog::UserAgreement);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QSignalSpy closed(dialog.data(), &PrivacyDialog::sigClosed);
        QSignalSpy destroyed(dialog.data(), &QObject::destroyed);

        QTest::mouseClick(buttonOf(dialog, QStringLiteral("pushButton")), Qt::LeftButton);

        QTRY_COMPARE(destroyed.count(), 1);
        QVERIFY(dialog.isNull());
        QCOMPARE(closed.count(), 1);
    }

private:
    QUrl pageUrl(const QString& name, const QString& title)
    {
        const QString path = m_env.temp() + QLatin1Char('/') + name;
        if (!writePage(path, title))
            return {};
        return QUrl::fromLocalFile(path);
    }

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
