#include "web/JsContext.h"

#include "web/JsContextCallback.h"

JsContext::JsContext(JsContextCallback* callback, QObject* parent)
    : QObject(parent)
    , m_callback(callback)
{ }

void JsContext::invoke(const QByteArray& msg)
{
    if (m_callback)
        m_callback->onInvoke(msg);
}
