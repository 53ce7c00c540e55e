#pragma once

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

namespace zov {
namespace pull {

// Presents a libmpv player's video inside a window of ours through mpv's OpenGL render
// API. The render context can only be made once the widget has an OpenGL context,
// that is once its window has been shown; renderReady() says when that happened.
class MpvVideoView : public QOpenGLWidget
{
    Q_OBJECT
public:
    // mpv must outlive the view: the render context has to go before the player.
    MpvVideoView(mpv_handle* mpv, QWidget* parent);
    ~MpvVideoView() override;

    bool isRenderReady() const { return m_render != nullptr; }

signals:
    void renderReady();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onRenderUpdate(void* view);
    void freeRenderContext();
    void reportSwap();

    mpv_handle* m_mpv;
    mpv_render_context* m_render = nullptr;
};

} // namespace pull
} // namespace zov
