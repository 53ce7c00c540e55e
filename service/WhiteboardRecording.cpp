#include "service/WhiteboardRecording.h"

#include "service/LessonVideo.h"
#include "service/ReplayApi.h"

#include "replay/GraphicsData.h"

#include <QDataStream>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QString>

#include <algorithm>
#include <map>

namespace zovservice {

namespace {

enum MessageType : qint32
{
    PageMessage = 10,
    WhiteboardPacket = 11,
};

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
constexpr qint16 packetVersion = 1;
constexpr int pageMs = LessonVideo::pageSeconds * 1000;
constexpr int pageCount = LessonVideo::durationSeconds / LessonVideo::pageSeconds;
constexpr int clearedPage = 3;

const std::vector<View> pageViews = { { 0, 0 }, { 10000, 360 }, { 20000, 0 } };

const std::vector<Step> pageSteps = {
    { 3000, Teacher, GraphicsData::Add, TeacherPen, GraphicsData::Pen, 0,
        { { 60, 150 }, { 100, 135 }, { 140, 130 } } },
    { 3200, Teacher, GraphicsData::Add, TeacherPen, GraphicsData::Pen, 1,
        { { 180, 140 }, { 220, 160 }, { 260, 175 } } },
    { 3400, Teacher, GraphicsData::Add, TeacherPen, GraphicsData::Pen, 2,
        { { 300, 170 }, { 340, 150 }, { 380, 140 } } },
    { 5000, Teacher, GraphicsData::Add, Box, GraphicsData::Rectangle, 0,
        { { 580, 120 }, { 880, 250 } } },
    { 7000, Teacher, GraphicsData::Add, Pointer, GraphicsData::Arrow, 0,
        { { 60, 470 }, { 250, 320 } } },
    { 9000, Teacher, GraphicsData::Add, Heading, GraphicsData::Text, 0,
        { { 690, 300 }, { 930, 350 } } },
    { 12000, Teacher, GraphicsData::Update, Box, GraphicsData::Rectangle, 0,
        { { 700, 400 }, { 920, 520 } } },
    { 15000, Student, GraphicsData::Add, StudentPen, GraphicsData::Pen, 0,
        { { 80, 250 }, { 130, 230 }, { 180, 240 } } },
    { 15200, Student, GraphicsData::Add, StudentPen, GraphicsData::Pen, 1,
        { { 230, 260 }, { 280, 265 }, { 330, 250 } } },
    { 15400, Student, GraphicsData::Add, StudentPen, GraphicsData::Pen, 2,
        { { 380, 235 }, { 430, 230 }, { 480, 245 } } },
    { 17000, Teacher, GraphicsData::Undo, StudentPen, NoShape, 0, {} },
    { 18000, Teacher, GraphicsData::Redo, StudentPen, NoShape, 0, {} },
    { 21000, Teacher, GraphicsData::Add, Circle, GraphicsData::Ellipse, 0,
        { { 40, 500 }, { 260, 660 } } },
    { 21100, Teacher, GraphicsData::Add, Rule, GraphicsData::DashedLine, 0,
        { { 40, 700 }, { 920, 700 } } },
    { 21200, Teacher, GraphicsData::Add, Wedge, GraphicsData::Triangle, 0,
        { { 700, 650 }, { 810, 550 }, { 920, 650 } } },
    { 24000, Teacher, GraphicsData::Delete, Pointer, NoShape, 0, {} },
};

const Step clearStep { 27000, Teacher, GraphicsData::Clear, NoItem, NoShape, 0, {} };

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

// QDataStream would write an empty QByteArray's length as 0xFFFFFFFF when it is null.
void writeBytes(QDataStream& out, const QByteArray& bytes)
{
    out << quint32(bytes.size());
    out.writeRawData(bytes.constData(), bytes.size());
}

QByteArray shapeOf(const Step& step, int page)
{
    QByteArray content;
    QDataStream out(&content, QIODevice::WriteOnly);
    out << qint16(step.shape) << boardWidth << boardHeight << lineWidth << qint16(0)
        << (step.sender == Teacher ? teacherColor : studentColor) << step.phase
        << quint32(step.points.size());
    for (const QPoint& point : step.points)
        out << qint32(point.x()) << qint32(point.y());
    if (step.shape == GraphicsData::Text) {
        writeBytes(out, QStringLiteral("第%1页的重点").arg(page).toUtf8());
        out << fontSize << qint16(0);
    }
    return content;
}

QByteArray contentOf(const Step& step, int page)
{
    if (step.action == GraphicsData::Add || step.action == GraphicsData::Update)
        return shapeOf(step, page);
    QByteArray content;
    if (step.action == GraphicsData::Delete) {
        QDataStream out(&content, QIODevice::WriteOnly);
        out << quint32(1) << itemId(page, step.item);
    }
    return content;
}

// The packet's length comes first and counts itself.
QByteArray packetOf(const Step& step, int page, qint32 msgId)
{
    QByteArray rest;
    QDataStream out(&rest, QIODevice::WriteOnly);
    out << qint32(0) << packetVersion << qint64(0) << qint16(step.action);
    writeBytes(out, senderIdOf(step.sender));
    writeBytes(out, coursewareId);
    writeBytes(out, QByteArray::number(page));
    out << msgId << itemId(page, step.item);
    writeBytes(out, contentOf(step, page));
    QByteArray packet;
    QDataStream(&packet, QIODevice::WriteOnly) << qint32(rest.size() + qint32(sizeof(qint32)));
    return packet + rest;
}

QByteArray pageMessageOf(int page, qint64 timeStamp, int yOffset)
{
    const QJsonObject message { { QStringLiteral("type"), QStringLiteral("105") },
        { QStringLiteral("coursewareId"), QString::fromLatin1(coursewareId) },
        { QStringLiteral("pageId"), QString::number(page) },
        { QStringLiteral("width"), boardWidth }, { QStringLiteral("height"), boardHeight },
        { QStringLiteral("timeStamp"), timeStamp }, { QStringLiteral("yOffset"), yOffset } };
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

QByteArray recordOf(qint64 timeStamp, MessageType type, const QByteArray& message)
{
    QByteArray body;
    QDataStream bodyOut(&body, QIODevice::WriteOnly);
    bodyOut << timeStamp << qint32(type) << qint32(0);
    writeBytes(bodyOut, message);
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out << qint32(0);
    writeBytes(out, body);
    return record;
}

} // namespace

std::vector<QByteArray> WhiteboardRecording::files()
{
    std::vector<Record> records;
    for (int page = 1; page <= pageCount; ++page)
        addPage(page, records);
    std::stable_sort(records.begin(), records.end(),
        [](const Record& a, const Record& b) { return a.first < b.first; });
    const qint64 splitMs = ReplayApi::lessonStartMs + qint64(splitSeconds) * 1000;
    std::vector<QByteArray> files(2);
    for (const Record& record : records)
        files[record.first < splitMs ? 0 : 1] += record.second;
    return files;
}

void WhiteboardRecording::addPage(int page, std::vector<Record>& records)
{
    const qint64 startMs = pageStartMs(page);
    for (const View& view : pageViews) {
        const qint64 timeStamp = startMs + view.atMs;
        records.emplace_back(timeStamp,
            recordOf(timeStamp, PageMessage, pageMessageOf(page, timeStamp, view.yOffset)));
    }
    std::vector<Step> steps = pageSteps;
    if (page == clearedPage)
        steps.push_back(clearStep);
    std::map<Sender, qint32> msgIds;
    for (const Step& step : steps) {
        const qint64 timeStamp = startMs + step.atMs;
        records.emplace_back(timeStamp,
            recordOf(timeStamp, WhiteboardPacket, packetOf(step, page, ++msgIds[step.sender])));
    }
}

} // namespace zovservice
