#include "ModalWatcher.h"
#include "widgets/AboutDialog.h"
#include "widgets/ActivationWatch.h"
#include "widgets/CustomDialogBase.h"
#include "widgets/MessageBoxW.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using Times = QList<qint64>;
using Counters = QList<int>;
using Shakes = QList<int>;

namespace {

// Activations at a steady gap, starting at start.
Times evenlySpaced(qint64 start, qint64 gap, int count)
{
    Times times;
    for (int i = 0; i < count; ++i)
        times << start + i * gap;
    return times;
}

// Counts the shakes the activation watch asks for.
class CountingDialog : public CustomDialogBase
{
public:
    using CustomDialogBase::CustomDialogBase;

    void playPromptAnimation() override
    {
        ++shakes;
        CustomDialogBase::playPromptAnimation();
    }

    int shakes = 0;
};

// Counts the mouse presses Qt delivers to a widget, that is, to one it does not block.
class PressCounter : public QObject
{
public:
    explicit PressCounter(QWidget* widget)
        : QObject(widget)
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        return false;
    }

    int presses = 0;
};

// No --sync on the move: xdotool then waits forever when the pointer already is there,
// and the server handles the move before the clicks anyway.
bool clickWithXdotool(const QWidget* window, int clicks)
{
    QProcess xdotool;
    xdotool.start("xdotool",
        { "mousemove", "--window", QString::number(window->winId()), "10", "10", "click",
            "--repeat", QString::number(clicks), "--delay", "20", "1" });
    return xdotool.waitForFinished(10000) && xdotool.exitCode() == 0;
}

// A spot in the lower right of the screen, where the centred and default-placed windows of
// tests running beside this one on the same display do not catch the clicks meant for ours.
QPoint corner(int fromRight, int fromBottom)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return screen.bottomRight() - QPoint(fromRight, fromBottom);
}

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

