#pragma once

#include <QString>

// Where a replay was left, per lesson and student, in ss.ini of the data folder, so
// that the next replay of the lesson can go on from there.
class PlayProgressStore
{
public:
    PlayProgressStore(const QString& planId, const QString& account);

    QString key() const;
    // Whole seconds; 0 when nothing is stored or there is no data folder.
    int storedSeconds() const;
    void store(float seconds) const;

private:
    QString m_planId;
    QString m_account;
};
