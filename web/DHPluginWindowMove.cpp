#include "web/DHPluginWindowMove.h"

#include "web/HybirdPluginManager.h"

void DHPluginWindowMove::execute(const QJsonObject& request)
{
    const QJsonObject data = request.value(QStringLiteral("data")).toObject();
    const QString xKey = QStringLiteral("x");
    const QString yKey = QStringLiteral("y");
    if (data.isEmpty() || !data.contains(xKey) || !data.contains(yKey))
        return;
    // Pages may send fractional pixels; anything that is not a number counts as 0.
    const int x = static_cast<int>(data.value(xKey).toDouble());
    const int y = static_cast<int>(data.value(yKey).toDouble());
    emit HybirdPluginManager::instance()->dh_sig_windowMove(x, y);
    DHPluginBase::execute(request);
}
