// Prints how many log lines per second go through qDebug into the run's log file, from one
// thread and from two threads at once, next to spdlog's synchronous file sink behind the same
// message handler. Rounds of both alternate in one run, so load from elsewhere on the machine
// hits both alike; the figures are medians. Every file's lines are counted afterwards.
#include "app/LogFiles.h"
#include "core/ZovLog.h"

#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kLinesPerThread = 200000;
constexpr int kRounds = 7;

std::shared_ptr<spdlog::logger> anchorLogger;

// The project's message handler with spdlog in place of ZovLog::trace. Release builds carry
// no source position, so neither side writes one.
void anchorHandler(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (isDroppedLogMessage(msg))
        return;
    const QList<QByteArray> pieces = splitLogMessage(msg.toLocal8Bit());
    for (const QByteArray& piece : pieces) {
        char line[kLogPieceSize];
        const int length = formatLogLine(type, piece, line);
        anchorLogger->info(spdlog::string_view_t(line, static_cast<size_t>(length)));
    }
}

void logLines(int count)
{
    for (int i = 0; i < count; ++i)
        qDebug() << "[Bench] a typical log line with a number" << i << "and a short tail";
}

void logFromThreads(int threadCount)
{
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back(QThread::create([] { logLines(kLinesPerThread); }));
        threads.back()->start();
    }
    for (const auto& thread : threads)
        thread->wait();
}

// Lines per second from starting the threads until every line has been handed to the file.
double timeRound(QtMessageHandler handler, int threadCount, const std::function<void()>& flush)
{
    qInstallMessageHandler(handler);
    QElapsedTimer timer;
    timer.start();
    logFromThreads(threadCount);
    flush();
    const double seconds = timer.nsecsElapsed() / 1e9;
    qInstallMessageHandler(nullptr);
    return threadCount * kLinesPerThread / seconds;
}

double projectRound(const QDir& folder, const QString& fileName, int threadCount)
{
    zov::log::ZovLog* log = zov::log::ZovLog::getInstance();
    if (!log->setLogFileInfo(folder.path(), fileName))
        qFatal("cannot open %s", qPrintable(folder.filePath(fileName)));
    return timeRound(messageHandler, threadCount, [log] { log->flush(); });
}

double anchorRound(const QDir& folder, const QString& fileName, int threadCount)
{
    const auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(
        QFile::encodeName(folder.filePath(fileName)).toStdString());
    anchorLogger = std::make_shared<spdlog::logger>("anchor", sink);
    anchorLogger->set_pattern("%Y-%m-%d %H:%M:%S.%e [%t] %v");
    const double rate = timeRound(anchorHandler, threadCount, [] { anchorLogger->flush(); });
    anchorLogger.reset();
    return rate;
}

qint64 countLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 lines = 0;
    while (!file.atEnd())
        lines += file.read(1 << 20).count('\n');
    return lines;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Side
{
    const char* name;
    double (*round)(const QDir& folder, const QString& fileName, int threadCount);
    std::vector<double> rates;
    qint64 lost = 0;
};

void runSide(Side& side, const QDir& folder, int threadCount, int round)
{
    const QString fileName
        = QStringLiteral("%1_%2_%3.txt").arg(side.name).arg(threadCount).arg(round);
    side.rates.push_back(side.round(folder, fileName, threadCount));
    side.lost += qint64(threadCount) * kLinesPerThread - countLines(folder.filePath(fileName));
    QFile::remove(folder.filePath(fileName));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QDir folder(temporary.path());

    std::printf("log lines per second through qDebug into the log file, %d lines per thread,"
                " median of %d alternating rounds\n",
        kLinesPerThread, kRounds);
    std::printf("threads     project  spdlog (anchor)  ratio  lines lost project/anchor\n");
    for (const int threadCount : { 1, 2 }) {
        Side project { "project", projectRound, {} };
        Side anchor { "anchor", anchorRound, {} };
        for (int round = 0; round < kRounds; ++round) {
            Side& first = round % 2 ? anchor : project;
            Side& second = round % 2 ? project : anchor;
            runSide(first, folder, threadCount, round);
            runSide(second, folder, threadCount, round);
        }
        const double projectRate = median(project.rates);
        const double anchorRate = median(anchor.rates);
        std::printf("%7d  %10.0f  %15.0f  %5.2f  %lld/%lld\n", threadCount, projectRate, anchorRate,
            projectRate / anchorRate, static_cast<long long>(project.lost),
            static_cast<long long>(anchor.lost));
    }
    return 0;
}
