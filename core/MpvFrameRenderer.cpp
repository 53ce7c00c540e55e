#include "core/MpvFrameRenderer.h"

#include <QDebug>

#include <mpv/render.h>

#include <cstdlib>

namespace zov {
namespace pull {

namespace {

constexpr size_t kAlignment = 64;

size_t alignedStride(int width)
{
    const size_t bytes = size_t(width) * 4;
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

} // namespace

MpvFrameRenderer::MpvFrameRenderer(mpv_handle* mpv, QObject* parent)
    : QObject(parent)
{
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW) },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    const int result = mpv_render_context_create(&m_render, mpv, params);
    if (result < 0) {
        qWarning() << "MpvFrameRenderer: no software render context:" << mpv_error_string(result);
        m_render = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_render, &MpvFrameRenderer::onRenderUpdate, this);
}

MpvFrameRenderer::~MpvFrameRenderer()
{
    if (m_render)
        mpv_render_context_free(m_render);
}

// Called on one of mpv's threads; updates that come while one is queued fold into it.
void MpvFrameRenderer::onRenderUpdate(void* renderer)
{
    auto* self = static_cast<MpvFrameRenderer*>(renderer);
    if (!self->m_renderQueued.exchange(true))
        QMetaObject::invokeMethod(self, &MpvFrameRenderer::renderFrame, Qt::QueuedConnection);
}

void MpvFrameRenderer::renderFrame()
{
    m_renderQueued = false;
    if (!(mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) || !prepareBuffer())
        return;
    int size[2] = { m_bufferSize.width(), m_bufferSize.height() };
    char format[] = "rgb0";
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_SW_SIZE, size },
        { MPV_RENDER_PARAM_SW_FORMAT, format },
        { MPV_RENDER_PARAM_SW_STRIDE, &m_stride },
        { MPV_RENDER_PARAM_SW_POINTER, m_buffer.get() },
        { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (mpv_render_context_render(m_render, params) < 0)
        return;
    // "rgb0" is R, G, B and a padding byte in memory order, which is RGBX8888 to Qt.
    const QImage rendered(m_buffer.get(), size[0], size[1], int(m_stride), QImage::Format_RGBX8888);
    m_frame = rendered.convertToFormat(QImage::Format_RGB888);
    emit frameReady(m_frame.bits(), m_frame.width(), m_frame.height());
}

bool MpvFrameRenderer::prepareBuffer()
{
    if (m_videoSize.isEmpty())
        return false;
    if (m_videoSize == m_bufferSize)
        return true;
    m_stride = alignedStride(m_videoSize.width());
    m_buffer.reset(static_cast<uchar*>(
        std::aligned_alloc(kAlignment, m_stride * size_t(m_videoSize.height()))));
    m_bufferSize = m_buffer ? m_videoSize : QSize();
    return bool(m_buffer);
}

} // namespace pull
} // namespace zov
