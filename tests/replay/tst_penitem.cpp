#include "replay/PenItem.h"

#include <QRegularExpression>
#include <QtTest>

// Pieces of strokes as a 1920 x 1080 classroom whiteboard sends them, drawn on a layer
// half that size; the canvas is read back pixel by pixel.
class TestPenItem : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_item.reset(new PenItem);
        m_item->resize(960, 540);
        m_item->show();
    }

    void piecesOfOneIdMakeOneStroke()
    {
        send(7, 0, { { 0, 0 }, { 100, 100 } });
        send(7, 1, { { 200, 100 } });
        send(7, 1, { { 300, 100 }, { 400, 100 } });
        send(7, 2, { { 500, 100 } });
        QCOMPARE(m_item->strokeCount(), 1);
        send(8, 1, { { 0, 500 }, { 900, 500 } });
        QCOMPARE(m_item->strokeCount(), 2);
    }

    void strokeScalesToTheLayer()
    {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^data is err 0 1080")));
        send(1, 2, { { 0, 1080 }, { 1920, 0 } }, GraphicsData::Pen, 0);
        QCOMPARE(m_item->strokeCount(), 0);
        // Unscaled, this diagonal would cross x = 480 far below the layer.
        send(1, 2, { { 0, 1080 }, { 1920, 0 } });
        QVERIFY(alpha(480, 270) > 0);
        QCOMPARE(alpha(480, 100), 0);
    }

    void undoAndRedoMoveTheLastStroke()
    {
        send(0, 0, {}, GraphicsData::Pen, 1920, GraphicsData::Undo);
        QCOMPARE(m_item->undoneCount(), 0);
        send(1, 2, { { 0, 0 }, { 1920, 1080 } });
        send(0, 0, {}, GraphicsData::Pen, 1920, GraphicsData::Undo);
        QCOMPARE(m_item->strokeCount(), 0);
        QCOMPARE(alpha(480, 270), 0);
        send(0, 0, {}, GraphicsData::Pen, 1920, GraphicsData::Redo);
        QCOMPARE(m_item->strokeCount(), 1);
        QVERIFY(alpha(480, 270) > 0);
    }

    void eraserClearsPixels()
    {
        send(1, 2, { { 0, 540 }, { 1920, 540 } });
        send(2, 2, { { 960, 0 }, { 960, 1080 } }, GraphicsData::Eraser);
        QCOMPARE(alpha(480, 270), 0);
        QVERIFY(alpha(100, 270) > 0);
    }

private:
    void send(qint32 id, qint16 phase, const QList<QPoint>& points,
        qint16 shape = GraphicsData::Pen, qint32 width = 1920, qint16 action = GraphicsData::Add)
    {
        GraphicsData data;
        data.actionType = action;
        data.graphicId = id;
        data.width = width;
        data.height = 1080;
        data.shapeType = shape;
        data.lineWidth = 4;
        data.color = 0xFF0000;
        data.strokePhase = phase;
        data.points = points;
        m_item->onExternalGraphicData(0, data);
    }

    int alpha(int x, int y) const { return m_item->canvas().pixelColor(x, y).alpha(); }

    QScopedPointer<PenItem> m_item;
};

QTEST_MAIN(TestPenItem)
#include "tst_penitem.moc"
