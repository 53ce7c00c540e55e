#include "widgets/ActivationWatch.h"

ActivationWatch& ActivationWatch::shared()
{
    static ActivationWatch watch;
    return watch;
}

bool ActivationWatch::activate(qint64 nowMs)
{
    bool shake = false;
    if (nowMs - m_lastTime < QuickGapMs) {
        ++m_counter;
        shake = m_counter == ShakeAt;
        if (m_counter == RestartAt) {
            m_counter = 0;
        }
    } else {
        m_counter = 1;
    }
    m_lastTime = nowMs;
    return shake;
}

void ActivationWatch::reset()
{
    m_counter = 0;
    m_lastTime = -QuickGapMs;
}
