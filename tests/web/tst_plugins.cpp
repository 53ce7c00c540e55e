#include "PrivateLauncher.h"
#include "app/Settings.h"
#include "web/DHPluginBase.h"
#include "web/DHPluginRegistry.h"
#include "web/HybirdPluginManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
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
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            // QSignalSpy takes a signal in the form SIGNAL() produces.
            const QByteArray signature = "2" + method.methodSignature();
            m_spies[method.name()] = std::make_unique<QSignalSpy>(
                HybirdPluginManager::instance(), signature.constData());
        }
    }

    QSignalSpy& operator[](const QByteArray& name) { return *m_spies.at(name); }

    // Names of the signals emitted at least once.
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

QJsonObject request(const QString& plugin, const QString& callbackId, const QJsonObject& data)
{
    QJsonObject message { { "plugin", plugin }, { "data", data } };
    if (!callbackId.isEmpty())
        message.insert("callbackId", callbackId);
    return message;
}

DHPluginBase* plugin(const QString& name)
{
    return DHPluginRegistry::instance()->getPlugin(name);
}

} // namespace

class TestPlugins : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { QFile::remove(configIniPath()); }

    void pluginDoesItsWorkThenAnswers_data();
    void pluginDoesItsWorkThenAnswers();
    void versionAnswerCarriesConfigIni_data();
    void versionAnswerCarriesConfigIni();
    void windowMoveNeedsBothCoordinates_data();
    void windowMoveNeedsBothCoordinates();
    void enterRoomStaysAndNeverAnswers();
    void unregisteredNamesGiveNull_data();
    void unregisteredNamesGiveNull();
};

void TestPlugins::initTestCase()
{
    registerPlugins();
}

void TestPlugins::pluginDoesItsWorkThenAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonObject>("data");
    QTest::addColumn<QByteArray>("work");
    QTest::addColumn<QString>("callbackId");
    QTest::addColumn<bool>("answered");

    const struct
    {
        const char* name;
        QJsonObject data;
        QByteArray work;
        bool answers;
    } plugins[] = {
        { "common.maxWindow", {}, "dh_sig_maxWindow", true },
        { "common.closeWindow", {}, "dh_sig_closeWindow", true },
        { "common.minWindow", {}, "dh_sig_minWindow", true },
        { "common.getVersion", {}, {}, true },
        { "common.openDeviceMonitor", {}, "dh_sig_deviceMonitor", true },
        { "common.checkUpdate", {}, "dh_sig_checkUpdate", true },
        { "common.aboutUs", {}, "dh_sig_aboutAs", true },
        { "common.upLoadLog", {}, "dh_sig_uploadLog", true },
        { "common.windowMove", { { "x", 10 }, { "y", 20 } }, "dh_sig_windowMove", true },
        { "common.enterRoom", { { "type", 2 }, { "planId", 5 } }, "dh_sig_enterRoom", false },
    };
    for (const auto& p : plugins) {
        QTest::addRow("%s, callback", p.name)
            << p.name << p.data << p.work << "cb_1_1700" << p.answers;
        QTest::addRow("%s, no callback", p.name) << p.name << p.data << p.work << "" << false;
    }
}

void TestPlugins::pluginDoesItsWorkThenAnswers()
{
    QFETCH(QString, name);
    QFETCH(QJsonObject, data);
    QFETCH(QByteArray, work);
    QFETCH(QString, callbackId);
    QFETCH(bool, answered);

    ManagerSignals signalsSeen;
    DHPluginBase* handler = plugin(name);
    QVERIFY(handler);
    handler->execute(request(name, callbackId, data));

    QByteArrayList expected;
    if (!work.isEmpty())
        expected << work;
    if (answered)
        expected << "dh_sig_sendToWeb";
    std::sort(expected.begin(), expected.end());
    QCOMPARE(signalsSeen.emitted(), expected);
    if (!work.isEmpty())
        QCOMPARE(signalsSeen[work].count(), 1);
    if (work == "dh_sig_enterRoom")
        QCOMPARE(signalsSeen[work].first().first().toJsonObject(), data);
    if (answered) {
        const QVariantList answer = signalsSeen["dh_sig_sendToWeb"].first();
        QCOMPARE(answer.mid(1), QVariantList({ QString(), true, callbackId, 1 }));
    }
}

