#include "web/DHPluginWindowMove.h"

#include "web/HybirdPluginManager.h"

namespace {

// Further than any desktop reaches; a page asking for more has made a mistake.
constexpr double kLargestOffset = 100000;

// Pages may send fractional pixels; anything that is not a number counts as 0. Huge numbers
// are held to the largest offset: made an int as they stand, they would be undefined.
int offsetOf(const QJsonValue& value)
{
    return static_cast<int>(qBound(-kLargestOffset, value.toDouble(), kLargestOffset));
}

} // namespace

void DHPluginWindowMove::execute(const QJsonObject& request)
{
    const QJsonObject data = request.value(QStringLiteral("data")).toObject();
    const QString xKey = QStringLiteral("x");
    const QString yKey = QStringLiteral("y");
    if (data.isEmpty() || !data.contains(xKey) || !data.contains(yKey))
        return;
    const int x = offsetOf(data.value(xKey));
    const int y = offsetOf(data.value(yKey));
    emit HybirdPluginManager::instance()->dh_sig_windowMove(x, y);
    DHPluginBase::execute(request);
}
