#pragma once

#include "web/DHPluginBase.h"

// "common.minWindow": the main window minimises.
class DHPluginMinWindow : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
