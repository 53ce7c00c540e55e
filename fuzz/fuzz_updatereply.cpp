// Feeds arbitrary bytes to the two readers of update input from outside: the service's
// version reply, as a start-up check receives it, and the download tool's meter output.
#include "QuietQt.h"
#include "replay/CurlHttpDownLoader.h"
#include "update/UpdateManager.h"

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

// Every reply is logged; millions of those lines would drown the run.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The manager reads config.ini beside the program's folder, which needs the
    // application object.
    startQuietApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    // A fresh manager per input: one manager keeps every URL it was ever sent.
    UpdateManager manager;
    manager.onResponseResult(bytes);
    manager.state();
    CurlHttpDownLoader::meterFields(QString::fromLocal8Bit(bytes));
    return 0;
}
