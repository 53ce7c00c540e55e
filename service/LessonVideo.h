#pragma once

#include <string>
#include <vector>

namespace zovservice {

class FileLock;

// The recorded lesson every replay plays, made with ffmpeg the first time a service needs
// it and kept in the media folder for every later start. Services that share the folder
// take turns through a lock file, and the video only takes its name once it is complete,
// so a reader never sees half a file.
//
// The left 960x720 is a courseware page in flat #FFEEBB with the page number, turning every
// 30 s, and the lesson clock near the bottom; its top 100 px carry nothing but the
// background, for tests to sample. The right 320x720 stands in for the teacher's camera
// with a moving pattern. The sound is a steady 440 Hz tone.
class LessonVideo
{
public:
    static constexpr const char* fileName = "lesson.mp4";
    static constexpr int durationSeconds = 180;
    static constexpr int pageSeconds = 30;
    static constexpr int generationTimeoutSeconds = 300;

    explicit LessonVideo(const std::string& folder);

    // Makes the video unless it is there already; on failure says why in error.
    bool ensure(std::string& error) const;
    // Absolute.
    std::string file() const { return m_folder + "/" + fileName; }

private:
    bool takeTurn(FileLock& lock, std::string& error) const;
    bool generate(std::string& error) const;
    static std::vector<std::string> ffmpegArguments(
        const std::string& fontFile, const std::string& output);
    static std::string pageFilter(const std::string& fontFile);
    static std::string findFontFile();

    std::string m_folder;
};

} // namespace zovservice
