#pragma once

#include "web/DHPluginBase.h"

// "common.windowMove" with data {x, y}. A request that lacks either key is refused
// silently and leaves the plugin alive for the next one.
class DHPluginWindowMove : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
