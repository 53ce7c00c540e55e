#pragma once

#include "web/DHPluginBase.h"

// "common.closeWindow": the main window asks whether to quit.
class DHPluginCloseWindow : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
