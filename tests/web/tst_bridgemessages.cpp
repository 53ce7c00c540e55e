#include "PrivateLauncher.h"
#include "web/DHJSUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QTest>

class TestBridgeMessages : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QDir(pagesDir()).removeRecursively(); }

    void requestFieldsComeFromTheMessage_data();
    void requestFieldsComeFromTheMessage();
    void eventFormIsCompactWithObjectData_data();
    void eventFormIsCompactWithObjectData();
    void pluginConfigTakesObjectMembers_data();
    void pluginConfigTakesObjectMembers();

private:
    static QString pagesDir() { return QCoreApplication::applicationDirPath() + "/pages"; }
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
    QTest::newRow("plugin only") << QByteArray(R"({"plugin":"common.maxWindow"})") << false
                                 << QStringList { "", "common.maxWindow", "" } << QJsonObject();
    QTest::newRow("array data") << QByteArray(R"({"plugin":"p","data":[1,2]})") << false
                                << QStringList { "", "p", "" } << QJsonObject();
    QTest::newRow("data as text") << QByteArray(R"({"plugin":"p","data":"{\"x\":1}"})") << false
                                  << QStringList { "", "p", "" } << QJsonObject();
    QTest::newRow("numbers for strings")
        << QByteArray(R"({"plugin":5,"callbackId":7})") << false << none << QJsonObject();
    QTest::newRow("top-level array")
        << QByteArray(R"([{"plugin":"p"}])") << false << none << QJsonObject();
    QTest::newRow("abc") << QByteArray("abc") << true << none << QJsonObject();
    QTest::newRow("truncated") << QByteArray(R"({"plugin":"common.getVersion")") << true << none
                               << QJsonObject();
    QTest::newRow("empty") << QByteArray() << true << none << QJsonObject();
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

void TestBridgeMessages::eventFormIsCompactWithObjectData_data()
{
    QTest::addColumn<QString>("callbackId");
    QTest::addColumn<bool>("isSuccess");
    QTest::addColumn<bool>("isComplete");
    QTest::addColumn<QString>("errorMessage");
    QTest::addColumn<QJsonObject>("data");
    QTest::addColumn<QString>("expected");

    QTest::newRow("listenEvaluate")
        << "listenEvaluate" << true << true << ""
        << QJsonObject { { "class_id", 12 }, { "course_type", 1 }, { "grade_type", 2 },
               { "evaluateurl_type", false } }
        << R"({"callbackId":"listenEvaluate","complete":1,"data":{"class_id":12,"course_type":1,)"
           R"("evaluateurl_type":false,"grade_type":2},"errorMessage":"","status":1})";
    QTest::newRow("page size")
        << "set_a4_page_size" << true << true << ""
        << QJsonObject { { "A4_width", 794 }, { "A4_height", 1123 } }
        << R"({"callbackId":"set_a4_page_size","complete":1,"data":)"
           R"({"A4_height":1123,"A4_width":794},"errorMessage":"","status":1})";
    QTest::newRow("failed, more to come")
        << "cb_3_9" << false << false << QString::fromUtf8("未登录") << QJsonObject()
        << QString::fromUtf8(
               R"({"callbackId":"cb_3_9","complete":0,"data":{},"errorMessage":"未登录","status":0})");
}

void TestBridgeMessages::eventFormIsCompactWithObjectData()
{
    QFETCH(QString, callbackId);
    QFETCH(bool, isSuccess);
    QFETCH(bool, isComplete);
    QFETCH(QString, errorMessage);
    QFETCH(QJsonObject, data);
    QScopedPointer<DHJSResponse> response(DHJSUtils::instance()->createJsResponse(
        callbackId, isSuccess, isComplete, errorMessage, data));
    QTEST(response->toString(), "expected");
}

void TestBridgeMessages::pluginConfigTakesObjectMembers_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QJsonObject>("expected");

    QTest::newRow("missing") << QByteArray()
                             << QStringList { "could't open projects json", "json error!" }
                             << QJsonObject();
    QTest::newRow("malformed") << QByteArray(R"({"common":)") << QStringList { "json error!" }
                               << QJsonObject();
    QTest::newRow("good") << QByteArray(R"({"zeta":{"a":1},"list":[1],"common":{"on":true}})")
                          << QStringList()
                          << QJsonObject { { "common", QJsonObject { { "on", true } } },
                                 { "list", QJsonObject() },
                                 { "zeta", QJsonObject { { "a", 1 } } } };
}

void TestBridgeMessages::pluginConfigTakesObjectMembers()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, warnings);
    if (!content.isEmpty()) {
        QVERIFY(QDir().mkpath(pagesDir()));
        QFile file(pagesDir() + "/dhplugin.json");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    for (const QString& warning : warnings)
        QTest::ignoreMessage(QtWarningMsg, warning.toUtf8().constData());

    const QVariantMap config = DHJSUtils::instance()->parseJson();
    QTEST(QJsonObject::fromVariantMap(config), "expected");
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestBridgeMessages test;
    return runInPrivateLauncher(&test, argc, argv);
}

#include "tst_bridgemessages.moc"
