// Prints the replay whiteboard's figures, each beside an anchor measured in the same run:
//   - reading a two-hour lesson's data file, against copying its bytes with every 32-bit
//     word byte-swapped;
//   - the timeline tick while playing (the lesson state, then drawing it), on lessons of
//     growing length, against the same tick on the shortest one;
//   - cutting a video frame into the scaled page and head images, against copying the frame.
// Run it with QT_QPA_PLATFORM=offscreen or on a display; name parts ("read", "tick",
// "split") to run only those.
#include "replay/GraphicsDataPackage.h"
#include "replay/MainQuickWidget.h"
#include "replay/ReadRelayData.h"
#include "replay/ReplayDataManager.h"
#include "replay/ReplayQmlTypes.h"
#include "replay/ReplayRecord.h"
#include "replay/VideoFrameSplitter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr qint64 kLessonStartMs = 1765000000000;
// 200 000 records in two hours: one every 36 ms, a page change every 30 s among them.
constexpr int kMsPerRecord = 36;
constexpr int kPageMs = 30000;
constexpr int kRecordsPerPage = kPageMs / kMsPerRecord;
// The teacher walks through the courseware again and again, so pages gather history.
constexpr int kCoursewarePages = 40;
constexpr qint32 kBoardWidth = 960;
constexpr qint32 kBoardHeight = 1440;
constexpr int kLongLesson = 200000;
constexpr int kReadRuns = 5;
constexpr int kTickMs = 150;
constexpr int kTicksPerStretch = 400;
constexpr int kStretches = 3;
constexpr int kFrames = 200;

QtMessageHandler forwardedHandler = nullptr;

// Debug lines would measure the terminal; the program's log writer has bench_logging.
void dropDebugLines(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && forwardedHandler)
        forwardedHandler(type, context, message);
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * values.size()))];
}

double lessonMs(int recordCount)
{
    return double(recordCount) * kMsPerRecord;
}

// Writes a lesson as the classroom records it: a teacher drawing freehand strokes in pieces
// of 10 to 30 points, now and then a shape or a text box or deleting one, a student joining
// in on some strokes.
class LessonWriter
{
public:
    QByteArray lesson(int recordCount)
    {
        QByteArray bytes;
        for (int i = 0; i < recordCount; ++i) {
            const qint64 timeStamp = kLessonStartMs + qint64(i) * kMsPerRecord;
            if (i % kRecordsPerPage == 0) {
                m_page = QByteArray::number(i / kRecordsPerPage % kCoursewarePages + 1);
                bytes += pageChange(timeStamp);
            } else {
                PacketContent packet
                    = GraphicsDataPackage::instance()->encodePacketContent(nextAction());
                packet.time = timeStamp;
                packet.senderId = m_sender;
                bytes += ReplayRecord::packet(timeStamp, packet);
            }
        }
        return bytes;
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }
    QPoint anywhere() { return QPoint(below(kBoardWidth), below(kBoardHeight)); }

    GraphicsData action(qint16 type, qint16 shape)
    {
        GraphicsData data;
        data.actionType = type;
        data.shapeType = shape;
        data.coursewareId = "cw-20475";
        data.pageId = m_page;
        data.width = kBoardWidth;
        data.height = kBoardHeight;
        data.lineWidth = 3;
        data.color = m_sender == kTeacher ? 0xD32F2F : 0x1976D2;
        return data;
    }

    GraphicsData nextAction()
    {
        if (m_piecesLeft == 0) {
            m_sender = below(6) == 0 ? kStudent : kTeacher;
            const int roll = below(100);
            QList<qint32>& shapes = m_shapes[m_page];
            if (roll >= 96 && !shapes.isEmpty()) {
                GraphicsData removal = action(GraphicsData::Delete, 0);
                removal.ids = { shapes.takeAt(below(shapes.size())) };
                return removal;
            }
            if (roll >= 85)
                return addShape(shapes, roll < 93);
            m_strokePieces = m_piecesLeft = 2 + below(3);
            m_strokeId = m_nextId++;
            m_pen = anywhere();
        }
        return strokePiece();
    }

