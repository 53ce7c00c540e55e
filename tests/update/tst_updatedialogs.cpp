#include "ModalWatcher.h"
#include "update/AutoDownloadWidget.h"
#include "update/StyledMessageBox.h"
#include "update/UpdateOpDialog.h"
#include "update/UpdateProgressWidget.h"
#include "update/UpdatingDialogEx.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString versionLine = QStringLiteral("版本号 9.9.9.9");

QPushButton* button(QWidget* dialog, const char* name)
{
    auto* found = dialog->findChild<QPushButton*>(QLatin1String(name));
    Q_ASSERT(found);
    return found;
}

int currentPage(QWidget* dialog)
{
    return dialog->findChild<QStackedWidget*>(QStringLiteral("pages"))->currentIndex();
}

bool isBrandRed(QRgb pixel)
{
    return qRed(pixel) > 0xE0 && qGreen(pixel) < 0xA0 && qBlue(pixel) < 0x80;
}

struct BarPixels
{
    int filled = 0;
    int firstFilled = -1;
    int trackLeft = 0;
    QRgb middleOfTrack = 0;
};

// Reads the painted bar along its middle row.
BarPixels barPixels(UpdateProgressWidget* bar)
{
    const QImage image = bar->grab().toImage();
    const int y = image.height() / 2;
    BarPixels pixels;
    pixels.trackLeft = (image.width() - UpdateProgressWidget::BarWidth) / 2;
    pixels.middleOfTrack = image.pixel(pixels.trackLeft + UpdateProgressWidget::BarWidth - 20, y);
    for (int x = 0; x < image.width(); ++x) {
        if (isBrandRed(image.pixel(x, y))) {
            pixels.filled += 1;
            if (pixels.firstFilled < 0) {
                pixels.firstFilled = x;
            }
        }
    }
    return pixels;
}

int filledWidth(UpdatingDialogEx* dialog)
{
    return barPixels(dialog->findChild<UpdateProgressWidget*>()).filled;
}

// Runs action inside the application's own event loop and returns how that loop ended:
// 0 when something quit the application, 1 when nothing did. Running it there also
// clears the quit request again for the tests that follow.
int execApplicationWith(std::function<void()> action)
{
    QTimer::singleShot(0, qApp, action);
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec();
}

} // namespace

class UpdateDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void offerReportsChoice_data();
    void offerReportsChoice();
    void offerCloseButton_data();
    void offerCloseButton();
    void autoDownloadReportsOnlyClicks();

    void progressBarPaintsFraction_data();
    void progressBarPaintsFraction();
    void progressLineShowsPercent();

    void cancelEnds_data();
    void cancelEnds();
    void restartWithoutPathStays();

    void quitConfirmation_data();
    void quitConfirmation();
    void closeOffProgressPageNeedsNoConfirmation();
};

