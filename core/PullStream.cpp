#include "core/PullStream.h"

#include "core/MpvFrameRenderer.h"
#include "core/MpvVideoView.h"

#include <QDebug>
#include <QDir>
#include <QSize>
#include <QUrl>
#include <QWidget>

#include <mpv/client.h>

#include <clocale>

namespace zov {
namespace pull {

namespace {

// Property observations, told apart by their reply ids.
enum ObservedProperty : uint64_t
{
    DurationProperty = 1,
    TimePosProperty,
    PausedForCacheProperty,
    PauseProperty,
    WidthProperty,
    HeightProperty,
};

constexpr uint64_t kLoadFileReply = 100;

constexpr int kProgressIntervalMs = 150;
constexpr int kBufferingLimitMs = 3000;
// Opening includes connecting and reading the file's index, which a slow network
// may take a while over; a host that never answers is given up after this.
constexpr int kOpenLimitMs = 8000;
// Seconds of network silence after which mpv itself gives a read up.
constexpr const char* kNetworkTimeoutSeconds = "15";
// An end of file closer than this to the length counts as the real end.
constexpr double kEndToleranceSeconds = 2.0;

double speedOfCode(int code)
{
    switch (code) {
    case 6:
        return 0.8;
    case 10:
        return 1.0;
    case 15:
        return 1.25;
    case 20:
        return 1.5;
    default:
        return 0;
    }
}

// Video addresses come from the service's pages and replies. mpv also understands
// protocols that read devices, descriptors or generated sources; only the web and plain
// files are opened.
bool isPlayableAddress(const QString& path)
{
    const QUrl url(path);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.isValid() && !url.host().isEmpty();
    if (scheme == QLatin1String("file"))
        return url.isLocalFile();
    return !path.isEmpty() && QDir::isAbsolutePath(path) && !path.contains(QLatin1String("://"));
}

QByteArray numberText(double value)
{
    return QByteArray::number(value, 'f', 3);
}

} // namespace

PullStream::PullStream(QWidget* parent, Output output)
    : QObject(parent)
{
    // mpv refuses to start unless numbers are read and written the C way.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv) {
        qCritical() << "PullStream: libmpv could not be created";
        return;
    }
    configure();
    if (mpv_initialize(m_mpv) < 0) {
        qCritical() << "PullStream: libmpv could not be initialised";
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        return;
    }
    observeProperties();
    mpv_set_wakeup_callback(m_mpv, &PullStream::onWakeup, this);

    if (output == Output::Frames) {
        m_frames = new MpvFrameRenderer(m_mpv, this);
        connect(m_frames, &MpvFrameRenderer::frameReady, this, &PullStream::imageAvailable);
    } else {
        m_view = new MpvVideoView(m_mpv, parent);
        connect(m_view, &MpvVideoView::renderReady, this, &PullStream::loadPendingFile);
        m_view->show();
    }