    GraphicsData strokePiece()
    {
        GraphicsData piece = action(GraphicsData::Add, GraphicsData::Pen);
        piece.graphicId = m_strokeId;
        piece.strokePhase = m_piecesLeft == m_strokePieces ? 0 : m_piecesLeft == 1 ? 2 : 1;
        for (int count = 10 + below(21); count > 0; --count) {
            m_pen = QPoint(qBound(1, m_pen.x() + below(25) - 12, kBoardWidth),
                qBound(1, m_pen.y() + below(25) - 12, kBoardHeight));
            piece.points.append(m_pen);
        }
        --m_piecesLeft;
        return piece;
    }

    GraphicsData addShape(QList<qint32>& shapes, bool outline)
    {
        static const GraphicsData::Shape outlines[]
            = { GraphicsData::Line, GraphicsData::Arrow, GraphicsData::Triangle,
                  GraphicsData::Rectangle, GraphicsData::Ellipse, GraphicsData::DashedLine };
        GraphicsData shape
            = action(GraphicsData::Add, outline ? outlines[below(6)] : GraphicsData::Text);
        shape.graphicId = m_nextId++;
        shape.points = { anywhere(), anywhere() };
        if (shape.shapeType == GraphicsData::Triangle)
            shape.points.append(anywhere());
        if (!outline) {
            shape.text = QStringLiteral("第%1页的重点").arg(QString::fromLatin1(m_page)).toUtf8();
            shape.fontSize = 28;
        }
        shapes.append(shape.graphicId);
        return shape;
    }

    QByteArray pageChange(qint64 timeStamp) const
    {
        IrcData change;
        change.coursewareId = QStringLiteral("cw-20475");
        change.pageId = QString::fromLatin1(m_page);
        change.width = kBoardWidth;
        change.height = kBoardHeight;
        change.timeStamp = timeStamp;
        return ReplayRecord::pageChange(change);
    }

    const QByteArray kTeacher = "teacher-8001";
    const QByteArray kStudent = "student-10001";
    std::mt19937 m_random { 20475 };
    QByteArray m_page;
    QByteArray m_sender;
    QHash<QByteArray, QList<qint32>> m_shapes;
    qint32 m_nextId = 1;
    qint32 m_strokeId = 0;
    int m_strokePieces = 0;
    int m_piecesLeft = 0;
    QPoint m_pen;
};

struct ReadLesson
{
    QList<IrcData> pageChanges;
    ReplayData data;
    double ms = 0;

    int recordCount() const
    {
        int count = pageChanges.size();
        for (const ReplayPageRecords& page : data.pages)
            count += page.records().size();
        return count;
    }
};

ReadLesson readLesson(const QByteArray& bytes)
{
    ReadLesson lesson;
    ReadRelayData reader(nullptr);
    QElapsedTimer clock;
    QObject::connect(&reader, &ReadRelayData::readDatas,
        [&lesson, &clock](QList<IrcData>& pageChanges, ReplayData& data) {
            lesson.ms = clock.nsecsElapsed() / 1e6;
            lesson.pageChanges = pageChanges;
            lesson.data = data;
        });
    clock.start();
    reader.readBytes(bytes, 0);
    return lesson;
}

struct CopyAndSwap
{
    double freshMs = 0;
    double touchedMs = 0;
};

// Into fresh buffers, as a reader's own copy would go, then again once their pages are
// touched: on some machines the first touch of a page costs more than the copy.
CopyAndSwap copyAndSwap(const QByteArray& bytes)
{
    CopyAndSwap anchor;
    QElapsedTimer clock;
    clock.start();
    QByteArray copy(bytes.constData(), bytes.size());
    QByteArray swapped(copy.size(), Qt::Uninitialized);
    qFromBigEndian<quint32>(copy.constData(), copy.size() / 4, swapped.data());
    anchor.freshMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    std::memcpy(copy.data(), bytes.constData(), bytes.size());
    qFromBigEndian<quint32>(copy.constData(), copy.size() / 4, swapped.data());
    anchor.touchedMs = clock.nsecsElapsed() / 1e6;
    return anchor;
}

