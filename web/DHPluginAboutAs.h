#pragma once

#include "web/DHPluginBase.h"

// "common.aboutUs": the main window shows the about box.
class DHPluginAboutAs : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
