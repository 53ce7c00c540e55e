#include "core/NetworkHelper.h"
#include "replay/ReplayQmlTypes.h"
#include "tools/replayviewer/LessonViewer.h"
#include "tools/replayviewer/ReplayDataDump.h"

#include <QApplication>
#include <QJsonDocument>

#include <cstdio>
#include <optional>

namespace {

// The reader logs every packet it decodes; the dump is the output here.
void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) { }

int dump(const QStringList& files)
{
    qInstallMessageHandler(dropMessage);
    bool allOpened = true;
    for (int index = 0; index < files.size(); ++index) {
        bool opened = false;
        const QJsonObject description = ReplayDataDump::describe(files.at(index), index, opened);
        allOpened = allOpened && opened;
        std::printf("%s\n", QJsonDocument(description).toJson(QJsonDocument::Compact).constData());
    }
    return allOpened ? 0 : 1;
}

int view(const QUrl& url, float startSeconds)
{
    zov::network::NetworkHelper::addRawHeader("Content-Type", "application/json");
    zov::network::NetworkHelper::initialize();
    registerReplayQmlTypes();
    LessonViewer viewer(url, startSeconds);
    QObject::connect(&viewer, &LessonViewer::finished,
        [](bool failed) { QCoreApplication::exit(failed ? 1 : 0); });
    viewer.start();
    const int result = QCoreApplication::exec();
    zov::network::NetworkHelper::cleanup();
    return result;
}

struct LessonArguments
{
    QUrl url;
    // Negative: where the lesson was left.
    float startSeconds;
};

// "--lesson URL", optionally followed by "--at SECONDS".
std::optional<LessonArguments> lessonArguments(const QStringList& arguments)
{
    if (arguments.value(0) != QLatin1String("--lesson") || arguments.size() < 2)
        return std::nullopt;
    if (arguments.size() == 2)
        return LessonArguments { QUrl(arguments.at(1)), -1 };
    bool isNumber = false;
    const float startSeconds = arguments.value(3).toFloat(&isNumber);
    if (arguments.size() != 4 || arguments.at(2) != QLatin1String("--at") || !isNumber
        || startSeconds < 0)
        return std::nullopt;
    return LessonArguments { QUrl(arguments.at(1)), startSeconds };
}

} // namespace

// A helper for the people who support students: it looks into a lesson's replay.
int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--dump")) {
        QCoreApplication app(argc, argv);
        return dump(arguments.mid(1));
    }
    if (const std::optional<LessonArguments> lesson = lessonArguments(arguments)) {
        QApplication app(argc, argv);
        return view(lesson->url, lesson->startSeconds);
    }
    std::fprintf(stderr,
        "usage: ZovReplayViewer --dump FILE...\n"
        "       ZovReplayViewer --lesson REPLAY-INFO-URL?planId=N [--at SECONDS]\n");
    return 2;
}
