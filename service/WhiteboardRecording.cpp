#include "service/WhiteboardRecording.h"

#include "service/LessonVideo.h"
#include "service/ReplayApi.h"

#include "replay/GraphicsDataPackage.h"
#include "replay/ReplayRecord.h"

#include <QPoint>
#include <QString>

#include <algorithm>

namespace zovservice {

namespace {

// The recording speaks the client's whiteboard vocabulary.
using Action = GraphicsData::Action;
using Shape = GraphicsData::Shape;
constexpr Shape NoShape = Shape(0);

enum Sender
{
    Teacher,
    Student,
};

// The items drawn on every page; a page's item ids are its number times 100 plus these.
enum Item : qint32
{
    NoItem = 0,
    TeacherPen = 1,
    Box = 2,
    Pointer = 3,
    Heading = 4,
    StudentPen = 5,
    Circle = 6,
    Rule = 7,
    Wedge = 8,
    TeacherEraser = 9,
    Stroke = 10,
};

// One thing done on the whiteboard, atMs after its page turned up.
struct Step
{
    int atMs;
    Sender sender;
    Action action;
    Item item;
    Shape shape;
    // Freehand strokes arrive in pieces: 0 first, 1 middle, 2 last.
    qint16 phase;
    std::vector<QPoint> points;
};

// A scroll of the current page, atMs after it turned up; the first one shows the page.
struct View
{
    int atMs;
    int yOffset;
};

const char* const coursewareId = "cw-20475";
// The sender's drawing area: the courseware's width and twice the height the video shows.
constexpr qint32 boardWidth = 960;
constexpr qint32 boardHeight = 1440;
constexpr qint16 lineWidth = 3;
constexpr qint16 fontSize = 28;
constexpr qint32 teacherColor = 0xD32F2F;
constexpr qint32 studentColor = 0x1976D2;
constexpr int pageMs = LessonVideo::pageSeconds * 1000;
constexpr int pageCount = LessonVideo::durationSeconds / LessonVideo::pageSeconds;
constexpr int clearedPage = 3;
constexpr int fileCount = 3;

// The page opens at its top and scrolls to its lower half, which only the student draws on
// before the scroll: the student's stroke shows exactly when page and scroll are right.
const std::vector<View> pageViews = { { 0, 0 }, { 12000, 360 } };

const std::vector<Step> teacherSteps = {
    { 3000, Teacher, GraphicsData::Add, TeacherPen, GraphicsData::Pen, 0,
        { { 60, 150 }, { 100, 135 }, { 140, 130 } } },
    { 3200, Teacher, GraphicsData::Add, TeacherPen, GraphicsData::Pen, 1,
        { { 180, 140 }, { 220, 160 }, { 260, 175 } } },
    { 3400, Teacher, GraphicsData::Add, TeacherPen, GraphicsData::Pen, 2,
        { { 300, 170 }, { 340, 150 }, { 380, 140 } } },
    { 5000, Teacher, GraphicsData::Add, Box, GraphicsData::Rectangle, 0,
        { { 580, 120 }, { 880, 250 } } },
    { 6000, Teacher, GraphicsData::Add, TeacherEraser, GraphicsData::Eraser, 0,
        { { 220, 100 }, { 220, 125 } } },
    { 6100, Teacher, GraphicsData::Add, TeacherEraser, GraphicsData::Eraser, 1,
        { { 220, 150 }, { 220, 175 } } },
    { 6200, Teacher, GraphicsData::Add, TeacherEraser, GraphicsData::Eraser, 2,
        { { 220, 200 }, { 220, 215 } } },
    { 7000, Teacher, GraphicsData::Add, Pointer, GraphicsData::Arrow, 0,
        { { 60, 470 }, { 250, 320 } } },
    { 8000, Teacher, GraphicsData::Add, Stroke, GraphicsData::Line, 0,
        { { 300, 560 }, { 650, 560 } } },
    { 9000, Teacher, GraphicsData::Add, Heading, GraphicsData::Text, 0,
        { { 690, 300 }, { 930, 350 } } },
    { 13000, Teacher, GraphicsData::Update, Box, GraphicsData::Rectangle, 0,
        { { 700, 800 }, { 920, 920 } } },
    { 19000, Teacher, GraphicsData::Add, Circle, GraphicsData::Ellipse, 0,
        { { 40, 900 }, { 260, 1060 } } },
    { 19100, Teacher, GraphicsData::Add, Rule, GraphicsData::DashedLine, 0,
        { { 40, 1070 }, { 920, 1070 } } },
    { 19200, Teacher, GraphicsData::Add, Wedge, GraphicsData::Triangle, 0,
        { { 700, 950 }, { 810, 850 }, { 920, 950 } } },
    { 21000, Teacher, GraphicsData::Delete, Pointer, NoShape, 0, {} },
};

// The student only draws on even pages, so that pages tell apart on the screen.
const std::vector<Step> studentSteps = {
    { 4000, Student, GraphicsData::Add, StudentPen, GraphicsData::Pen, 0,
        { { 80, 880 }, { 130, 860 }, { 180, 870 } } },
    { 4200, Student, GraphicsData::Add, StudentPen, GraphicsData::Pen, 1,
        { { 230, 890 }, { 280, 895 }, { 330, 880 } } },
    { 4400, Student, GraphicsData::Add, StudentPen, GraphicsData::Pen, 2,
        { { 380, 865 }, { 430, 860 }, { 480, 875 } } },
    { 15000, Student, GraphicsData::Undo, StudentPen, NoShape, 0, {} },
    { 16000, Student, GraphicsData::Redo, StudentPen, NoShape, 0, {} },
};

const Step clearStep { 24000, Teacher, GraphicsData::Clear, NoItem, NoShape, 0, {} };

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) { }

qint64 pageStartMs(int page)
{
    return ReplayApi::lessonStartMs + qint64(page - 1) * pageMs;
}

qint32 itemId(int page, Item item)
{
    return item == NoItem ? 0 : page * 100 + item;
}

QByteArray senderIdOf(Sender sender)
{
    return sender == Teacher ? "teacher-8001" : "student-10001";
}

GraphicsData actionOf(const Step& step, int page)
{
    GraphicsData data;
    data.actionType = step.action;
    data.coursewareId = coursewareId;
    data.pageId = QByteArray::number(page);
    data.graphicId = itemId(page, step.item);
    if (step.action == GraphicsData::Delete)
        data.ids = { itemId(page, step.item) };
    if (step.action != GraphicsData::Add && step.action != GraphicsData::Update)
        return data;
    data.shapeType = step.shape;
    data.width = boardWidth;
    data.height = boardHeight;
    data.lineWidth = lineWidth;
    data.color = step.sender == Teacher ? teacherColor : studentColor;
    data.strokePhase = step.phase;
    data.points = QList<QPoint>(step.points.begin(), step.points.end());
    if (step.shape == GraphicsData::Text) {
        data.text = QStringLiteral("第%1页的重点").arg(page).toUtf8();
        data.fontSize = fontSize;
    }
    return data;
}

// The client's own encoder, speaking as the sender.
QByteArray packetRecordOf(const Step& step, int page, qint64 timeStamp)
{
    GraphicsDataPackage* package = GraphicsDataPackage::instance();
    package->setLocalUserId(senderIdOf(step.sender));
    return ReplayRecord::packet(timeStamp, package->encodePacketContent(actionOf(step, page)));
}

QByteArray pageRecordOf(int page, qint64 timeStamp, int yOffset)
{
    IrcData change;
    change.coursewareId = QString::fromLatin1(coursewareId);
    change.pageId = QString::number(page);
    change.width = boardWidth;
    change.height = boardHeight;
    change.timeStamp = timeStamp;
    change.yOffset = yOffset;
    return ReplayRecord::pageChange(change);
}

} // namespace

