#include "FakeHardwarePlatform.h"
#include "LocalService.h"
#include "TestEnvironment.h"

#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "devicedetect/HardwareInfo.h"
#include "devicedetect/HardwareResultView.h"
#include "devicedetect/HardwareVerdict.h"

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

QJsonObject replyWithData(const QJsonValue& data)
{
    return { { QStringLiteral("code"), 0 }, { QStringLiteral("data"), data } };
}

QJsonValue replyWithVerdict(const QJsonValue& verdict)
{
    return replyWithData(QJsonObject { { QStringLiteral("test_result_str"), verdict } });
}

// What the notice showed while it was open.
struct Notice
{
    bool modal = false;
    bool centred = false;
    QString hardwareIcon;
    bool hardwareRecommend = false;
    QString hardwareValue;
    QString displayIcon;
    bool displayRecommend = false;
    QString displayValue;
    // Both labels of a recommendation show or hide together.
    bool paired = true;
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

bool bothShown(const QWidget& view, const char* first, const char* second, bool& paired)
{
    const bool a = child<QLabel>(view, first)->isVisibleTo(&view);
    const bool b = child<QLabel>(view, second)->isVisibleTo(&view);
    paired = paired && a == b;
    return a && b;
}

Notice readNotice(const HardwareResultView& view)
{
    Notice notice;
    notice.modal = QApplication::activeModalWidget() == &view;
    const QPoint offset
        = view.frameGeometry().center() - view.screen()->availableGeometry().center();
    notice.centred = qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1;
    notice.hardwareIcon = iconName(child<QLabel>(view, "label_hardware_ico"));
    notice.hardwareRecommend
        = bothShown(view, "label_hardware_recommend", "label_hardware_recommend2", notice.paired);
    notice.hardwareValue = child<QLabel>(view, "label_hardware_val")->text();
    notice.displayIcon = iconName(child<QLabel>(view, "label_display_ico"));
    notice.displayRecommend = bothShown(
        view, "label_resolution_recommend", "label_resolution_recommend2", notice.paired);
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
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        zov::network::NetworkHelper::initialize();
        Context::instance()->data().getDeviceScore = m_service.apiBaseUrl().toString() + kScorePath;
    }

    void replyGivesResult_data()
    {
        QTest::addColumn<QJsonValue>("reply");
        QTest::addColumn<int>("result");
        QTest::newRow("meets") << replyWithVerdict(QStringLiteral("达标")) << 1;
        QTest::newRow("recommendation passes") << replyWithVerdict(QStringLiteral("建议")) << 1;
        QTest::newRow("does not meet") << replyWithVerdict(QStringLiteral("不达标")) << 0;
        QTest::newRow("padded text") << replyWithVerdict(QStringLiteral(" 达标")) << -1;
        QTest::newRow("number") << replyWithVerdict(1) << -1;
        QTest::newRow("no verdict") << QJsonValue(replyWithData(QJsonObject())) << -1;
        QTest::newRow("data not an object")
            << QJsonValue(replyWithData(QStringLiteral("达标"))) << -1;
        QTest::newRow("no reply") << QJsonValue() << -1;
    }

    void replyGivesResult()
    {
        QFETCH(QJsonValue, reply);
        QFETCH(int, result);
        QCOMPARE(HardwareVerdict::fromReply(reply), result);
    }

