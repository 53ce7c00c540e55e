#include "AlsaTestDevices.h"
#include "TestEnvironment.h"
#include "core/AudioPlayer.h"
#include "core/CameraFrameSurface.h"
#include "core/MicCapture.h"
#include "core/PcmConverter.h"
#include "core/PcmFormat.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVideoSurfaceFormat>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using zov::capture::AudioDeviceInfo;
using zov::capture::CameraFrameSurface;
using zov::capture::MicCapture;
using zov::capture::MicType;
using zov::player::AudioPlayer;

Q_DECLARE_METATYPE(QImage::Format)

namespace {

const QColor kTop(220, 30, 30);
const QColor kBottom(30, 30, 220);

// Top half one colour, bottom half another, as the camera wrote it.
QImage twoBandFrame(QImage::Format format)
{
    QImage frame(8, 8, format);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            frame.setPixelColor(x, y, y < frame.height() / 2 ? kTop : kBottom);
        }
    }
    return frame;
}

int peakOf(const QByteArray& samples, int from, int count)
{
    int peak = 0;
    for (int i = from; i < from + count && 2 * i + 1 < samples.size(); ++i) {
        peak = qMax(peak, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + 2 * i))));
    }
    return peak;
}

// A quarter second of a tone peaking at peak, in AudioPlayer's raw format.
QByteArray testSound(int peak)
{
    const int count = AudioPlayer::rawSoundFormat().sampleRate() / 4;
    QByteArray samples(count * 2, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        const double phase = 2 * M_PI * i / 16;
        qToLittleEndian(qint16(std::lround(peak * std::sin(phase))), samples.data() + 2 * i);
    }
    return samples;
}

} // namespace

class MediaDevicesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        for (int peak : { 1000, 32767 }) {
            m_alsa.addMicrophone(QStringLiteral("zov_mic_%1").arg(peak), peak);
        }
        for (const char* name :
            { "default", "zov_speaker_0", "zov_speaker_35", "zov_speaker_100" }) {
            m_alsa.addSpeaker(QLatin1String(name));
        }
        QVERIFY(m_alsa.install());
        m_alsaReady
            = AlsaTestDevices::isListed(QStringLiteral("zov_speaker_35"), QAudio::AudioOutput)
            && AlsaTestDevices::isListed(QStringLiteral("zov_mic_1000"), QAudio::AudioInput);
    }

    void frameSurfaceHandsOverRowsBottomFirst_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QVideoSurfaceFormat::Direction>("direction");
        QTest::addColumn<QColor>("firstRow");

        const auto down = QVideoSurfaceFormat::TopToBottom;
        const auto up = QVideoSurfaceFormat::BottomToTop;
        QTest::newRow("RGB32 written top down") << QImage::Format_RGB32 << down << kBottom;
        QTest::newRow("RGB24 written top down") << QImage::Format_RGB888 << down << kBottom;
        QTest::newRow("RGB32 written bottom up") << QImage::Format_RGB32 << up << kTop;
    }

    void frameSurfaceHandsOverRowsBottomFirst()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QVideoSurfaceFormat::Direction, direction);
        QFETCH(QColor, firstRow);

        const QVideoFrame frame(twoBandFrame(format));
        QVideoSurfaceFormat surfaceFormat(frame.size(), frame.pixelFormat());
        surfaceFormat.setScanLineDirection(direction);
        CameraFrameSurface surface;
        QVERIFY(surface.supportedPixelFormats(QAbstractVideoBuffer::NoHandle)
                    .contains(frame.pixelFormat()));
        QVERIFY(surface.start(surfaceFormat));
        QSignalSpy frames(&surface, &CameraFrameSurface::frameAvailable);

        QVERIFY(surface.present(frame));

        QCOMPARE(frames.count(), 1);
        const QImage image = frames.first().first().value<QImage>();
        QCOMPARE(image.size(), frame.size());
        QCOMPARE(image.pixelColor(0, 0), firstRow);
        QCOMPARE(image.pixelColor(0, image.height() - 1), firstRow == kTop ? kBottom : kTop);
    }

    void microphoneLevelComesFromItsSamples_data()
    {
        QTest::addColumn<int>("peak");

        QTest::newRow("quiet") << 1000;
        QTest::newRow("full scale") << 32767;
    }

    void microphoneLevelComesFromItsSamples()
    {
        requireAlsa();
        QFETCH(int, peak);

        MicCapture mic(nullptr, MicType::SystemDefault);
        const QString name = QStringLiteral("zov_mic_%1").arg(peak);
        AudioDeviceInfo device;
        for (const AudioDeviceInfo& listed : mic.getAudioDevice()) {
            if (listed.name == name) {
                device = listed;
            }
        }
        QCOMPARE(device.name, name);
        QSignalSpy levels(&mic, &MicCapture::audioVolumeChanged);

        QVERIFY(mic.start(device));
        QTRY_VERIFY(levels.count() >= 3);
        mic.stop();

        for (const QList<QVariant>& level : qAsConst(levels)) {
            QCOMPARE(level.at(0).toUInt(), unsigned(peak));
            QCOMPARE(level.at(1).toUInt(), MicCapture::kMaximumLevel);
        }
        const int count = levels.count();
        QTest::qWait(100);
        QCOMPARE(levels.count(), count);
    }

    // A device that offers another format gets the test sound in it, and the meter gets its
    // samples back as 16 kHz mono 16-bit.
    void pcmMovesBetweenDeviceFormats_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<int>("sampleType");
        QTest::newRow("48 kHz stereo float") << 48000 << 2 << 32 << int(QAudioFormat::Float);
        QTest::newRow("44.1 kHz stereo 32-bit") << 44100 << 2 << 32 << int(QAudioFormat::SignedInt);
        QTest::newRow("8 kHz mono 8-bit") << 8000 << 1 << 8 << int(QAudioFormat::UnSignedInt);
    }

    void pcmMovesBetweenDeviceFormats()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, sampleSize);
        QFETCH(int, sampleType);
        const QAudioFormat stored = zov::media::pcm16kMonoFormat();
        QAudioFormat device = stored;
        device.setSampleRate(rate);
        device.setChannelCount(channels);
        device.setSampleSize(sampleSize);
        device.setSampleType(QAudioFormat::SampleType(sampleType));
        // One second of a 16-bit level of a half.
        QByteArray sound(32000, Qt::Uninitialized);
        for (int i = 0; i < 16000; ++i)
            qToLittleEndian<qint16>(16384, sound.data() + 2 * i);

        using zov::media::PcmConverter;
        const QByteArray played = PcmConverter::convert(sound, stored, device);
        QCOMPARE(played.size(), rate * channels * sampleSize / 8);
        const QByteArray heard = PcmConverter::convert(played, device, stored);
        QCOMPARE(heard.size(), sound.size());
        const qint16 level = qFromLittleEndian<qint16>(heard.constData() + heard.size() / 2);
        QVERIFY2(qAbs(level - 16384) <= 256, qPrintable(QString::number(level)));
    }

    void speakerListNamesTheSystemDevices()
    {
        requireAlsa();
        AudioPlayer player(nullptr);
        QVERIFY(player.initCoreAudioHandle());

        const QList<zov::player::SpeakerDeviceInfo> speakers = player.getSpeakerDevices();

        QStringList names;
        int defaults = 0;
        for (int i = 0; i < speakers.size(); ++i) {
            QCOMPARE(speakers.at(i).index, i);
            names << speakers.at(i).name;
            defaults += speakers.at(i).isDefault ? 1 : 0;
        }
        for (const char* name :
            { "default", "zov_speaker_0", "zov_speaker_35", "zov_speaker_100" }) {
            QVERIFY2(names.contains(QLatin1String(name)), qPrintable(names.join(QLatin1Char(','))));
        }
        QVERIFY(!names.contains(QString()));
        QCOMPARE(defaults, 1);
    }

    // The sound plays in a loop at its speaker's own volume, held to 100; a sound that cannot
    // be read plays nothing.
    void speakerPlaysTheSoundInALoopAtItsVolume_data()
    {
        QTest::addColumn<QString>("speaker");
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("readable");

        QTest::newRow("test volume") << "zov_speaker_35" << 35 << 35 << true;
        QTest::newRow("silent") << "zov_speaker_0" << 0 << 0 << true;
        QTest::newRow("above the top") << "zov_speaker_100" << 150 << 100 << true;
        QTest::newRow("sound cannot be read") << "zov_speaker_35" << 35 << 35 << false;
    }

    void speakerPlaysTheSoundInALoopAtItsVolume()
    {
        requireAlsa();
        QFETCH(QString, speaker);
        QFETCH(int, volume);
        QFETCH(int, kept);
        QFETCH(bool, readable);
        const int peak = 20000;
        const QByteArray sound = testSound(peak);
        const QString file = m_files.filePath(QStringLiteral("sound-%1.pcm").arg(readable));
        QFile out(file);
        QVERIFY(!readable || (out.open(QIODevice::WriteOnly) && out.write(sound) == sound.size()));
        out.close();

        AudioPlayer player(nullptr);
        player.initCoreAudioHandle();
        QVERIFY(player.setVolumeSize(speaker, volume));
        QCOMPARE(player.getVolumeSize(speaker), kept);
        QCOMPARE(player.getVolumeSize(QStringLiteral("default")), 100);
        if (!readable) {
            QTest::ignoreMessage(QtWarningMsg,
                qPrintable(QStringLiteral("[AudioPlayer][start] cannot read \"%1\"").arg(file)));
            QVERIFY(!player.start(speaker, file));
            return;
        }
        QVERIFY(player.start(speaker, file));
        QTRY_VERIFY(m_alsa.played(speaker).size() >= 3 * sound.size());
        player.stop();

        const QByteArray played = m_alsa.played(speaker);
        const int loopSamples = sound.size() / 2;
        QVERIFY(qAbs(peakOf(played, 0, loopSamples) - peak * kept / 100) <= 1);
        // The second and third passes repeat the first sample for sample.
        QCOMPARE(played.mid(sound.size(), sound.size()), played.left(sound.size()));
        QCOMPARE(played.mid(2 * sound.size(), sound.size()), played.left(sound.size()));
        const int length = played.size();
        QTest::qWait(100);
        QCOMPARE(m_alsa.played(speaker).size(), length);
    }

private:
    void requireAlsa()
    {
        if (!m_alsaReady) {
            QFAIL("No ALSA devices through QtMultimedia: install the Debian packages libasound2 "
                  "and libqt5multimedia5-plugins to test the real audio path.");
        }
    }

    TestEnvironment m_env;
    AlsaTestDevices m_alsa { m_env.home() };
    QTemporaryDir m_files;
    bool m_alsaReady = false;
};

QTEST_GUILESS_MAIN(MediaDevicesTest)
#include "MediaDevicesTest.moc"
