#include "replay/GraphicsDataPackage.h"
#include "replay/MainHelper.h"
#include "replay/MainQuickWidget.h"
#include "replay/PenItem.h"
#include "replay/ReadRelayData.h"
#include "replay/ReplayDataManager.h"
#include "replay/ReplayQmlTypes.h"
#include "replay/WhiteboardLayout.h"

#include <QDataStream>
#include <QJsonArray>
#include <QJsonDocument>
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

QByteArray shapeBytes(qint16 type, const QList<QPoint>& points, const QByteArray& textTail = {})
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

GraphicsData shape(
    qint16 action, qint16 type, int id, const QList<QPoint>& points, QSize area = QSize(960, 720))
{
    GraphicsData data;
    data.actionType = action;
    data.shapeType = type;
    data.graphicId = id;
    data.width = area.width();
    data.height = area.height();
    data.lineWidth = 3;
    data.color = 0x12AB34;
    data.points = points;
    return data;
}

// A piece of a freehand stroke as a 1920 x 1080 classroom whiteboard sends it.
GraphicsData piece(qint32 id, qint16 phase, const QList<QPoint>& points,
    qint16 type = GraphicsData::Pen, QSize area = QSize(1920, 1080))
{
    GraphicsData data = shape(GraphicsData::Add, type, id, points, area);
    data.strokePhase = phase;
    return data;
}

} // namespace

