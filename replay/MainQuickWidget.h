#pragma once

#include "replay/GraphicsData.h"

#include <QImage>
#include <QQuickWidget>
#include <QSize>

class MainHelper;
class PenItem;
class QQuickItem;
class VideoImageItem;

// The whiteboard of a replayed lesson: the courseware video and the shapes in a QML
// scene, and over it two transparent layers that paint freehand strokes, one for the
// teacher and one for everybody else.
class MainQuickWidget : public QQuickWidget
{
    Q_OBJECT
public:
    explicit MainQuickWidget(QWidget* parent);

    void loadQml();
    // The OpenGL limit of multisample samples, at most 8; 0 without OpenGL.
    static int getGLMaxSamples();

    // Scrolls the page: shapes and both freehand layers move together.
    void setContentPos(int x, int y);
    // The page's size in view pixels.
    void setContentSize(QSize size);
    void setFrame(const QImage& frame);
    void clear();
    bool recalculatePoint(GraphicsData& data, bool isReplay);

    MainHelper* shapes() const { return mainHelper; }
    PenItem* penLayer(int role) const { return role == 0 ? teacherPen : otherPen; }
    VideoImageItem* videoItem() const { return pptVideo; }

signals:
    void otherRolePoint(QPoint point);

public slots:
    void onQmlLoadCompleted();
    void onExternalGraphicData(int role, const GraphicsData& data, bool isReplay);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void resizePenLayers(const QSize& widgetSize);

    VideoImageItem* pptVideo = nullptr;
    PenItem* teacherPen = nullptr;
    PenItem* otherPen = nullptr;
    MainHelper* mainHelper = nullptr;
    QQuickItem* root = nullptr;
    QSize contentSize { 960, 720 };
    Qt::KeyboardModifiers m_lastModifiers;
};
