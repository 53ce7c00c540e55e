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

// What the manager reports while the box is open, and how the student answers it.
enum class Meanwhile
{
    Nothing,
    Progress,
    Success,
    Failure
};
Q_DECLARE_METATYPE(Meanwhile)

class UpdateDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(QStringLiteral(ZOV_SOURCE_DIR)));
        // As in the program: closing a dialog must not end the application by itself.
        QApplication::setQuitOnLastWindowClosed(false);
        QFont::insertSubstitution(
            QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"));
    }

    // What a user check hides, and "later" and "update" on an optional offer, the manager's
    // tests and the flows prove; left are the choices only this dialog shows.
    void offerReportsChoice_data()
    {
        QTest::addColumn<bool>("isImportant");
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("closes");

        QTest::newRow("optional: skip") << false << "skipButton"
                                        << "skip" << false;
        QTest::newRow("optional: close") << false << "closeBtn"
                                         << "btnClose" << true;
        QTest::newRow("forced: update now") << true << "updateButton"
                                            << "update" << false;
    }

    // The dialog reports while it is still up; its owner decides what becomes of it.
    void offerReportsChoice()
    {
        QFETCH(bool, isImportant);
        QFETCH(QString, buttonName);
        QFETCH(QString, expected);
        QFETCH(bool, closes);

        UpdateOpDialog dialog(false, isImportant, true);
        dialog.setVersionText(versionLine);
        dialog.show();
        QStringList reported;
        auto report = [&](const char* choice) {
            if (dialog.isVisible())
                reported << QLatin1String(choice);
        };
        connect(&dialog, &UpdateOpDialog::skip, [&] { report("skip"); });
        connect(&dialog, &UpdateOpDialog::showNextTime, [&] { report("showNextTime"); });
        connect(&dialog, &UpdateOpDialog::update, [&] { report("update"); });
        connect(&dialog, &UpdateOpDialog::btnClose, [&] { report("btnClose"); });
        connect(&dialog, &UpdateOpDialog::autoDownload,
            [&](bool on) { report(on ? "autoDownload on" : "autoDownload off"); });
        QSignalSpy finished(&dialog, &QDialog::finished);
        // Only the student's clicks on the box are reported.
        auto* box = dialog.findChild<AutoDownloadWidget*>();
        box->setChecked(false);
        box->setChecked(true);

        QCOMPARE(button(&dialog, "skipButton")->isVisible(), !isImportant);
        QCOMPARE(button(&dialog, "laterButton")->isVisible(), !isImportant);
        QCOMPARE(button(&dialog, "closeBtn")->isVisible(), !isImportant);
        QTest::mouseClick(button(&dialog, buttonName.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(reported, QStringList { expected });
        QVERIFY(box->isChecked());
        QCOMPARE(finished.count(), closes ? 1 : 0);
        QCOMPARE(dialog.isVisible(), !closes);
    }

    void progressShowsFraction_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("expectedFilled");
        QTest::addColumn<QString>("percent");
        QTest::newRow("below one pixel") << 0.002f << 0 << " 0.20%";
        QTest::newRow("a quarter") << 0.25f << 90 << " 25.00%";
        QTest::newRow("two places") << 0.4567f << 164 << " 45.67%";
        QTest::newRow("complete") << 1.0f << 360 << " 100.00%";
        QTest::newRow("overshoot stays in the track") << 1.7f << 360 << " 170.00%";
    }

    // The bar and the line under the logo; the line goes once the download is done.
    void progressShowsFraction()
    {
        QFETCH(float, value);
        QFETCH(int, expectedFilled);
        QFETCH(QString, percent);
        UpdatingDialogEx dialog(versionLine, false);
        dialog.show();
        auto* line = dialog.findChild<QLabel*>(QStringLiteral("progressLine"));
        QVERIFY(!line->isVisible());
        dialog.onProgress(value);
        const BarPixels pixels = barPixels(dialog.findChild<UpdateProgressWidget*>());

        QVERIFY(line->isVisible());
        QVERIFY2(line->text().endsWith(percent), qPrintable(line->text()));
        // Anti-aliased ends may blur a pixel or two either way.
        QVERIFY2(qAbs(pixels.filled - expectedFilled) <= 2,
            qPrintable(QStringLiteral("filled %1 pixels").arg(pixels.filled)));
        if (expectedFilled > 0)
            QVERIFY(qAbs(pixels.firstFilled - pixels.trackLeft) <= 2);
        if (expectedFilled < 300)
            QCOMPARE(QColor(pixels.middleOfTrack), QColor(0xDC, 0xDC, 0xDC));
        dialog.setSuccessWidget();
        QVERIFY(!line->isVisible());
        QCOMPARE(currentPage(&dialog), int(UpdatingDialogEx::SuccessPage));
    }

    // The buttons after a failure and after success. A forced update cancelled during
    // start-up ends the program, as its flow proves; with the main window open it only
    // closes. Off the progress page nothing needs confirming, and a restart without a
    // program to start leaves everything as it was.
    void pageButtons_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<bool>("isImportant");
        QTest::addColumn<int>("finishes");
        QTest::newRow("cancel, forced, main window open") << "cancelButton" << true << 1;
        QTest::newRow("close after a failure") << "closeBtn" << false << 1;
        QTest::newRow("restart without a path") << "restartButton" << false << 0;
    }

    void pageButtons()
    {
        QFETCH(QString, buttonName);
        QFETCH(bool, isImportant);
        QFETCH(int, finishes);

        // The dialog looks for the main window among all top-level widgets, shown or not.
        QWidget mainWindow;
        mainWindow.setObjectName(QStringLiteral("WebMainWindow"));
        UpdatingDialogEx dialog(versionLine, isImportant, &mainWindow);
        dialog.show();
        if (buttonName == QLatin1String("restartButton"))
            dialog.setSuccessWidget();
        else
            dialog.setFailedWidget(QStringLiteral("下载失败"));
        QSignalSpy finished(&dialog, &QDialog::finished);
        QSignalSpy cancelled(&dialog, &UpdatingDialogEx::cancelDownload);

        const int loopEnd = execApplicationWith([&] {
            QTest::mouseClick(button(&dialog, buttonName.toLatin1().constData()), Qt::LeftButton);
            QCoreApplication::exit(1);
        });
        QCOMPARE(loopEnd, 1);
        QCOMPARE(finished.count(), finishes);
        QCOMPARE(dialog.isVisible(), finishes == 0);
        QCOMPARE(cancelled.count(), 0);
        QVERIFY(!qApp->property("RestartExePath").isValid());
    }

    void quitConfirmation_data()
    {
        QTest::addColumn<Meanwhile>("meanwhile");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cancels");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("pageAfter");
        QTest::addColumn<int>("filledAfter");

        const int progress = UpdatingDialogEx::ProgressPage;
        const int failed = UpdatingDialogEx::FailurePage;
        QTest::newRow("keep downloading, progress moved on")
            << Meanwhile::Progress << "button4" << false << false << progress << 252;
        QTest::newRow("keep downloading, download failed")
            << Meanwhile::Failure << "button4" << false << false << failed << -1;
        QTest::newRow("keep downloading, download finished")
            << Meanwhile::Success << "button4" << false << false
            << int(UpdatingDialogEx::SuccessPage) << -1;
        QTest::newRow("escape, download failed")
            << Meanwhile::Failure << "escape" << false << false << failed << -1;
        QTest::newRow("quit") << Meanwhile::Nothing << "button2" << true << true << progress << -1;
        QTest::newRow("quit after the download finished")
            << Meanwhile::Success << "button2" << false << true << progress << -1;
    }

    void quitConfirmation()
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
};

QTEST_MAIN(UpdateDialogsTest)
#include "tst_updatedialogs.moc"
