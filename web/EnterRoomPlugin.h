#pragma once

#include "web/DHPluginBase.h"

// "common.enterRoom": hands the request's data to the main window, which acts on its
// "type". The page expects no answer, so the object stays and serves later requests.
class EnterRoomPlugin : public DHPluginBase
{
    Q_OBJECT
public:
    using DHPluginBase::DHPluginBase;

    void execute(const QJsonObject& request) override;
};
