#pragma once

#include "web/DHPluginBase.h"

// "common.checkUpdate": an update check the user asked for.
class DHPluginCheckUpdate : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
