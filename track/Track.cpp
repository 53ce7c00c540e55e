#include "track/Track.h"

#include "track/TrackClient.h"
#include "track/TrackServer.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace track {

const char* const kTrackProcessArgument = "--zov-track-process";

namespace {

qint64 mainProcessIdFromArguments(const QStringList& arguments)
{
    const int marker = arguments.indexOf(QString::fromLatin1(kTrackProcessArgument));
    if (marker < 0 || marker + 1 >= arguments.size())
        return 0;
    bool ok = false;
    const qint64 processId = arguments.at(marker + 1).toLongLong(&ok);
    return ok ? processId : 0;
}

} // namespace

int TrackGetProcessType(const QStringList& arguments)
{
    return arguments.contains(QString::fromLatin1(kTrackProcessArgument)) ? 1 : 0;
}

bool InitTrack()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    const qint64 mainProcessId = mainProcessIdFromArguments(QCoreApplication::arguments());
    if (!TrackServer::isProcessAlive(mainProcessId))
        return false;
    auto* server = new TrackServer(mainProcessId, application);
    if (server->start())
        return true;
    delete server;
    return false;
}

bool StartTrackProcess(const QStringList& arguments, IPCCallback* callback)
{
    // A tracking process never starts another one.
    if (TrackGetProcessType(arguments) != 0 || !QCoreApplication::instance())
        return false;
    return TrackClient::instance()->start(callback);
}

void TrackPush(TrackEvent event)
{
    if (QCoreApplication::instance())
        TrackClient::instance()->push(event);
}

QString TrackFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
        + QStringLiteral("/zov_qm_student/track/track_events.jsonl");
}

QString TrackServerName(qint64 mainProcessId)
{
    return QStringLiteral("zov_track_%1").arg(mainProcessId);
}

} // namespace track
