#include "AlsaTestDevices.h"
#include "ScriptedCameras.h"
#include "TestEnvironment.h"
#include "app/Settings.h"
#include "core/MicCapture.h"
#include "devicedetect/DeviceComboBox.h"
#include "devicedetect/DeviceDetect.h"
#include "devicedetect/MyLabel.h"
#include "devicedetect/SelectItem.h"
#include "devicedetect/VolumeLabel.h"
#include "platform/Platform.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QtEndian>
#include <QtTest>

#include <cstdlib>

#include <memory>
#include <optional>

using zov::capture::CameraCaptureType;
using zov::capture::CameraFormat;
using Formats = QList<CameraFormat>;

Q_DECLARE_METATYPE(CameraCaptureType)
Q_DECLARE_METATYPE(Qt::CheckState)

namespace {

const QString kRegistryKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\zov1v1-stu");
const QString kSpeakerValue = QStringLiteral("speaker");
// The sound devices of the speaker tests, in the order the system lists them.
const QStringList kSpeakers
    = { QStringLiteral("default"), QStringLiteral("zov_headphones"), QStringLiteral("zov_hdmi") };
constexpr int kOneBarPeak = 1000;

const QColor kTopLeft(230, 40, 40);
const QColor kTopRight(40, 200, 40);
const QColor kBottomLeft(40, 40, 230);
const QColor kBottomRight(230, 230, 40);

CameraFormat format(int width, int height, double frameRate)
{
    CameraFormat result;
    result.width = width;
    result.height = height;
    result.frameRate = frameRate;
    result.captureType = 4;
    return result;
}

// A picture with four coloured quarters, handed over bottom row first as a camera does.
QImage quarteredFrame()
{
    QImage upright(160, 120, QImage::Format_RGB32);
    const int w = upright.width() / 2;
    const int h = upright.height() / 2;
    for (int y = 0; y < upright.height(); ++y) {
        for (int x = 0; x < upright.width(); ++x) {
            const QColor color
                = y < h ? (x < w ? kTopLeft : kTopRight) : (x < w ? kBottomLeft : kBottomRight);
            upright.setPixelColor(x, y, color);
        }
    }
    return upright.mirrored(false, true);
}

bool sameColor(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2
        && qAbs(a.blue() - b.blue()) <= 2;
}

int peakOf(const QByteArray& samples)
{
    int peak = 0;
    for (int i = 0; 2 * i + 1 < samples.size(); ++i)
        peak = qMax(peak, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + 2 * i))));
    return peak;
}

template<typename T> T* child(QObject* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name));
}

} // namespace

class DeviceDetectTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_env.home() + QStringLiteral("/.config")));
        m_alsa.emplace(m_env.home());
        installSpeakers();
        if (!AlsaTestDevices::isListed(kSpeakers.at(1), QAudio::AudioOutput)) {
            QFAIL("No ALSA devices through QtMultimedia: install the Debian packages libasound2 "
                  "and libqt5multimedia5-plugins to test the real audio path.");
        }
    }

    void init()
    {
        m_cameras.emplace();
        m_alsa.emplace(m_env.home());
        QFile::remove(m_env.dataFolder() + QStringLiteral("/setting.ini"));
        zov::platform::Platform::instance().writeRegistry(kRegistryKey, kSpeakerValue, QString());
    }

    // The capture type comes from the setting, the format from what the camera offers.
    void cameraFormatChoice_data()
    {
        QTest::addColumn<QString>("openType");
        QTest::addColumn<CameraCaptureType>("type");
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("frameRate");

        const QString unset;
        const CameraCaptureType qt = CameraCaptureType::QtMultimedia;
        const CameraCaptureType plain = CameraCaptureType::VideoInput;
        QTest::newRow("first 320 wide, then a smooth rate of that width")
            << "QT" << qt
            << Formats { format(160, 120, 30), format(640, 480, 5), format(640, 480, 15),
                   format(1280, 720, 30) }
            << QSize(640, 480) << 15.0;
        QTest::newRow("nothing 320 wide keeps the narrowest")
            << "MF" << CameraCaptureType::MediaFoundation
            << Formats { format(176, 144, 30), format(160, 120, 30) } << QSize(160, 120) << 30.0;
        QTest::newRow("no formats reported, lower-case type unknown")
            << "qt" << plain << Formats() << QSize(320, 240) << 30.0;
        QTest::newRow("listed widest first")
            << unset << plain
            << Formats { format(1280, 720, 30), format(640, 480, 30), format(320, 240, 30) }
            << QSize(320, 240) << 30.0;
        QTest::newRow("the first smooth rate ends the search")
            << unset << plain
            << Formats { format(640, 480, 5), format(640, 480, 30), format(640, 480, 15) }
            << QSize(640, 480) << 15.0;
        QTest::newRow("no smooth rate takes the fastest of that width")
            << unset << plain
            << Formats { format(640, 480, 5), format(640, 480, 7.5), format(1280, 720, 30) }
            << QSize(640, 480) << 7.5;
        QTest::newRow("narrow camera still speeds up")
            << unset << plain
            << Formats { format(160, 120, 5), format(160, 120, 10), format(160, 120, 15) }
            << QSize(160, 120) << 15.0;
        QTest::newRow("one slow format")
            << unset << plain << Formats { format(1920, 1080, 5) } << QSize(1920, 1080) << 5.0;
    }

    void cameraFormatChoice()
    {
        QFETCH(QString, openType);
        QFETCH(CameraCaptureType, type);
        QFETCH(Formats, formats);
        QFETCH(QSize, size);
        if (!openType.isNull())
            writeSetting(QStringLiteral("CameraOption"), QStringLiteral("openType"), openType);
        m_cameras->addCamera(QStringLiteral("Only Camera"), formats);

        const auto dialog = openDialog();

        QCOMPARE(m_cameras->types, QList<CameraCaptureType> { type });
        QCOMPARE(m_cameras->starts.size(), 1);
        const zov::capture::DesireCameraInfo started = m_cameras->starts.first();
        QCOMPARE(started.index, 0);
        QCOMPARE(QSize(started.format.width, started.format.height), size);
        QTEST(started.format.frameRate, "frameRate");
        if (formats.isEmpty())
            QCOMPARE(started.format.captureType, int(type));
    }

    // A device that is missing or refuses to open leaves the others working, and says so
    // in place of its tip until another one works.
    void missingOrBrokenDevices_data()
    {
        QTest::addColumn<QStringList>("cameras");
        QTest::addColumn<QStringList>("sound");
        QTest::addColumn<QStringList>("broken");
        // What the picture and the camera, microphone and speaker lists say.
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("problems");

        const QString first = QStringLiteral("default");
        QTest::newRow("no camera")
            << QStringList() << QStringList { first } << QStringList()
            << QStringList { "未检测到摄像头", "未检测到摄像头，请连接后点击刷新", first, first }
            << QStringList();
        QTest::newRow("no sound device")
            << QStringList { "HD Camera" } << QStringList() << QStringList()
            << QStringList { "", "HD Camera", "未检测到麦克风，请连接后点击刷新",
                   "未检测到扬声器或耳机" }
            << QStringList();
        QTest::newRow("none opens")
            << QStringList { "Busy Camera" } << QStringList { first, "zov_headset" }
            << QStringList { "Busy Camera", first }
            << QStringList { "摄像头无法打开", "Busy Camera", first, first }
            << QStringList { "label_tips_camera", "label_tips_mic", "label_tips_player" };
    }

    void missingOrBrokenDevices()
    {
        QFETCH(QStringList, cameras);
        QFETCH(QStringList, sound);
        QFETCH(QStringList, broken);
        for (const QString& camera : cameras)
            m_cameras->addCamera(camera, { format(640, 480, 30) });
        m_cameras->broken = broken;
        for (const QString& device : sound) {
            if (broken.contains(device))
                m_alsa->addBroken(device);
            else
                m_alsa->addMicrophone(device, kOneBarPeak);
        }
        QVERIFY(m_alsa->install());
        if (cameras.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg,
                "void __thiscall DeviceDetect::initCameraCombox(void) not find camera");
        }
        if (sound.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg,
                "void __thiscall DeviceDetect::startMicCapture(int) index is 0 audioList 0");
        }
        const auto dialog = openDialog();
        dialog->initSpeaker();

        QCOMPARE(m_cameras->starts.size(), cameras.size());
        QTEST((QStringList { child<QLabel>(dialog.get(), "label_head")->text(),
                  child<DeviceComboBox>(dialog.get(), "cameraCombo")->shownText(),
                  child<DeviceComboBox>(dialog.get(), "micCombo")->shownText(),
                  child<DeviceComboBox>(dialog.get(), "speakerCombo")->shownText() }),
            "shown");
        QStringList problems;
        for (const char* tip : { "label_tips_camera", "label_tips_mic", "label_tips_player" }) {
            if (child<QLabel>(dialog.get(), tip)->property("problem").toBool())
                problems << QLatin1String(tip);
        }
        QTEST(problems, "problems");
        if (sound.size() < 2)
            return;
        child<DeviceComboBox>(dialog.get(), "micCombo")->setCurrentIndex(1);
        auto* micTip = child<QLabel>(dialog.get(), "label_tips_mic");
        QVERIFY(!micTip->property("problem").toBool());
        QCOMPARE(micTip->text(), QStringLiteral("需要看到波动才可以哦！"));
    }

    // Another camera starts with the switches as they are shown.
    void mirrorSwitchesFlipTheFrames_data()
    {
        QTest::addColumn<Qt::CheckState>("vertical");
        QTest::addColumn<Qt::CheckState>("horizontal");
        QTest::addColumn<int>("camera");
        QTest::addColumn<QColor>("topLeft");
        QTest::addColumn<QColor>("bottomRight");

        QTest::newRow("as opened: upright")
            << Qt::Checked << Qt::Unchecked << 0 << kTopLeft << kBottomRight;
        QTest::newRow("vertical off: as the camera sends it")
            << Qt::Unchecked << Qt::Unchecked << 0 << kBottomLeft << kTopRight;
        QTest::newRow("both on: mirrored")
            << Qt::Checked << Qt::Checked << 0 << kTopRight << kBottomLeft;
        QTest::newRow("another camera, horizontal only")
            << Qt::Unchecked << Qt::Checked << 1 << kBottomRight << kTopLeft;
    }

    void mirrorSwitchesFlipTheFrames()
    {
        QFETCH(Qt::CheckState, vertical);
        QFETCH(Qt::CheckState, horizontal);
        QFETCH(int, camera);
        QFETCH(QColor, topLeft);
        QFETCH(QColor, bottomRight);
        addStandardCameras();
        const auto dialog = openDialog();
        auto* v = child<QCheckBox>(dialog.get(), "checkBox_v");
        auto* h = child<QCheckBox>(dialog.get(), "checkBox_h");
        QCOMPARE(v->checkState(), Qt::Checked);
        QCOMPARE(h->checkState(), Qt::Unchecked);

        v->setCheckState(vertical);
        h->setCheckState(horizontal);
        child<DeviceComboBox>(dialog.get(), "cameraCombo")->setCurrentIndex(camera);
        QCOMPARE(m_cameras->listings, 1 + camera);
        QCOMPARE(m_cameras->stops, camera);
        QCOMPARE(m_cameras->starts.last().name, m_cameras->cameras.at(camera).name);
        m_cameras->deliverFrame(quarteredFrame());

        QVERIFY(sameColor(pictureColorAt(dialog.get(), true, true), topLeft));
        QVERIFY(sameColor(pictureColorAt(dialog.get(), false, false), bottomRight));
    }

    // The second microphone takes the place of the first, and the meter lights its share of
    // the bars for the tone it hears.
    void meterFollowsTheChosenMicrophone_data()
    {
        QTest::addColumn<int>("peak");
        QTest::addColumn<int>("bars");

        QTest::newRow("full") << 32767 << 45;
        QTest::newRow("just below full") << 32439 << 44;
        QTest::newRow("half") << 16384 << 22;
        QTest::newRow("quiet") << 3000 << 4;
        QTest::newRow("silent") << 0 << 0;
    }

    void meterFollowsTheChosenMicrophone()
    {
        QFETCH(int, peak);
        QFETCH(int, bars);
        m_alsa->addMicrophone(QStringLiteral("default"), kOneBarPeak);
        m_alsa->addMicrophone(QStringLiteral("zov_headset"), peak);
        QVERIFY(m_alsa->install());
        const auto dialog = openDialog();
        auto* meter = child<VolumeLabel>(dialog.get(), "volumeLabel");
        QTRY_COMPARE(meter->level(), 1);

        child<DeviceComboBox>(dialog.get(), "micCombo")->setCurrentIndex(1);
        QCOMPARE(dialog->findChildren<zov::capture::MicCapture*>().size(), 1);
        QTRY_COMPARE(meter->level(), bars);
        const QImage drawn = meter->grab().toImage();
        for (int i = 0; VolumeLabel::kBarPitch * i < drawn.width(); ++i) {
            const QColor expected = i < bars ? QColor(250, 79, 66) : QColor(96, 96, 96);
            QVERIFY2(sameColor(drawn.pixelColor(VolumeLabel::kBarPitch * i, 9), expected),
                qPrintable(QStringLiteral("bar %1").arg(i)));
        }
    }

    // The saved speaker is chosen when it is still there and plays at the test volume, which
    // every speaker gets. Another one chosen from the list takes the sound over with its own
    // volume; only a confirmed choice is saved for the next time.
    void speakerTest_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("savedAfter");

        QTest::newRow("nothing saved, confirmed")
            << QString() << 0 << "pushButton_ok" << kSpeakers.at(2);
        QTest::newRow("second saved, closed")
            << kSpeakers.at(1) << 1 << "pushButton_close" << kSpeakers.at(1);
        QTest::newRow("saved one unplugged, closed")
            << QStringLiteral("zov_bluetooth") << 0 << "pushButton_close"
            << "zov_bluetooth";
    }

    void speakerTest()
    {
        QFETCH(QString, saved);
        QFETCH(int, chosen);
        QFETCH(QString, button);
        installSpeakers();
        zov::platform::Platform::instance().writeRegistry(kRegistryKey, kSpeakerValue, saved);
        const auto dialog = openDialog();
        // A choice before the speakers are set up counts for nothing.
        QVERIFY(QMetaObject::invokeMethod(dialog.get(), "onSpeakerIndexChanged", Q_ARG(int, 2)));
        dialog->initSpeaker();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

        QVERIFY(playsAtVolume(kSpeakers.at(chosen), 35));
        auto* slider = child<QSlider>(dialog.get(), "hslider_volume");
        QCOMPARE(slider->value(), 35);
        auto* speakers = child<DeviceComboBox>(dialog.get(), "speakerCombo");
        QCOMPARE(speakers->count(), kSpeakers.size());
        QCOMPARE(speakers->shownText(), kSpeakers.at(chosen));
        for (int i = 0; i < speakers->count(); ++i)
            QCOMPARE(speakers->entry(i)->isSelected(), i == chosen);

        QTest::ignoreMessage(QtInfoMsg, "broadv speaker: \"zov_hdmi\"");
        clickSpeaker(dialog.get(), 2);
        // The entry shows its highlight before the list closes and the choice is made.
        QVERIFY(speakers->view()->isVisible());
        QVERIFY(m_alsa->played(kSpeakers.at(2)).isEmpty());
        QTRY_VERIFY(!m_alsa->played(kSpeakers.at(2)).isEmpty());
        QVERIFY(!speakers->view()->isVisible());
        QCOMPARE(speakers->shownText(), kSpeakers.at(2));
        QCOMPARE(slider->value(), 35);
        slider->setValue(80);
        QVERIFY(playsAtVolume(kSpeakers.at(2), 80));
        clickSpeaker(dialog.get(), chosen);
        QTRY_COMPARE(slider->value(), 35);
        clickSpeaker(dialog.get(), 2);
        QTRY_COMPARE(slider->value(), 80);

        child<QPushButton>(dialog.get(), qPrintable(button))->click();
        QVERIFY(!dialog->isVisible());
        QVERIFY(m_cameras->camera.isNull());
        QVERIFY(dialog->findChildren<zov::capture::MicCapture*>().isEmpty());
        const int length = m_alsa->played(kSpeakers.at(2)).size();
        QTest::qWait(100);
        QCOMPARE(m_alsa->played(kSpeakers.at(2)).size(), length);
        QTEST(zov::platform::Platform::instance()
                  .readRegistry(kRegistryKey, kSpeakerValue)
                  .toString(),
            "savedAfter");
    }

    // The speakers are not asked again, and the sound goes on.
    void refreshAsksCamerasAndMicrophonesAgain()
    {
        addStandardCameras();
        installSpeakers();
        const auto dialog = openDialog();
        dialog->initSpeaker();
        child<DeviceComboBox>(dialog.get(), "speakerCombo")->setCurrentIndex(1);
        QTRY_VERIFY(!m_alsa->played(kSpeakers.at(1)).isEmpty());
        m_cameras->addCamera(QStringLiteral("Plugged-in Camera"), { format(640, 480, 30) });
        m_alsa->addMicrophone(QStringLiteral("zov_plugged_in"), kOneBarPeak);
        QVERIFY(m_alsa->install());
        const int played = m_alsa->played(kSpeakers.at(1)).size();

        child<QPushButton>(dialog.get(), "pushButton_refrash")->click();

        QCOMPARE(child<DeviceComboBox>(dialog.get(), "cameraCombo")->count(), 3);
        QCOMPARE(child<DeviceComboBox>(dialog.get(), "micCombo")->count(), kSpeakers.size() + 1);
        QCOMPARE(m_cameras->starts.last().name, QStringLiteral("HD Camera"));
        QCOMPARE(child<DeviceComboBox>(dialog.get(), "micCombo")->shownText(), kSpeakers.first());
        QVERIFY(m_alsa->played(kSpeakers.at(1)).size() >= played);
        auto* speakers = child<DeviceComboBox>(dialog.get(), "speakerCombo");
        QCOMPARE(speakers->count(), kSpeakers.size());
        QCOMPARE(speakers->shownText(), kSpeakers.at(1));
        QCOMPARE(child<QCheckBox>(dialog.get(), "checkBox_v")->isChecked(), true);
    }

