#pragma once

#include <QObject>

// The one object of the update subsystem the rest of the program talks to. Start-up
// asks it for a verdict with checkout(0) and polls state() while pumping events.
class UpdateManager : public QObject
{
    Q_OBJECT
public:
    enum State
    {
        STATE_CHECKING = 0,
        STATE_FAILED = 1,
        STATE_NO_EXIST = 2,
        STATE_EXIST = 3,
        STATE_READY = 4,
    };

    static UpdateManager* instance();

    void checkout(int type);
    int state() const { return m_state; }
    void updateEx();

private:
    UpdateManager() = default;

    int m_state = STATE_CHECKING;
    int m_triggeredType = 0;
};
