#include "widgets/ActivationWatch.h"
#include "widgets/CustomDialogBase.h"

#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>

namespace {

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
        if (event->type() == QEvent::MouseButtonPress) {
            ++presses;
        }
        return false;
    }

    int presses = 0;
};

// No --sync on the move: xdotool then waits forever when the pointer already is there,
// and the server handles the move before the clicks anyway.
bool clickWithXdotool(const QWidget* window, int clicks)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window->winId()),
            QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("click"),
            QStringLiteral("--repeat"), QString::number(clicks), QStringLiteral("--delay"),
            QStringLiteral("20"), QStringLiteral("1") });
    return xdotool.waitForFinished(10000) && xdotool.exitCode() == 0;
}

// A spot in the lower right of the screen, where the centred and default-placed windows of
// tests running beside this one on the same display do not catch the clicks meant for ours.
QPoint corner(int fromRight, int fromBottom)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return screen.bottomRight() - QPoint(fromRight, fromBottom);
}

QWidget* showPlainWindow(const QPoint& topLeft)
{
    auto* window = new QWidget;
    window->setGeometry(QRect(topLeft, QSize(200, 120)));
    window->show();
    return window;
}

} // namespace

class CustomDialogBaseTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formMatchesTheKit();
    void setTitleSetsTextFontAndStyle();
    void titleBarCanBeHidden();
    void closeButtonSetsResBeforeRejecting();
    void dragMovesTheWindowUntilRelease();
    void shadowFadesOutwards();
    void shakeRunsOnceAtATime();
    void clicksOnBlockedWindowsAreWatched_data();
    void clicksOnBlockedWindowsAreWatched();
    void quickClicksOnBlockedWindowShakeOnce();
};

void CustomDialogBaseTest::initTestCase()
{
    // The dialogs load their images relative to the program folder, like the installed program.
    QVERIFY(QDir::setCurrent(QStringLiteral(ZOV_SOURCE_DIR)));
}

void CustomDialogBaseTest::formMatchesTheKit()
{
    CustomDialogBase dialog;
    auto* title = dialog.findChild<QLabel*>(QStringLiteral("title"));
    auto* closeBtn = dialog.findChild<QPushButton*>(QStringLiteral("closeBtn"));
    QVERIFY(title);
    QVERIFY(closeBtn);
    QCOMPARE(title->text(), QStringLiteral("这是标题"));
    QCOMPARE(dialog.centralWidget()->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(dialog.centralWidget()->parentWidget()->window(), &dialog);

    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dialog.windowFlags().testFlag(Qt::Dialog));

    QCOMPARE(closeBtn->size(), QSize(14, 14));
    QCOMPARE(closeBtn->iconSize(), QSize(14, 14));
    QCOMPARE(closeBtn->focusPolicy(), Qt::NoFocus);
    QVERIFY(!closeBtn->icon().isNull());

    QCOMPARE(dialog.contentsMargins(), QMargins());
    QCOMPARE(dialog.layout()->contentsMargins(), QMargins(6, 6, 6, 6));
}

void CustomDialogBaseTest::setTitleSetsTextFontAndStyle()
{
    CustomDialogBase dialog;
    dialog.setTitle(QStringLiteral("错误"), QStringLiteral("color: #000000;"));
    auto* title = dialog.findChild<QLabel*>(QStringLiteral("title"));
    QCOMPARE(title->text(), QStringLiteral("错误"));
    QCOMPARE(title->styleSheet(), QStringLiteral("color: #000000;"));
    QCOMPARE(title->font().family(), QStringLiteral("Microsoft YaHei"));
    QCOMPARE(title->font().pixelSize(), 13);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("错误"));
}

void CustomDialogBaseTest::titleBarCanBeHidden()
{
    CustomDialogBase dialog;
    auto* title = dialog.findChild<QLabel*>(QStringLiteral("title"));
    auto* closeBtn = dialog.findChild<QPushButton*>(QStringLiteral("closeBtn"));
    dialog.showTitleBar(false);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!title->isVisible());
    QVERIFY(!closeBtn->isVisible());
    QCOMPARE(dialog.centralWidget()->styleSheet(),
        QStringLiteral("background:#FFFFFF;                border-radius:8px;"));

    dialog.showTitleBar(true);
    QVERIFY(title->isVisible());
    QVERIFY(closeBtn->isVisible());
}

