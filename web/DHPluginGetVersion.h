#pragma once

#include "web/DHPluginBase.h"

// "common.getVersion": answers with the installed version from config.ini, as the
// text of an object whose one key "data" holds the version.
class DHPluginGetVersion : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
