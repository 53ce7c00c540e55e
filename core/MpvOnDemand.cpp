// The mpv client functions the player uses, bound to libmpv the first time a player is
// created rather than when the program starts. libmpv brings some 150 libraries of its own
// (codecs, filters, speech synthesis); loading them only for a replay keeps them out of
// every start-up, of the tracking process and of the memory of students who never watch
// one. A missing or incomplete library makes mpv_create() return null, which the player
// reports like any other failure to start.
#include <mpv/client.h>
#include <mpv/render.h>

#include <QLibrary>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcMpv, "zov.pull.mpv")

struct MpvFunctions
{
    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_terminate_destroy) terminateDestroy = nullptr;
    decltype(&::mpv_error_string) errorString = nullptr;
    decltype(&::mpv_set_option_string) setOptionString = nullptr;
    decltype(&::mpv_set_property_async) setPropertyAsync = nullptr;
    decltype(&::mpv_observe_property) observeProperty = nullptr;
    decltype(&::mpv_command_async) commandAsync = nullptr;
    decltype(&::mpv_command_node_async) commandNodeAsync = nullptr;
    decltype(&::mpv_request_log_messages) requestLogMessages = nullptr;
    decltype(&::mpv_set_wakeup_callback) setWakeupCallback = nullptr;
    decltype(&::mpv_wait_event) waitEvent = nullptr;
    decltype(&::mpv_render_context_create) renderCreate = nullptr;
    decltype(&::mpv_render_context_free) renderFree = nullptr;
    decltype(&::mpv_render_context_render) renderRender = nullptr;
    decltype(&::mpv_render_context_update) renderUpdate = nullptr;
    decltype(&::mpv_render_context_report_swap) renderReportSwap = nullptr;
    decltype(&::mpv_render_context_set_update_callback) renderSetUpdateCallback = nullptr;
};

template<typename Function> bool bind(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    if (!function)
        qCWarning(lcMpv) << "libmpv lacks" << name;
    return function != nullptr;
}

MpvFunctions loadFunctions()
{
    // Never unloaded: players may live until the program ends.
    // libmpv.so.2 is the library of client API 2, whose headers this is built with.
    static QLibrary library(QStringLiteral("mpv"), 2);
    MpvFunctions f;
    if (!library.load()) {
        qCWarning(lcMpv) << "cannot load libmpv:" << library.errorString();
        return f;
    }
    bool complete = true;
    complete = bind(library, "mpv_create", f.create) && complete;
    complete = bind(library, "mpv_initialize", f.initialize) && complete;
    complete = bind(library, "mpv_terminate_destroy", f.terminateDestroy) && complete;
    complete = bind(library, "mpv_error_string", f.errorString) && complete;
    complete = bind(library, "mpv_set_option_string", f.setOptionString) && complete;
    complete = bind(library, "mpv_set_property_async", f.setPropertyAsync) && complete;
    complete = bind(library, "mpv_observe_property", f.observeProperty) && complete;
    complete = bind(library, "mpv_command_async", f.commandAsync) && complete;
    complete = bind(library, "mpv_command_node_async", f.commandNodeAsync) && complete;
    complete = bind(library, "mpv_request_log_messages", f.requestLogMessages) && complete;
    complete = bind(library, "mpv_set_wakeup_callback", f.setWakeupCallback) && complete;
    complete = bind(library, "mpv_wait_event", f.waitEvent) && complete;
    complete = bind(library, "mpv_render_context_create", f.renderCreate) && complete;
    complete = bind(library, "mpv_render_context_free", f.renderFree) && complete;
    complete = bind(library, "mpv_render_context_render", f.renderRender) && complete;
    complete = bind(library, "mpv_render_context_update", f.renderUpdate) && complete;
    complete = bind(library, "mpv_render_context_report_swap", f.renderReportSwap) && complete;
    complete = bind(library, "mpv_render_context_set_update_callback", f.renderSetUpdateCallback)
        && complete;
    if (!complete)
        f.create = nullptr;
    return f;
}

// Every other function is reached only through a handle that mpv_create() gave, so only
// mpv_create() and mpv_error_string() need to cope with a library that is not there.
const MpvFunctions& bound()
{
    static const MpvFunctions functions = loadFunctions();
    return functions;
}

} // namespace

extern "C" {

mpv_handle* mpv_create(void)
{
    return bound().create ? bound().create() : nullptr;
}

const char* mpv_error_string(int error)
{
    return bound().errorString ? bound().errorString(error) : "libmpv is not available";
}

int mpv_initialize(mpv_handle* ctx)
{
    return bound().initialize(ctx);
}

void mpv_terminate_destroy(mpv_handle* ctx)
{
    bound().terminateDestroy(ctx);
}

int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data)
{
    return bound().setOptionString(ctx, name, data);
}

int mpv_set_property_async(
    mpv_handle* ctx, uint64_t reply_userdata, const char* name, mpv_format format, void* data)
{
    return bound().setPropertyAsync(ctx, reply_userdata, name, format, data);
}

int mpv_observe_property(
    mpv_handle* handle, uint64_t reply_userdata, const char* name, mpv_format format)
{
    return bound().observeProperty(handle, reply_userdata, name, format);
}

int mpv_command_async(mpv_handle* ctx, uint64_t reply_userdata, const char** args)
{
    return bound().commandAsync(ctx, reply_userdata, args);
}

int mpv_command_node_async(mpv_handle* ctx, uint64_t reply_userdata, mpv_node* args)
{
    return bound().commandNodeAsync(ctx, reply_userdata, args);
}

int mpv_request_log_messages(mpv_handle* ctx, const char* min_level)
{
    return bound().requestLogMessages(ctx, min_level);
}

void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void* d), void* d)
{
    bound().setWakeupCallback(ctx, cb, d);
}

mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout)
{
    return bound().waitEvent(ctx, timeout);
}

int mpv_render_context_create(
    mpv_render_context** res, mpv_handle* handle, mpv_render_param* params)
{
    return bound().renderCreate(res, handle, params);
}

void mpv_render_context_free(mpv_render_context* ctx)
{
    bound().renderFree(ctx);
}

int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params)
{
    return bound().renderRender(ctx, params);
}

uint64_t mpv_render_context_update(mpv_render_context* ctx)
{
    return bound().renderUpdate(ctx);
}

void mpv_render_context_report_swap(mpv_render_context* ctx)
{
    bound().renderReportSwap(ctx);
}

void mpv_render_context_set_update_callback(
    mpv_render_context* ctx, mpv_render_update_fn callback, void* callback_ctx)
{
    bound().renderSetUpdateCallback(ctx, callback, callback_ctx);
}

} // extern "C"