void printRead()
{
    const QByteArray bytes = LessonWriter().lesson(kLongLesson);
    std::vector<double> readMs;
    std::vector<double> freshMs;
    std::vector<double> touchedMs;
    int records = 0;
    for (int run = 0; run < kReadRuns; ++run) {
        const ReadLesson lesson = readLesson(bytes);
        readMs.push_back(lesson.ms);
        records = lesson.recordCount();
        const CopyAndSwap anchor = copyAndSwap(bytes);
        freshMs.push_back(anchor.freshMs);
        touchedMs.push_back(anchor.touchedMs);
    }
    const double read = percentile(readMs, 0.5);
    const double fresh = percentile(freshMs, 0.5);
    const double touched = percentile(touchedMs, 0.5);
    const double mib = bytes.size() / 1048576.0;
    std::printf("read a 2-hour lesson, %d records back of %d, %.1f MiB, median of %d:\n"
                "  readBytes to readDatas      : %7.1f ms (%6.1f MiB/s)\n"
                "  anchor, copy + swap, fresh  : %7.1f ms (%6.1f MiB/s)\n"
                "  anchor, copy + swap, touched: %7.1f ms (%6.1f MiB/s)\n"
                "  speed ratio %.3f of the fresh anchor's, %.3f of the touched one's; goal under "
                "1000 ms and at least 0.3\n",
        records, kLongLesson, mib, kReadRuns, read, mib * 1000 / read, fresh, mib * 1000 / fresh,
        touched, mib * 1000 / touched, fresh / read, touched / read);
}

struct TickTimes
{
    std::vector<double> playUs;
    std::vector<double> jumpUs;
    std::vector<double> stateUs;
};

// Stretches of one minute from a quarter, half and three quarters through the lesson, each
// begun mid-page; the first tick of each is the jump there and is counted on its own.
TickTimes playStretches(ReplayDataManager& timeline, MainQuickWidget& scene, int records)
{
    TickTimes times;
    for (int stretch = 1; stretch <= kStretches; ++stretch) {
        const qint64 start = qint64(lessonMs(records) * stretch / (kStretches + 1)) + kPageMs / 2;
        for (int tick = 0; tick < kTicksPerStretch; ++tick) {
            const qint64 position = start + qint64(tick) * kTickMs;
            QElapsedTimer clock;
            clock.start();
            const StatusData state = timeline.getStatusData(position);
            timeline.showData(state, &scene);
            (tick == 0 ? times.jumpUs : times.playUs).push_back(clock.nsecsElapsed() / 1e3);
            // The scene catches up between the player's reports, as it does in the program.
            QCoreApplication::processEvents();
            clock.restart();
            timeline.getStatusData(position);
            times.stateUs.push_back(clock.nsecsElapsed() / 1e3);
        }
    }
    return times;
}

// Prints the figures of a lesson of this many records and gives back its p99.
double printLessonTicks(int records, MainQuickWidget& scene)
{
    ReadLesson lesson = readLesson(LessonWriter().lesson(records));
    ReplayDataManager timeline(nullptr);
    timeline.addIrcDatas(lesson.pageChanges, 0);
    timeline.addReplayData(lesson.data);
    const QJsonObject whole { { QStringLiteral("startTime"), kLessonStartMs },
        { QStringLiteral("endTime"), kLessonStartMs + qint64(lessonMs(records)) } };
    timeline.setSegments(ReplayDataManager::segmentsFromVideoTime(QJsonArray { whole }));
    const TickTimes times = playStretches(timeline, scene, records);
    const double p99 = percentile(times.playUs, 0.99);
    std::printf("  %6d records (%5.1f min): tick p50 %6.0f us, p99 %6.0f us, worst %7.0f us; "
                "jump median %7.0f us; state alone p50 %.2f us, p99 %.2f us\n",
        records, lessonMs(records) / 60000, percentile(times.playUs, 0.5), p99,
        percentile(times.playUs, 1), percentile(times.jumpUs, 0.5), percentile(times.stateUs, 0.5),
        percentile(times.stateUs, 0.99));
    return p99;
}

