#include "HttpExchange.h"
#include "LocalService.h"

#include <QDirIterator>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/log/uploadConfig");
const QString uploadPath = QStringLiteral("/olbusiness/api/log/upload");
const QString logName = QStringLiteral("student_2026_12_04_13_05_20.txt");

QJsonObject objectOf(const HttpResult& result)
{
    return QJsonDocument::fromJson(result.body).object();
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

void addText(QHttpMultiPart& form, const QByteArray& name, const QByteArray& value)
{
    addPart(form, "name=\"" + name + "\"", value);
}

void addFile(QHttpMultiPart& form, const QByteArray& fileName, const QByteArray& content)
{
    addPart(form, "name=\"file\"; filename=\"" + fileName + "\"", content);
}

} // namespace

// The upload configuration and the upload the upload program makes with it.
class ServiceLogUploadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void configIsTheRunsOwn();
    void storedByteForByte_data();
    void storedByteForByte();
    void laterUploadReplacesTheFile();
    void refused_data();
    void refused();

private:
    QJsonObject configData();
    HttpResult upload(QHttpMultiPart& form, const QByteArray& token);
    QString storedPath(const QString& markId, const QString& name) const;

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

HttpResult ServiceLogUploadTest::upload(QHttpMultiPart& form, const QByteArray& token)
{
    HttpExchange client(m_service);
    if (!token.isNull())
        client.setHeaders({ { "X-Upload-Token", token } });
    return client.postForm(QUrl(m_config.value("uploadUrl").toString()), form);
}

QString ServiceLogUploadTest::storedPath(const QString& markId, const QString& name) const
{
    return m_service.stateFolder() + QStringLiteral("/uploads/") + markId + QLatin1Char('/') + name;
}

// One token for the whole run; the next run's service takes no earlier token.
void ServiceLogUploadTest::configIsTheRunsOwn()
{
    QUrl expectedUrl = m_service.apiBaseUrl();
    expectedUrl.setPath(uploadPath);
    QCOMPARE(QUrl(m_config.value("uploadUrl").toString()), expectedUrl);
    QVERIFY(m_config.value("uploadToken").toString().size() >= 16);
    const QJsonObject fields { { "app", "student" }, { "channel", "ol_stu" } };
    QCOMPARE(m_config.value("fields").toObject(), fields);
    QCOMPARE(configData(), m_config);

    const QByteArray earlier = m_config.value("uploadToken").toString().toUtf8();
    QVERIFY(m_service.start());
    m_config = configData();
    QVERIFY(m_config.value("uploadToken").toString().toUtf8() != earlier);
    QHttpMultiPart form(QHttpMultiPart::FormDataType);
    addFile(form, logName.toUtf8(), "content");
    addText(form, "markId", "1");
    QCOMPARE(upload(form, earlier).status, 403);
}

void ServiceLogUploadTest::storedByteForByte_data()
{
    QTest::addColumn<QByteArray>("markId");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("content");

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char(i * 7 % 256));
    QByteArray boundaryLike("\r\n--boundary\r\nContent-Disposition: form-data\r\n\r\n");
    QTest::newRow("log text") << QByteArray("75115828") << logName.toUtf8()
                              << QByteArray("2026-12-04 13:05:20 [info] 登录成功\r\n");
    QTest::newRow("binary") << QByteArray("1") << QByteArray("dump.bin") << binary;
    QTest::newRow("empty file") << QByteArray("0") << QByteArray("empty.txt") << QByteArray();
    QTest::newRow("form syntax inside")
        << QByteArray("42") << QByteArray("tricky.txt") << boundaryLike.repeated(3);
    QTest::newRow("large") << QByteArray("7") << QByteArray("large.txt")
                           << QByteArray("0123456789abcdef").repeated(256 * 1024);
}

