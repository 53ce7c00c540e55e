#include "update/UpdateManager.h"

#include <QDebug>

UpdateManager* UpdateManager::instance()
{
    static UpdateManager* manager = new UpdateManager;
    return manager;
}

void UpdateManager::checkout(int type)
{
    // This build ships without a version service client, so there is never a newer
    // version to act on.
    m_triggeredType = type;
    m_state = STATE_NO_EXIST;
    qDebug() << "UpdateManager::checkout() type" << type;
}

void UpdateManager::updateEx()
{
    m_state = STATE_NO_EXIST;
}