// The whiteboard: its data files and packets, from bytes written the recording's way, the
// timeline that reads them, and the scene on a real QML engine with its shapes and freehand
// layers, which are read back pixel by pixel.
class WhiteboardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerReplayQmlTypes(); }

    void init()
    {
        m_scene.reset(new MainQuickWidget(nullptr));
        m_scene->resize(960, 720);
        m_scene->loadQml();
        m_scene->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_scene.data()));
        QTRY_VERIFY(m_scene->rootObject());
        m_scene->onQmlLoadCompleted();
        QVERIFY(m_scene->shapes());
    }

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
            + record(1100, 11, packet(1, 4, "t1", 7, shapeBytes(3, { { 0, 0 }, { 1920, 1080 } })))
            + record(
                1200, 11, packet(1, 3, "s2", 5, shapeBytes(11, { { 5, 6 }, { 50, 60 } }, textTail)))
            + record(1250, 10, R"({"type":105,"pageId":"p2"})") + record(1300, 99, "ignored")
            + record(1400, 11, packet(1, 4, "t1", 9, shapeBytes(3, {}), 1))
            + record(1500, 11, packet(2, 4, "t1", 0, {}))
            // A record of a negative length ends the file.
            + QByteArray("\0\0\0\0\xff\xff\xff\xf0xxxxxxxx", 16);
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

    // A file written by another program than these tests, the fuzzing seed, cut anywhere:
    // it reads as the records wholly before the cut and nothing else, reported once.
    void readsAFileOfTheRecordingCutAnywhere()
    {
        QFile file(QStringLiteral(ZOV_SOURCE_DIR "/fuzz/corpus/replaydata/lesson.dat"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QList<WhiteboardRecord> records = readAll(bytes).data.pages.value("cw_p1").records();
        QCOMPARE(records.size(), 3);
        int recordsBefore = 0;
        for (int cut = 0; cut < bytes.size(); ++cut) {
            const ReadResult part = readAll(bytes.left(cut));
            const QList<WhiteboardRecord> read = part.data.pages.value("cw_p1").records();
            QVERIFY(part.emitted == 1 && part.pages.size() <= 1 && read.size() >= recordsBefore);
            QVERIFY2(read.size() < records.size(), qPrintable(QString::number(cut)));
            for (int i = 0; i < read.size(); ++i) {
                QCOMPARE(read.at(i).timeStamp, records.at(i).timeStamp);
                QCOMPARE(read.at(i).data.points, records.at(i).data.points);
            }
            recordsBefore = read.size();
        }
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
        QFETCH(QString, page);
        QFETCH(int, yOffset);
        ReplayDataManager manager(nullptr);
        QCOMPARE(manager.getStatusData(positionMs).time, qint64(0));
        fillTwoStretches(manager);
        const StatusData state = manager.getStatusData(positionMs);
        QTEST(state.time, "lessonTime");
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

    void layerSize_data()
    {
        QTest::addColumn<QSize>("content");
        QTest::addColumn<QSize>("widget");
        QTest::addColumn<QSize>("layer");
        QTest::newRow("tall page") << QSize(960, 1440) << QSize(960, 720) << QSize(960, 1440);
        QTest::newRow("narrow widget") << QSize(960, 720) << QSize(480, 720) << QSize(480, 360);
        QTest::newRow("wide widget") << QSize(960, 720) << QSize(1920, 720) << QSize(960, 720);
    }

    void layerSize()
    {
        QFETCH(QSize, content);
        QFETCH(QSize, widget);
        QFETCH(QSize, layer);
        QCOMPARE(whiteboardLayerSize(content, widget), layer);
        QCOMPARE(whiteboardViewRatio(), float(layer.width()) / float(content.width()));
    }

    // Strokes drawn on a layer half the sender's size.
    void penLayerDrawsStrokes_data()
    {
        QTest::addColumn<QList<GraphicsData>>("pieces");
        QTest::addColumn<int>("strokes");
        QTest::addColumn<QPoint>("inked");
        QTest::addColumn<QPoint>("blank");

        const QList<QPoint> diagonal { { 0, 0 }, { 1920, 1080 } };
        const GraphicsData undo = shape(GraphicsData::Undo, GraphicsData::Pen, 0, {});
        const GraphicsData redo = shape(GraphicsData::Redo, GraphicsData::Pen, 0, {});
        const QPoint none(-1, -1);
        QTest::newRow("pieces of one id make one stroke")
            << QList<GraphicsData> { piece(7, 0, { { 0, 0 }, { 100, 100 } }),
                   piece(7, 1, { { 200, 100 } }), piece(7, 1, { { 300, 100 }, { 400, 100 } }),
                   piece(7, 2, { { 500, 100 } }), piece(8, 1, { { 0, 500 }, { 900, 500 } }) }
            << 2 << QPoint(175, 50) << QPoint(480, 400);
        // Unscaled, this diagonal would cross x = 480 far below the layer.
        QTest::newRow("scaled to the layer")
            << QList<GraphicsData> { piece(1, 2, { { 0, 1080 }, { 1920, 0 } }) } << 1
            << QPoint(480, 270) << QPoint(480, 100);
        QTest::newRow("no sender area") << QList<GraphicsData> {
            piece(1, 2, { { 0, 1080 }, { 1920, 0 } }, GraphicsData::Pen, QSize(0, 1080))
        } << 0 << none << QPoint(480, 270);
        QTest::newRow("undo with nothing drawn")
            << QList<GraphicsData> { undo } << 0 << none << QPoint(480, 270);
        QTest::newRow("undo") << QList<GraphicsData> { piece(1, 2, diagonal), undo } << 0 << none
                              << QPoint(480, 270);
        QTest::newRow("undo then redo") << QList<GraphicsData> { piece(1, 2, diagonal), undo, redo }
                                        << 1 << QPoint(480, 270) << QPoint(480, 100);
        QTest::newRow("eraser") << QList<GraphicsData> { piece(1, 2, { { 0, 540 }, { 1920, 540 } }),
            piece(2, 2, { { 960, 0 }, { 960, 1080 } }, GraphicsData::Eraser) }
                                << 2 << QPoint(100, 270) << QPoint(480, 270);
    }

    void penLayerDrawsStrokes()
    {
        QFETCH(QList<GraphicsData>, pieces);
        QFETCH(QPoint, inked);
        QFETCH(QPoint, blank);
        PenItem layer;
        layer.resize(960, 540);
        for (const GraphicsData& data : pieces)
            layer.onExternalGraphicData(0, data);
        QTEST(layer.strokeCount(), "strokes");
        QVERIFY(inked.x() < 0 || layer.canvas().pixelColor(inked).alpha() > 0);
        QCOMPARE(layer.canvas().pixelColor(blank).alpha(), 0);
    }

    void shapesFollowTheirActions()
    {
        MainHelper* shapes = m_scene->shapes();
        m_scene->onExternalGraphicData(0, shape(4, 4, 1, { { 0, 0 }, { 100, 0 } }), true);
        QObject* arrow = shapes->item(1);
        QVERIFY(arrow);
        QCOMPARE(arrow->property("m_pt1").toPointF(), QPointF(100, 0));
        QCOMPARE(arrow->property("m_pt3").toPointF(), QPointF(91, 4));
        QCOMPARE(arrow->property("m_pt4").toPointF(), QPointF(91, -4));
        QCOMPARE(arrow->property("m_color").toString(), QStringLiteral("#12ab34"));

        m_scene->onExternalGraphicData(0, shape(4, 7, 2, { { 50, 80 }, { 10, 20 } }), true);
        QCOMPARE(shapes->item(2)->property("m_pt1").toPointF(), QPointF(10, 20));
        QCOMPARE(shapes->item(2)->property("m_pt2").toPointF(), QPointF(50, 80));
        m_scene->onExternalGraphicData(
            0, shape(4, 3, 3, { { 0, 0 }, { 1920, 1080 } }, QSize(1920, 1080)), true);
        QCOMPARE(shapes->item(3)->property("m_pt2").toPointF(), QPointF(960, 720));

        QTest::ignoreMessage(QtDebugMsg, "MainHelper::insertFinished id: 2 has inserted");
        m_scene->onExternalGraphicData(0, shape(4, 7, 2, { { 0, 0 }, { 5, 5 } }), true);
        m_scene->onExternalGraphicData(0, shape(3, 4, 1, { { 0, 0 }, { 50, 0 } }), true);
        QCOMPARE(shapes->itemCount(), 3);
        QCOMPARE(shapes->item(1)->property("m_pt1").toPointF(), QPointF(50, 0));

        // Shapes travel through the recording and the viewer's run; a removal's list is
        // proven only here, so it goes through the packet codec on its way.
        GraphicsData removal = shape(5, 0, 0, {});
        removal.ids = { 1, 3 };
        GraphicsDataPackage* package = GraphicsDataPackage::instance();
        m_scene->onExternalGraphicData(
            0, package->decodePacketContent(package->encodePacketContent(removal)), true);
        QCOMPARE(shapes->itemCount(), 1);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^data is err 0 0")));
        m_scene->onExternalGraphicData(
            0, shape(4, 8, 9, { { 0, 0 }, { 9, 9 } }, QSize(0, 0)), true);
        m_scene->onExternalGraphicData(0, shape(6, 0, 0, {}), true);
        QCOMPARE(shapes->itemCount(), 0);
    }

    // A student's stroke goes to the second layer; a later record written before an earlier
    // one holds the earlier back, which is then skipped as already past; a jump back redraws
    // the page from an empty scene; a page change starts from an empty one.
    void timelineDrawsEachRecordOnce()
    {
        GraphicsData stroke = shape(4, 1, 7, { { 10, 10 }, { 200, 200 } });
        stroke.strokePhase = 0;
        ReplayData file;
        file.teacherId = "teacher";
        file.pages["cw_p1"].records() = { { stroke, 100, "student" },
            { shape(4, 7, 8, { { 1, 1 }, { 90, 90 } }), 200, "teacher" },
            { shape(4, 8, 9, { { 1, 1 }, { 90, 90 } }), 180, "teacher" } };
        ReplayDataManager timeline(nullptr);
        timeline.addReplayData(file);
        StatusData state;
        state.pageName = QStringLiteral("cw_p1");

        state.time = 150;
        timeline.showData(state, m_scene.data());
        QCOMPARE(m_scene->penLayer(1)->strokeCount(), 1);
        QCOMPARE(m_scene->penLayer(0)->strokeCount(), 0);
        QCOMPARE(m_scene->shapes()->itemCount(), 0);
        state.time = 190;
        timeline.showData(state, m_scene.data());
        QCOMPARE(m_scene->shapes()->itemCount(), 0);
        state.time = 250;
        timeline.showData(state, m_scene.data());
        timeline.showData(state, m_scene.data());
        QCOMPARE(m_scene->shapes()->itemCount(), 1);
        QCOMPARE(m_scene->penLayer(1)->strokeCount(), 1);

        state.time = 120;
        timeline.showData(state, m_scene.data());
        QCOMPARE(m_scene->shapes()->itemCount(), 0);
        QCOMPARE(m_scene->penLayer(1)->strokeCount(), 1);
        state.pageName = QStringLiteral("cw_p2");
        timeline.showData(state, m_scene.data());
        QCOMPARE(m_scene->penLayer(1)->strokeCount(), 0);
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

    QScopedPointer<MainQuickWidget> m_scene;
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WhiteboardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_whiteboard.moc"
