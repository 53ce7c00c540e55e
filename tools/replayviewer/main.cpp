#include "tools/replayviewer/ReplayDataDump.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

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

} // namespace

// A helper for the people who support students: it looks into a lesson's replay.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--dump"))
        return dump(arguments.mid(1));
    std::fprintf(stderr, "usage: ZovReplayViewer --dump FILE...\n");
    return 2;
}
