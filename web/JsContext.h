#pragma once

#include <QByteArray>
#include <QObject>

class JsContextCallback;

// The object pages reach as "web_bridge" through the web channel. It only hands the
// request bytes on; the callback, usually the web view, outlives it.
class JsContext : public QObject
{
    Q_OBJECT
public:
    explicit JsContext(JsContextCallback* callback, QObject* parent = nullptr);

public slots:
    void invoke(const QByteArray& msg);

private:
    JsContextCallback* m_callback;
};
