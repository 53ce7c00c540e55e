#include "LocalService.h"
#include "TestEnvironment.h"

#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "devicedetect/HardwareInfo.h"
#include "devicedetect/HardwareResultView.h"
#include "platform/LinuxPlatform.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

const QString kScorePath = QStringLiteral("/olbusiness/api/device/score");
const QString kProcessor = QStringLiteral("Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
constexpr quint64 kGib = quint64(1) << 30;

// This system's platform with the processor, memory and screen a test chooses, so that
// the hardware check can be run against computers this one is not.
class FakeHardwarePlatform : public zov::platform::LinuxPlatform
{
public:
    FakeHardwarePlatform(
        const QString& processorOutput, zov::platform::MemoryStatus memory, const QSize& screenSize)
        : m_processorOutput(processorOutput)
        , m_memory(memory)
        , m_screenSize(screenSize)
    { }

    zov::platform::MemoryStatus memoryStatus() const override { return m_memory; }
    QSize primaryScreenSize() const override { return m_screenSize; }
    QString processorQueryOutput() const override { return m_processorOutput; }

private:
    QString m_processorOutput;
    zov::platform::MemoryStatus m_memory;
    QSize m_screenSize;
};

// What the notice showed while it was open; icons names each row's icon, followed by "+"
// when both labels of its recommendation show and "!" when only one does.
struct Notice
{
    bool modal = false;
    bool centred = false;
    QString icons;
    QString hardwareValue;
    QString displayValue;
};

// One report, from sending to the handled reply.
struct ReportRun
{
    bool handled = false;
    QList<Notice> notices;
};

template<typename T> T* child(const QWidget& view, const char* name)
{
    return view.findChild<T*>(QString::fromLatin1(name));
}

QString iconName(const QLabel* label)
{
    const QImage shown = label->pixmap(Qt::ReturnByValue).toImage();
    for (const char* name : { "device_ok", "device_not_support", "device_unknow" }) {
        const QString path = QStringLiteral(":/res/%1.png").arg(QLatin1String(name));
        if (!shown.isNull() && shown == QPixmap(path).toImage())
            return QString::fromLatin1(name);
    }
    return QStringLiteral("none");
}

QString rowMarks(const QWidget& view, const char* icon, const char* first, const char* second)
{
    const bool a = child<QLabel>(view, first)->isVisibleTo(&view);
    const bool b = child<QLabel>(view, second)->isVisibleTo(&view);
    return iconName(child<QLabel>(view, icon)) + (a && b ? "+" : (a || b ? "!" : ""));
}

Notice readNotice(const HardwareResultView& view)
{
    Notice notice;
    notice.modal = QApplication::activeModalWidget() == &view;
    const QPoint offset
        = view.frameGeometry().center() - view.screen()->availableGeometry().center();
    notice.centred = qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1;
    notice.icons = rowMarks(view, "label_hardware_ico", "label_hardware_recommend",
                       "label_hardware_recommend2")
        + QLatin1Char(' ')
        + rowMarks(
            view, "label_display_ico", "label_resolution_recommend", "label_resolution_recommend2");
    notice.hardwareValue = child<QLabel>(view, "label_hardware_val")->text();
    notice.displayValue = child<QLabel>(view, "label_display_val")->text();
    return notice;
}

QJsonObject reportOf(const QJsonObject& request)
{
    return QJsonDocument::fromJson(request.value(QStringLiteral("body")).toString().toUtf8())
        .object();
}

} // namespace

