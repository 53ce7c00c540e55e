#pragma once

#include "web/DHPluginBase.h"

// "common.openDeviceMonitor": the device check runs modally, so the page hears back only
// once the dialog has closed.
class DHPluginOpenDeviceMonitor : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
