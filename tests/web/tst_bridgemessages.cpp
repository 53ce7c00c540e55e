#include "PrivateLauncher.h"
#include "app/Settings.h"
#include "web/DHJSUtils.h"
#include "web/DHPluginBase.h"
#include "web/DHPluginRegistry.h"
#include "web/HybirdPluginManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>

namespace {

// Spies on every signal of the plugin manager, so a test sees what was emitted and
// also what was not.
class ManagerSignals
{
public:
    ManagerSignals()
    {
        const QMetaObject& meta = HybirdPluginManager::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            // QSignalSpy takes a signal in the form SIGNAL() produces.
            const QByteArray signature = "2" + method.methodSignature();
            if (method.methodType() == QMetaMethod::Signal)
                m_spies[method.name()] = std::make_unique<QSignalSpy>(
                    HybirdPluginManager::instance(), signature.constData());
        }
    }

    QSignalSpy& operator[](const QByteArray& name) { return *m_spies.at(name); }

    // Names of the signals emitted at least once, in order.
    QByteArrayList emitted() const
    {
        QByteArrayList names;
        for (const auto& spy : m_spies) {
            if (!spy.second->isEmpty())
                names << spy.first;
        }
        return names;
    }

private:
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> m_spies;
};

DHPluginBase* plugin(const QString& name)
{
    return DHPluginRegistry::instance()->getPlugin(name);
}

} // namespace

// The page's requests and the plugins that carry them out.
class TestBridgeMessages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerPlugins(); }
    void cleanup() { QFile::remove(configIniPath()); }

    void requestFieldsComeFromTheMessage_data();
    void requestFieldsComeFromTheMessage();
    void pluginDoesItsWorkThenAnswers_data();
    void pluginDoesItsWorkThenAnswers();
    void unregisteredNamesGiveNull();
};

void TestBridgeMessages::requestFieldsComeFromTheMessage_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("malformed");
    // callbackId, plugin, sdkVersion
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QJsonObject>("data");

    const QStringList none { "", "", "" };
    QTest::newRow("full") << QByteArray(R"({"plugin":"common.windowMove","callbackId":"cb_1_17",)"
                                        R"("sdkVersion":"1.0.1","data":{"x":10,"y":20}})")
                          << false << QStringList { "cb_1_17", "common.windowMove", "1.0.1" }
                          << QJsonObject { { "x", 10 }, { "y", 20 } };
    QTest::newRow("array data") << QByteArray(R"({"plugin":"p","data":[1,2]})") << false
                                << QStringList { "", "p", "" } << QJsonObject();
    QTest::newRow("numbers for strings")
        << QByteArray(R"({"plugin":5,"callbackId":7})") << false << none << QJsonObject();
    QTest::newRow("abc") << QByteArray("abc") << true << none << QJsonObject();
}

void TestBridgeMessages::requestFieldsComeFromTheMessage()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, malformed);
    if (malformed) {
        QTest::ignoreMessage(QtWarningMsg, "%%%% jsonDocument null");
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("^===> please check the string \\d+$"));
    }
    QScopedPointer<DHJSRequest> request(DHJSUtils::instance()->createJsRequest(message));
    const QStringList fields { request->getCallbackId(), request->getPlugin(),
        request->getSdkVersion() };
    QTEST(fields, "fields");
    QTEST(request->getData(), "data");
}

// A plugin does its work, answers the request's callback id and retires, so that the next
// request meets a fresh one.
void TestBridgeMessages::pluginDoesItsWorkThenAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonObject>("data");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QByteArray>("work");
    QTest::addColumn<QVariantList>("workArguments");
    QTest::addColumn<QString>("answer");

    const std::pair<const char*, QByteArray> simple[] { { "common.maxWindow", "dh_sig_maxWindow" },
        { "common.closeWindow", "dh_sig_closeWindow" }, { "common.minWindow", "dh_sig_minWindow" },
        { "common.openDeviceMonitor", "dh_sig_deviceMonitor" },
        { "common.checkUpdate", "dh_sig_checkUpdate" }, { "common.aboutUs", "dh_sig_aboutAs" },
        { "common.upLoadLog", "dh_sig_uploadLog" } };
    for (const auto& [name, work] : simple)
        QTest::newRow(name) << name << QJsonObject() << "" << work << QVariantList() << "";
    const QString version = QStringLiteral("common.getVersion");
    QTest::newRow("version") << version << QJsonObject() << "1.6.7.0" << QByteArray()
                             << QVariantList() << R"({"data":"1.6.7.0"})";
    QTest::newRow("version, no config.ini")
        << version << QJsonObject() << "" << QByteArray() << QVariantList() << R"({"data":""})";
    const QString move = QStringLiteral("common.windowMove");
    QTest::newRow("move, not numbers")
        << move << QJsonObject { { "x", "10" }, { "y", QJsonValue::Null } } << ""
        << QByteArray("dh_sig_windowMove") << QVariantList { 0, 0 } << "";
    QTest::newRow("move beyond any screen")
        << move << QJsonObject { { "x", 1e300 }, { "y", -1e300 } } << ""
        << QByteArray("dh_sig_windowMove") << QVariantList { 100000, -100000 } << "";
}

void TestBridgeMessages::pluginDoesItsWorkThenAnswers()
{
    QFETCH(QString, name);
    QFETCH(QJsonObject, data);
    QFETCH(QString, installed);
    QFETCH(QByteArray, work);
    QFETCH(QVariantList, workArguments);
    QFETCH(QString, answer);
    if (!installed.isEmpty())
        writeConfigIni("version", "ver", installed);

    ManagerSignals signalsSeen;
    QPointer<DHPluginBase> handler = plugin(name);
    QVERIFY(handler);
    handler->execute({ { "plugin", name }, { "data", data }, { "callbackId", "cb_1_1700" } });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QByteArrayList expected { "dh_sig_sendToWeb" };
    if (!work.isEmpty())
        expected << work;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(signalsSeen.emitted(), expected);
    if (!work.isEmpty())
        QCOMPARE(QList<QVariantList>(signalsSeen[work]), QList<QVariantList> { workArguments });
    const QVariantList sent { answer, QString(), true, QStringLiteral("cb_1_1700"), 1 };
    QCOMPARE(QList<QVariantList>(signalsSeen["dh_sig_sendToWeb"]), QList<QVariantList> { sent });
    QVERIFY(handler.isNull());
}

void TestBridgeMessages::unregisteredNamesGiveNull()
{
    for (const char* name : { "common.unknown", "Common.getVersion",
             "courseware.teachingCourseware", "courseware.liveCloudCourseware", "" })
        QVERIFY2(!plugin(QLatin1String(name)), name);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestBridgeMessages test;
    return runInPrivateLauncher(&test, argc, argv);
}

#include "tst_bridgemessages.moc"