    m_progressTimer.setInterval(kProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &PullStream::emitProgress);
    m_bufferingTimer.setSingleShot(true);
    m_bufferingTimer.setInterval(kBufferingLimitMs);
    connect(&m_bufferingTimer, &QTimer::timeout, this, &PullStream::reportNotFluent);
    m_openTimer.setSingleShot(true);
    m_openTimer.setInterval(kOpenLimitMs);
    connect(&m_openTimer, &QTimer::timeout, this, &PullStream::reportNotFluent);
}

PullStream::~PullStream()
{
    if (!m_mpv)
        return;
    // Both render contexts have to be gone before the player is.
    delete m_view;
    delete m_frames;
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
}

void PullStream::configure()
{
    const std::pair<const char*, const char*> options[] = {
        { "config", "no" },
        { "terminal", "no" },
        { "input-default-bindings", "no" },
        { "osc", "no" },
        { "ytdl", "no" },
        { "load-scripts", "no" },
        { "vo", "libmpv" },
        // Probing for hardware decoders fills the log with errors on machines without.
        { "hwdec", "no" },
        { "gpu-hwdec-interop", "no" },
        // Without a sound device the video still plays on a silent clock.
        { "ao", "pulse,alsa,null" },
        { "idle", "yes" },
        { "keep-open", "no" },
        { "cache", "yes" },
        { "network-timeout", kNetworkTimeoutSeconds },
        // Frames are drawn as soon as they come; waiting for their time would hold the
        // GUI thread.
        { "video-timing-offset", "0" },
    };
    for (const auto& [name, value] : options)
        mpv_set_option_string(m_mpv, name, value);
}

void PullStream::observeProperties()
{
    mpv_observe_property(m_mpv, DurationProperty, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, TimePosProperty, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, PausedForCacheProperty, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, PauseProperty, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, WidthProperty, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, HeightProperty, "dheight", MPV_FORMAT_INT64);
}

bool PullStream::login(const LoginInfo& info)
{
    m_login = info;
    return !info.appId.isEmpty() && !info.appKey.isEmpty();
}

void PullStream::logout()
{
    m_login = LoginInfo();
}

QWidget* PullStream::videoView() const
{
    return m_view;
}

void PullStream::playFile(const QString& path, int startSeconds)
{
    m_notFluentReported = false;
    m_waitingForStart = true;
    m_duration = 0;
    m_position = startSeconds;
    m_progressTimer.stop();
    m_bufferingTimer.stop();
    m_openTimer.start();
    if (!m_mpv || !isPlayableAddress(path)) {
        qWarning() << "PullStream: cannot play" << path;
        QMetaObject::invokeMethod(this, &PullStream::reportNotFluent, Qt::QueuedConnection);
        return;
    }
    if (m_view && !m_view->isRenderReady()) {
        m_pendingPath = path;
        m_pendingStart = startSeconds;
        return;
    }
    load(path, startSeconds);
}

void PullStream::loadPendingFile()
{
    if (m_pendingPath.isEmpty())
        return;
    load(m_pendingPath, m_pendingStart);
    m_pendingPath.clear();
}

void PullStream::load(const QString& path, int startSeconds)
{
    // Named arguments keep working when mpv inserts new positional ones.
    const QByteArray url = path.toUtf8();
    const QByteArray start = QByteArray::number(qMax(0, startSeconds));
    mpv_node startNode { { const_cast<char*>(start.constData()) }, MPV_FORMAT_STRING };
    char* optionKeys[] = { const_cast<char*>("start") };
    mpv_node_list optionList { 1, &startNode, optionKeys };

    mpv_node values[4];
    values[0].format = MPV_FORMAT_STRING;
    values[0].u.string = const_cast<char*>("loadfile");
    values[1].format = MPV_FORMAT_STRING;
    values[1].u.string = const_cast<char*>(url.constData());
    values[2].format = MPV_FORMAT_STRING;
    values[2].u.string = const_cast<char*>("replace");
    values[3].format = MPV_FORMAT_NODE_MAP;
    values[3].u.list = &optionList;
    char* keys[] = { const_cast<char*>("name"), const_cast<char*>("url"),
        const_cast<char*>("flags"), const_cast<char*>("options") };
    mpv_node_list argumentList { 4, values, keys };
    mpv_node command;
    command.format = MPV_FORMAT_NODE_MAP;
    command.u.list = &argumentList;

    ++m_loadsUnderway;
    if (mpv_command_node_async(m_mpv, kLoadFileReply, &command) < 0) {
        --m_loadsUnderway;
        QMetaObject::invokeMethod(this, &PullStream::reportNotFluent, Qt::QueuedConnection);
    }
}

void PullStream::enableCutImage(bool enable)
{
    qDebug() << "PullStream::enableCutImage" << enable;
}

void PullStream::enablePrint(bool enable)
{
    if (m_mpv)
        mpv_request_log_messages(m_mpv, enable ? "warn" : "no");
}

void PullStream::pauseOrPlay()
{
    if (!m_mpv)
        return;
    const char* command[] = { "cycle", "pause", nullptr };
    mpv_command_async(m_mpv, 0, command);
}

void PullStream::skip(float seconds)
{
    if (!m_mpv)
        return;
    const QByteArray target = numberText(qMax(0.0f, seconds));
    const char* command[] = { "seek", target.constData(), "absolute", nullptr };
    mpv_command_async(m_mpv, 0, command);
}

bool PullStream::speedPlay(int code)
{
    const double speed = speedOfCode(code);
    if (speed <= 0 || !m_mpv)
        return false;
    setPropertyAsync("speed", speed);
    return true;
}

void PullStream::setVolume(float volume)
{
    setPropertyAsync("volume", double(qBound(0.0f, volume, 1.0f)) * 100.0);
}

void PullStream::setPropertyAsync(const char* name, double value)
{
    if (m_mpv)
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void PullStream::stop()
{
    m_waitingForStart = false;
    m_pendingPath.clear();
    m_progressTimer.stop();
    m_bufferingTimer.stop();
    m_openTimer.stop();
    if (!m_mpv)
        return;
    const char* command[] = { "stop", nullptr };
    mpv_command_async(m_mpv, 0, command);
}

// Called on one of mpv's threads: wakeups while a drain is queued fold into it.
void PullStream::onWakeup(void* player)
{
    auto* self = static_cast<PullStream*>(player);
    if (!self->m_eventsQueued.exchange(true))
        QMetaObject::invokeMethod(self, &PullStream::handleEvents, Qt::QueuedConnection);
}

void PullStream::handleEvents()
{
    m_eventsQueued = false;
    while (m_mpv) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        handleEvent(*event);
    }
}

void PullStream::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_loadsUnderway = qMax(0, m_loadsUnderway - 1);
        m_currentEntry = static_cast<mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        onPlaybackRestart();
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == kLoadFileReply && event.error < 0) {
            m_loadsUnderway = qMax(0, m_loadsUnderway - 1);
            qWarning() << "PullStream: cannot load:" << mpv_error_string(event.error);
            reportNotFluent();
        }
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<mpv_event_log_message*>(event.data);
        qInfo().noquote() << "[mpv]" << message->prefix << message->level
                          << QString::fromUtf8(message->text).trimmed();
        break;
    }
    default:
        break;
    }
}

