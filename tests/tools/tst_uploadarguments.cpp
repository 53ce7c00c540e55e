#include "tools/UploadArguments.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <utility>

namespace {

QJsonObject validArgument()
{
    const QJsonObject fields { { "app", "student" }, { "channel", "ol_stu" } };
    const QJsonObject data { { "uploadUrl", "https://127.0.0.1:8443/olbusiness/api/log/upload" },
        { "uploadToken", "abc123" }, { "fields", fields } };
    return { { "data", data }, { "logName", "student_2026_12_04_13_05_20.txt" },
        { "logPath", "/home/pupil/zov_qm_student/logs/" }, { "markId", 4711 } };
}

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString withMember(const QString& key, const QJsonValue& value)
{
    QJsonObject argument = validArgument();
    argument.insert(key, value);
    return compact(argument);
}

QString withDataMember(const QString& key, const QJsonValue& value)
{
    QJsonObject argument = validArgument();
    QJsonObject data = argument.value("data").toObject();
    if (value.isUndefined())
        data.remove(key);
    else
        data.insert(key, value);
    argument.insert("data", data);
    return compact(argument);
}

} // namespace

class UploadArgumentsTest : public QObject
{
    Q_OBJECT

private slots:
    // Optional parts may be missing, and a refused argument leaves no value of an earlier one.
    void argumentIsTakenApartAfresh()
    {
        UploadArguments arguments;
        QVERIFY2(arguments.parse(compact(validArgument())), qPrintable(arguments.errorString()));
        QCOMPARE(arguments.uploadUrl(),
            QUrl(QStringLiteral("https://127.0.0.1:8443/olbusiness/api/log/upload")));
        QCOMPARE(arguments.uploadToken(), QStringLiteral("abc123"));
        QCOMPARE(arguments.fields().value("channel").toString(), QStringLiteral("ol_stu"));
        QCOMPARE(arguments.markId(), 4711);
        QCOMPARE(arguments.filePath(),
            QStringLiteral("/home/pupil/zov_qm_student/logs/student_2026_12_04_13_05_20.txt"));

        QVERIFY(!arguments.parse(withDataMember("uploadUrl", QJsonValue::Undefined)));
        QVERIFY(arguments.uploadUrl().isEmpty());
        QVERIFY(arguments.uploadToken().isEmpty());

        QJsonObject argument = validArgument();
        argument.insert("logPath", "/var/logs");
        argument.insert("markId", 0);
        argument.insert("data", QJsonObject { { "uploadUrl", "http://example.test/up" } });
        QVERIFY2(arguments.parse(compact(argument)), qPrintable(arguments.errorString()));
        QVERIFY(arguments.errorString().isEmpty());
        QVERIFY(arguments.uploadToken().isEmpty());
        QVERIFY(arguments.fields().isEmpty());
        QCOMPARE(arguments.markId(), 0);
        QCOMPARE(arguments.filePath(), QStringLiteral("/var/logs/student_2026_12_04_13_05_20.txt"));
    }

    void unusableArgumentIsRefused_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("explanation");
        QTest::newRow("cut short") << compact(validArgument()).left(40) << "not JSON";
        QTest::newRow("array") << QStringLiteral("[1,2]") << "not a JSON object";
        QTest::newRow("no data") << withMember("data", QJsonValue()) << "\"data\"";
        QTest::newRow("no uploadUrl")
            << withDataMember("uploadUrl", QJsonValue::Undefined) << "uploadUrl";
        QTest::newRow("file address")
            << withDataMember("uploadUrl", "file:///etc/passwd") << "not an http or https address";
        QTest::newRow("relative address")
            << withDataMember("uploadUrl", "/olbusiness/up") << "not an http or https address";
        QTest::newRow("fields not an object")
            << withDataMember("fields", QJsonArray { 1 }) << "\"fields\"";
        QTest::newRow("no logPath") << withMember("logPath", QString()) << "logPath";
        const char* const notAFile = "not the name of a file";
        QTest::newRow("no logName") << withMember("logName", QJsonValue()) << notAFile;
        // Names that would leave the log folder or break the upload form's headers.
        const std::pair<const char*, const char*> badNames[]
            = { { "parent folder", "../setting.ini" }, { "two dots", ".." }, { "dot", "." },
                  { "absolute", "/etc/passwd" }, { "sub-folder", "old/student.txt" },
                  { "backslash", "..\\..\\ss.ini" }, { "quote", "a\"; name=\"markId.txt" },
                  { "line break", "a\r\nX-Upload-Token: x" }, { "drive", "C:ss.ini" } };
        for (const auto& [tag, name] : badNames)
            QTest::newRow(tag) << withMember("logName", name) << notAFile;
        QTest::newRow("no markId") << withMember("markId", QJsonValue()) << "markId";
        QTest::newRow("markId as text") << withMember("markId", "4711") << "markId";
        QTest::newRow("fractional markId") << withMember("markId", 1.5) << "markId";
        QTest::newRow("huge markId") << withMember("markId", 1e300) << "markId";
    }

    void unusableArgumentIsRefused()
    {
        QFETCH(QString, argument);
        QFETCH(QString, explanation);
        UploadArguments arguments;
        QVERIFY(!arguments.parse(argument));
        QVERIFY2(
            arguments.errorString().contains(explanation), qPrintable(arguments.errorString()));
    }

    void fieldValuesBecomeText_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction") << QJsonValue(0.1) << QStringLiteral("0.1");
        QTest::newRow("null") << QJsonValue() << QString();
        QTest::newRow("object") << QJsonValue(QJsonObject { { QStringLiteral("a"), 1 } })
                                << QStringLiteral("{\"a\":1}");
        QTest::newRow("array") << QJsonValue(QJsonArray { 1, QStringLiteral("b") })
                               << QStringLiteral("[1,\"b\"]");
    }

    void fieldValuesBecomeText()
    {
        QFETCH(QJsonValue, value);
        QFETCH(QString, text);
        QCOMPARE(UploadArguments::fieldText(value), text);
    }
};

QTEST_GUILESS_MAIN(UploadArgumentsTest)
#include "tst_uploadarguments.moc"