// The encoder logs every packet; the service's output is for its own messages.
std::vector<QByteArray> WhiteboardRecording::files()
{
    const QtMessageHandler previousHandler = qInstallMessageHandler(dropMessage);
    std::vector<Record> records;
    for (int page = 1; page <= pageCount; ++page)
        addPage(page, records);
    qInstallMessageHandler(previousHandler);
    std::stable_sort(records.begin(), records.end(),
        [](const Record& a, const Record& b) { return a.first < b.first; });
    std::vector<QByteArray> files(fileCount);
    for (const Record& record : records) {
        const qint64 second = (record.first - ReplayApi::lessonStartMs) / 1000;
        files[size_t(qBound<qint64>(0, second / fileSeconds, fileCount - 1))] += record.second;
    }
    return files;
}

void WhiteboardRecording::addPage(int page, std::vector<Record>& records)
{
    const qint64 startMs = pageStartMs(page);
    for (const View& view : pageViews) {
        const qint64 timeStamp = startMs + view.atMs;
        records.emplace_back(timeStamp, pageRecordOf(page, timeStamp, view.yOffset));
    }
    std::vector<Step> steps = teacherSteps;
    if (page % 2 == 0)
        steps.insert(steps.end(), studentSteps.begin(), studentSteps.end());
    if (page == clearedPage)
        steps.push_back(clearStep);
    for (const Step& step : steps) {
        const qint64 timeStamp = startMs + step.atMs;
        records.emplace_back(timeStamp, packetRecordOf(step, page, timeStamp));
    }
}

} // namespace zovservice
