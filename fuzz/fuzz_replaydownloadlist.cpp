// Feeds arbitrary bytes as a replay information's "replayData" list and builds the download
// tasks from it: whatever the addresses say, every file stays in the cache folder.
#include "QuietQt.h"
#include "replay/ReplayDataDownLoader.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    dropQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QJsonArray list = QJsonDocument::fromJson(bytes).array();
    static const QString folder = ReplayDataDownLoader::cacheFolder();
    for (const ReplayDataDownLoader::DataResource& task :
        ReplayDataDownLoader::tasksForReplayData(list, QDateTime::fromSecsSinceEpoch(0))) {
        const QString path = QDir::cleanPath(task.localPath);
        if (!path.startsWith(folder) || path.mid(folder.size()).contains(QLatin1Char('/')))
            std::abort();
    }
    return 0;
}