void PullStream::handlePropertyChange(const mpv_event& event)
{
    const auto* property = static_cast<mpv_event_property*>(event.data);
    const bool present = property->format != MPV_FORMAT_NONE && property->data;
    switch (event.reply_userdata) {
    case DurationProperty: {
        const double duration = present ? *static_cast<double*>(property->data) : 0;
        const bool wholeSecondsChanged = int(duration) != int(m_duration);
        m_duration = duration;
        if (wholeSecondsChanged && duration >= 1)
            emit durationChange(int(duration));
        break;
    }
    case TimePosProperty:
        if (present)
            m_position = *static_cast<double*>(property->data);
        break;
    case PausedForCacheProperty:
        onBufferingChanged(present && *static_cast<int*>(property->data));
        break;
    case PauseProperty:
        m_paused = present && *static_cast<int*>(property->data);
        if (m_paused)
            m_progressTimer.stop();
        else if (!m_waitingForStart && m_currentEntry >= 0)
            m_progressTimer.start();
        break;
    case WidthProperty:
    case HeightProperty: {
        const int value = present ? int(*static_cast<int64_t*>(property->data)) : 0;
        if (event.reply_userdata == WidthProperty)
            m_videoSize.setWidth(value);
        else
            m_videoSize.setHeight(value);
        if (m_frames)
            m_frames->setVideoSize(m_videoSize);
        break;
    }
    default:
        break;
    }
}

void PullStream::onPlaybackRestart()
{
    // The position goes first, so that whoever hears of the start already knows where.
    emitProgress();
    if (!m_paused)
        m_progressTimer.start();
    if (m_waitingForStart) {
        m_waitingForStart = false;
        m_openTimer.stop();
        emit videoStartPlay();
    }
}

void PullStream::handleEndFile(const mpv_event& event)
{
    const auto* end = static_cast<mpv_event_end_file*>(event.data);
    // A file replaced by a newer playFile, or one that ended before it began.
    if (m_loadsUnderway > 0 || end->playlist_entry_id != m_currentEntry)
        return;
    m_progressTimer.stop();
    m_bufferingTimer.stop();
    if (end->reason == MPV_END_FILE_REASON_ERROR) {
        qWarning() << "PullStream: playback failed:" << mpv_error_string(end->error);
        reportNotFluent();
        return;
    }
    if (end->reason != MPV_END_FILE_REASON_EOF)
        return;
    // A network read that gives up looks like an end of file, only too early.
    if (m_duration <= 0 || m_position < m_duration - kEndToleranceSeconds) {
        qWarning() << "PullStream: the stream ended early at" << m_position << "of" << m_duration;
        reportNotFluent();
        return;
    }
    m_position = m_duration;
    emit videoPlayFinished(int(m_duration));
}

void PullStream::emitProgress()
{
    emit progressBarChange(float(m_position), int(m_duration));
}

void PullStream::onBufferingChanged(bool buffering)
{
    if (!buffering) {
        m_bufferingTimer.stop();
        m_notFluentReported = false;
        return;
    }
    if (!m_bufferingTimer.isActive())
        m_bufferingTimer.start();
}

void PullStream::reportNotFluent()
{
    m_bufferingTimer.stop();
    m_openTimer.stop();
    if (m_notFluentReported)
        return;
    m_notFluentReported = true;
    m_progressTimer.stop();
    emit playerNotFluent();
}

} // namespace pull
} // namespace zov
