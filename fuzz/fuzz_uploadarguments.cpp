// Feeds arbitrary bytes to the upload program's argument parser, the way the client's
// command line reaches it, and asks for the file it would then read.
#include "tools/UploadArguments.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString argument
        = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    UploadArguments arguments;
    if (arguments.parse(argument)) {
        const QString path = arguments.filePath();
        // Whatever the argument says, the file stays inside the log folder.
        if (arguments.logName().contains(QLatin1Char('/'))
            || arguments.logName().contains(QLatin1String("..")) || path.isEmpty())
            __builtin_trap();
        for (auto it = arguments.fields().constBegin(); it != arguments.fields().constEnd(); ++it)
            UploadArguments::fieldText(it.value());
    }
    return 0;
}