void UpdateDialogsTest::initTestCase()
{
    QVERIFY(QDir::setCurrent(QStringLiteral(ZOV_SOURCE_DIR)));
    // As in the program: closing a dialog must not end the application by itself.
    QApplication::setQuitOnLastWindowClosed(false);
    QFont::insertSubstitution(
        QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"));
}

void UpdateDialogsTest::offerReportsChoice_data()
{
    QTest::addColumn<bool>("userClicked");
    QTest::addColumn<bool>("isImportant");
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("optional: skip") << false << false << "skipButton"
                                    << "skip";
    QTest::newRow("optional: later") << false << false << "laterButton"
                                     << "showNextTime";
    QTest::newRow("optional: update now") << false << false << "updateButton"
                                          << "update";
    QTest::newRow("user check: update now") << true << false << "updateButton"
                                            << "update";
    QTest::newRow("forced: update now") << false << true << "updateButton"
                                        << "update";
}

void UpdateDialogsTest::offerReportsChoice()
{
    QFETCH(bool, userClicked);
    QFETCH(bool, isImportant);
    QFETCH(QString, buttonName);
    QFETCH(QString, expected);

    UpdateOpDialog dialog(userClicked, isImportant, false);
    dialog.setVersionText(versionLine);
    dialog.show();
    QStringList reported;
    connect(&dialog, &UpdateOpDialog::skip, [&] { reported << QStringLiteral("skip"); });
    connect(&dialog, &UpdateOpDialog::showNextTime,
        [&] { reported << QStringLiteral("showNextTime"); });
    connect(&dialog, &UpdateOpDialog::update, [&] { reported << QStringLiteral("update"); });
    connect(&dialog, &UpdateOpDialog::btnClose, [&] { reported << QStringLiteral("btnClose"); });

    const bool offersDeferral = !userClicked && !isImportant;
    QCOMPARE(button(&dialog, "skipButton")->isVisible(), offersDeferral);
    QCOMPARE(button(&dialog, "laterButton")->isVisible(), offersDeferral);

    QTest::mouseClick(button(&dialog, buttonName.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(reported, QStringList { expected });
    // The owner closes the offer; the dialog only reports.
    QVERIFY(dialog.isVisible());
}

void UpdateDialogsTest::offerCloseButton_data()
{
    QTest::addColumn<bool>("isImportant");
    QTest::newRow("optional") << false;
    QTest::newRow("forced") << true;
}

void UpdateDialogsTest::offerCloseButton()
{
    QFETCH(bool, isImportant);
    UpdateOpDialog dialog(false, isImportant, false);
    dialog.show();
    auto* close = button(&dialog, "closeBtn");
    QCOMPARE(close->isVisible(), !isImportant);
    if (isImportant) {
        return;
    }

    bool visibleWhenReported = false;
    connect(&dialog, &UpdateOpDialog::btnClose, [&] { visibleWhenReported = dialog.isVisible(); });
    QSignalSpy finished(&dialog, &QDialog::finished);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(visibleWhenReported);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
}

void UpdateDialogsTest::autoDownloadReportsOnlyClicks()
{
    UpdateOpDialog dialog(false, false, true);
    dialog.show();
    auto* box = dialog.findChild<AutoDownloadWidget*>();
    QSignalSpy relayed(&dialog, &UpdateOpDialog::autoDownload);
    QVERIFY(box->isChecked());

    box->setChecked(false);
    box->setChecked(true);
    QCOMPARE(relayed.count(), 0);

    auto* clickable = button(box, "autoDownloadBox");
    QTest::mouseClick(clickable, Qt::LeftButton);
    QTest::mouseClick(clickable, Qt::LeftButton);
    QCOMPARE(relayed.count(), 2);
    QCOMPARE(relayed.at(0).at(0).toBool(), false);
    QCOMPARE(relayed.at(1).at(0).toBool(), true);
    QVERIFY(box->isChecked());
}

void UpdateDialogsTest::progressBarPaintsFraction_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("expectedFilled");
    QTest::newRow("nothing") << 0.0f << 0;
    QTest::newRow("below one pixel") << 0.002f << 0;
    QTest::newRow("a quarter") << 0.25f << 90;
    QTest::newRow("half") << 0.5f << 180;
    QTest::newRow("complete") << 1.0f << 360;
    QTest::newRow("overshoot stays in the track") << 1.7f << 360;
}

void UpdateDialogsTest::progressBarPaintsFraction()
{
    QFETCH(float, value);
    QFETCH(int, expectedFilled);
    UpdateProgressWidget bar;
    bar.resize(400, 60);
    bar.setValue(value);
    const BarPixels pixels = barPixels(&bar);

    // Anti-aliased ends may blur a pixel or two either way.
    QVERIFY2(qAbs(pixels.filled - expectedFilled) <= 2,
        qPrintable(QStringLiteral("filled %1 pixels").arg(pixels.filled)));
    if (expectedFilled > 0) {
        QVERIFY(qAbs(pixels.firstFilled - pixels.trackLeft) <= 2);
    }
    if (expectedFilled < 300) {
        QCOMPARE(QColor(pixels.middleOfTrack), QColor(0xDC, 0xDC, 0xDC));
    }
}

void UpdateDialogsTest::progressLineShowsPercent()
{
    UpdatingDialogEx dialog(versionLine, false);
    dialog.show();
    auto* line = dialog.findChild<QLabel*>(QStringLiteral("progressLine"));
    QVERIFY(!line->isVisible());
    dialog.onProgress(0.4567f);
    QVERIFY(line->isVisible());
    QVERIFY(line->text().endsWith(QStringLiteral(" 45.67%")));
    QVERIFY(qAbs(filledWidth(&dialog) - 164) <= 2);

    dialog.setSuccessWidget();
    QVERIFY(!line->isVisible());
    QCOMPARE(currentPage(&dialog), int(UpdatingDialogEx::SuccessPage));
}

void UpdateDialogsTest::cancelEnds_data()
{
    QTest::addColumn<bool>("isImportant");
    QTest::addColumn<bool>("mainWindowOpen");
    QTest::addColumn<bool>("quits");
    QTest::newRow("optional update") << false << false << false;
    QTest::newRow("forced, main window open") << true << true << false;
    QTest::newRow("forced during start-up") << true << false << true;
}

void UpdateDialogsTest::cancelEnds()
{
    QFETCH(bool, isImportant);
    QFETCH(bool, mainWindowOpen);
    QFETCH(bool, quits);

    // The dialog looks for the main window among all top-level widgets, shown or not.
    std::unique_ptr<QWidget> mainWindow;
    if (mainWindowOpen) {
        mainWindow = std::make_unique<QWidget>();
        mainWindow->setObjectName(QStringLiteral("WebMainWindow"));
    }
    UpdatingDialogEx dialog(versionLine, isImportant, mainWindow.get());
    dialog.show();
    dialog.setFailedWidget(QStringLiteral("下载失败"));
    QSignalSpy finished(&dialog, &QDialog::finished);

    const int loopEnd = execApplicationWith([&] {
        QTest::mouseClick(button(&dialog, "cancelButton"), Qt::LeftButton);
        if (!quits) {
            QCoreApplication::exit(1);
        }
    });
    QCOMPARE(loopEnd == 0, quits);
    QCOMPARE(finished.count(), quits ? 0 : 1);
}

void UpdateDialogsTest::restartWithoutPathStays()
{
    UpdatingDialogEx dialog(versionLine, false);
    dialog.show();
    dialog.setSuccessWidget();
    const int loopEnd = execApplicationWith([&] {
        QTest::mouseClick(button(&dialog, "restartButton"), Qt::LeftButton);
        QCoreApplication::exit(1);
    });
    QCOMPARE(loopEnd, 1);
    QVERIFY(!qApp->property("RestartExePath").isValid());
    QVERIFY(dialog.isVisible());
}

// What the manager reports while the box is open, and how the student answers it.
enum class Meanwhile
{
    Nothing,
    Progress,
    Success,
    Failure
};
Q_DECLARE_METATYPE(Meanwhile)

void UpdateDialogsTest::quitConfirmation_data()
{
    QTest::addColumn<Meanwhile>("meanwhile");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancels");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("pageAfter");
    QTest::addColumn<int>("filledAfter");

    const int progress = UpdatingDialogEx::ProgressPage;
    QTest::newRow("keep downloading")
        << Meanwhile::Nothing << "button4" << false << false << progress << 108;
    QTest::newRow("keep downloading, progress moved on")
        << Meanwhile::Progress << "button4" << false << false << progress << 252;
    QTest::newRow("keep downloading, download failed")
        << Meanwhile::Failure << "button4" << false << false << int(UpdatingDialogEx::FailurePage)
        << -1;
    QTest::newRow("keep downloading, download finished")
        << Meanwhile::Success << "button4" << false << false << int(UpdatingDialogEx::SuccessPage)
        << -1;
    QTest::newRow("escape, download failed") << Meanwhile::Failure << "escape" << false << false
                                             << int(UpdatingDialogEx::FailurePage) << -1;
    QTest::newRow("quit") << Meanwhile::Nothing << "button2" << true << true << progress << -1;
    QTest::newRow("quit after the download finished")
        << Meanwhile::Success << "button2" << false << true << progress << -1;
}

void UpdateDialogsTest::quitConfirmation()
{
    QFETCH(Meanwhile, meanwhile);
    QFETCH(QString, answer);
    QFETCH(bool, cancels);
    QFETCH(bool, closes);
    QFETCH(int, pageAfter);
    QFETCH(int, filledAfter);

    UpdatingDialogEx dialog(versionLine, false);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.onProgress(0.3f);
    QSignalSpy cancelled(&dialog, &UpdatingDialogEx::cancelDownload);
    QSignalSpy finished(&dialog, &QDialog::finished);

    int pageWhileOpen = -1;
    int filledWhileOpen = -1;
    bool boxWasOpen = false;
    whenModalShown<StyledMessageBox>([&](StyledMessageBox* box) {
        boxWasOpen = true;
        if (meanwhile == Meanwhile::Progress) {
            dialog.onProgress(0.7f);
        } else if (meanwhile == Meanwhile::Success) {
            dialog.onProgress(1.0f);
            dialog.setNewAppPath(QStringLiteral("/tmp/new.exe"));
            dialog.setSuccessWidget();
        } else if (meanwhile == Meanwhile::Failure) {
            dialog.setFailedWidget(QStringLiteral("下载失败"));
        }
        pageWhileOpen = currentPage(&dialog);
        filledWhileOpen = filledWidth(&dialog);
        if (answer == QLatin1String("escape")) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            QTest::mouseClick(button(box, answer.toLatin1().constData()), Qt::LeftButton);
        }
    });
    QTest::mouseClick(button(&dialog, "closeBtn"), Qt::LeftButton);

    QVERIFY(boxWasOpen);
    QCOMPARE(pageWhileOpen, int(UpdatingDialogEx::ProgressPage));
    QVERIFY(qAbs(filledWhileOpen - 108) <= 2);
    QCOMPARE(cancelled.count(), cancels ? 1 : 0);
    QCOMPARE(finished.count(), closes ? 1 : 0);
    if (closes) {
        return;
    }
    QCOMPARE(currentPage(&dialog), pageAfter);
    if (pageAfter == int(UpdatingDialogEx::FailurePage)) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("下载失败"));
    }
    if (filledAfter >= 0) {
        QVERIFY(qAbs(filledWidth(&dialog) - filledAfter) <= 2);
    }
    // A later failure is shown at once again: the box no longer holds anything back.
    dialog.setFailedWidget(QStringLiteral("解压失败"));
    QCOMPARE(currentPage(&dialog), int(UpdatingDialogEx::FailurePage));
}

void UpdateDialogsTest::closeOffProgressPageNeedsNoConfirmation()
{
    UpdatingDialogEx dialog(versionLine, false);
    dialog.show();
    dialog.setFailedWidget(QStringLiteral("下载失败"));
    QSignalSpy finished(&dialog, &QDialog::finished);
    QSignalSpy cancelled(&dialog, &UpdatingDialogEx::cancelDownload);
    QTest::mouseClick(button(&dialog, "closeBtn"), Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(cancelled.count(), 0);
}

QTEST_MAIN(UpdateDialogsTest)
#include "tst_updatedialogs.moc"
