#pragma once

#include "web/DHPluginBase.h"

// "common.maxWindow": the main window toggles between maximised and normal.
class DHPluginMaxWindow : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
