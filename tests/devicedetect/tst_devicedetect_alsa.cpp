#include "AlsaTestDevices.h"
#include "TestEnvironment.h"
#include "devicedetect/DeviceComboBox.h"
#include "devicedetect/DeviceDetect.h"
#include "devicedetect/VolumeLabel.h"
#include "platform/Platform.h"

#include <QFile>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>

#include <cstdlib>

namespace {

const QString kRegistryKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\zov1v1-stu");
const QString kSpeaker = QStringLiteral("zov_speaker");
constexpr int kMicPeak = 16000;

int peakOf(const QByteArray& samples)
{
    int peak = 0;
    for (int i = 0; 2 * i + 1 < samples.size(); ++i) {
        peak = qMax(peak, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + 2 * i))));
    }
    return peak;
}

} // namespace

// The dialog on the program's own media backends, with sound devices that exist only as
// files: the meter follows real captured samples and the test sound really plays.
class DeviceDetectAlsaTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void meterAndTestSoundRunOnRealDevices();

private:
    TestEnvironment m_env;
    AlsaTestDevices m_alsa { m_env.home() };
};

void DeviceDetectAlsaTest::initTestCase()
{
    QVERIFY(m_env.isValid());
    m_env.apply();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_env.home() + QStringLiteral("/.config")));
    m_alsa.addMicrophone(QStringLiteral("default"), kMicPeak);
    m_alsa.addSpeaker(kSpeaker);
    QVERIFY(m_alsa.install());
    if (!AlsaTestDevices::isListed(kSpeaker, QAudio::AudioOutput)) {
        QFAIL("No ALSA devices through QtMultimedia: install the Debian packages libasound2 "
              "and libqt5multimedia5-plugins to test the real audio path.");
    }
}

void DeviceDetectAlsaTest::meterAndTestSoundRunOnRealDevices()
{
    zov::platform::Platform::instance().writeRegistry(
        kRegistryKey, QStringLiteral("speaker"), kSpeaker);
    QFile sound(QStringLiteral(":/detect/devicedetect/test.pcm"));
    auto dialog = std::make_unique<DeviceDetect>(nullptr);
    QVERIFY(sound.open(QIODevice::ReadOnly));
    const QByteArray testSound = sound.readAll();

    dialog->initSpeaker();

    auto* meter = dialog->findChild<VolumeLabel*>(QStringLiteral("volumeLabel"));
    QTRY_COMPARE(meter->level(), kMicPeak * VolumeLabel::kBars / 32767);
    QCOMPARE(
        dialog->findChild<DeviceComboBox*>(QStringLiteral("speakerCombo"))->shownText(), kSpeaker);
    QTRY_VERIFY(m_alsa.played(kSpeaker).size() >= testSound.size());
    const QByteArray played = m_alsa.played(kSpeaker).left(testSound.size());
    QVERIFY(qAbs(peakOf(played) - peakOf(testSound) * 35 / 100) <= 1);

    dialog->findChild<QPushButton*>(QStringLiteral("pushButton_ok"))->click();
    const int length = m_alsa.played(kSpeaker).size();
    QTest::qWait(100);
    QCOMPARE(m_alsa.played(kSpeaker).size(), length);
    QCOMPARE(zov::platform::Platform::instance()
                 .readRegistry(kRegistryKey, QStringLiteral("speaker"))
                 .toString(),
        kSpeaker);
}

QTEST_MAIN(DeviceDetectAlsaTest)
#include "tst_devicedetect_alsa.moc"
