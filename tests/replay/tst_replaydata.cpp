#include "replay/GraphicsDataPackage.h"
#include "replay/ReadRelayData.h"
#include "replay/ReplayDataManager.h"

#include <QDataStream>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The recorded files' layout, written out field by field as the classroom writes it.
QByteArray record(qint64 time, qint32 msgType, const QByteArray& message, qint32 dataLen = -1)
{
    QByteArray body;
    QDataStream fields(&body, QIODevice::WriteOnly);
    fields << time << msgType << qint32(0) << (dataLen < 0 ? qint32(message.size()) : dataLen);
    fields.writeRawData(message.constData(), message.size());
    QByteArray bytes;
    QDataStream header(&bytes, QIODevice::WriteOnly);
    header << qint32(0) << qint32(body.size());
    return bytes + body;
}

QByteArray packet(qint16 version, qint16 action, const QByteArray& sender, qint32 msgId,
    const QByteArray& content, qint32 lengthOffset = 0)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(0) << qint32(0) << version;
    if (version == 1) {
        out << qint64(0) << action << sender << QByteArray("cw") << QByteArray("p1") << msgId
            << qint32(40 + msgId) << content;
    }
    QDataStream length(&bytes, QIODevice::ReadWrite);
    length << qint32(bytes.size() + lengthOffset);
    return bytes;
}

QByteArray shape(qint16 type, const QList<QPoint>& points, const QByteArray& textTail = {})
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << type << qint32(1920) << qint32(1080) << qint16(3) << qint16(0) << qint32(0xFF0000)
        << qint16(1) << quint32(points.size());
    for (const QPoint& point : points)
        out << qint32(point.x()) << qint32(point.y());
    return bytes + textTail;
}

IrcData pageChange(const QString& pageId, qint64 timeStamp)
{
    IrcData page;
    page.type = QStringLiteral("105");
    page.coursewareId = QStringLiteral("cw");
    page.pageId = pageId;
    page.width = 1000;
    page.height = 1500;
    page.timeStamp = timeStamp;
    page.yOffset = timeStamp / 1000;
    return page;
}

struct ReadResult
{
    QList<IrcData> pages;
    ReplayData data;
    int emitted = 0;
};

ReadResult readAll(const QByteArray& bytes)
{
    ReadResult result;
    ReadRelayData reader(nullptr);
    QObject::connect(
        &reader, &ReadRelayData::readDatas, [&result](QList<IrcData>& pages, ReplayData& data) {
            result.pages = pages;
            result.data = data;
            ++result.emitted;
        });
    reader.readBytes(bytes, 3);
    return result;
}

} // namespace

