#include "HttpExchange.h"
#include "LocalService.h"

#include <QDirIterator>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/log/uploadConfig");

QJsonObject objectOf(const HttpResult& result)
{
    return QJsonDocument::fromJson(result.body).object();
}

// Every file under folder, as paths relative to it, in sorted order.
QStringList filesIn(const QString& folder)
{
    QStringList files;
    QDirIterator found(folder, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext())
        files.append(QDir(folder).relativeFilePath(found.next()));
    files.sort();
    return files;
}

void addPart(QHttpMultiPart& form, const QByteArray& disposition, const QByteArray& content)
{
    QHttpPart part;
    part.setRawHeader("Content-Disposition", "form-data; " + disposition);
    part.setBody(content);
    form.append(part);
}

} // namespace

// The upload configuration and the upload the upload program makes with it.
class ServiceLogUploadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void refused_data();
    void refused();

private:
    QJsonObject configData();
    QByteArray token() const { return m_config.value("uploadToken").toString().toUtf8(); }
    // A null token or mark id leaves that part out.
    HttpResult upload(const QByteArray& token, const QByteArray& markId, const QByteArray& fileName,
        const QByteArray& content, const QJsonObject& fields = {});

    LocalService m_service;
    QJsonObject m_config;
};

void ServiceLogUploadTest::init()
{
    QVERIFY(m_service.start());
    m_config = configData();
    QVERIFY(!m_config.isEmpty());
}

QJsonObject ServiceLogUploadTest::configData()
{
    HttpExchange client(m_service);
    client.setHeaders({ { "token", "abc" }, { "channel", "ol_stu" }, { "UUId", "u-1" },
        { "timestamp", "1764850000" } });
    const HttpResult result = client.postApi(configPath, "{}");
    const QJsonObject reply = objectOf(result);
    if (result.status != 200 || reply.value("code").toInt(-1) != 0)
        return {};
    return reply.value("data").toObject();
}

HttpResult ServiceLogUploadTest::upload(const QByteArray& token, const QByteArray& markId,
    const QByteArray& fileName, const QByteArray& content, const QJsonObject& fields)
{
    QHttpMultiPart form(QHttpMultiPart::FormDataType);
    addPart(form, "name=\"file\"; filename=\"" + fileName + "\"", content);
    if (!markId.isNull())
        addPart(form, "name=\"markId\"", markId);
    for (auto field = fields.begin(); field != fields.end(); ++field)
        addPart(form, "name=\"" + field.key().toUtf8() + '"', field.value().toString().toUtf8());
    HttpExchange client(m_service);
    if (!token.isNull())
        client.setHeaders({ { "X-Upload-Token", token } });
    return client.postForm(QUrl(m_config.value("uploadUrl").toString()), form);
}

void ServiceLogUploadTest::refused_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QByteArray>("markId");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<int>("status");

    // "valid" stands for the token of the configuration.
    const QByteArray valid("valid");
    QTest::newRow("wrong token") << QByteArray("0123456789abcdef0123456789abcdef")
                                 << QByteArray("1") << QByteArray("a.txt") << 403;
    QTest::newRow("no token") << QByteArray() << QByteArray("1") << QByteArray("a.txt") << 403;
    QTest::newRow("no mark id") << valid << QByteArray() << QByteArray("a.txt") << 400;
    QTest::newRow("mark id leaving the folder")
        << valid << QByteArray("../x") << QByteArray("a.txt") << 400;
    QTest::newRow("no file name") << valid << QByteArray("1") << QByteArray("") << 400;
    QTest::newRow("parent folder") << valid << QByteArray("1") << QByteArray("..") << 400;
    QTest::newRow("path in name") << valid << QByteArray("1") << QByteArray("../../escape.txt")
                                  << 400;
    QTest::newRow("windows path") << valid << QByteArray("1") << QByteArray("..\\escape.txt")
                                  << 400;
}

void ServiceLogUploadTest::refused()
{
    QFETCH(QByteArray, token);
    QFETCH(QByteArray, markId);
    QFETCH(QByteArray, fileName);
    QFETCH(int, status);
    const QStringList before = filesIn(m_service.stateFolder());
    const HttpResult result
        = upload(token == "valid" ? this->token() : token, markId, fileName, "content");
    QCOMPARE(result.status, status);
    QCOMPARE(objectOf(result).value("code").toInt(-1), status);
    QVERIFY(m_service.uploads().isEmpty());
    QCOMPARE(filesIn(m_service.stateFolder()), before);
}

QTEST_GUILESS_MAIN(ServiceLogUploadTest)
#include "ServiceLogUploadTest.moc"