private:
    void addStandardCameras()
    {
        m_cameras->addCamera(QStringLiteral("HD Camera"),
            { format(640, 480, 30), format(1280, 720, 30), format(320, 240, 15) });
        m_cameras->addCamera(QStringLiteral("USB Camera"),
            { format(160, 120, 30), format(640, 480, 5), format(640, 480, 15),
                format(1280, 720, 30) });
    }

    void installSpeakers()
    {
        for (const QString& speaker : kSpeakers)
            m_alsa->addSpeaker(speaker);
        QVERIFY(m_alsa->install());
    }

    // Whether speaker comes to play the test sound scaled to volume percent.
    bool playsAtVolume(const QString& speaker, int volume)
    {
        QFile sound(QStringLiteral(":/detect/devicedetect/test.pcm"));
        const QByteArray samples = sound.open(QIODevice::ReadOnly) ? sound.readAll() : QByteArray();
        const int expected = peakOf(samples) * volume / 100;
        return QTest::qWaitFor([&] {
            const QByteArray played = m_alsa->played(speaker);
            return played.size() >= samples.size()
                && qAbs(peakOf(played.right(samples.size())) - expected) <= 1;
        });
    }

    std::unique_ptr<DeviceDetect> openDialog() { return std::make_unique<DeviceDetect>(nullptr); }

    QColor pictureColorAt(DeviceDetect* dialog, bool top, bool left)
    {
        const QImage picture
            = child<QLabel>(dialog, "label_head")->pixmap(Qt::ReturnByValue).toImage();
        const int x = left ? 4 : picture.width() - 5;
        const int y = top ? 4 : picture.height() - 5;
        return picture.pixelColor(x, y);
    }

    void clickSpeaker(DeviceDetect* dialog, int index)
    {
        auto* speakers = child<DeviceComboBox>(dialog, "speakerCombo");
        speakers->showPopup();
        QTest::mouseClick(speakers->entry(index)->findChild<MyLabel*>(), Qt::LeftButton);
    }

    TestEnvironment m_env;
    std::optional<ScriptedCameras> m_cameras;
    std::optional<AlsaTestDevices> m_alsa;
};

QTEST_MAIN(DeviceDetectTest)
#include "tst_devicedetect.moc"
