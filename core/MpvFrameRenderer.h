#pragma once

#include <QImage>
#include <QObject>
#include <QSize>

#include <atomic>
#include <memory>

struct mpv_handle;
struct mpv_render_context;

namespace zov {
namespace pull {

// Turns a libmpv player's video into RGB888 images through mpv's software renderer, for
// callers that draw the picture themselves. Frames are rendered on the GUI thread, one
// per update mpv announces, so nothing is converted that is not asked for.
class MpvFrameRenderer : public QObject
{
    Q_OBJECT
public:
    // mpv must outlive the renderer.
    MpvFrameRenderer(mpv_handle* mpv, QObject* parent);
    ~MpvFrameRenderer() override;

    bool isValid() const { return m_render != nullptr; }
    // The decoded picture's size; frames are rendered at it.
    void setVideoSize(const QSize& size) { m_videoSize = size; }

signals:
    // data stays valid until the next frame or the renderer's end.
    void frameReady(uchar* data, int width, int height);

private:
    static void onRenderUpdate(void* renderer);
    void renderFrame();
    bool prepareBuffer();

    mpv_render_context* m_render = nullptr;
    std::atomic<bool> m_renderQueued { false };
    QSize m_videoSize;
    // mpv's software renderer wants a 64-byte aligned buffer and stride.
    std::unique_ptr<uchar, void (*)(void*)> m_buffer { nullptr, &std::free };
    size_t m_stride = 0;
    QSize m_bufferSize;
    QImage m_frame;
};

} // namespace pull
} // namespace zov
