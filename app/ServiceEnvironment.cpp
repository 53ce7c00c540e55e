#include "app/ServiceEnvironment.h"

#include "core/DebugAids.h"

namespace {

QString& currentEnv()
{
    static QString env = QStringLiteral("online");
    return env;
}

} // namespace

QString serviceEnv()
{
    return currentEnv();
}

void setServiceEnv(const QString& env)
{
    currentEnv() = env;
}

QString businessApiHost(const QString& env)
{
    const QString overrideHost
        = zov::debugAidsEnabled() ? qEnvironmentVariable("ZOV_API_HOST") : QString();
    if (!overrideHost.isEmpty())
        return overrideHost;
    if (env == QLatin1String("beta"))
        return QStringLiteral("beta-api.zov1v1.net");
    if (env == QLatin1String("dev"))
        return QStringLiteral("dev-api.zov1v1.net");
    return QStringLiteral("api.zov1v1.net");
}

QString businessApiUrl(const QString& path)
{
    return QStringLiteral("https://") + businessApiHost(serviceEnv()) + path;
}
