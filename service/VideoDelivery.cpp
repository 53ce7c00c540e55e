#include "service/VideoDelivery.h"

#include "service/RequestSocket.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace zovservice {

namespace {

// Large pieces so a full-speed response is not slowed by the provider loop.
constexpr size_t fastPieceBytes = 1024 * 1024;
// A paced response sends this many pieces a second: even enough for a client's meter.
constexpr int piecesPerSecond = 10;
// How soon a held response sees the client go or the service stop.
constexpr auto checkInterval = std::chrono::milliseconds(100);

} // namespace

VideoDelivery::VideoDelivery(const std::string& file, Pace pace, int socket,
    std::shared_ptr<const std::atomic<bool>> stopping)
    : m_file(file, std::ios::binary | std::ios::ate)
    , m_pace(pace)
    , m_socket(socket)
    , m_stopping(std::move(stopping))
{
    if (m_file)
        m_size = static_cast<size_t>(m_file.tellg());
}

bool VideoDelivery::provide(size_t offset, size_t length, httplib::DataSink& sink)
{
    const size_t piece = pieceLength(offset, length);
    if (piece == 0) {
        holdUntil(Clock::now() + std::chrono::seconds(holdSeconds));
        return false;
    }
    return waitForTurn() && send(offset, piece, sink);
}

size_t VideoDelivery::pieceLength(size_t offset, size_t length) const
{
    size_t piece = std::min(length, fastPieceBytes);
    if (m_pace.stallAfter != noStall)
        piece = offset < m_pace.stallAfter ? std::min(piece, m_pace.stallAfter - offset) : 0;
    if (m_pace.bytesPerSecond > 0)
        piece = std::min(piece, size_t(std::max(1, m_pace.bytesPerSecond / piecesPerSecond)));
    return piece;
}

// Due times follow from the bytes sent so far, not from the last piece, so the rate holds
// however long each write takes.
bool VideoDelivery::waitForTurn()
{
    if (m_pace.bytesPerSecond <= 0)
        return !m_stopping->load();
    if (m_sent == 0)
        m_started = Clock::now();
    const std::chrono::duration<double> due(double(m_sent) / m_pace.bytesPerSecond);
    return holdUntil(m_started + std::chrono::duration_cast<Clock::duration>(due));
}

// False when the service stops or the client goes first.
bool VideoDelivery::holdUntil(Clock::time_point deadline) const
{
    for (;;) {
        if (m_stopping->load() || (m_socket >= 0 && RequestSocket::isClosedByPeer(m_socket)))
            return false;
        const Clock::duration left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, checkInterval));
    }
}

bool VideoDelivery::send(size_t offset, size_t length, httplib::DataSink& sink)
{
    std::vector<char> buffer(length);
    m_file.seekg(static_cast<std::streamoff>(offset));
    m_file.read(buffer.data(), static_cast<std::streamsize>(length));
    if (m_file.gcount() != static_cast<std::streamsize>(length)
        || !sink.write(buffer.data(), length))
        return false;
    m_sent += length;
    return true;
}

} // namespace zovservice