// The offscreen platform has no OpenGL; there the scene falls back to Qt Quick's software
// renderer, which draws between the ticks and so leaves the timed work as it is.
const char* chooseSceneRenderer()
{
    if (QOpenGLContext().create())
        return "OpenGL";
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    return "software";
}

bool printTicks()
{
    const char* renderer = chooseSceneRenderer();
    MainQuickWidget scene(nullptr);
    scene.resize(960, 720);
    scene.loadQml();
    scene.show();
    if (!QTest::qWaitForWindowExposed(&scene)
        || !QTest::qWaitFor([&scene] { return scene.rootObject(); }))
        return false;
    scene.onQmlLoadCompleted();
    if (!scene.shapes())
        return false;
    std::printf("timeline tick (getStatusData + showData), %d ticks of %d ms in %d stretches, "
                "%s scene:\n",
        kStretches * (kTicksPerStretch - 1), kTickMs, kStretches, renderer);
    const double shortest = printLessonTicks(10000, scene);
    printLessonTicks(100000, scene);
    const double longest = printLessonTicks(kLongLesson, scene);
    std::printf("  p99 200k / 10k: %.2f; goal p99 at most 1000 us and flat\n", longest / shortest);
    return true;
}

// A lesson frame's worth of texture, so the scaler has no flat areas to coast over.
QImage lessonFrame()
{
    QImage frame(1280, 720, QImage::Format_RGB888);
    std::mt19937 random(720);
    for (int y = 0; y < frame.height(); ++y) {
        uchar* line = frame.scanLine(y);
        for (int x = 0; x < frame.width() * 3; ++x)
            line[x] = uchar(x / 5 + y / 3 + random() % 32);
    }
    return frame;
}

// The images of the frame before stay alive while the next is split, as the scene's items
// keep them in the program: what the allocator can reuse depends on it.
void printSplit(const QImage& frame, int sceneWidth)
{
    const QSize pageSize(sceneWidth, sceneWidth * 3 / 4);
    std::vector<double> splitMs;
    std::vector<double> copyMs;
    VideoFrameSplitter::Parts shown;
    for (int i = 0; i < kFrames; ++i) {
        QElapsedTimer clock;
        clock.start();
        shown = VideoFrameSplitter::split(frame, 960, pageSize, QSize(320, 720));
        splitMs.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        const QImage copy = frame.copy();
        copyMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("  scene %4d wide (page %4dx%4d): median %5.2f ms, worst %5.2f ms; anchor copy "
                "median %4.2f ms\n",
        sceneWidth, pageSize.width(), pageSize.height(), percentile(splitMs, 0.5),
        percentile(splitMs, 1), percentile(copyMs, 0.5));
}

void printSplits()
{
    const QImage frame = lessonFrame();
    std::printf("split a 1280x720 RGB888 frame into RGBA8888 page and 320x720 heads, %d frames "
                "(goal median at most 4 ms):\n",
        kFrames);
    for (const int sceneWidth : { 960, 1200, 1600 })
        printSplit(frame, sceneWidth);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    forwardedHandler = qInstallMessageHandler(dropDebugLines);
    registerReplayQmlTypes();

    // Naming parts ("read", "tick", "split") runs only those, for a profiler's sake.
    const QStringList parts = app.arguments().mid(1);
    const auto wanted = [&parts](const char* part) {
        return parts.isEmpty() || parts.contains(QLatin1String(part));
    };
    if (wanted("read"))
        printRead();
    if (wanted("tick") && !printTicks()) {
        std::fprintf(stderr, "the whiteboard scene did not load\n");
        return 1;
    }
    if (wanted("split"))
        printSplits();
    return 0;
}
