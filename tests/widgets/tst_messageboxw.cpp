#include "widgets/MessageBoxW.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// What a box looked like while it was on screen.
struct BoxView
{
    QSize size;
    bool titleVisible = false;
    QString title;
    QString text;
    QStringList visibleButtons;
    QStringList buttonTexts;
    QString focusedButton;
    QString windowTitle;
    bool iconSet = false;
};

QPushButton* button(MessageBoxW* box, const QString& name)
{
    return box->findChild<QPushButton*>(name);
}

BoxView viewOf(MessageBoxW* box)
{
    BoxView view;
    view.size = box->size();
    auto* title = box->findChild<QLabel*>(QStringLiteral("title"));
    view.titleVisible = title->isVisible();
    view.title = title->text();
    view.text = box->findChild<QLabel*>(QStringLiteral("msg_label"))->text();
    for (const char* name : { "cancelBtn", "ok1Btn", "okBtn" }) {
        QPushButton* btn = button(box, QLatin1String(name));
        if (btn->isVisible()) {
            view.visibleButtons << btn->objectName();
            view.buttonTexts << btn->text();
        }
    }
    if (QWidget* focus = box->focusWidget()) {
        view.focusedButton = focus->objectName();
    }
    view.windowTitle = box->windowTitle();
    view.iconSet = !box->windowIcon().isNull();
    return view;
}

// Runs action on the box as soon as showModal has put it on screen. Checks belong after
// showModal returns: a failing check inside would leave the box open.
void whenBoxShown(std::function<void(MessageBoxW*)> action)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto* box = qobject_cast<MessageBoxW*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(box);
    });
    poll->start();
}

void clickButton(MessageBoxW* box, const QString& name)
{
    QTest::mouseClick(button(box, name), Qt::LeftButton);
}

// Sent to the box's own window rather than to whatever has the X focus, so windows of
// tests running beside this one on the same display neither take nor steal the key.
bool pressKeyWithXdotool(MessageBoxW* box, const QString& key)
{
    return QTest::qWaitForWindowExposed(box)
        && QProcess::execute(QStringLiteral("xdotool"),
               { QStringLiteral("key"), QStringLiteral("--window"), QString::number(box->winId()),
                   key })
        == 0;
}

} // namespace

class MessageBoxWTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void boxIsTheProgramsOwn();
    void titleDecidesSizeAndTitleBar_data();
    void titleDecidesSizeAndTitleBar();
    void modeChoosesButtons_data();
    void modeChoosesButtons();
    void answers_data();
    void answers();
    void closeButtonSetsRes();
    void keyboardAnswers_data();
    void keyboardAnswers();
    void destroyingParentEndsTheBox_data();
    void destroyingParentEndsTheBox();
    void buttonlessBoxIgnoresReturn();
    void boxIsDeletedAfterTheCall();
};

void MessageBoxWTest::initTestCase()
{
    QVERIFY(QDir::setCurrent(QStringLiteral(ZOV_SOURCE_DIR)));
}

void MessageBoxWTest::boxIsTheProgramsOwn()
{
    MessageBoxW box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Zov1对1学生版"));
    QVERIFY(!box.windowIcon().isNull());
    QVERIFY(box.testAttribute(Qt::WA_TranslucentBackground));
    auto* label = box.findChild<QLabel*>(QStringLiteral("msg_label"));
    QVERIFY(label);
    QCOMPARE(label->alignment(), Qt::Alignment(Qt::AlignCenter));
    QVERIFY(box.centralWidget()->isAncestorOf(label));
    QVERIFY(
        box.centralWidget()->isAncestorOf(box.findChild<QWidget*>(QStringLiteral("btnWidget"))));
}

void MessageBoxWTest::titleDecidesSizeAndTitleBar_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("titleVisible");

    QTest::newRow("no title") << QString() << QSize(312, 128) << false;
    QTest::newRow("title") << QStringLiteral("错误") << QSize(412, 187) << true;
}

void MessageBoxWTest::titleDecidesSizeAndTitleBar()
{
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(bool, titleVisible);

    BoxView view;
    whenBoxShown([&view](MessageBoxW* box) {
        view = viewOf(box);
        clickButton(box, QStringLiteral("ok1Btn"));
    });
    MessageBoxW::showModal(nullptr, title, QStringLiteral("获取配置文件失败，请您检查网络后重试"),
        1, QStringLiteral("重试"));
    QCOMPARE(view.size, size);
    QCOMPARE(view.titleVisible, titleVisible);
    if (titleVisible) {
        QCOMPARE(view.title, title);
    }
    QCOMPARE(view.windowTitle, title);
    QCOMPARE(view.text, QStringLiteral("获取配置文件失败，请您检查网络后重试"));
}

void MessageBoxWTest::modeChoosesButtons_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("focused");

    QTest::newRow("0: no buttons") << 0 << QStringList() << QStringList() << QString();
    QTest::newRow("1: one OK") << 1 << QStringList { QStringLiteral("ok1Btn") }
                               << QStringList { QStringLiteral("确定") }
                               << QStringLiteral("ok1Btn");
    QTest::newRow("2: OK and cancel")
        << 2 << QStringList { QStringLiteral("cancelBtn"), QStringLiteral("okBtn") }
        << QStringList { QStringLiteral("取消"), QStringLiteral("确定") }
        << QStringLiteral("okBtn");
    QTest::newRow("other values: OK and cancel")
        << 7 << QStringList { QStringLiteral("cancelBtn"), QStringLiteral("okBtn") }
        << QStringList { QStringLiteral("取消"), QStringLiteral("确定") }
        << QStringLiteral("okBtn");
}

