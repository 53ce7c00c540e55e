#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

namespace zovservice {

// The whiteboard of the recorded lesson, in the records a replay's data files hold: a page
// message whenever the courseware turns or scrolls and the packets the teacher and the
// student drew with. Every page of the video gets the same drawing, its text naming the
// page, and times follow the video: the lesson clock is ReplayApi::lessonStartMs plus the
// video's position. Nothing is drawn in the video's bare top rows, over its page number or
// over its clock.
class WhiteboardRecording
{
public:
    // Each file holds this long a stretch of the lesson clock; the last one the rest.
    static constexpr int fileSeconds = 60;

    // The contents of the data files, in the order a replay lists them.
    static std::vector<QByteArray> files();

private:
    // Lesson clock in ms, and the record as it is stored.
    using Record = std::pair<qint64, QByteArray>;

    static void addPage(int page, std::vector<Record>& records);
};

} // namespace zovservice
