#pragma once

#include <httplib.h>

#include <QJsonValue>

#include <mutex>

namespace zovservice {

class ApiRouter;

// The hardware report: a client sends its processor name and memory and gets the
// service's verdict back. The real service scores the hardware; here a test chooses the
// answer beforehand, and without a choice every computer meets the bar.
class DeviceScoreApi
{
public:
    static constexpr const char* path = "/olbusiness/api/device/score";

    struct Answer
    {
        // Goes out as "data"."test_result_str"; undefined leaves that key out.
        QJsonValue verdict;
        // Answer with an HTTP error instead of a verdict.
        bool fail = false;
    };

    void registerRoutes(ApiRouter& router);
    // Holds for every later report until the next choice.
    void choose(const Answer& answer);

private:
    Answer current() const;
    void handleScore(const httplib::Request& request, httplib::Response& response) const;

    mutable std::mutex m_mutex;
    Answer m_answer { QJsonValue(QStringLiteral("达标")), false };
};

} // namespace zovservice