void MessageBoxWTest::modeChoosesButtons()
{
    QFETCH(int, mode);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, texts);
    QFETCH(QString, focused);

    BoxView view;
    whenBoxShown([&view](MessageBoxW* box) {
        view = viewOf(box);
        clickButton(box, QStringLiteral("closeBtn"));
    });
    MessageBoxW::showModal(nullptr, QString(), QStringLiteral("当前正在观看回放，是否退出?"), mode,
        QStringLiteral("确定"), QStringLiteral("取消"));
    QCOMPARE(view.visibleButtons, buttons);
    QCOMPARE(view.buttonTexts, texts);
    QCOMPARE(view.focusedButton, focused);
}

void MessageBoxWTest::answers_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<int>("result");

    QTest::newRow("mode 1, OK") << 1 << QStringLiteral("ok1Btn") << 1;
    QTest::newRow("mode 1, close") << 1 << QStringLiteral("closeBtn") << 0;
    QTest::newRow("mode 2, OK") << 2 << QStringLiteral("okBtn") << 1;
    QTest::newRow("mode 2, cancel") << 2 << QStringLiteral("cancelBtn") << 0;
    QTest::newRow("mode 2, close") << 2 << QStringLiteral("closeBtn") << 0;
    QTest::newRow("mode 0, close") << 0 << QStringLiteral("closeBtn") << 0;
    QTest::newRow("with title, OK") << 2 << QStringLiteral("okBtn") << 1;
}

void MessageBoxWTest::answers()
{
    QFETCH(int, mode);
    QFETCH(QString, clicked);
    QFETCH(int, result);

    whenBoxShown([clicked](MessageBoxW* box) { clickButton(box, clicked); });
    QCOMPARE(
        MessageBoxW::showModal(nullptr, QStringLiteral("提示"), QStringLiteral("程序正在运行中！"),
            mode, QStringLiteral("确定"), QStringLiteral("取消")),
        result);
}

void MessageBoxWTest::closeButtonSetsRes()
{
    QVariant res;
    whenBoxShown([&res](MessageBoxW* box) {
        QObject::connect(box, &QDialog::rejected, [box, &res] { res = box->property("res"); });
        clickButton(box, QStringLiteral("closeBtn"));
    });
    QCOMPARE(MessageBoxW::showModal(
                 nullptr, QString(), QStringLiteral("程序正在运行中！"), 1, QStringLiteral("确定")),
        0);
    QCOMPARE(res, QVariant(QStringLiteral("onClose")));
}

void MessageBoxWTest::keyboardAnswers_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("result");

    QTest::newRow("mode 1, Return") << 1 << QStringLiteral("Return") << 1;
    QTest::newRow("mode 2, Return") << 2 << QStringLiteral("Return") << 1;
    QTest::newRow("mode 2, Escape") << 2 << QStringLiteral("Escape") << 0;
}

// Real key presses, the way the program's integration tests answer boxes.
void MessageBoxWTest::keyboardAnswers()
{
    QFETCH(int, mode);
    QFETCH(QString, key);
    QFETCH(int, result);
    if (QGuiApplication::platformName() != QLatin1String("xcb")
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs an X11 display and xdotool");
    }

    bool pressed = false;
    whenBoxShown([key, &pressed](MessageBoxW* box) {
        // A key that never arrives must fail the test, not hang it.
        QTimer::singleShot(10000, box, [box] { box->done(-1); });
        pressed = pressKeyWithXdotool(box, key);
    });
    const int answer = MessageBoxW::showModal(nullptr, QString(), QStringLiteral("是否退出?"), mode,
        QStringLiteral("确定"), QStringLiteral("取消"));
    QVERIFY(pressed);
    QCOMPARE(answer, result);
}

void MessageBoxWTest::destroyingParentEndsTheBox_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");

    QTest::newRow("mode 0") << 0 << QString();
    QTest::newRow("mode 1 with title") << 1 << QStringLiteral("错误");
    QTest::newRow("mode 2") << 2 << QString();
}

void MessageBoxWTest::destroyingParentEndsTheBox()
{
    QFETCH(int, mode);
    QFETCH(QString, title);

    auto* parent = new QWidget;
    parent->resize(200, 100);
    parent->show();
    QPointer<MessageBoxW> seen;
    whenBoxShown([parent, &seen](MessageBoxW* box) {
        seen = box;
        delete parent;
    });
    QCOMPARE(MessageBoxW::showModal(parent, title, QStringLiteral("程序正在运行中！"), mode,
                 QStringLiteral("确定"), QStringLiteral("取消")),
        0);
    QVERIFY(seen.isNull());
}

void MessageBoxWTest::buttonlessBoxIgnoresReturn()
{
    bool stillOpen = false;
    whenBoxShown([&stillOpen](MessageBoxW* box) {
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        QCoreApplication::processEvents();
        stillOpen = box->isVisible();
        clickButton(box, QStringLiteral("closeBtn"));
    });
    QCOMPARE(
        MessageBoxW::showModal(nullptr, QString(), QStringLiteral("正在加载"), 0, QString()), 0);
    QVERIFY(stillOpen);
}

void MessageBoxWTest::boxIsDeletedAfterTheCall()
{
    QWidget parent;
    QPointer<MessageBoxW> seen;
    whenBoxShown([&seen](MessageBoxW* box) {
        seen = box;
        clickButton(box, QStringLiteral("ok1Btn"));
    });
    QCOMPARE(MessageBoxW::showModal(
                 &parent, QString(), QStringLiteral("程序正在运行中！"), 1, QStringLiteral("确定")),
        1);
    QVERIFY(seen);
    QTRY_VERIFY(seen.isNull());
}

QTEST_MAIN(MessageBoxWTest)
#include "tst_messageboxw.moc"
