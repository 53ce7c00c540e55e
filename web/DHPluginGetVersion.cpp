#include "web/DHPluginGetVersion.h"

#include "app/Settings.h"

#include <QJsonDocument>

void DHPluginGetVersion::execute(const QJsonObject& request)
{
    const QString version
        = readConfigIni(QStringLiteral("version"), QStringLiteral("ver")).toString();
    const QJsonObject answer { { QStringLiteral("data"), version } };
    setData(QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)));
    DHPluginBase::execute(request);
}
