#pragma once

#include <QString>

// The service environment the program talks to: "online", "beta" or "dev". Any
// other value, the empty string included, means "online".
QString serviceEnv();
void setServiceEnv(const QString& env);

// Host (and port) of the business APIs for an environment. The environment
// variable ZOV_API_HOST, when set, replaces the host of every environment; it points
// the program at a local stand-in of the service.
QString businessApiHost(const QString& env);

// https://<business API host>/<path> for the current environment.
QString businessApiUrl(const QString& path);
