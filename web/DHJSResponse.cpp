#include "web/DHJSResponse.h"

#include <QJsonDocument>

DHJSResponse::DHJSResponse(QObject* parent)
    : QObject(parent)
{ }

QString DHJSResponse::toString() const
{
    const QJsonObject message {
        { QStringLiteral("callbackId"), m_callbackId },
        { QStringLiteral("status"), m_status },
        { QStringLiteral("complete"), m_complete },
        { QStringLiteral("errorMessage"), m_errorMessage },
        { QStringLiteral("data"), m_data },
    };
    return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}