// The frameless dialog base and its activation watch, and the about dialog and message box
// built on it.
class CustomDialogBaseTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(ZOV_SOURCE_DIR)); }

    void watchCountsActivations_data()
    {
        QTest::addColumn<Times>("times");
        QTest::addColumn<Counters>("counters");
        QTest::addColumn<Shakes>("shakeAt");

        QTest::newRow("time zero is a long gap from the start")
            << Times { 0 } << Counters { 1 } << Shakes {};
        QTest::newRow("gap of 299 counts, 300 restarts at one")
            << Times { 1000, 1299, 1599 } << Counters { 1, 2, 1 } << Shakes {};
        QTest::newRow("long gap before the fourth restarts the burst") << Times { 0, 100, 200, 1000,
            1100, 1200, 1300 } << Counters { 1, 2, 3, 1, 2, 3, 4 } << Shakes { 6 };
        QTest::newRow("fifteenth quick one restarts at zero, the next burst shakes again")
            << evenlySpaced(1000, 100, 19)
            << Counters { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0, 1, 2, 3, 4 }
            << Shakes { 3, 18 };
        QTest::newRow("clock going backwards counts as quick")
            << Times { 5000, 200 } << Counters { 1, 2 } << Shakes {};
    }

    void watchCountsActivations()
    {
        QFETCH(Times, times);
        QFETCH(Counters, counters);
        QFETCH(Shakes, shakeAt);

        ActivationWatch watch;
        for (int i = 0; i < times.size(); ++i) {
            const bool shake = watch.activate(times.at(i));
            QCOMPARE(watch.counter(), counters.at(i));
            QCOMPARE(watch.lastTime(), times.at(i));
            QCOMPARE(shake, shakeAt.contains(i));
        }
    }

    void aboutDialogShowsVersionAndFreesItself()
    {
        QPointer<AboutDialog> about = new AboutDialog(QStringLiteral("1.6.7.0"));
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(
            about->findChild<QLabel*>("versionLabel")->text(), QStringLiteral("版本号 1.6.7.0"));
        // Shown without a parent, it must free itself.
        QTest::mouseClick(about->findChild<QPushButton*>("closeBtn"), Qt::LeftButton);
        QTRY_VERIFY(about.isNull());
    }

    void dragMovesTheWindowUntilRelease()
    {
        CustomDialogBase dialog;
        dialog.move(100, 100);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QWindow* window = dialog.windowHandle();

        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseMove(window, QPoint(50, 60));
        QCOMPARE(dialog.pos(), QPoint(130, 140));
        QTest::mouseMove(window, QPoint(30, 20));
        QCOMPARE(dialog.pos(), QPoint(140, 140));

        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseMove(window, QPoint(80, 80));
        QCOMPARE(dialog.pos(), QPoint(140, 140));
    }

    void shakeRunsOnceAtATime()
    {
        CustomDialogBase dialog;
        dialog.move(200, 150);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect start = dialog.geometry();

        dialog.playPromptAnimation();
        const QList<QPropertyAnimation*> running = dialog.findChildren<QPropertyAnimation*>();
        QCOMPARE(running.size(), 1);
        QPointer<QPropertyAnimation> shake = running.first();
        dialog.playPromptAnimation();
        QCOMPARE(dialog.findChildren<QPropertyAnimation*>(), running);
        QTRY_VERIFY(dialog.geometry() != start);

        // It ends where it began, and only then may the next one start.
        QTRY_VERIFY(shake.isNull());
        QCOMPARE(dialog.geometry(), start);
        dialog.playPromptAnimation();
        QCOMPARE(dialog.findChildren<QPropertyAnimation*>().size(), 1);
    }

    void clicksOnBlockedWindowsAreWatched_data()
    {
        QTest::addColumn<int>("modality");
        QTest::addColumn<bool>("dialogHasParent");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("watched");
        QTest::addColumn<int>("shakes");

        QTest::newRow("application-modal, main window")
            << int(Qt::ApplicationModal) << false << "main" << 1 << 1 << 0;
        QTest::newRow("application-modal, any other window")
            << int(Qt::ApplicationModal) << false << "other" << 1 << 1 << 0;
        QTest::newRow("application-modal, the dialog itself")
            << int(Qt::ApplicationModal) << false << "dialog" << 1 << 0 << 0;
        // The clicks queue up while xdotool runs, so they reach the watch back to back.
        QTest::newRow("application-modal, quick clicks shake once")
            << int(Qt::ApplicationModal) << true << "main" << 5 << 5 << 1;
        QTest::newRow("window-modal, its parent")
            << int(Qt::WindowModal) << true << "main" << 1 << 1 << 0;
        QTest::newRow("window-modal, an unrelated window")
            << int(Qt::WindowModal) << true << "other" << 1 << 0 << 0;
        QTest::newRow("not modal") << int(Qt::NonModal) << true << "main" << 1 << 0 << 0;
    }

    void clicksOnBlockedWindowsAreWatched()
    {
        QFETCH(int, modality);
        QFETCH(bool, dialogHasParent);
        QFETCH(QString, target);
        QFETCH(int, clicks);
        QFETCH(int, watched);
        QFETCH(int, shakes);

        QWidget main;
        QWidget other;
        main.setGeometry(QRect(corner(210, 130), QSize(200, 120)));
        other.setGeometry(QRect(corner(420, 130), QSize(200, 120)));
        main.show();
        other.show();
        CountingDialog dialog(dialogHasParent ? &main : nullptr);
        dialog.setWindowModality(Qt::WindowModality(modality));
        dialog.move(corner(420, 330));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QWidget* clicked = target == QLatin1String("main") ? &main
            : target == QLatin1String("other")             ? &other
                                                           : static_cast<QWidget*>(&dialog);
        auto* presses = new PressCounter(clicked);
        ActivationWatch::shared().reset();
        QVERIFY(clickWithXdotool(clicked, clicks));

        // A watched click is swallowed for the blocked window; any other reaches its widget.
        QTRY_COMPARE(ActivationWatch::shared().counter() + presses->presses, clicks);
        QCOMPARE(ActivationWatch::shared().counter(), watched);
        QCOMPARE(dialog.shakes, shakes);
    }

    // Answers: a button's name, "key" and the key xdotool presses (the way the program's
    // integration tests answer boxes), or "parent gone" for a parent closed under the box.
    void messageBoxModeChoosesButtonsAndAnswer_data()
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
        QTest::newRow("2, Return") << 2 << QString() << "key Return" << both << ok << 1;
        QTest::newRow("2, Escape") << 2 << QString() << "key Escape" << both << ok << 0;
        QTest::newRow("0, parent gone")
            << 0 << QString() << gone << QStringList() << QString() << 0;
        QTest::newRow("2 with title, parent gone") << 2 << "错误" << gone << both << ok << 0;
    }

    // The box goes with the call that showed it, or with its parent.
    void messageBoxModeChoosesButtonsAndAnswer()
    {
        QFETCH(int, mode);
        QFETCH(QString, title);
        QFETCH(QString, answer);
        QFETCH(QStringList, buttons);
        QFETCH(QString, focused);
        const bool byKey = answer.startsWith(QLatin1String("key "));
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
                QTest::mouseClick(box->findChild<QPushButton*>(answer), Qt::LeftButton);
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
};

QTEST_MAIN(CustomDialogBaseTest)
#include "tst_customdialogbase.moc"
