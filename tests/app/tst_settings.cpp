#include "app/Settings.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env.reset(new TestEnvironment);
        m_env->apply();
    }

    void homeDirIsCreatedOnDemand()
    {
        QString dir;
        QVERIFY(getHomeDir(dir));
        QCOMPARE(dir, m_env->home() + QStringLiteral("/zov_qm_student"));
        QVERIFY(QDir(dir).exists());
    }

    // The agreement is written as "Privacy"/"Privacy" and read back as "privacy"/"privacy";
    // a write in another case lands in the group the file already has.
    void settingsIgnoreTheCaseOfGroupsAndKeys()
    {
        writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), QStringLiteral("false"));
        QCOMPARE(readSetting(QStringLiteral("privacy"), QStringLiteral("privacy")).toString(),
            QStringLiteral("false"));

        writeSetting(QStringLiteral("PRIVACY"), QStringLiteral("privacy"), QStringLiteral("true"));
        QSettings file(m_env->dataFolder() + QStringLiteral("/setting.ini"), QSettings::IniFormat);
        QCOMPARE(file.childGroups(), QStringList { QStringLiteral("Privacy") });
        QCOMPARE(file.value(QStringLiteral("Privacy/Privacy")).toString(), QStringLiteral("true"));
    }

    void absentOrUnnamedSettingsAreInvalidAndWriteNothing()
    {
        QVERIFY(!readSetting(QStringLiteral("env"), QStringLiteral("UserEnv")).isValid());
        QVERIFY(!readSetting(QStringLiteral("env"), QString()).isValid());
        QVERIFY(!readSetting(QString(), QStringLiteral("UserEnv")).isValid());

        writeSetting(QString(), QStringLiteral("key"), QStringLiteral("value"));
        writeSetting(QStringLiteral("group"), QString(), QStringLiteral("value"));
        QVERIFY(!QFile::exists(m_env->dataFolder() + QStringLiteral("/setting.ini")));
    }

    void md5ComparesLowerCaseHexOfAnExistingFile_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<bool>("expected");
        // md5("package bytes")
        const QString md5 = QStringLiteral("92b5ee36dd2ec180e12bf3344f9cf676");
        QTest::newRow("lower case matches") << "package.zip" << md5 << true;
        QTest::newRow("upper case does not") << "package.zip" << md5.toUpper() << false;
        QTest::newRow("missing file") << "missing"
                                      << "d41d8cd98f00b204e9800998ecf8427e" << false;
    }

    void md5ComparesLowerCaseHexOfAnExistingFile()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, md5);
        QFETCH(bool, expected);
        QFile file(m_env->temp() + QStringLiteral("/package.zip"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("package bytes");
        file.close();
        QCOMPARE(compareFileMd5(m_env->temp() + QLatin1Char('/') + fileName, md5), expected);
    }

private:
    QScopedPointer<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
