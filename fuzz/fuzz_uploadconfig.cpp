// Feeds arbitrary bytes as the service's upload-config reply through the client's
// argument builder into the uploader's parser. Whatever the reply holds, the uploader
// judges only the reply's upload configuration; the rest of the argument is the
// client's own and always passes.
#include "QuietQt.h"
#include "app/Context.h"
#include "tools/UploadArguments.h"
#include "web/CourseListTitle.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startQuietApplication(argc, argv);
    Context::instance()->data().logFileName = QStringLiteral("2026-12-06_10-00-00.log");
    Context::instance()->data().userId = 421;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray replyText(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QJsonObject reply = QJsonDocument::fromJson(replyText).object();
    const QStringList arguments = CourseListTitle::uploaderArguments(reply);
    UploadArguments parsed;
    if (arguments.size() != 1)
        __builtin_trap();
    const QJsonObject configuration = reply.value(QStringLiteral("data")).toObject();
    if (parsed.parse(arguments.first())) {
        // Compared as JSON text: integers beyond 2^53 are doubles in JSON anyway.
        const QJsonObject sent = configuration.value(QStringLiteral("fields")).toObject();
        if (QJsonDocument(parsed.fields()).toJson() != QJsonDocument(sent).toJson()
            || parsed.markId() != 421)
            __builtin_trap();
    } else if (!parsed.errorString().startsWith(QLatin1String("The upload configuration"))
        && !parsed.errorString().startsWith(QLatin1String("The uploadUrl"))) {
        __builtin_trap();
    }
    return 0;
}
