#include "widgets/AboutDialog.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class AboutDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(ZOV_SOURCE_DIR)); }
    void showsVersionAndGoesAwayOnClose_data();
    void showsVersionAndGoesAwayOnClose();
};

void AboutDialogTest::showsVersionAndGoesAwayOnClose_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("line");

    QTest::newRow("installed version") << "1.6.7.0"
                                       << "版本号 1.6.7.0";
    QTest::newRow("no version known") << QString() << "版本号 ";
}

void AboutDialogTest::showsVersionAndGoesAwayOnClose()
{
    QFETCH(QString, version);

    QPointer<AboutDialog> about = new AboutDialog(version);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTEST(about->findChild<QLabel*>("versionLabel")->text(), "line");
    // Shown without a parent, it must free itself.
    QTest::mouseClick(about->findChild<QPushButton*>("closeBtn"), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
}

QTEST_MAIN(AboutDialogTest)
#include "tst_aboutdialog.moc"
