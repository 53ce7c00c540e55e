#include "service/LessonVideo.h"

#include "service/ChildProcess.h"
#include "service/FileLock.h"
#include "service/TerminationSignals.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <system_error>
#include <thread>

namespace zovservice {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Long enough for another service to make the video first.
constexpr auto lockTimeout = std::chrono::seconds(LessonVideo::generationTimeoutSeconds + 60);
constexpr auto pollInterval = std::chrono::milliseconds(50);
const char* const lockFileName = "lesson.lock";
const char* const fontFolder = "/usr/share/fonts";
const char* const fontFileName = "NotoSansCJK-Regular.ttc";

// Polls until done() holds; false when the deadline passes or the service is asked to stop
// first.
bool waitFor(const std::function<bool()>& done, Clock::time_point deadline)
{
    while (!done()) {
        if (Clock::now() > deadline || TerminationSignals::pending())
            return false;
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}

bool runFfmpeg(const std::vector<std::string>& arguments, std::string& error)
{
    ChildProcess ffmpeg;
    if (!ffmpeg.start(arguments)) {
        error = "could not be started";
        return false;
    }
    const auto deadline
        = Clock::now() + std::chrono::seconds(LessonVideo::generationTimeoutSeconds);
    if (!waitFor([&ffmpeg] { return ffmpeg.hasEnded(); }, deadline)) {
        ffmpeg.kill();
        error = TerminationSignals::pending()
            ? "was stopped with the service"
            : "took more than " + std::to_string(LessonVideo::generationTimeoutSeconds) + " s";
        return false;
    }
    error = ffmpeg.failure();
    return error.empty();
}

std::string absoluteFolder(const std::string& folder)
{
    fs::path path = fs::absolute(folder).lexically_normal();
    if (!path.has_filename())
        path = path.parent_path();
    return path.string();
}

} // namespace

LessonVideo::LessonVideo(const std::string& folder)
    : m_folder(absoluteFolder(folder))
{ }

bool LessonVideo::ensure(std::string& error) const
{
    std::error_code ignored;
    if (fs::exists(file(), ignored))
        return true;
    FileLock lock(m_folder + "/" + lockFileName);
    if (!(fs::is_directory(m_folder, ignored) || fs::create_directories(m_folder, ignored))
        || !lock.open()) {
        error = "cannot use the media folder " + m_folder;
        return false;
    }
    if (!takeTurn(lock, error))
        return false;
    // The service that held the lock may have made it meanwhile.
    if (fs::exists(file(), ignored))
        return true;
    return generate(error);
}

bool LessonVideo::takeTurn(FileLock& lock, std::string& error) const
{
    if (waitFor([&lock] { return lock.tryAcquire(); }, Clock::now() + lockTimeout))
        return true;
    error = TerminationSignals::pending()
        ? "stopped while waiting to make the lesson video"
        : "another service kept " + m_folder + "/" + lockFileName + " locked for too long";
    return false;
}

bool LessonVideo::generate(std::string& error) const
{
    const std::string fontFile = findFontFile();
    if (fontFile.empty()) {
        error = std::string("the lesson video needs ") + fontFileName + " under " + fontFolder
            + " (Debian package fonts-noto-cjk)";
        return false;
    }
    const std::string unfinished = file() + ".tmp";
    std::error_code failed;
    if (!runFfmpeg(ffmpegArguments(fontFile, unfinished), error)) {
        fs::remove(unfinished, failed);
        error = "cannot make " + file() + ": ffmpeg " + error;
        return false;
    }
    fs::rename(unfinished, file(), failed);
    if (failed) {
        error = "cannot name the lesson video " + file() + ": " + failed.message();
        return false;
    }
    return true;
}

// A keyframe every 2 s lets a player start anywhere without decoding far back. At 32 kHz the
// AAC frames fill the 180 s exactly, so the sound ends with the picture.
std::vector<std::string> LessonVideo::ffmpegArguments(
    const std::string& fontFile, const std::string& output)
{
    const std::string duration = std::to_string(durationSeconds);
    return { "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
        "color=c=0xFFEEBB:s=960x720:r=25:d=" + duration, "-f", "lavfi", "-i",
        "testsrc2=s=320x720:r=25:d=" + duration, "-f", "lavfi", "-i",
        "sine=frequency=440:sample_rate=32000:duration=" + duration, "-filter_complex",
        pageFilter(fontFile) + ";[page][1:v]hstack=inputs=2,format=yuv420p[v]", "-map", "[v]",
        "-map", "2:a", "-c:v", "libx264", "-preset", "veryfast", "-g", "50", "-keyint_min", "50",
        "-sc_threshold", "0", "-c:a", "aac", "-b:a", "64k", "-t", duration, "-movflags",
        "+faststart", "-f", "mp4", output };
}

// The page number in the middle, the clock as hh:mm:ss near the bottom; the top stays bare.
std::string LessonVideo::pageFilter(const std::string& fontFile)
{
    const std::string font = "drawtext=fontfile='" + fontFile + "'";
    const std::string page = R"(:text='第 %{eif\:floor(t/)" + std::to_string(pageSeconds)
        + R"()+1\:d} 页':fontsize=120:fontcolor=0x333333:x=(w-text_w)/2:y=(h-text_h)/2)";
    const std::string clock = R"(:text='%{eif\:floor(t/3600)\:d\:2}\:)"
                              R"(%{eif\:mod(floor(t/60)\,60)\:d\:2}\:)"
                              R"(%{eif\:mod(floor(t)\,60)\:d\:2}')"
                              R"(:fontsize=48:fontcolor=0x555555:x=(w-text_w)/2:y=h-100)";
    return "[0:v]" + font + page + "," + font + clock + "[page]";
}

std::string LessonVideo::findFontFile()
{
    std::error_code error;
    fs::recursive_directory_iterator entry(fontFolder, error);
    for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        if (entry->path().filename() == fontFileName)
            return entry->path().string();
    }
    return {};
}

} // namespace zovservice
