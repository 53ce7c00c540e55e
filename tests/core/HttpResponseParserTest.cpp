#include "core/HttpResponseParser.h"

#include <QTest>

using zov::network::HttpResponseParser;

namespace {

const QByteArray kOk = "HTTP/1.1 200 OK\r\n";

} // namespace

class HttpResponseParserTest : public QObject
{
    Q_OBJECT
private slots:
    // What the Qt transport makes of a server's bytes, fed whole and one byte at a time.
    void repliesAreParsed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closedAfter");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("keepAlive");
        const int failed = -1;
        QTest::newRow("length") << kOk + "Content-Length: 5\r\n\r\nhello" << false << 200
                                << QByteArray("hello") << true;
        QTest::newRow("chunked") << kOk
                + "Transfer-Encoding: chunked\r\n\r\n5;x=1\r\nhello\r\n6\r\n world\r\n0\r\n"
                  "X-Trailer: 1\r\n\r\n"
                                 << false << 200 << QByteArray("hello world") << true;
        QTest::newRow("until closed") << QByteArray("HTTP/1.0 200 OK\r\n\r\nabc") << true << 200
                                      << QByteArray("abc") << false;
        QTest::newRow("interim answer")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\n"
                          "Content-Length: 0\r\n\r\n")
            << false << 201 << QByteArray() << true;
        QTest::newRow("no content") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << false << 204
                                    << QByteArray() << true;
        QTest::newRow("close asked") << kOk + "Connection: close\r\nContent-Length: 2\r\n\r\nok"
                                     << false << 200 << QByteArray("ok") << false;
        QTest::newRow("bytes after")
            << kOk + "Content-Length: 1\r\n\r\nxy" << false << 200 << QByteArray("x") << false;
        QTest::newRow("cut short")
            << kOk + "Content-Length: 10\r\n\r\nabc" << true << failed << QByteArray() << false;
        QTest::newRow("not http") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n") << false << failed
                                  << QByteArray() << false;
        QTest::newRow("two lengths") << kOk + "Content-Length: 1\r\nContent-Length: 2\r\n\r\n"
                                     << false << failed << QByteArray() << false;
        QTest::newRow("negative length") << kOk + "Content-Length: -1\r\n\r\n"
                                         << false << failed << QByteArray() << false;
        QTest::newRow("huge length") << kOk + "Content-Length: 99999999999\r\n\r\n"
                                     << false << failed << QByteArray() << false;
        QTest::newRow("bad chunk") << kOk + "Transfer-Encoding: chunked\r\n\r\nzz\r\n"
                                   << false << failed << QByteArray() << false;
        QTest::newRow("endless header")
            << kOk + "X-Long: " + QByteArray(HttpResponseParser::maxHeaderBytes, 'a') << false
            << failed << QByteArray() << false;
        QTest::newRow("protocol switch") << QByteArray("HTTP/1.1 101 Switching\r\n\r\n") << false
                                         << failed << QByteArray() << false;
    }

    void repliesAreParsed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closedAfter);
        QFETCH(int, status);
        for (const int pieceSize : { bytes.size(), 1 }) {
            HttpResponseParser parser;
            for (int at = 0;
                 at < bytes.size() && parser.state() != HttpResponseParser::State::Failed;
                 at += pieceSize)
                parser.feed(bytes.constData() + at, qMin(pieceSize, bytes.size() - at));
            if (closedAfter)
                parser.finish();
            const bool complete = parser.state() == HttpResponseParser::State::Complete;
            QCOMPARE(complete ? parser.status() : -1, status);
            if (complete) {
                QTEST(parser.body(), "body");
                QTEST(parser.keepAlive(), "keepAlive");
            } else {
                QCOMPARE(parser.state(), HttpResponseParser::State::Failed);
            }
        }
    }
};

QTEST_APPLESS_MAIN(HttpResponseParserTest)
#include "HttpResponseParserTest.moc"
