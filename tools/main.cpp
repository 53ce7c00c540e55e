// The log upload program the client starts with one JSON argument: sends one log file
// to the service and writes what happened to its own log. Exit code 0 on success.
#include "core/TrustStore.h"
#include "tools/LogUploader.h"
#include "tools/UploadArguments.h"
#include "tools/UploaderLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

namespace {

enum ExitCode
{
    ExitUploaded = 0,
    ExitBadArgument = 1,
    ExitUnreadableFile = 2,
    ExitUploadFailed = 3,
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    UploaderLog log;
    log.open(UploaderLog::defaultFolder(), QDateTime::currentDateTime());

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 1) {
        log.error(QStringLiteral("Expected exactly one argument with the upload description, "
                                 "got %1.")
                      .arg(arguments.size()));
        return ExitBadArgument;
    }
    UploadArguments upload;
    if (!upload.parse(arguments.first())) {
        log.error(upload.errorString());
        return ExitBadArgument;
    }

    LogUploader uploader;
    if (!uploader.readFile(upload)) {
        log.error(uploader.errorString());
        return ExitUnreadableFile;
    }
    log.info(QStringLiteral("Uploading %1 (%2 bytes, markId %3) to %4.")
                 .arg(upload.filePath(), QString::number(uploader.fileSize()),
                     QString::number(upload.markId()), upload.uploadUrl().toString()));

    zov::network::TrustStore::instance().ensureLoaded();
    QObject::connect(
        &uploader, &LogUploader::finished, &app, [&log](bool ok, const QString& message) {
            if (ok)
                log.info(message);
            else
                log.error(message);
            QCoreApplication::exit(ok ? ExitUploaded : ExitUploadFailed);
        });
    uploader.start();
    return QCoreApplication::exec();
}
