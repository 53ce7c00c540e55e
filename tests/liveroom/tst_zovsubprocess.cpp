#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "liveroom/ZovSubProcess.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <cerrno>
#include <memory>
#include <signal.h>

using zov::network::NetworkHelper;

using testfiles::readFile;
using testfiles::writeFile;

namespace {

constexpr int kWaitMs = 30000;
const QString kRecvPrefix = QStringLiteral("main recv cmd, ");
const QString kOutputPrefix = QStringLiteral("SubProcess:");
const QString kConnectedLine = QStringLiteral("ctrl socket connected.");
const QString kHidden = QStringLiteral("visible:false");
const QString kShown = QStringLiteral("visible:true");
const QString kReset = QStringLiteral("reset");

QStringList s_log;
QtMessageHandler s_previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    s_log.append(msg);
    if (s_previousHandler)
        s_previousHandler(type, context, msg);
}

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool processGone(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

QJsonObject lessonParams(int planId = 4711)
{
    return { { QStringLiteral("planId"), planId }, { QStringLiteral("course_type"), 2 },
        { QStringLiteral("grade_type"), 3 },
        { QStringLiteral("oltoken"), QStringLiteral("ol-tok") },
        { QStringLiteral("teacher"),
            QJsonObject { { QStringLiteral("name"), QStringLiteral("王老师") },
                { QStringLiteral("tags"), QJsonArray { 1, 2 } } } },
        // Keys the launcher owns: the page's values must not reach the live room.
        { QStringLiteral("bizId"), 9 }, { QStringLiteral("host"), QStringLiteral("page-host") } };
}

ContextData configuredContext()
{
    ContextData data;
    data.host = QStringLiteral("https://127.0.0.1:8443");
    data.courseInfoUrl = data.host + QStringLiteral("/olbusiness/api/course/info");
    data.startSingleVideoUrl = data.host + QStringLiteral("/olbusiness/api/video/start");
    data.endSingleVideoUrl = data.host + QStringLiteral("/olbusiness/api/video/end");
    data.getUploadConfigUrl = data.host + QStringLiteral("/olbusiness/api/upload/config");
    data.logFileName = QStringLiteral("student_2026_12_04_13_05_20.txt");
    data.evaluationUrl = data.host + QStringLiteral("/evaluate/index.html");
    data.getOlMaidianUrl = data.host + QStringLiteral("/olbusiness/api/maidian");
    data.rdUrlList = QJsonArray { QStringLiteral("https://rd1.example/x"),
        QStringLiteral("https://rd2.example/y") };
    return data;
}

QJsonObject step(const QString& key, const QJsonValue& value)
{
    return { { key, value } };
}

const QJsonObject kConnect = step(QStringLiteral("connect"), true);
const QJsonObject kClickEnter = step(QStringLiteral("click"), QStringLiteral("enter"));

} // namespace

