#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <limits>
#include <memory>
#include <string>

namespace zovservice {

// One response of a video host, the content provider behind it: the file's bytes as
// cpp-httplib asks for them, at full speed, up to a stall point or at a set rate. Where
// nothing is to be sent the connection is held open until the client goes, the service
// stops or holdSeconds pass.
class VideoDelivery
{
public:
    static constexpr int holdSeconds = 60;
    static constexpr size_t noStall = std::numeric_limits<size_t>::max();

    struct Pace
    {
        // Absolute offset in the file where sending stops.
        size_t stallAfter = noStall;
        // 0 sends at full speed.
        int bytesPerSecond = 0;
    };

    // socket: the request's descriptor, -1 when it is not known; stopping: set when the
    // service stops.
    VideoDelivery(const std::string& file, Pace pace, int socket,
        std::shared_ptr<const std::atomic<bool>> stopping);

    bool isOpen() const { return m_file.is_open(); }
    size_t size() const { return m_size; }
    // The provider: false ends the response.
    bool provide(size_t offset, size_t length, httplib::DataSink& sink);

private:
    using Clock = std::chrono::steady_clock;

    size_t pieceLength(size_t offset, size_t length) const;
    bool waitForTurn();
    bool holdUntil(Clock::time_point deadline) const;
    bool send(size_t offset, size_t length, httplib::DataSink& sink);

    std::ifstream m_file;
    size_t m_size = 0;
    Pace m_pace;
    int m_socket;
    std::shared_ptr<const std::atomic<bool>> m_stopping;
    Clock::time_point m_started;
    size_t m_sent = 0;
};

} // namespace zovservice
