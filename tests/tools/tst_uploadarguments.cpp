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
    // An empty explanation stands for an argument that is taken.
    void argumentIsJudged_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("explanation");
        QTest::newRow("complete") << compact(validArgument()) << QString();
        QTest::newRow("only an upload address")
            << withMember("data", QJsonObject { { "uploadUrl", "http://example.test/up" } })
            << QString();
        QTest::newRow("markId 0 before a log-in") << withMember("markId", 0) << QString();
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

    void argumentIsJudged()
    {
        QFETCH(QString, argument);
        QFETCH(QString, explanation);
        UploadArguments arguments;
        QCOMPARE(arguments.parse(argument), explanation.isEmpty());
        const QString error = arguments.errorString();
        QVERIFY2(explanation.isEmpty() ? error.isEmpty() : error.contains(explanation),
            qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(UploadArgumentsTest)
#include "tst_uploadarguments.moc"