void TestPlugins::versionAnswerCarriesConfigIni_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("answer");
    QTest::newRow("installed") << "1.6.7.0"
                               << R"({"data":"1.6.7.0"})";
    QTest::newRow("no config.ini") << ""
                                   << R"({"data":""})";
}

void TestPlugins::versionAnswerCarriesConfigIni()
{
    QFETCH(QString, installed);
    if (!installed.isEmpty())
        writeConfigIni("version", "ver", installed);

    ManagerSignals signalsSeen;
    QPointer<DHPluginBase> handler = plugin("common.getVersion");
    QCOMPARE(plugin("common.getVersion"), handler.data());
    handler->execute(request("common.getVersion", "cb_7_1", {}));
    QCOMPARE(signalsSeen["dh_sig_sendToWeb"].count(), 1);
    QTEST(signalsSeen["dh_sig_sendToWeb"].first().first().toString(), "answer");
    // Retired once answered, so the next row meets a fresh plugin.
    QTRY_VERIFY(handler.isNull());
}

void TestPlugins::windowMoveNeedsBothCoordinates_data()
{
    QTest::addColumn<QJsonObject>("data");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QVariantList>("move");

    QTest::newRow("no data") << QJsonObject() << false << QVariantList();
    QTest::newRow("x only") << QJsonObject { { "x", 10 } } << false << QVariantList();
    QTest::newRow("y only") << QJsonObject { { "y", 20 } } << false << QVariantList();
    QTest::newRow("both") << QJsonObject { { "x", 10 }, { "y", 20 } } << true
                          << QVariantList { 10, 20 };
    QTest::newRow("not numbers") << QJsonObject { { "x", "10" }, { "y", QJsonValue::Null } } << true
                                 << QVariantList { 0, 0 };
    QTest::newRow("beyond any screen") << QJsonObject { { "x", 1e300 }, { "y", -1e300 } } << true
                                       << QVariantList { 100000, -100000 };
}

void TestPlugins::windowMoveNeedsBothCoordinates()
{
    QFETCH(QJsonObject, data);
    QFETCH(bool, answered);
    QFETCH(QVariantList, move);

    ManagerSignals signalsSeen;
    QPointer<DHPluginBase> handler = plugin("common.windowMove");
    handler->execute(request("common.windowMove", "cb_4_1", data));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(signalsSeen["dh_sig_sendToWeb"].count(), answered ? 1 : 0);
    QCOMPARE(signalsSeen["dh_sig_windowMove"].value(0), move);
    // Only an answered request retires the plugin.
    QCOMPARE(handler.isNull(), answered);
}

void TestPlugins::enterRoomStaysAndNeverAnswers()
{
    ManagerSignals signalsSeen;
    QPointer<DHPluginBase> handler = plugin("common.enterRoom");
    for (int type : { 1, 3 }) {
        handler->execute(request("common.enterRoom", "cb_5_1", { { "type", type } }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(handler);
        QCOMPARE(plugin("common.enterRoom"), handler.data());
    }
    QCOMPARE(signalsSeen.emitted(), QByteArrayList { "dh_sig_enterRoom" });
    QCOMPARE(signalsSeen["dh_sig_enterRoom"].count(), 2);
}

void TestPlugins::unregisteredNamesGiveNull_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("unknown") << "common.unknown";
    QTest::newRow("other case") << "Common.getVersion";
    QTest::newRow("teaching courseware relay") << "courseware.teachingCourseware";
    QTest::newRow("live courseware relay") << "courseware.liveCloudCourseware";
    QTest::newRow("empty") << "";
}

void TestPlugins::unregisteredNamesGiveNull()
{
    QFETCH(QString, name);
    QVERIFY(!plugin(name));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestPlugins test;
    return runInPrivateLauncher(&test, argc, argv);
}

#include "tst_plugins.moc"
