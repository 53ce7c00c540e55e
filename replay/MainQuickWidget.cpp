#include "replay/MainQuickWidget.h"

#include "replay/MainHelper.h"
#include "replay/PenItem.h"
#include "replay/VideoImageItem.h"
#include "replay/WhiteboardLayout.h"

#include <QDebug>
#include <QKeyEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickItem>
#include <QResizeEvent>

namespace {

constexpr int kMostSamples = 8;

bool isFreehand(const GraphicsData& data)
{
    return data.actionType == GraphicsData::Undo || data.actionType == GraphicsData::Redo
        || data.shapeType == GraphicsData::Pen || data.shapeType == GraphicsData::Eraser;
}

} // namespace

MainQuickWidget::MainQuickWidget(QWidget* parent)
    : QQuickWidget(parent)
    , teacherPen(new PenItem(this))
    , otherPen(new PenItem(this))
{
    Q_INIT_RESOURCE(whiteboard_scene);
    teacherPen->setRatio(whiteboardViewRatio());
    connect(otherPen, &PenItem::otherRolePoint, this, &MainQuickWidget::otherRolePoint);
    for (PenItem* layer : { teacherPen, otherPen }) {
        layer->show();
        layer->raise();
    }
    otherPen->setAttribute(Qt::WA_TransparentForMouseEvents);
    installEventFilter(this);
}

void MainQuickWidget::loadQml()
{
    setSource(QUrl(QStringLiteral("qrc:/qml/main.qml")));
}

int MainQuickWidget::getGLMaxSamples()
{
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface))
        return 0;
    GLint samples = 0;
    context.functions()->glGetIntegerv(GL_MAX_SAMPLES, &samples);
    context.doneCurrent();
    return qMin(int(samples), kMostSamples);
}

void MainQuickWidget::onQmlLoadCompleted()
{
    qDebug() << "MainQuickWidget::onQmlLoadCompleted";
    root = rootObject();
    if (!root)
        return;
    root->setSize(size());
    pptVideo = root->findChild<VideoImageItem*>(QStringLiteral("pptVideo"));
    if (auto* flickable = root->findChild<QQuickItem*>(QStringLiteral("flickableObj")))
        mainHelper = flickable->findChild<MainHelper*>(QStringLiteral("mainHelper"));
}

void MainQuickWidget::setContentPos(int x, int y)
{
    if (root) {
        root->setProperty("content_x", x);
        root->setProperty("content_y", -y);
    }
    teacherPen->move(x, y);
    otherPen->move(x, y);
}

void MainQuickWidget::setContentSize(QSize size)
{
    contentSize = size;
    resizePenLayers(this->size());
}

void MainQuickWidget::resizePenLayers(const QSize& widgetSize)
{
    const QSize layer = whiteboardLayerSize(contentSize, widgetSize);
    for (PenItem* pen : { teacherPen, otherPen }) {
        pen->resize(layer);
        pen->setRatio(whiteboardViewRatio());
    }
}

void MainQuickWidget::setFrame(const QImage& frame)
{
    if (pptVideo)
        pptVideo->setImage(frame);
}

void MainQuickWidget::clear()
{
    if (mainHelper)
        mainHelper->clear();
    teacherPen->clear();
    otherPen->clear();
}

void MainQuickWidget::onExternalGraphicData(int role, const GraphicsData& data, bool isReplay)
{
    qDebug() << " role" << role << data.shapeType;
    if (isFreehand(data)) {
        (role == 0 ? teacherPen : otherPen)->onExternalGraphicData(role, data, isReplay);
        return;
    }
    if (data.actionType == GraphicsData::Clear) {
        clear();
        return;
    }
    GraphicsData scaled = data;
    if (recalculatePoint(scaled, isReplay) && mainHelper)
        mainHelper->insert(scaled);
}

bool MainQuickWidget::recalculatePoint(GraphicsData& data, bool isReplay)
{
    if (data.actionType != GraphicsData::Update && data.actionType != GraphicsData::Add)
        return true;
    if (data.width == 0 || data.height == 0) {
        qDebug() << "data is err" << data.width << data.height << this;
        return false;
    }
    const float sx = float(teacherPen->width()) / float(data.width);
    const float sy = float(teacherPen->height()) / float(data.height);
    for (QPoint& point : data.points)
        point = QPoint(int(float(point.x()) * sx), int(float(point.y()) * sy));
    if (!data.points.isEmpty() && !isReplay)
        emit otherRolePoint(data.points.last());
    return true;
}

void MainQuickWidget::resizeEvent(QResizeEvent* event)
{
    qDebug() << "void __thiscall MainQuickWidget::resizeEvent(class QResizeEvent *)"
             << event->size();
    resizePenLayers(event->size());
    QQuickWidget::resizeEvent(event);
}

// The recorded lesson is not to be undone or redone from the keyboard.
bool MainQuickWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        m_lastModifiers = key->modifiers();
        if ((key->modifiers() & Qt::ControlModifier)
            && (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y))
            return true;
    }
    return QQuickWidget::eventFilter(watched, event);
}
