// A bare libmpv player: the yardstick for bench_idle. It plays one clip the
// way the player does (libmpv, picture through the render API into a
// QOpenGLWidget, or to the null output while no view is shown) and nothing
// else. Usage: bench_bare_mpv <clip> [--show]
#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <QApplication>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <clocale>
#include <cstdio>

namespace {

class BareView : public QOpenGLWidget {
  public:
    explicit BareView(mpv_handle* mpv) : mpv_(mpv) {}
    ~BareView() override {
        makeCurrent();
        if (render_)
            mpv_render_context_free(render_);
        doneCurrent();
    }

  protected:
    void initializeGL() override {
        mpv_opengl_init_params glInit{
            [](void*, const char* name) -> void* {
                return reinterpret_cast<void*>(
                    QOpenGLContext::currentContext()->getProcAddress(name));
            },
            nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
            {MPV_RENDER_PARAM_INVALID, nullptr}};
        if (mpv_render_context_create(&render_, mpv_, params) < 0)
            return;
        mpv_render_context_set_update_callback(
            render_,
            [](void* self) {
                QMetaObject::invokeMethod(
                    static_cast<BareView*>(self),
                    [view = static_cast<BareView*>(self)] {
                        if (mpv_render_context_update(view->render_) & MPV_RENDER_UPDATE_FRAME)
                            view->update();
                    },
                    Qt::QueuedConnection);
            },
            this);
        mpv_set_property_string(mpv_, "vo", "libmpv");
    }

    void paintGL() override {
        if (!render_)
            return;
        const qreal ratio = devicePixelRatioF();
        mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio),
                           int(height() * ratio), 0};
        int flipY = 1;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(render_, params);
    }

  private:
    mpv_handle* mpv_;
    mpv_render_context* render_ = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_bare_mpv <clip> [--show]\n");
        return 2;
    }
    mpv_handle* mpv = mpv_create();
    mpv_set_option_string(mpv, "vo", "null");
    mpv_set_option_string(mpv, "audio-fallback-to-null", "yes");
    mpv_set_option_string(mpv, "idle", "yes");
    mpv_set_option_string(mpv, "terminal", "no");
    if (mpv_initialize(mpv) < 0)
        return 1;
    int exitCode = 0;
    {
        BareView view(mpv);
        view.resize(640, 360);
        if (args.contains(QStringLiteral("--show")))
            view.show();
        const QByteArray clip = args.at(1).toUtf8();
        const char* load[] = {"loadfile", clip.constData(), nullptr};
        mpv_command(mpv, load);
        // mpv's events are not needed here; drain them so its queue stays short.
        mpv_set_wakeup_callback(
            mpv,
            [](void* handle) {
                QMetaObject::invokeMethod(
                    qApp,
                    [handle] {
                        while (mpv_wait_event(static_cast<mpv_handle*>(handle), 0)->event_id !=
                               MPV_EVENT_NONE) {
                        }
                    },
                    Qt::QueuedConnection);
            },
            mpv);
        exitCode = app.exec();
        mpv_set_wakeup_callback(mpv, nullptr, nullptr);
    }
    mpv_terminate_destroy(mpv);
    return exitCode;
}
