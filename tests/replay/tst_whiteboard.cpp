#include "replay/MainHelper.h"
#include "replay/MainQuickWidget.h"
#include "replay/PenItem.h"
#include "replay/ReplayDataManager.h"
#include "replay/ReplayQmlTypes.h"
#include "replay/WhiteboardLayout.h"

#include <QtTest>

namespace {

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

WhiteboardRecord recordAt(qint64 time, const QByteArray& sender, const GraphicsData& data)
{
    return { data, time, sender };
}

} // namespace

// The whiteboard scene on a real QML engine: shapes, freehand layers and the timeline
// that feeds them.
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

        GraphicsData removal = shape(5, 0, 0, {});
        removal.ids = { 1, 3 };
        m_scene->onExternalGraphicData(0, removal, true);
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
        file.pages["cw_p1"].records() = { recordAt(100, "student", stroke),
            recordAt(200, "teacher", shape(4, 7, 8, { { 1, 1 }, { 90, 90 } })),
            recordAt(180, "teacher", shape(4, 8, 9, { { 1, 1 }, { 90, 90 } })) };
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
