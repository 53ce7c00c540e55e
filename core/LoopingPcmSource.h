#pragma once

#include <QByteArray>
#include <QIODevice>

namespace zov {
namespace player {

// Raw samples read over and over again: a short test sound becomes an endless one.
class LoopingPcmSource : public QIODevice
{
    Q_OBJECT

public:
    explicit LoopingPcmSource(const QByteArray& pcm, QObject* parent = nullptr);

    bool isSequential() const override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QByteArray m_pcm;
    qint64 m_position = 0;
};

} // namespace player
} // namespace zov
