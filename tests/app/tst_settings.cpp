#include "app/Settings.h"

#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QCryptographicHash>
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

    void writtenSettingIsReadBackAsString()
    {
        writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), QStringLiteral("true"));
        QCOMPARE(readSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy")).toString(),
            QStringLiteral("true"));

        QSettings file(m_env->dataFolder() + QStringLiteral("/setting.ini"), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("Privacy/Privacy")).toString(), QStringLiteral("true"));
    }

    // The agreement is written as "Privacy"/"Privacy" and read back as "privacy"/"privacy".
    void groupsAndKeysIgnoreCase()
    {
        writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), QStringLiteral("false"));
        QCOMPARE(readSetting(QStringLiteral("privacy"), QStringLiteral("privacy")).toString(),
            QStringLiteral("false"));

        writeSetting(QStringLiteral("PRIVACY"), QStringLiteral("privacy"), QStringLiteral("true"));
        QSettings file(m_env->dataFolder() + QStringLiteral("/setting.ini"), QSettings::IniFormat);
        QCOMPARE(file.childGroups(), QStringList { QStringLiteral("Privacy") });
        QCOMPARE(file.value(QStringLiteral("Privacy/Privacy")).toString(), QStringLiteral("true"));
    }

    void absentSettingIsInvalid()
    {
        QVERIFY(!readSetting(QStringLiteral("env"), QStringLiteral("UserEnv")).isValid());
        QCOMPARE(
            readSetting(QStringLiteral("env"), QStringLiteral("UserEnv")).toString(), QString());
    }

    void emptyGroupOrKeyTouchesNothing()
    {
        QVERIFY(!readSetting(QStringLiteral("env"), QString()).isValid());
        QVERIFY(!readSetting(QString(), QStringLiteral("UserEnv")).isValid());

        writeSetting(QString(), QStringLiteral("key"), QStringLiteral("value"));
        writeSetting(QStringLiteral("group"), QString(), QStringLiteral("value"));
        QVERIFY(!QFile::exists(m_env->dataFolder() + QStringLiteral("/setting.ini")));
    }

    void configIniSitsBesideTheVersionFolder()
    {
        QDir launcher(QCoreApplication::applicationDirPath());
        launcher.cdUp();
        QCOMPARE(configIniPath(), launcher.absoluteFilePath(QStringLiteral("config.ini")));
    }

    void md5ComparesLowerCaseHexExactly_data()
    {
        QTest::addColumn<bool>("upperCase");
        QTest::addColumn<bool>("expected");
        QTest::newRow("lower case matches") << false << true;
        QTest::newRow("upper case does not") << true << false;
    }

    void md5ComparesLowerCaseHexExactly()
    {
        QFETCH(bool, upperCase);
        QFETCH(bool, expected);
        const QString path = m_env->temp() + QStringLiteral("/package.zip");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("package bytes");
        file.close();
        QString md5 = QString::fromLatin1(
            QCryptographicHash::hash("package bytes", QCryptographicHash::Md5).toHex());
        if (upperCase)
            md5 = md5.toUpper();
        QCOMPARE(compareFileMd5(path, md5), expected);
    }

    void md5OfMissingFileIsFalse()
    {
        QVERIFY(!compareFileMd5(m_env->temp() + QStringLiteral("/missing"),
            QStringLiteral("d41d8cd98f00b204e9800998ecf8427e")));
    }

private:
    QScopedPointer<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
