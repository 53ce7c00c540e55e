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
    void initTestCase();
    void showsIconNameAndVersion_data();
    void showsIconNameAndVersion();
    void closeButtonDeletesTheBox();
};

void AboutDialogTest::initTestCase()
{
    QVERIFY(QDir::setCurrent(QStringLiteral(ZOV_SOURCE_DIR)));
}

void AboutDialogTest::showsIconNameAndVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("line");

    QTest::newRow("installed version")
        << QStringLiteral("1.6.7.0") << QStringLiteral("版本号 1.6.7.0");
    QTest::newRow("no version known") << QString() << QStringLiteral("版本号 ");
}

void AboutDialogTest::showsIconNameAndVersion()
{
    QFETCH(QString, version);
    QFETCH(QString, line);

    auto* about = new AboutDialog(version);
    QPointer<AboutDialog> guard(about);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    auto* icon = about->findChild<QLabel*>(QStringLiteral("iconLabel"));
    QVERIFY(icon);
    QCOMPARE(icon->pixmap(Qt::ReturnByValue).size(), QSize(64, 64));
    QVERIFY(icon->isVisible());
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("nameLabel"))->text(),
        QStringLiteral("Zov1对1学生版"));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("versionLabel"))->text(), line);
    QVERIFY(!about->windowIcon().isNull());
    QVERIFY(about->testAttribute(Qt::WA_TranslucentBackground));
    about->close();
    QTRY_VERIFY(guard.isNull());
}

void AboutDialogTest::closeButtonDeletesTheBox()
{
    QPointer<AboutDialog> about = new AboutDialog(QStringLiteral("1.6.7.0"));
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("closeBtn")), Qt::LeftButton);
    QCOMPARE(about->property("res"), QVariant(QStringLiteral("onClose")));
    QTRY_VERIFY(about.isNull());
}

QTEST_MAIN(AboutDialogTest)
#include "tst_aboutdialog.moc"
