#pragma once

#include "web/DHPluginBase.h"

// "common.upLoadLog": starts the log upload.
class DHPluginUploadLog : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