    void processorNameFromToolOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("name");
        // The Windows tool pads its columns and ends lines with "\r\r\n".
        QTest::newRow("one processor, blanks kept")
            << "Name                                      \r\r\n"
               "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  \r\r\n\r\r\n"
            << "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  ";
        QTest::newRow("the last matching line wins")
            << "Name\r\nIntel(R) Xeon(R) CPU E5-2620 0 @ 2.00GHz\r\n"
               "Intel(R) Xeon(R) CPU E5-2630 0 @ 2.30GHz\r\n"
            << "Intel(R) Xeon(R) CPU E5-2630 0 @ 2.30GHz";
        QTest::newRow("name without the word is unknown")
            << "Name\r\nAMD Ryzen 5 3600 6-Core Processor\r\n"
            << QString();
        QTest::newRow("the word is case-sensitive") << "Name\r\nSome cpu 3GHz\r\n" << QString();
        QTest::newRow("carriage returns inside the line go") << "Name\r\nIntel\r CPU\r\r"
                                                             << "Intel CPU";
    }

    void processorNameFromToolOutput()
    {
        QFETCH(QString, output);
        QFETCH(QString, name);
        QCOMPARE(HardwareInfo::processorNameFromOutput(output), name);
    }

    void memoryTextInGib_data()
    {
        QTest::addColumn<quint64>("available");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("rounded to two places")
            << quint64(2143000000) << quint64(17173000000) << "可用 2.00 GB / 共 15.99 GB";
        QTest::newRow("one byte short of 4 GiB")
            << quint64(0) << (4 * kGib - 1) << "可用 0.00 GB / 共 4.00 GB";
        QTest::newRow("decimal gigabytes are not GiB")
            << quint64(1000000000) << quint64(4000000000) << "可用 0.93 GB / 共 3.73 GB";
    }

    void memoryTextInGib()
    {
        QFETCH(quint64, available);
        QFETCH(quint64, total);
        QFETCH(QString, text);
        QCOMPARE(HardwareInfo::memoryText({ total, available }), text);
    }

    void reportCarriesMemoryAndProcessor()
    {
        QVERIFY(m_service.setDeviceScore(QStringLiteral("达标")));
        const FakeHardwarePlatform platform(
            QStringLiteral("Name                                      \r\r\n") + kProcessor
                + QStringLiteral("  \r\r\n\r\r\n"),
            { 8 * kGib, 7 * kGib / 2 }, QSize(1920, 1080));
        HardwareResultView view(nullptr);
        view.setPlatform(platform);
        QPointer<QObject> helper;
        const ReportRun run = runReport(view, &helper);
        QVERIFY(run.handled);
        QVERIFY(run.notices.isEmpty());

        const QJsonObject request = m_service.lastRequest(kScorePath);
        QCOMPARE(request.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
        QCOMPARE(request.value(QStringLiteral("headers"))
                     .toObject()
                     .value(QStringLiteral("Content-Type"))
                     .toString(),
            QStringLiteral("application/json"));
        const QJsonObject report = reportOf(request);
        QCOMPARE(request.value(QStringLiteral("body")).toString().toUtf8(),
            QJsonDocument(report).toJson(QJsonDocument::Compact));
        QCOMPARE(report,
            (QJsonObject { { QStringLiteral("cpuType"), kProcessor + QStringLiteral("  ") },
                { QStringLiteral("memory"), QStringLiteral("可用 3.50 GB / 共 8.00 GB") } }));
        QTRY_VERIFY(helper.isNull());
    }

    void verdictAndScreenDecideTheNotice_data()
    {
        QTest::addColumn<QJsonValue>("verdict");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("hardwareIcon");
        QTest::addColumn<bool>("hardwareRecommend");
        QTest::addColumn<QString>("hardwareValue");
        QTest::addColumn<QString>("displayIcon");
        QTest::addColumn<bool>("displayRecommend");

        const QString hardware
            = QStringLiteral("CPU：") + kProcessor + QStringLiteral(" ，内存：8.00 GB");
        const QString unknown = QStringLiteral("无法检测到硬件信息");
        const QString ok = QStringLiteral("device_ok");
        const QString bad = QStringLiteral("device_not_support");
        const QString undetermined = QStringLiteral("device_unknow");
        const QJsonValue meets(QStringLiteral("达标"));
        const QJsonValue advice(QStringLiteral("建议"));
        const QJsonValue fails(QStringLiteral("不达标"));

        QTest::newRow("meets on 1920x1080")
            << meets << false << QSize(1920, 1080) << false << QString() << false << QString()
            << QString() << false;
        QTest::newRow("advice passes on 1366x768")
            << advice << false << QSize(1366, 768) << false << QString() << false << QString()
            << QString() << false;
        QTest::newRow("meets on 2560x1440") << meets << false << QSize(2560, 1440) << true << ok
                                            << false << hardware << bad << true;
        QTest::newRow("does not meet on 1920x1080") << fails << false << QSize(1920, 1080) << true
                                                    << bad << true << hardware << ok << false;
        QTest::newRow("does not meet on 1920x1200") << fails << false << QSize(1920, 1200) << true
                                                    << bad << true << hardware << bad << true;
        QTest::newRow("missing verdict on 1920x1080")
            << QJsonValue(QJsonValue::Undefined) << false << QSize(1920, 1080) << true
            << undetermined << true << unknown << ok << false;
        QTest::newRow("failed request on 1920x1080")
            << meets << true << QSize(1920, 1080) << true << undetermined << true << unknown << ok
            << false;
    }

    void verdictAndScreenDecideTheNotice()
    {
        QFETCH(QJsonValue, verdict);
        QFETCH(bool, fail);
        QFETCH(QSize, screen);
        QFETCH(bool, shown);

        QVERIFY(m_service.setDeviceScore(verdict, fail));
        const FakeHardwarePlatform platform(
            QStringLiteral("Name\r\r\n") + kProcessor + QStringLiteral("\r\r\n"),
            { 8 * kGib, 3 * kGib }, screen);
        HardwareResultView view(nullptr);
        view.setPlatform(platform);
        const ReportRun run = runReport(view);
        QVERIFY(run.handled);

        QCOMPARE(run.notices.size(), shown ? 1 : 0);
        if (!shown)
            return;
        const Notice& notice = run.notices.first();
        QVERIFY(notice.paired);
        QVERIFY(notice.modal);
        QVERIFY(notice.centred);
        QTEST(notice.hardwareIcon, "hardwareIcon");
        QTEST(notice.hardwareRecommend, "hardwareRecommend");
        QTEST(notice.hardwareValue, "hardwareValue");
        QTEST(notice.displayIcon, "displayIcon");
        QTEST(notice.displayRecommend, "displayRecommend");
        QCOMPARE(notice.displayValue,
            QStringLiteral("分辨率: %1x%2").arg(screen.width()).arg(screen.height()));
        QCOMPARE(view.result(), int(QDialog::Accepted));
        QVERIFY(!view.isVisible());
    }

    // The system's own processor, memory and screen, with a verdict that always
    // brings the notice up.
    void realComputerEndToEnd()
    {
        QVERIFY(m_service.setDeviceScore(QStringLiteral("不达标")));
        HardwareResultView view(nullptr);
        const ReportRun run = runReport(view);
        QVERIFY(run.handled);
        QCOMPARE(run.notices.size(), 1);

        const HardwareInfo info(zov::platform::Platform::instance());
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen->geometry().size() * screen->devicePixelRatio();
        const Notice& notice = run.notices.first();
        QVERIFY(notice.paired);
        QCOMPARE(notice.hardwareIcon, QStringLiteral("device_not_support"));
        QCOMPARE(notice.displayIcon,
            HardwareVerdict::isDisplaySupported(size) ? QStringLiteral("device_ok")
                                                      : QStringLiteral("device_not_support"));
        QCOMPARE(notice.hardwareValue,
            QStringLiteral("CPU：%1 ，内存：%2 GB")
                .arg(info.processorName(), info.totalMemoryText()));
        QCOMPARE(notice.displayValue,
            QStringLiteral("分辨率: %1x%2").arg(size.width()).arg(size.height()));

        const QJsonObject report = reportOf(m_service.lastRequest(kScorePath));
        QCOMPARE(report.value(QStringLiteral("cpuType")).toString(), info.processorName());
        const QRegularExpression memory(
            QStringLiteral("^可用 \\d+\\.\\d\\d GB / 共 %1 GB$")
                .arg(QRegularExpression::escape(info.totalMemoryText())));
        const QString memoryText = report.value(QStringLiteral("memory")).toString();
        QVERIFY2(memory.match(memoryText).hasMatch(), qPrintable(memoryText));
    }

    // A later result must undo what an earlier one showed.
    void rowsFollowTheLatestResult()
    {
        HardwareResultView view(nullptr);
        view.setResult(false, HardwareVerdict::kUnknown, 1280, 720, QStringLiteral("ignored"));
        view.setResult(
            true, HardwareVerdict::kSupported, 1366, 768, QStringLiteral("CPU：x ，内存：4.00 GB"));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const Notice notice = readNotice(view);
        QVERIFY(notice.paired);
        QCOMPARE(notice.hardwareIcon, QStringLiteral("device_ok"));
        QVERIFY(!notice.hardwareRecommend);
        QCOMPARE(notice.hardwareValue, QStringLiteral("CPU：x ，内存：4.00 GB"));
        QCOMPARE(notice.displayIcon, QStringLiteral("device_ok"));
        QVERIFY(!notice.displayRecommend);
        QCOMPARE(notice.displayValue, QStringLiteral("分辨率: 1366x768"));
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
