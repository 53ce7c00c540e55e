#pragma once

#include <QByteArray>

// Receives the raw requests pages send through JsContext.
class JsContextCallback
{
public:
    virtual ~JsContextCallback();
    virtual void onInvoke(const QByteArray& message) = 0;
};
