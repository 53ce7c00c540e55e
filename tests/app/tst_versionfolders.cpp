#include "app/VersionFolders.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class VersionFoldersTest : public QObject
{
    Q_OBJECT

private slots:
    void versionGreaterComparesFourNumbers_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("greater");
        QTest::newRow("last part") << "1.6.7.0"
                                   << "1.6.6.9" << true;
        QTest::newRow("numeric not text") << "1.6.10.0"
                                          << "1.6.9.0" << true;
        QTest::newRow("equal") << "1.6.7.0"
                               << "1.6.7.0" << false;
        QTest::newRow("lower") << "1.6.7.0"
                               << "1.6.7.1" << false;
        QTest::newRow("three parts") << "1.6.7"
                                     << "1.6.6.0" << false;
        QTest::newRow("other has three") << "1.6.7.0"
                                         << "1.6.6" << false;
        QTest::newRow("five parts") << "1.6.7.0.1"
                                    << "1.6.6.0" << false;
    }

    void versionGreaterComparesFourNumbers()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, greater);
        QCOMPARE(versionGreater(a.split(QLatin1Char('.')), b.split(QLatin1Char('.'))), greater);
    }

    void onlyStrictlyOlderFoldersAreRemoved_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QStringList>("survivors");
        const QStringList folders { "1.6.6.9", "1.6.7.1", "1.6.7", "Tools", "0.9.0.0", "1.6.7.0" };
        QTest::newRow("four-part version")
            << "1.6.7.0" << folders << QStringList { "1.6.7", "1.6.7.0", "1.6.7.1", "Tools" };
        QTest::newRow("three-part running folder") << "1.6.7" << folders << folders;
    }

    void onlyStrictlyOlderFoldersAreRemoved()
    {
        QFETCH(QString, running);
        QFETCH(QStringList, folders);
        QFETCH(QStringList, survivors);
        QTemporaryDir launcher;
        QDir root(launcher.path());
        for (const QString& folder : folders)
            QVERIFY(root.mkpath(folder + QStringLiteral("/res")));
        root.mkpath(running);

        clearOldVersionsFor(
            launcher.path() + QLatin1Char('/') + running + QStringLiteral("/zovwx1v1_Student"));

        QStringList expected = survivors;
        if (!expected.contains(running))
            expected.append(running);
        expected.sort();
        QCOMPARE(root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), expected);
    }
};

QTEST_GUILESS_MAIN(VersionFoldersTest)
#include "tst_versionfolders.moc"
