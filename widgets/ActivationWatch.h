#pragma once

#include <QtGlobal>

// Counts the clicks a user makes on a window that a modal dialog blocks. A burst of
// quick clicks means the user has not noticed the dialog, so the fourth one asks the
// dialog to shake. The caller supplies the time, which keeps the rule testable.
class ActivationWatch
{
public:
    static constexpr qint64 QuickGapMs = 300;
    static constexpr int ShakeAt = 4;
    static constexpr int RestartAt = 15;

    // The one watch that every dialog of the process shares.
    static ActivationWatch& shared();

    // Records one activation at nowMs; returns true when the dialog should shake.
    bool activate(qint64 nowMs);

    int counter() const { return m_counter; }
    qint64 lastTime() const { return m_lastTime; }
    void reset();

private:
    int m_counter = 0;
    qint64 m_lastTime = -QuickGapMs;
};
