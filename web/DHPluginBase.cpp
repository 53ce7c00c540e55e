#include "web/DHPluginBase.h"

#include "web/HybirdPluginManager.h"

DHPluginBase::DHPluginBase(QObject* parent)
    : QObject(parent)
{ }

void DHPluginBase::execute(const QJsonObject& request)
{
    m_callbackId = request.value(QStringLiteral("callbackId")).toString();
    if (!m_callbackId.isEmpty()) {
        emit HybirdPluginManager::instance()->dh_sig_sendToWeb(
            m_data, m_errorMessage, m_complete, m_callbackId, m_status);
    }
    deleteLater();
}
