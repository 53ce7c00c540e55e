#pragma once

#include <QStringList>
#include <QVariant>
#include <QtGlobal>

// Usage tracking. The main process pushes records; a second copy of the same
// executable, started with a marker argument, receives them over a local socket and
// appends them as JSON lines to "<data folder>/track/track_events.jsonl".
namespace track {

// The argument that marks the tracking process; the next argument is the main
// process's id.
extern const char* const kTrackProcessArgument;

class IPCCallback
{
public:
    virtual void OnIPCMessage(int value) = 0;
    virtual void OnIPCState(int value) = 0;
};

struct TrackEvent
{
    qint32 eventType = 0;
    qint32 eventSubType = 0;
    quint32 time = 0;
    quint32 reserved = 0;
    // Serialised as JSON; a registered type converts through QStringList when it can.
    QVariant data;
};

// 0 main process, 1 tracking process.
int TrackGetProcessType(const QStringList& arguments);

// In the tracking process: starts listening for the main process and writing the
// records it sends. Returns false when the arguments name no live main process or
// the socket cannot be opened. The process quits when the main process goes away.
bool InitTrack();

// In the main process: starts the tracking process (this executable with the marker
// and this process's id) and connects to it. The process starts at the first record or
// once the program has had time to start, whichever comes first; false when this is a
// tracking process or the tracking was started before. Records pushed before the
// connection is up are kept and sent once it is.
bool StartTrackProcess(const QStringList& arguments, IPCCallback* callback);

// Sends one record to the tracking process. Safe to call before StartTrackProcess
// (the record waits) and from the GUI thread only.
void TrackPush(TrackEvent event);

// File the tracking process writes, for tests and diagnostics.
QString TrackFilePath();

// Name of the local socket the tracking process listens on for a given main process.
QString TrackServerName(qint64 mainProcessId);

} // namespace track
