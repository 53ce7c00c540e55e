#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

// Base of the plugins that carry out page requests. A plugin does its work in its own
// execute and then calls this one, which answers the page and retires the object, so
// every request meets a fresh plugin.
class DHPluginBase : public QObject
{
    Q_OBJECT
public:
    explicit DHPluginBase(QObject* parent = nullptr);

    // request is the page's whole message, not only its "data".
    virtual void execute(const QJsonObject& request);

protected:
    // The answer's "data" text.
    void setData(const QString& data) { m_data = data; }

private:
    QString m_callbackId;
    int m_status = 1;
    bool m_complete = true;
    QString m_errorMessage;
    QString m_data;
};