// The launcher against the real live-room program, played through its script steps.
class ZovSubProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::exists(QStringLiteral(ZOV_LIVEROOM_PROGRAM)));
        s_previousHandler = qInstallMessageHandler(captureMessage);
        NetworkHelper::initialize();
    }

    void cleanupTestCase()
    {
        NetworkHelper::cleanup();
        qInstallMessageHandler(s_previousHandler);
    }

    // Each test gets its own current folder (data.json is written there) holding a link to
    // the program, and its own TMPDIR, where the control sockets live.
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        QVERIFY(m_env->isValid());
        m_env->apply();
        // Without it every Qt program warns on standard error, which the launcher logs.
        const QString runtime = m_env->root() + QStringLiteral("/runtime");
        QVERIFY(QDir().mkpath(runtime));
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

        m_work = m_env->root() + QStringLiteral("/work");
        QVERIFY(QDir().mkpath(m_work));
        QVERIFY(QFile::link(QStringLiteral(ZOV_LIVEROOM_PROGRAM), workPath(programName())));
        QVERIFY(QDir::setCurrent(m_work));

        Context::instance()->data() = configuredContext();
        s_log.clear();
        m_events.clear();
        m_subProcess = std::make_unique<ZovSubProcess>();
        watch(m_subProcess.get());
    }

    void cleanup()
    {
        // The live rooms end quietly, so their ends do not reach the launcher being torn down.
        for (QProcess* process : runningLiveRooms()) {
            process->disconnect();
            process->kill();
            process->waitForFinished(kWaitMs);
        }
        m_subProcess.reset();
        qunsetenv("ZOV_LIVEROOM_SCRIPT");
        QDir::setCurrent(QStringLiteral(ZOV_LIVEROOM_PROGRAM_DIR));
        m_env.reset();
    }

    void parameterFile_data()
    {
        QTest::addColumn<bool>("dpi");
        QTest::addColumn<QString>("dpiText");
        QTest::newRow("dpi flag clear") << false << QStringLiteral("close");
        QTest::newRow("dpi flag set") << true << QStringLiteral("open");
    }

    void parameterFile()
    {
        QFETCH(bool, dpi);
        QFETCH(QString, dpiText);
        Context::instance()->data().dpi = dpi;
        QVERIFY(writeFile(workPath(QStringLiteral("data.json")), QByteArray(8192, 'x')));

        start({});

        const QByteArray text = readFile(workPath(QStringLiteral("data.json")));
        QCOMPARE(int(QFileInfo(workPath(QStringLiteral("data.json"))).permissions() & 0x0077), 0);
        const QJsonObject written = QJsonDocument::fromJson(text).object();
        QCOMPARE(text, QJsonDocument(written).toJson(QJsonDocument::Compact));

        const ContextData& context = Context::instance()->data();
        QJsonObject expected = lessonParams();
        expected.insert(QStringLiteral("bizId"), 5);
        expected.insert(QStringLiteral("dpi"), dpiText);
        expected.insert(QStringLiteral("ipcName"), written.value(QStringLiteral("ipcName")));
        expected.insert(QStringLiteral("version"), QStringLiteral(ZOV_APP_VERSION));
        expected.insert(QStringLiteral("host"), context.host);
        expected.insert(QStringLiteral("enterRoomUrl"), context.courseInfoUrl);
        expected.insert(QStringLiteral("startSingleRecord"), context.startSingleVideoUrl);
        expected.insert(QStringLiteral("stopSingleRecord"), context.endSingleVideoUrl);
        expected.insert(QStringLiteral("strGetUploadConfigUrl"), context.getUploadConfigUrl);
        expected.insert(QStringLiteral("strLogPath"), context.logFileName);
        expected.insert(QStringLiteral("classEvaluationUrl"), context.evaluationUrl);
        expected.insert(QStringLiteral("strOlMaiDianUrl"), context.getOlMaidianUrl);
        expected.insert(QStringLiteral("urlArray"), context.rdUrlList);
        QCOMPARE(written, expected);

        // The program gets the same text as its one argument.
        const QStringList starts = logLinesAfter(QStringLiteral("Subprocess start:"));
        QCOMPARE(starts.size(), 1);
        QVERIFY(starts.first().contains(QString::fromUtf8(text)));
        QVERIFY(starts.first().endsWith(QStringLiteral("planId 4711")));
        QVERIFY(waitForStartLine(written.value(QStringLiteral("ipcName")).toString()));
    }

    // What the live room writes, a pause between the writes; the lines the launcher logs
    // and what it reports.
    void controlLines_data()
    {
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QStringList>("received");
        QTest::addColumn<QStringList>("events");

        const QString enter = R"({"type":"enterRoom"})";
        const QString leave = R"({"sid":"s-1","type":"leaveRoom"})";
        const QString toEvaluation
            = R"({"evaluationUrl":"https://e.example/1","sid":"s-2","type":"leaveRoom"})";
        const QString nullUrl = R"({"evaluationUrl":null,"sid":"s-3","type":"leaveRoom"})";
        const QString chinese
            = R"({"evaluationUrl":"https://e.example/评价","sid":"课堂-4","type":"leaveRoom"})";
        const QString evaluation = QStringLiteral("evaluation:");
        const auto row = [](const char* tag, const QStringList& writes, const QStringList& received,
                             const QStringList& events) {
            QTest::newRow(tag) << writes << received << events;
        };

        row("enterRoom hides the window", { enter + '\n' }, { enter }, { kHidden });
        row("leaveRoom without evaluationUrl only resets", { leave + '\n' }, { leave }, { kReset });
        row("leaveRoom with evaluationUrl switches to the evaluation", { toEvaluation + '\n' },
            { toEvaluation }, { evaluation + toEvaluation, kReset });
        row("a null evaluationUrl is still present", { nullUrl + '\n' }, { nullUrl },
            { evaluation + nullUrl, kReset });
        row("UTF-8 text", { chinese + '\n' }, { chinese }, { evaluation + chinese, kReset });
        row("two lines in one write", { enter + '\n' + leave + '\n' }, { enter, leave },
            { kHidden, kReset });
        row("a line split across writes", { "{\"type\":\"ent", "erRoom\"}\n" }, { enter },
            { kHidden });
        row("a whole line and the start of the next in one write",
            { enter + "\n{\"sid\":\"s-1\",", "\"type\":\"leaveRoom\"}\n" }, { enter, leave },
            { kHidden, kReset });
        row("a line that is not JSON is logged and skipped", { "hello live room\n", enter + '\n' },
            { "hello live room", enter }, { kHidden });
        row("white space and CR LF around a line", { "  \t" + enter + "   \r\n" }, { enter },
            { kHidden });
        row("arrays, unknown types and cut objects do nothing",
            { "[1,2]\n{\"type\":\"getInfo\"}\n{\"type\":\"enterRoom\"\n\n" },
            { "[1,2]", R"({"type":"getInfo"})", "{\"type\":\"enterRoom\"", "" }, {});
    }

    void controlLines()
    {
        QFETCH(QStringList, writes);
        QFETCH(QStringList, received);
        QFETCH(QStringList, events);

        // Lines are handled in order: once this one is logged, all before it are done.
        const QString marker = R"({"type":"lessonTick"})";
        QJsonArray script { kConnect };
        for (const QString& write : qAsConst(writes)) {
            if (script.size() > 1)
                script.append(step(QStringLiteral("sleepMs"), 150));
            script.append(step(QStringLiteral("sendRaw"), write));
        }
        script.append(step(QStringLiteral("sendRaw"), marker + '\n'));

        start(script);

        QVERIFY(waitForLog(kRecvPrefix + marker));
        QCOMPARE(logLinesAfter(kRecvPrefix.trimmed()), received + QStringList { marker });
        QCOMPARE(m_events, events);
    }

    void liveRoomEnds_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("finished");
        QTest::addColumn<QStringList>("commands");

        QTest::newRow("0 only shows the window")
            << 0 << 0 << "0 QProcess::NormalExit" << QStringList {};
        QTest::newRow("1 has no meaning") << 1 << 0 << "1 QProcess::NormalExit" << QStringList {};
        QTest::newRow("101 replay not generated")
            << 101 << 0 << "101 QProcess::NormalExit"
            << QStringList { R"(cmd:{"msg":"回放视频未生成","state":false,"type":"getInfo"})" };
        QTest::newRow("102 update needed")
            << 102 << 0 << "102 QProcess::NormalExit"
            << QStringList {
                   R"(cmd:{"msg":"功能不支持，需要更新","state":false,"type":"needUpdate"})"
               };
        // Qt reports the signal's number as the exit code of a crash.
        QTest::newRow("crashes in the lesson")
            << 0 << int(SIGSEGV) << "11 QProcess::CrashExit" << QStringList {};
        QTest::newRow("killed in the lesson")
            << 0 << int(SIGKILL) << "9 QProcess::CrashExit" << QStringList {};
    }

    // However a connected live room ends, the client comes back and takes the next lesson.
    void liveRoomEnds()
    {
        QFETCH(int, exitCode);
        QFETCH(int, signal);
        QFETCH(QString, finished);
        QFETCH(QStringList, commands);
        const QString endNow = workPath(QStringLiteral("end-now"));
        start({ kConnect, kClickEnter, step(QStringLiteral("waitForFile"), endNow),
            step(QStringLiteral("exit"), exitCode) });
        QVERIFY(waitForEvent(kHidden));
        QCOMPARE(runningLiveRooms().size(), 1);

        if (signal != 0)
            QCOMPARE(::kill(pid_t(runningLiveRooms().first()->processId()), signal), 0);
        else
            QVERIFY(writeFile(endNow, QByteArray()));

        QVERIFY(waitForEvent(kShown));
        QCOMPARE(m_events, QStringList({ kHidden, kShown, kReset }) + commands);
        QVERIFY(s_log.contains(QStringLiteral("ZovSubProcess::onAppFinished ") + finished));
        QVERIFY(!QFile::exists(workPath(QStringLiteral("data.json"))));

        start({ kConnect, kClickEnter });
        QVERIFY(waitForEvent(kHidden, 2));
        QCOMPARE(s_log.count(kConnectedLine), 2);
    }

    void processOutput_data()
    {
        QTest::addColumn<QString>("stream");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("logged");

        QTest::newRow("pieces up to the last carriage return")
            << "stdout" << QStringLiteral("one\rtwo\rnever logged")
            << QStringList { QStringLiteral("one"), QStringLiteral("two") };
        QTest::newRow("CR LF line ends")
            << "stderr" << QStringLiteral("first line\r\nsecond line\r\n")
            << QStringList { QStringLiteral("first line"), QStringLiteral("second line") };
        QTest::newRow("progress meter") << "stderr" << QStringLiteral("\r  10%\r  55%\r 100%\r\n")
                                        << QStringList { QString(), QStringLiteral("10%"),
                                               QStringLiteral("55%"), QStringLiteral("100%") };
        QTest::newRow("no carriage return")
            << "stdout" << QStringLiteral("never logged\n") << QStringList {};
    }

    void processOutput()
    {
        QFETCH(QString, stream);
        QFETCH(QString, text);
        QFETCH(QStringList, logged);

        start({ step(stream, text), step(QStringLiteral("exit"), 0) });
        const QString ipcName = writtenIpcName();

        // The launcher drains both pipes before it reports the end.
        QVERIFY(waitForEvent(kShown));
        QStringList output = logLinesAfter(kOutputPrefix);
        output.removeAll(startLine(ipcName));
        QCOMPARE(output, logged);
    }

    // A live room that has not connected is replaced, and its socket name goes with it.
    void startReplacesUnconnectedLiveRoom()
    {
        start({});
        const QString firstName = writtenIpcName();
        // Stopped while still being forked, the child would run this test's crash handler.
        QVERIFY(waitForStartLine(firstName));
        QCOMPARE(runningLiveRooms().size(), 1);
        const qint64 firstPid = runningLiveRooms().first()->processId();

        start({ kConnect, kClickEnter });

        const QRegularExpression pattern(QStringLiteral("^ZSTU_(\\d{7})_(\\d+)$"));
        const QRegularExpressionMatch first = pattern.match(firstName);
        const QRegularExpressionMatch second = pattern.match(writtenIpcName());
        QVERIFY2(first.hasMatch() && second.hasMatch(), qPrintable(writtenIpcName()));
        QCOMPARE(second.captured(2).toInt(), first.captured(2).toInt() + 1);
        QLocalSocket stale;
        stale.connectToServer(firstName);
        QVERIFY(!stale.waitForConnected(kWaitMs));
        QVERIFY(QTest::qWaitFor([&] { return processGone(firstPid); }, kWaitMs));
        QVERIFY(waitForEvent(kHidden));
        QCOMPARE(s_log.count(kConnectedLine), 1);
        QCOMPARE(runningLiveRooms().size(), 1);
        QVERIFY(runningLiveRooms().first()->processId() != firstPid);
        // The replaced live room reports its end only if it ended within the grace period.
        const QStringList entered { kHidden };
        QVERIFY2(m_events == entered || m_events == QStringList({ kShown, kReset }) + entered,
            qPrintable(m_events.join(QLatin1Char(','))));
    }

    void startIgnoredWhileConnected()
    {
        start({ kConnect });
        QVERIFY(waitForLog(kConnectedLine));
        const QByteArray parameters = readFile(workPath(QStringLiteral("data.json")));
        const qint64 pid = runningLiveRooms().first()->processId();

        start({ kConnect }, lessonParams(815));

        QCOMPARE(readFile(workPath(QStringLiteral("data.json"))), parameters);
        QCOMPARE(logLinesAfter(QStringLiteral("Subprocess start:")).size(), 1);
        QCOMPARE(runningLiveRooms().size(), 1);
        QCOMPARE(runningLiveRooms().first()->processId(), pid);
        QVERIFY(m_events.isEmpty());
    }

    // Nothing runs and nothing is reported, so the window stays as it is; the next start,
    // once the cause is gone, goes ahead.
    void startThatCannotRun_data()
    {
        QTest::addColumn<bool>("programMissing");
        QTest::newRow("data.json cannot be written") << false;
        QTest::newRow("no program") << true;
    }

    void startThatCannotRun()
    {
        QFETCH(bool, programMissing);
        if (programMissing)
            QVERIFY(QFile::remove(workPath(programName())));
        else
            QVERIFY(QDir(m_work).mkdir(QStringLiteral("data.json")));

        start({ kConnect });

        QTRY_VERIFY_WITH_TIMEOUT(runningLiveRooms().isEmpty(), kWaitMs);
        QTest::qWait(200);
        QVERIFY(m_events.isEmpty());
        QVERIFY(!QFileInfo(workPath(QStringLiteral("data.json"))).isFile());

        if (programMissing)
            QVERIFY(QFile::link(QStringLiteral(ZOV_LIVEROOM_PROGRAM), workPath(programName())));
        else
            QVERIFY(QDir(m_work).rmdir(QStringLiteral("data.json")));
        start({ kConnect, kClickEnter });
        QVERIFY(waitForEvent(kHidden));
        QCOMPARE(m_events, QStringList { kHidden });
    }

