// Prints how many log lines per second go through qDebug into the run's log file,
// from one thread and from two threads at once.
#include "app/LogFiles.h"
#include "core/ZovLog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <vector>

namespace {

constexpr int kLinesPerThread = 200000;

void logLines(int count)
{
    for (int i = 0; i < count; ++i)
        qDebug() << "[Bench] a typical log line with a number" << i << "and a short tail";
}

double linesPerSecond(int threadCount)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<QThread*> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.push_back(QThread::create([] { logLines(kLinesPerThread); }));
        threads.back()->start();
    }
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    zov::log::ZovLog::getInstance()->flush();
    const double seconds = timer.nsecsElapsed() / 1e9;
    return threadCount * kLinesPerThread / seconds;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!zov::log::ZovLog::getInstance()->setLogFileInfo(
            folder.path(), QStringLiteral("bench.txt"))) {
        std::fprintf(stderr, "cannot open the log file\n");
        return 1;
    }
    qInstallMessageHandler(messageHandler);

    const double one = linesPerSecond(1);
    const double two = linesPerSecond(2);
    qInstallMessageHandler(nullptr);

    const qint64 bytes = QFile(folder.filePath(QStringLiteral("bench.txt"))).size();
    std::printf("log lines through qDebug, %d per thread\n", kLinesPerThread);
    std::printf("  1 thread : %10.0f lines/s\n", one);
    std::printf("  2 threads: %10.0f lines/s\n", two);
    std::printf("  log file : %.1f MiB\n", bytes / 1048576.0);
    return 0;
}
