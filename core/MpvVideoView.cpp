#include "core/MpvVideoView.h"

#include <QDebug>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

namespace zov {
namespace pull {

namespace {

void* glProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(QByteArray(name))) : nullptr;
}

} // namespace

MpvVideoView::MpvVideoView(mpv_handle* mpv, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_mpv(mpv)
{
    connect(this, &QOpenGLWidget::frameSwapped, this, &MpvVideoView::reportSwap);
}

MpvVideoView::~MpvVideoView()
{
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void MpvVideoView::initializeGL()
{
    // Qt drops and remakes the OpenGL context when the widget moves to another window;
    // mpv's render context belongs to the old one and must go with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    });
    mpv_opengl_init_params glInit { glProcAddress, nullptr };
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL) },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    const int result = mpv_render_context_create(&m_render, m_mpv, params);
    if (result < 0) {
        qWarning() << "MpvVideoView: no OpenGL render context:" << mpv_error_string(result);
        m_render = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_render, &MpvVideoView::onRenderUpdate, this);
    emit renderReady();
}

// Called on one of mpv's threads: only ask for a repaint on ours.
void MpvVideoView::onRenderUpdate(void* view)
{
    auto* self = static_cast<MpvVideoView*>(view);
    QMetaObject::invokeMethod(
        self, [self] { self->update(); }, Qt::QueuedConnection);
}

void MpvVideoView::paintGL()
{
    if (!m_render) {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo { int(defaultFramebufferObject()), int(width() * ratio),
        int(height() * ratio), 0 };
    int flipY = 1;
    // mpv would otherwise hold the GUI thread until the frame's display time.
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_OPENGL_FBO, &fbo },
        { MPV_RENDER_PARAM_FLIP_Y, &flipY },
        { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context_render(m_render, params);
}

void MpvVideoView::reportSwap()
{
    if (m_render)
        mpv_render_context_report_swap(m_render);
}

void MpvVideoView::freeRenderContext()
{
    if (!m_render)
        return;
    mpv_render_context_free(m_render);
    m_render = nullptr;
}

} // namespace pull
} // namespace zov