void CustomDialogBaseTest::closeButtonSetsResBeforeRejecting()
{
    CustomDialogBase dialog;
    QVariant resWhenRejected;
    connect(&dialog, &QDialog::rejected, this,
        [&dialog, &resWhenRejected] { resWhenRejected = dialog.property("res"); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("closeBtn")), Qt::LeftButton);
    QCOMPARE(resWhenRejected, QVariant(QStringLiteral("onClose")));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

void CustomDialogBaseTest::dragMovesTheWindowUntilRelease()
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

void CustomDialogBaseTest::shadowFadesOutwards()
{
    CustomDialogBase dialog;
    dialog.setAttribute(Qt::WA_TranslucentBackground);
    dialog.resize(300, 200);
    const QImage image = dialog.grab().toImage();
    const int middle = image.height() / 2;

    int previous = 0;
    for (int x = 0; x < 6; ++x) {
        const int alpha = qAlpha(image.pixel(x, middle));
        QVERIFY2(alpha > previous, qPrintable(QStringLiteral("column %1").arg(x)));
        QVERIFY(qRed(image.pixel(x, middle)) < 16);
        previous = alpha;
    }
    QVERIFY(previous < 64);
    QCOMPARE(qAlpha(image.pixel(6, middle)), 255);
}

void CustomDialogBaseTest::shakeRunsOnceAtATime()
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
    QCOMPARE(shake->propertyName(), QByteArray("geometry"));
    QCOMPARE(shake->duration(), 500);

    const QList<QPair<qreal, QPoint>> expected
        = { { 0.0, { -3, -3 } }, { 0.1, { 6, 6 } }, { 0.2, { -6, -6 } }, { 0.3, { 6, 6 } },
              { 0.4, { -6, -6 } }, { 0.5, { 6, 6 } }, { 0.6, { -6, -6 } }, { 0.7, { 6, 6 } },
              { 0.8, { -6, -6 } }, { 0.9, { 6, 6 } }, { 1.0, { 0, 0 } } };
    const QVariantAnimation::KeyValues keys = shake->keyValues();
    QCOMPARE(keys.size(), expected.size());
    for (int i = 0; i < keys.size(); ++i) {
        QVERIFY(qFuzzyCompare(1.0 + keys.at(i).first, 1.0 + expected.at(i).first));
        QCOMPARE(keys.at(i).second.toRect(),
            QRect(start.topLeft() + expected.at(i).second, start.size()));
    }

    dialog.playPromptAnimation();
    QCOMPARE(dialog.findChildren<QPropertyAnimation*>(), running);

    QTRY_VERIFY(shake.isNull());
    QCOMPARE(dialog.geometry(), start);
    dialog.playPromptAnimation();
    QCOMPARE(dialog.findChildren<QPropertyAnimation*>().size(), 1);
}

void CustomDialogBaseTest::clicksOnBlockedWindowsAreWatched_data()
{
    QTest::addColumn<int>("modality");
    QTest::addColumn<bool>("dialogHasParent");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("counter");

    QTest::newRow("application-modal, main window")
        << int(Qt::ApplicationModal) << false << QStringLiteral("main") << 1;
    QTest::newRow("application-modal, any other window")
        << int(Qt::ApplicationModal) << false << QStringLiteral("other") << 1;
    QTest::newRow("application-modal, the dialog itself")
        << int(Qt::ApplicationModal) << false << QStringLiteral("dialog") << 0;
    QTest::newRow("window-modal, its parent")
        << int(Qt::WindowModal) << true << QStringLiteral("main") << 1;
    QTest::newRow("window-modal, an unrelated window")
        << int(Qt::WindowModal) << true << QStringLiteral("other") << 0;
    QTest::newRow("not modal") << int(Qt::NonModal) << true << QStringLiteral("main") << 0;
}

void CustomDialogBaseTest::clicksOnBlockedWindowsAreWatched()
{
    QFETCH(int, modality);
    QFETCH(bool, dialogHasParent);
    QFETCH(QString, target);
    QFETCH(int, counter);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("needs an X11 display");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs xdotool");
    }

    QScopedPointer<QWidget> main(showPlainWindow(corner(210, 130)));
    QScopedPointer<QWidget> other(showPlainWindow(corner(420, 130)));
    CustomDialogBase dialog(dialogHasParent ? main.data() : nullptr);
    dialog.setWindowModality(Qt::WindowModality(modality));
    dialog.move(corner(420, 330));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(main.data()));
    QVERIFY(QTest::qWaitForWindowExposed(other.data()));
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QWidget* clicked = target == QLatin1String("main") ? main.data()
        : target == QLatin1String("other")             ? other.data()
                                                       : static_cast<QWidget*>(&dialog);
    auto* presses = new PressCounter(clicked);
    ActivationWatch::shared().reset();
    QVERIFY(clickWithXdotool(clicked, 1));

    // A watched click is swallowed for the blocked window; any other reaches its widget.
    QTRY_VERIFY(ActivationWatch::shared().counter() != 0 || presses->presses != 0);
    QCOMPARE(ActivationWatch::shared().counter(), counter);
    QCOMPARE(presses->presses, 1 - counter);
}

void CustomDialogBaseTest::quickClicksOnBlockedWindowShakeOnce()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("needs an X11 display");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs xdotool");
    }
    QScopedPointer<QWidget> main(showPlainWindow(corner(210, 130)));
    CountingDialog dialog(main.data());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.move(corner(420, 330));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(main.data()));
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    ActivationWatch::shared().reset();
    // The clicks queue up while xdotool runs, so they reach the watch back to back.
    QVERIFY(clickWithXdotool(main.data(), 5));
    QTRY_COMPARE(ActivationWatch::shared().counter(), 5);
    QCOMPARE(dialog.shakes, 1);
    QVERIFY(dialog.findChild<QPropertyAnimation*>());
}

QTEST_MAIN(CustomDialogBaseTest)
#include "tst_customdialogbase.moc"
