// Feeds arbitrary bytes to the live-lesson launcher as one line of the live room's
// control socket: only the commands it knows turn into window signals.
#include "QuietQt.h"
#include "liveroom/ZovSubProcess.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startQuietApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char*>(data), static_cast<int>(size));
    ZovSubProcess launcher;
    QObject::connect(
        &launcher, &ZovSubProcess::notifySwitchEvaluationPage, [](const QJsonObject& command) {
            if (!command.contains(QStringLiteral("evaluationUrl")))
                __builtin_trap();
        });
    launcher.handleControlLine(line);
    return 0;
}
