#include "ModalWatcher.h"
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

const QString okText = QStringLiteral("好的");
const QString cancelText = QStringLiteral("不要");

// What a box looked like while it was on screen; buttons as "name:text".
struct BoxView
{
    bool titleVisible = false;
    QString text;
    QStringList visibleButtons;
    QString focusedButton;
};

BoxView viewOf(MessageBoxW* box)
{
    BoxView view;
    view.titleVisible = box->findChild<QLabel*>("title")->isVisible();
    view.text = box->findChild<QLabel*>("msg_label")->text();
    for (const char* name : { "cancelBtn", "ok1Btn", "okBtn" }) {
        auto* button = box->findChild<QPushButton*>(name);
        if (button->isVisible())
            view.visibleButtons << button->objectName() + QLatin1Char(':') + button->text();
    }
    if (QWidget* focus = box->focusWidget())
        view.focusedButton = focus->objectName();
    return view;
}

void clickButton(MessageBoxW* box, const QString& name)
{
    QTest::mouseClick(box->findChild<QPushButton*>(name), Qt::LeftButton);
}

// Sent to the box's own window rather than to whatever has the X focus, so windows of
// tests running beside this one on the same display neither take nor steal the key. A
// box that has only just been mapped can miss the very first key, so a key that closed
// nothing is sent again, a few times at most.
bool pressKeyWithXdotool(MessageBoxW* box, const QString& key)
{
    if (!QTest::qWaitForWindowExposed(box))
        return false;
    QPointer<MessageBoxW> watched(box);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (QProcess::execute("xdotool", { "key", "--window", QString::number(box->winId()), key })
            != 0)
            return false;
        if (QTest::qWaitFor([&] { return !watched || !watched->isVisible(); }, 2000))
            return true;
    }
    return false;
}

} // namespace

class MessageBoxWTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void modeChoosesButtonsAndAnswer_data();
    void modeChoosesButtonsAndAnswer();
};

void MessageBoxWTest::initTestCase()
{
    QVERIFY(QDir::setCurrent(ZOV_SOURCE_DIR));
}

// Answers: a button's name, "key" and the key xdotool presses (the way the program's
// integration tests answer boxes), or "parent gone" for a parent closed under the box.
void MessageBoxWTest::modeChoosesButtonsAndAnswer_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("result");

    const QString ok1 = QStringLiteral("ok1Btn");
    const QString ok = QStringLiteral("okBtn");
    const QString close = QStringLiteral("closeBtn");
    const QString gone = QStringLiteral("parent gone");
    const QStringList one { ok1 + ':' + okText };
    const QStringList both { "cancelBtn:" + cancelText, ok + ':' + okText };
    QTest::newRow("0, close") << 0 << QString() << close << QStringList() << QString() << 0;
    QTest::newRow("1, OK") << 1 << QString() << ok1 << one << ok1 << 1;
    QTest::newRow("1 with title, close") << 1 << "错误" << close << one << ok1 << 0;
    QTest::newRow("2, OK") << 2 << QString() << ok << both << ok << 1;
    QTest::newRow("2 with title, cancel") << 2 << "提示"
                                          << "cancelBtn" << both << ok << 0;
    QTest::newRow("other values as 2") << 7 << QString() << ok << both << ok << 1;
    QTest::newRow("1, Return") << 1 << QString() << "key Return" << one << ok1 << 1;
    QTest::newRow("2, Return") << 2 << QString() << "key Return" << both << ok << 1;
    QTest::newRow("2, Escape") << 2 << QString() << "key Escape" << both << ok << 0;
    QTest::newRow("0, parent gone") << 0 << QString() << gone << QStringList() << QString() << 0;
    QTest::newRow("2 with title, parent gone") << 2 << "错误" << gone << both << ok << 0;
}

// The box goes with the call that showed it, or with its parent.
void MessageBoxWTest::modeChoosesButtonsAndAnswer()
{
    QFETCH(int, mode);
    QFETCH(QString, title);
    QFETCH(QString, answer);
    QFETCH(QStringList, buttons);
    QFETCH(QString, focused);
    const bool byKey = answer.startsWith(QLatin1String("key "));
    if (byKey
        && (QGuiApplication::platformName() != QLatin1String("xcb")
            || QStandardPaths::findExecutable("xdotool").isEmpty())) {
        QFAIL("needs an X11 display and xdotool");
    }
    QWidget* parent = nullptr;
    if (answer == QLatin1String("parent gone")) {
        parent = new QWidget;
        parent->resize(200, 100);
        parent->show();
    }

    BoxView view;
    bool returnIgnored = false;
    bool answered = false;
    QPointer<MessageBoxW> seen;
    whenModalShown<MessageBoxW>([&](MessageBoxW* box) {
        seen = box;
        view = viewOf(box);
        if (view.visibleButtons.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Enter);
            QCoreApplication::processEvents();
            returnIgnored = box->isVisible();
        }
        answered = true;
        if (byKey) {
            // A key that never arrives must fail the test, not hang it.
            QTimer::singleShot(10000, box, [box] { box->done(-1); });
            answered = pressKeyWithXdotool(box, answer.mid(4));
        } else if (parent) {
            delete parent;
        } else {
            clickButton(box, answer);
        }
    });
    QTEST(MessageBoxW::showModal(parent, title, "程序正在运行中！", mode, okText, cancelText),
        "result");
    QVERIFY(answered);
    QCOMPARE(view.titleVisible, !title.isEmpty());
    QCOMPARE(view.text, QStringLiteral("程序正在运行中！"));
    QCOMPARE(view.visibleButtons, buttons);
    QCOMPARE(view.focusedButton, focused);
    // Only the close button may end a box without buttons.
    QCOMPARE(returnIgnored, buttons.isEmpty());
    QTRY_VERIFY(seen.isNull());
}

QTEST_MAIN(MessageBoxWTest)
#include "tst_messageboxw.moc"