void ServiceLogUploadTest::storedByteForByte()
{
    QFETCH(QByteArray, markId);
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, content);
    QHttpMultiPart form(QHttpMultiPart::FormDataType);
    addFile(form, fileName, content);
    addText(form, "markId", markId);
    const QJsonObject fields = m_config.value("fields").toObject();
    for (auto field = fields.begin(); field != fields.end(); ++field)
        addText(form, field.key().toUtf8(), field.value().toString().toUtf8());

    const HttpResult result = upload(form, m_config.value("uploadToken").toString().toUtf8());
    QCOMPARE(result.status, 200);
    const QJsonObject reply = objectOf(result);
    QCOMPARE(reply.value("code").toInt(-1), 0);
    QCOMPARE(reply.value("data").toObject().value("size").toInt(-1), content.size());
    QCOMPARE(
        fileContent(storedPath(QString::fromUtf8(markId), QString::fromUtf8(fileName))), content);

    const QJsonArray uploads = m_service.uploads();
    QCOMPARE(uploads.size(), 1);
    const QJsonObject entry = uploads.first().toObject();
    QCOMPARE(entry.value("markId").toString(), QString::fromUtf8(markId));
    QCOMPARE(entry.value("name").toString(), QString::fromUtf8(fileName));
    QCOMPARE(entry.value("size").toInt(-1), content.size());
    QCOMPARE(entry.value("fields").toObject(), fields);
}

void ServiceLogUploadTest::laterUploadReplacesTheFile()
{
    const QByteArray token = m_config.value("uploadToken").toString().toUtf8();
    for (const QByteArray& content :
        { QByteArray("first upload, the longer one"), QByteArray("second") }) {
        QHttpMultiPart form(QHttpMultiPart::FormDataType);
        addFile(form, logName.toUtf8(), content);
        addText(form, "markId", "9");
        QCOMPARE(upload(form, token).status, 200);
    }
    QCOMPARE(fileContent(storedPath(QStringLiteral("9"), logName)), QByteArray("second"));
    QCOMPARE(m_service.uploads().size(), 2);
}

void ServiceLogUploadTest::refused_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QByteArray>("markId");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<int>("status");

    // "valid" stands for the token of the configuration.
    QTest::newRow("wrong token") << "0123456789abcdef0123456789abcdef" << QByteArray("1")
                                 << QByteArray("a.txt") << 403;
    QTest::newRow("no token") << QString() << QByteArray("1") << QByteArray("a.txt") << 403;
    QTest::newRow("empty token") << "" << QByteArray("1") << QByteArray("a.txt") << 403;
    QTest::newRow("no mark id") << "valid" << QByteArray() << QByteArray("a.txt") << 400;
    QTest::newRow("mark id leaving the folder")
        << "valid" << QByteArray("../x") << QByteArray("a.txt") << 400;
    QTest::newRow("empty mark id") << "valid" << QByteArray("") << QByteArray("a.txt") << 400;
    QTest::newRow("no file name") << "valid" << QByteArray("1") << QByteArray("") << 400;
    QTest::newRow("parent folder") << "valid" << QByteArray("1") << QByteArray("..") << 400;
    QTest::newRow("path in name") << "valid" << QByteArray("1") << QByteArray("../../escape.txt")
                                  << 400;
    QTest::newRow("windows path") << "valid" << QByteArray("1") << QByteArray("..\\escape.txt")
                                  << 400;
}

void ServiceLogUploadTest::refused()
{
    QFETCH(QString, token);
    QFETCH(QByteArray, markId);
    QFETCH(QByteArray, fileName);
    QFETCH(int, status);
    QHttpMultiPart form(QHttpMultiPart::FormDataType);
    addFile(form, fileName, "content");
    if (!markId.isNull())
        addText(form, "markId", markId);
    const QByteArray sent = token == QLatin1String("valid")
        ? m_config.value("uploadToken").toString().toUtf8()
        : token.isNull() ? QByteArray()
                         : token.toUtf8();

    const QStringList before = filesIn(m_service.stateFolder());
    const HttpResult result = upload(form, sent);
    QCOMPARE(result.status, status);
    QCOMPARE(objectOf(result).value("code").toInt(-1), status);
    QVERIFY(m_service.uploads().isEmpty());
    QCOMPARE(filesIn(m_service.stateFolder()), before);
}

QTEST_GUILESS_MAIN(ServiceLogUploadTest)
#include "ServiceLogUploadTest.moc"