// The hardware check: how the service's verdict and the screen are judged, and the report
// against the local service with the notice answered the way a student would, by
// clicking "知道了".
class HardwareCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        // The closed notice is the last window: it must not end the event loops the service's
        // control requests run in.
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        zov::network::NetworkHelper::initialize();
        Context::instance()->data().getDeviceScore = m_service.apiBaseUrl().toString() + kScorePath;
    }

    // What the report and the notice say of the processor and memory the platform gives.
    void hardwareInfoTexts_data()
    {
        QTest::addColumn<QString>("processorOutput");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<quint64>("available");
        QTest::addColumn<QString>("processor");
        QTest::addColumn<QString>("memory");
        // The Windows tool pads its columns and ends lines with "\r\r\n".
        QTest::newRow("one processor, blanks kept, rounded to two places")
            << "Name                                      \r\r\n"
               "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  \r\r\n\r\r\n"
            << quint64(17173000000) << quint64(2143000000)
            << "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  "
            << "可用 2.00 GB / 共 15.99 GB";
        QTest::newRow("the last matching line wins, one byte short of 4 GiB")
            << "Name\r\nIntel(R) Xeon(R) CPU E5-2620 0 @ 2.00GHz\r\n"
               "Intel(R) Xeon(R) CPU E5-2630 0 @ 2.30GHz\r\n"
            << (4 * kGib - 1) << quint64(0) << "Intel(R) Xeon(R) CPU E5-2630 0 @ 2.30GHz"
            << "可用 0.00 GB / 共 4.00 GB";
        QTest::newRow("name without the word is unknown, decimal gigabytes are not GiB")
            << "Name\r\nAMD Ryzen 5 3600 6-Core Processor\r\n"
            << quint64(4000000000) << quint64(1000000000) << QString()
            << "可用 0.93 GB / 共 3.73 GB";
        QTest::newRow("the word is case-sensitive")
            << "Name\r\nSome cpu 3GHz\r\n"
            << kGib << kGib << QString() << "可用 1.00 GB / 共 1.00 GB";
        QTest::newRow("carriage returns inside the line go")
            << "Name\r\nIntel\r CPU\r\r" << kGib << kGib << "Intel CPU"
            << "可用 1.00 GB / 共 1.00 GB";
    }

    void hardwareInfoTexts()
    {
        QFETCH(QString, processorOutput);
        QFETCH(quint64, total);
        QFETCH(quint64, available);
        const FakeHardwarePlatform platform(processorOutput, { total, available }, QSize());
        const HardwareInfo info(platform);
        QTEST(info.processorName(), "processor");
        QTEST(info.memoryText(), "memory");
    }

    void verdictAndScreenDecideTheNotice_data()
    {
        QTest::addColumn<QJsonValue>("verdict");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<QSize>("screen");
        // Empty when no notice comes up.
        QTest::addColumn<QString>("icons");
        QTest::addColumn<QString>("hardwareValue");

        const QString hardware
            = QStringLiteral("CPU：") + kProcessor + QStringLiteral("   ，内存：8.00 GB");
        const QString unknown = QStringLiteral("无法检测到硬件信息");
        const QString unsure = QStringLiteral("device_unknow+ device_ok");
        const QJsonValue meets(QStringLiteral("达标"));
        const QJsonValue fails(QStringLiteral("不达标"));
        const QSize usual(1920, 1080);

        QTest::newRow("meets on 1920x1080") << meets << false << usual << QString() << QString();
        QTest::newRow("advice passes on 1366x768") << QJsonValue(QStringLiteral("建议")) << false
                                                   << QSize(1366, 768) << QString() << QString();
        QTest::newRow("meets on 2560x1440")
            << meets << false << QSize(2560, 1440) << "device_ok device_not_support+" << hardware;
        QTest::newRow("does not meet on 1920x1080")
            << fails << false << usual << "device_not_support+ device_ok" << hardware;
        QTest::newRow("does not meet on 1920x1200")
            << fails << false << QSize(1920, 1200) << "device_not_support+ device_not_support+"
            << hardware;
        QTest::newRow("missing verdict")
            << QJsonValue(QJsonValue::Undefined) << false << usual << unsure << unknown;
        QTest::newRow("padded verdict")
            << QJsonValue(QStringLiteral(" 达标")) << false << usual << unsure << unknown;
        QTest::newRow("verdict as a number")
            << QJsonValue(1) << false << usual << unsure << unknown;
        QTest::newRow("failed request") << meets << true << usual << unsure << unknown;
    }

    // Every report carries the processor and memory, whatever the reply then says.
    void verdictAndScreenDecideTheNotice()
    {
        QFETCH(QJsonValue, verdict);
        QFETCH(bool, fail);
        QFETCH(QSize, screen);
        QFETCH(QString, icons);

        QVERIFY(m_service.setDeviceScore(verdict, fail));
        const FakeHardwarePlatform platform(
            QStringLiteral("Name                                      \r\r\n") + kProcessor
                + QStringLiteral("  \r\r\n\r\r\n"),
            { 8 * kGib, 7 * kGib / 2 }, screen);
        HardwareResultView view(nullptr);
        view.setPlatform(platform);
        QPointer<QObject> helper;
        const ReportRun run = runReport(view, &helper);
        QVERIFY(run.handled);
        QTRY_VERIFY(helper.isNull());

        const QJsonObject request = m_service.lastRequest(kScorePath);
        QCOMPARE(request.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
        QCOMPARE(request.value(QStringLiteral("headers"))
                     .toObject()
                     .value(QStringLiteral("Content-Type"))
                     .toString(),
            QStringLiteral("application/json"));
        QCOMPARE(request.value(QStringLiteral("body")).toString().toUtf8(),
            QJsonDocument(
                QJsonObject { { QStringLiteral("cpuType"), kProcessor + QStringLiteral("  ") },
                    { QStringLiteral("memory"), QStringLiteral("可用 3.50 GB / 共 8.00 GB") } })
                .toJson(QJsonDocument::Compact));

        QCOMPARE(run.notices.size(), icons.isEmpty() ? 0 : 1);
        if (icons.isEmpty())
            return;
        const Notice& notice = run.notices.first();
        QVERIFY(notice.modal);
        QVERIFY(notice.centred);
        QCOMPARE(notice.icons, icons);
        QTEST(notice.hardwareValue, "hardwareValue");
        QCOMPARE(notice.displayValue,
            QStringLiteral("分辨率: %1x%2").arg(screen.width()).arg(screen.height()));
        QCOMPARE(view.result(), int(QDialog::Accepted));
        QVERIFY(!view.isVisible());
    }

    // The system's own processor, memory and screen, with a verdict that always brings the
    // notice up: the notice repeats the processor the report named.
    void realComputerEndToEnd()
    {
        QVERIFY(m_service.setDeviceScore(QStringLiteral("不达标")));
        HardwareResultView view(nullptr);
        const ReportRun run = runReport(view);
        QVERIFY(run.handled);
        QCOMPARE(run.notices.size(), 1);

        QFile meminfo(QStringLiteral("/proc/meminfo"));
        QVERIFY(meminfo.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch kilobytes
            = QRegularExpression(QStringLiteral("MemTotal:\\s+(\\d+) kB"))
                  .match(QString::fromLatin1(meminfo.readAll()));
        QVERIFY(kilobytes.hasMatch());
        const QString total
            = QString::asprintf("%.2f", kilobytes.captured(1).toDouble() / (1 << 20));
        const QJsonObject report = reportOf(m_service.lastRequest(kScorePath));

        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen->geometry().size() * screen->devicePixelRatio();
        const bool usualScreen = size == QSize(1920, 1080) || size == QSize(1366, 768);
        const Notice& notice = run.notices.first();
        QCOMPARE(notice.icons,
            usualScreen ? QStringLiteral("device_not_support+ device_ok")
                        : QStringLiteral("device_not_support+ device_not_support+"));
        QCOMPARE(notice.hardwareValue,
            QStringLiteral("CPU：%1 ，内存：%2 GB")
                .arg(report.value(QStringLiteral("cpuType")).toString(), total));
        QCOMPARE(notice.displayValue,
            QStringLiteral("分辨率: %1x%2").arg(size.width()).arg(size.height()));
    }

private:
    // Sends the report and waits until its reply has been handled, clicking "知道了" on
    // every notice that comes up meanwhile.
    ReportRun runReport(HardwareResultView& view, QPointer<QObject>* helperOut = nullptr)
    {
        view.sendDeviceInfo();
        auto* helper = view.findChild<zov::network::NetworkHelper*>();
        if (!helper)
            return {};
        if (helperOut)
            *helperOut = helper;
        // Connected after the view's own handler: it records once the notice has closed.
        QSignalSpy handled(helper, &zov::network::NetworkHelper::httpFinished);

        ReportRun run;
        QTimer watcher;
        watcher.setInterval(10);
        connect(&watcher, &QTimer::timeout, &view, [&] {
            // A click before the window is mapped would be answered by the X server
            // refusing the focus change.
            if (!view.isVisible() || !view.windowHandle()->isExposed())
                return;
            run.notices.append(readNotice(view));
            QTest::mouseClick(child<QPushButton>(view, "btn_iknow"), Qt::LeftButton);
        });
        watcher.start();
        run.handled = handled.wait(20000);
        return run;
    }

    TestEnvironment m_env;
    LocalService m_service;
};

QTEST_MAIN(HardwareCheckTest)
#include "tst_hardwarecheck.moc"
