#pragma once

#include <QProcess>

namespace zov {
namespace platform {

// A helper program started by ours. It gets only standard input, output and error: none of
// our other descriptors (the web engine's channels, listening sockets, files) live on in it.
// A helper that only serves this process ends with it; one that finishes a job of its own
// (uploading logs, a live lesson) may outlive it, but holds nothing of ours.
class ChildProcess : public QProcess
{
    Q_OBJECT
public:
    enum class Lifetime
    {
        EndsWithUs,
        MayOutliveUs,
    };

    explicit ChildProcess(Lifetime lifetime, QObject* parent = nullptr);

    // Runs program to its end, waiting at most timeoutMs before killing it. True when it
    // ended by itself with exit code 0.
    bool runToEnd(const QString& program, const QStringList& arguments, int timeoutMs);

protected:
    void setupChildProcess() override;

private:
    Lifetime m_lifetime;
    qint64 m_parentId;
};

} // namespace platform
} // namespace zov