class ReplayDataTest : public QObject
{
    Q_OBJECT

private slots:
    void readsPageChangesAndWhiteboardRecords()
    {
        QByteArray textTail;
        QDataStream tail(&textTail, QIODevice::WriteOnly);
        tail << QByteArray("你好") << qint16(24) << qint16(5);
        // Page messages end at their first zero byte.
        const QByteArray pageChange
            = QByteArray(R"({"type":"105","coursewareId":"cw","pageId":"p1",)"
                         R"("width":960,"height":"1440","timeStamp":"1000","yOffset":30})")
            + QByteArray("\0garbage", 8);
        const QByteArray file = record(1000, 10, pageChange)
            + record(1100, 11, packet(1, 4, "t1", 7, shape(3, { { 0, 0 }, { 1920, 1080 } })))
            + record(1200, 11, packet(1, 3, "s2", 5, shape(11, { { 5, 6 }, { 50, 60 } }, textTail)))
            + record(1250, 10, R"({"type":105,"pageId":"p2"})") + record(1300, 99, "ignored")
            + record(1400, 11, packet(1, 4, "t1", 9, shape(3, {}), 1))
            + record(1500, 11, packet(2, 4, "t1", 0, {})) + record(1600, 11, "truncated").left(20);
        const ReadResult result = readAll(file);
        QCOMPARE(result.emitted, 1);
        QCOMPARE(result.pages.size(), 1);
        const IrcData& page = result.pages.first();
        QCOMPARE(page.pageId, QStringLiteral("p1"));
        QCOMPARE(page.height, 1440);
        QCOMPARE(page.timeStamp, qint64(1000));
        QCOMPARE(page.yOffset, 30);
        QCOMPARE(result.data.index, 3);
        QCOMPARE(result.data.lastTimeStamp, qint64(1500));
        QCOMPARE(result.data.teacherId, QByteArray("t1"));
        QCOMPARE(result.data.pages.keys().size(), 2);

        const QList<WhiteboardRecord> records = result.data.pages.value("cw_p1").records();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).timeStamp, qint64(1100));
        QCOMPARE(records.at(0).data.points, QList<QPoint>({ { 0, 0 }, { 1920, 1080 } }));
        QCOMPARE(records.at(0).data.graphicId, 47);
        QVERIFY(records.at(0).data.text.isEmpty());
        QCOMPARE(records.at(1).senderId, QByteArray("s2"));
        QCOMPARE(records.at(1).data.text, QByteArray("你好"));
        QCOMPARE(records.at(1).data.fontSize, qint16(24));
        QCOMPARE(records.at(1).data.contentY, qint16(5));
        QCOMPARE(result.data.pages.value("_").records().first().data.actionType, qint16(0));
        QCOMPARE(GraphicsDataPackage::instance()->highestMsgId("cw_p1", false), 7);
    }

    // A file written by another program than these tests, the fuzzing seed: whole, and cut
    // anywhere, where it reads as the records wholly before the cut and nothing else.
    void readsAFileOfTheRecordingCutAnywhere()
    {
        QFile file(QStringLiteral(ZOV_SOURCE_DIR "/fuzz/corpus/replaydata/lesson.dat"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const ReadResult whole = readAll(bytes);
        QCOMPARE(whole.pages.size(), 1);
        const QList<WhiteboardRecord> records = whole.data.pages.value("cw_p1").records();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(1).data.text, QByteArray("你好"));
        QCOMPARE(records.at(2).data.ids, QList<qint32>({ 41, 42 }));
        int recordsBefore = 0;
        for (int cut = 0; cut < bytes.size(); ++cut) {
            const ReadResult part = readAll(bytes.left(cut));
            const QList<WhiteboardRecord> read = part.data.pages.value("cw_p1").records();
            QVERIFY(part.pages.size() <= 1 && read.size() >= recordsBefore);
            QVERIFY2(read.size() < records.size(), qPrintable(QString::number(cut)));
            for (int i = 0; i < read.size(); ++i) {
                QCOMPARE(read.at(i).timeStamp, records.at(i).timeStamp);
                QCOMPARE(read.at(i).data.points, records.at(i).data.points);
            }
            recordsBefore = read.size();
        }
    }

    void damagedFilesReadAsEmpty_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("four bytes") << QByteArray("\0\0\0\1", 4);
        QTest::newRow("body longer than the file") << record(5, 10, "{}").left(12);
        QTest::newRow("negative body length") << QByteArray("\0\0\0\0\xff\xff\xff\xf0xxxxxxxx", 16);
    }

    void damagedFilesReadAsEmpty()
    {
        QFETCH(QByteArray, file);
        const ReadResult result = readAll(file);
        QCOMPARE(result.emitted, 1);
        QVERIFY(result.pages.isEmpty());
        QVERIFY(result.data.pages.isEmpty());
        QCOMPARE(result.data.lastTimeStamp, qint64(0));
    }

    // Two recorded stretches of a minute each, at lesson times 1 000 000 and 2 000 000; the
    // second file arrives first and holds an older page change than the first file's last.
    void timelineFindsLessonTimeAndPage_data()
    {
        QTest::addColumn<qint64>("positionMs");
        QTest::addColumn<qint64>("lessonTime");
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("yOffset");
        QTest::newRow("before any page change") << qint64(0) << qint64(1000000) << QString() << 0;
        QTest::newRow("a change at that very time is not yet shown")
            << qint64(10000) << qint64(1010000) << QString() << 0;
        QTest::newRow("just after it") << qint64(10001) << qint64(1010001) << "cw_p1" << 1010;
        QTest::newRow("second stretch") << qint64(90000) << qint64(2030000) << "cw_p2" << 2020;
        QTest::newRow("the first file's later change stops the walk")
            << qint64(119999) << qint64(2059999) << "cw_p2" << 2020;
        QTest::newRow("past the video: the last change read")
            << qint64(500000) << qint64(2060000) << "cw_p9" << 2040;
    }

    void timelineFindsLessonTimeAndPage()
    {
        QFETCH(qint64, positionMs);
        QFETCH(qint64, lessonTime);
        QFETCH(QString, page);
        QFETCH(int, yOffset);
        ReplayDataManager manager(nullptr);
        QCOMPARE(manager.getStatusData(positionMs).time, qint64(0));
        fillTwoStretches(manager);
        const StatusData state = manager.getStatusData(positionMs);
        QCOMPARE(state.time, lessonTime);
        QCOMPARE(state.pageName, page);
        QCOMPARE(state.width, page.isEmpty() ? 960 : 1000);
        QCOMPARE(state.yOffset, yOffset);
    }

    // Marks for the progress bar: in video order, a scroll of the shown page is none.
    void pageTurnsAreVideoPositions()
    {
        ReplayDataManager manager(nullptr);
        fillTwoStretches(manager);
        QList<IrcData> scroll { pageChange("p9", 2050000) };
        manager.addIrcDatas(scroll, 2);
        QVector<qint64> positions;
        QStringList pages;
        for (const ReplayDataManager::PageTurn& turn : manager.pageTurns()) {
            positions.append(turn.positionMs);
            pages.append(turn.pageId);
        }
        QCOMPARE(positions, QVector<qint64>({ 10000, 80000, 100000, 119999 }));
        QCOMPARE(pages, QStringList({ "p1", "p2", "p9", "p3" }));
    }

    // Shapes travel through the recording and the viewer's run; a removal's list does not.
    void encodedRemovalDecodesToTheSameItems()
    {
        GraphicsDataPackage* package = GraphicsDataPackage::instance();
        GraphicsData removal;
        removal.actionType = GraphicsData::Delete;
        removal.ids = { 3, 4, 5 };
        QCOMPARE(
            package->decodePacketContent(package->encodePacketContent(removal)).ids, removal.ids);
    }

private:
    static void fillTwoStretches(ReplayDataManager& manager)
    {
        manager.setSegments(ReplayDataManager::segmentsFromVideoTime(
            QJsonDocument::fromJson(R"([{"startTime":1000000,"endTime":1060000},)"
                                    R"({"startTime":"2000000","endTime":2060000}])")
                .array()));
        QList<IrcData> second { pageChange("p3", 2059999), pageChange("p9", 2040000) };
        QList<IrcData> first { pageChange("p1", 1010000), pageChange("p2", 2020000) };
        ReplayData file;
        manager.addIrcDatas(second, 1);
        manager.addReplayData(file);
        manager.addIrcDatas(first, 0);
    }
};

QTEST_GUILESS_MAIN(ReplayDataTest)
#include "tst_replaydata.moc"