private:
    static QString programName()
    {
        return zov::platform::Platform::programFileName(QStringLiteral("ZovLiveRoomStu"));
    }

    void watch(ZovSubProcess* subProcess)
    {
        connect(subProcess, &ZovSubProcess::setApplicationVisible, this,
            [this](bool visible) { m_events << (visible ? kShown : kHidden); });
        connect(subProcess, &ZovSubProcess::notifySwitchEvaluationPage, this,
            [this](const QJsonObject& obj) {
                m_events << QStringLiteral("evaluation:") + compact(obj);
            });
        connect(subProcess, &ZovSubProcess::notifyReset, this, [this] { m_events << kReset; });
        connect(subProcess, &ZovSubProcess::cmdArrvied, this,
            [this](const QJsonObject& obj) { m_events << QStringLiteral("cmd:") + compact(obj); });
    }

    void start(const QJsonArray& script, const QJsonObject& params = lessonParams())
    {
        qputenv("ZOV_LIVEROOM_SCRIPT", QJsonDocument(script).toJson(QJsonDocument::Compact));
        m_subProcess->start(params);
    }

    QList<QProcess*> runningLiveRooms() const
    {
        QList<QProcess*> running;
        for (QProcess* process : m_subProcess->findChildren<QProcess*>()) {
            if (process->state() != QProcess::NotRunning)
                running << process;
        }
        return running;
    }

    QString writtenIpcName() const
    {
        const QByteArray text = readFile(workPath(QStringLiteral("data.json")));
        return QJsonDocument::fromJson(text).object().value(QStringLiteral("ipcName")).toString();
    }

    // The live room's first line on standard output names the lesson it was given.
    static QString startLine(const QString& ipcName)
    {
        return QStringLiteral("ZovLiveRoomStu started, planId=4711, ipcName=") + ipcName;
    }

    bool waitForStartLine(const QString& ipcName) const
    {
        return waitForLog(kOutputPrefix + QLatin1Char(' ') + startLine(ipcName));
    }

    static QStringList logLinesAfter(const QString& prefix)
    {
        QStringList lines;
        for (const QString& logLine : qAsConst(s_log)) {
            if (logLine.startsWith(prefix))
                lines << logLine.mid(prefix.size()).trimmed();
        }
        return lines;
    }

    static bool waitForLog(const QString& text)
    {
        return QTest::qWaitFor([&] { return s_log.contains(text); }, kWaitMs);
    }

    bool waitForEvent(const QString& event, int count = 1) const
    {
        return QTest::qWaitFor([&] { return m_events.count(event) >= count; }, kWaitMs);
    }

    QString workPath(const QString& name) const { return m_work + QLatin1Char('/') + name; }

    std::unique_ptr<TestEnvironment> m_env;
    QString m_work;
    std::unique_ptr<ZovSubProcess> m_subProcess;
    QStringList m_events;
};

QTEST_MAIN(ZovSubProcessTest)
#include "tst_zovsubprocess.moc"
