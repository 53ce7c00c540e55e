#include "replay/PlayProgressStore.h"

#include "app/Settings.h"

#include <QDebug>
#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("PlayProgress");

QString progressFile(bool& found)
{
    QString dir;
    found = getHomeDir(dir);
    if (!found)
        qDebug() << "getHomeDir failed.";
    return dir + QStringLiteral("/ss.ini");
}

} // namespace

PlayProgressStore::PlayProgressStore(const QString& planId, const QString& account)
    : m_planId(planId)
    , m_account(account)
{ }

QString PlayProgressStore::key() const
{
    return QStringLiteral("####%1####%2####").arg(m_planId, m_account);
}

int PlayProgressStore::storedSeconds() const
{
    bool found = false;
    const QString file = progressFile(found);
    if (!found)
        return 0;
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    const float seconds = settings.value(key(), 0).toFloat();
    settings.endGroup();
    return int(seconds);
}

void PlayProgressStore::store(float seconds) const
{
    bool found = false;
    const QString file = progressFile(found);
    if (!found)
        return;
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    settings.setValue(key(), seconds);
    settings.endGroup();
}
