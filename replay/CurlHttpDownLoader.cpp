#include "replay/CurlHttpDownLoader.h"

#include "platform/Platform.h"

#include <QDebug>
#include <QFileInfo>

namespace {

const int meterFieldCount = 12;
// The tool writes a whole meter line within a few milliseconds and then waits about a
// second before the next one.
const int meterQuietMs = 40;

} // namespace

CurlHttpDownLoader::CurlHttpDownLoader(QObject* parent)
    : QObject(parent)
{
    connect(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
        &CurlHttpDownLoader::onFinished);
    connect(&m_process, &QProcess::readyReadStandardOutput, this,
        &CurlHttpDownLoader::onReadyReadStandardOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this,
        &CurlHttpDownLoader::onReadyReadStandardOutput);
    m_meterQuietTimer.setSingleShot(true);
    m_meterQuietTimer.setInterval(meterQuietMs);
    connect(&m_meterQuietTimer, &QTimer::timeout, this, &CurlHttpDownLoader::takeMeterChunk);
}

CurlHttpDownLoader::~CurlHttpDownLoader()
{
    // Destroying the process ends a running download; its finish must not reach
    // owners that are being destroyed along with this worker.
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void CurlHttpDownLoader::start(const QString& url, const QString& dstPath, bool resume)
{
    m_url = url;
    m_dstPath = dstPath;
    m_pendingMeter.clear();
    m_meterQuietTimer.stop();
    const QStringList args = arguments(url, dstPath, resume);
    qDebug().noquote() << "download args: " + args.join(QLatin1Char(' '));
    const QString tool = zov::platform::Platform::findTool(QStringLiteral("curl.exe"));
    if (tool.isEmpty()) {
        qWarning() << "CurlHttpDownLoader::start() curl.exe not found";
        return;
    }
    m_process.start(tool, args, QIODevice::ReadWrite);
}

QStringList CurlHttpDownLoader::arguments(const QString& url, const QString& dstPath, bool resume)
{
    const QFileInfo existing(dstPath);
    if (resume && existing.exists()) {
        return { QStringLiteral("-C"), QString::number(existing.size()), QStringLiteral("-k"),
            QStringLiteral("-L"), url, QStringLiteral("-o"), dstPath };
    }
    return { QStringLiteral("-f"), QStringLiteral("-k"), QStringLiteral("-L"), url,
        QStringLiteral("-o"), dstPath };
}

QStringList CurlHttpDownLoader::meterFields(const QString& chunk)
{
    QStringList fields;
    const QStringList pieces = chunk.trimmed().split(QLatin1Char(' '));
    for (const QString& piece : pieces) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            fields.append(trimmed);
    }
    if (fields.size() != meterFieldCount)
        fields.clear();
    return fields;
}

void CurlHttpDownLoader::onFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    qDebug().noquote() << QStringLiteral("download finished: %1 %2")
                              .arg(exitCode)
                              .arg(exitStatus == QProcess::NormalExit
                                      ? QStringLiteral("NormalExit")
                                      : QStringLiteral("CrashExit"));
    m_pendingMeter += m_process.readAllStandardError();
    takeMeterChunk();
    const bool ok = exitStatus == QProcess::NormalExit && exitCode == 0;
    emit curlFinished(ok ? 0 : -1, m_dstPath);
}

void CurlHttpDownLoader::onReadyReadStandardOutput()
{
    m_pendingMeter += m_process.readAllStandardError();
    m_meterQuietTimer.start();
}

void CurlHttpDownLoader::takeMeterChunk()
{
    m_meterQuietTimer.stop();
    const QStringList fields = meterFields(QString::fromLocal8Bit(m_pendingMeter));
    m_pendingMeter.clear();
    if (fields.isEmpty())
        return;
    m_lastProgress = fields;
    emit progress(fields.first().trimmed().toInt(nullptr, 10));
}
